#include "tools/measurement/CommandLine.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <iostream>

int main (int argc, char** argv)
{
    juce::StringArray arguments;
    for (int i = 1; i < argc; ++i)
        arguments.add (juce::String::fromUTF8 (argv[i]));
    // The picture output draws with the plug-in's own components.
    const juce::ScopedJuceInitialiser_GUI toolkit;
    juce::String out, err;
    const auto code = runCommandLine (arguments, out, err);
    std::cout << out;
    std::cerr << err;
    return code;
}
