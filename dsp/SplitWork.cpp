#include "dsp/SplitWork.h"

#include <atomic>
#include <system_error>

namespace
{
std::thread startThread (std::function<void()> body) { return std::thread (std::move (body)); }

std::atomic<ThreadStarter> currentStarter { startThread };
} // namespace

ThreadStarter setThreadStarter (ThreadStarter starter)
{
    return currentStarter.exchange (starter != nullptr ? starter : startThread);
}

void runSplitInTwo (int begin, int split, int end, const std::function<void (int, int)>& work)
{
    std::thread other;
    try
    {
        other = currentStarter.load() ([&work, split, end] { work (split, end); });
    }
    catch (const std::system_error&)
    {
        work (begin, split);
        work (split, end);
        return;
    }
    work (begin, split);
    other.join();
}
