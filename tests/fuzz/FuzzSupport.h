#pragma once

#include <juce_events/juce_events.h>

#include <cstdlib>

namespace fuzz
{
// JUCE's message manager for the processor, and a throw-away home so nothing
// lands in the real one.
struct Environment
{
    Environment()
    {
        char pattern[] = "/tmp/sonderlith-fuzz-home-XXXXXX";
        if (const char* home = ::mkdtemp (pattern))
        {
            ::setenv ("HOME", home, 1);
            ::setenv ("XDG_CONFIG_HOME", home, 1);
        }
        juce::MessageManager::getInstance();
    }

    juce::ScopedJuceInitialiser_GUI juce;

};
} // namespace fuzz
