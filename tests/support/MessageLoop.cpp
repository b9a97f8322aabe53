#include "tests/support/MessageLoop.h"

#include <juce_events/juce_events.h>

namespace juce::detail
{
// The toolkit's own per-platform dispatch step.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce::detail

namespace test
{
void runMessageLoopFor (int milliseconds)
{
    runMessageLoopUntil ([] { return false; }, milliseconds);
}

bool runMessageLoopUntil (const std::function<bool()>& condition, int timeoutMilliseconds)
{
    const auto end = juce::Time::getMillisecondCounterHiRes() + timeoutMilliseconds;
    while (! condition())
    {
        if (juce::Time::getMillisecondCounterHiRes() >= end)
            return false;
        if (! juce::detail::dispatchNextMessageOnSystemQueue (true))
            juce::Thread::sleep (1);
    }
    return true;
}
} // namespace test
