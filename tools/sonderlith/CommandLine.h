#pragma once

#include <juce_core/juce_core.h>

#include <functional>

// The `sonderlith` command. Returns the exit code; what it prints goes to
// `out` and `err` (main writes them to the streams). `progress`, when given,
// hears the stages of long work as they begin.
int runCommandLine (const juce::StringArray& arguments, juce::String& out, juce::String& err,
                    std::function<void (const juce::String&)> progress = {});
