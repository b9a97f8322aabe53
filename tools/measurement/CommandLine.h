#pragma once

#include <juce_core/juce_core.h>

// The `sonderlith` command: "measure" and "inspect". Returns the exit code;
// what it prints goes to `out` and `err` (main writes them to the streams).
int runCommandLine (const juce::StringArray& arguments, juce::String& out, juce::String& err);

juce::String usageText();
