#pragma once

#include <functional>
#include <thread>

// Runs work(begin, split) on the calling thread and work(split, end) on a
// second one. When the system refuses the second thread (std::system_error:
// a host at its thread limit), both halves run on the calling thread instead:
// the result is the same, only slower, and nothing escapes to the caller.
void runSplitInTwo (int begin, int split, int end, const std::function<void (int, int)>& work);

// Starts the second thread; replaceable so tests can refuse it. Returns the
// previous starter. Not for use while a split runs.
using ThreadStarter = std::thread (*) (std::function<void()>);
ThreadStarter setThreadStarter (ThreadStarter starter);
