#pragma once

#include <functional>

namespace test
{
// Dispatches queued messages on the calling (message) thread for a while;
// plug-ins are built without modal loops, so the tests pump the queue themselves.
void runMessageLoopFor (int milliseconds);

// How long a test waits for something that should happen: generous, because
// the wait ends as soon as it does, and an instrumented build on a busy
// machine may be many times slower than a plain one.
constexpr int patienceMilliseconds = 60000;

// Pumps until the condition holds or the time-out passes; returns the condition.
bool runMessageLoopUntil (const std::function<bool()>& condition, int timeoutMilliseconds = patienceMilliseconds);
} // namespace test
