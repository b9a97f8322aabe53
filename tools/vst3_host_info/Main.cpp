#include "tools/hosting/Vst3Host.h"

#include <iostream>

// Prints what a VST3 host sees of a plug-in bundle.
int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "usage: vst3-host-info PATH/Plugin.vst3\n";
        return 2;
    }

    juce::ScopedJuceInitialiser_GUI juce;
    const auto bundle = juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);
    auto loaded = vst3host::loadVst3 (bundle, 48000.0, 512);
    if (loaded.instance == nullptr)
    {
        std::cerr << "vst3-host-info: " << loaded.error << "\n";
        return 1;
    }

    std::cout << vst3host::describe (loaded.description, *loaded.instance);
    return 0;
}
