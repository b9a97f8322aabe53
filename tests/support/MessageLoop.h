#pragma once

#include <functional>

namespace test
{
// Dispatches queued messages on the calling (message) thread for a while;
// plug-ins are built without modal loops, so the tests pump the queue themselves.
void runMessageLoopFor (int milliseconds);

// Pumps until the condition holds or the time-out passes; returns the condition.
bool runMessageLoopUntil (const std::function<bool()>& condition, int timeoutMilliseconds);
} // namespace test
