#include "tools/hosting/Vst3Host.h"

#include <iostream>

namespace
{
// Sets each NAME=VALUE (the normalised value, as a host automates it), runs
// a block as a session would, and writes what the host would save.
int saveState (juce::AudioPluginInstance& instance, const juce::File& file, const juce::StringArray& settings)
{
    for (const auto& setting : settings)
    {
        const auto name = setting.upToFirstOccurrenceOf ("=", false, false);
        juce::AudioProcessorParameter* parameter = nullptr;
        for (auto* p : instance.getParameters())
            if (p->getName (100) == name)
                parameter = p;
        if (parameter == nullptr || ! setting.contains ("="))
        {
            std::cerr << "vst3-host-info: no parameter '" << name << "' (give NAME=NORMALISED)\n";
            return 2;
        }
        parameter->setValueNotifyingHost (setting.fromFirstOccurrenceOf ("=", false, false).getFloatValue());
    }
    instance.prepareToPlay (48000.0, 512);
    juce::AudioBuffer<float> buffer (juce::jmax (instance.getTotalNumInputChannels(), instance.getTotalNumOutputChannels()), 512);
    buffer.clear();
    juce::MidiBuffer midi;
    instance.processBlock (buffer, midi);
    juce::MemoryBlock state;
    instance.getStateInformation (state);
    if (state.isEmpty() || ! file.replaceWithData (state.getData(), state.getSize()))
    {
        std::cerr << "vst3-host-info: cannot write " << file.getFullPathName() << "\n";
        return 1;
    }
    return 0;
}
} // namespace

// Prints what a VST3 or LV2 host sees of a plug-in bundle; with --save-state,
// writes the state a host would save (tests keep such files of old releases).
int main (int argc, char** argv)
{
    if (argc != 2 && ! (argc >= 4 && juce::String (argv[2]) == "--save-state"))
    {
        std::cerr << "usage: vst3-host-info PATH/Plugin.vst3|.lv2 [--save-state FILE [NAME=NORMALISED ...]]\n";
        return 2;
    }

    juce::ScopedJuceInitialiser_GUI juce;
    const auto bundle = juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);
    auto loaded = vst3host::loadBundle (bundle, 48000.0, 512);
    if (loaded.instance == nullptr)
    {
        std::cerr << "vst3-host-info: " << loaded.error << "\n";
        return 1;
    }
    if (argc >= 4)
    {
        juce::StringArray settings;
        for (int i = 4; i < argc; ++i)
            settings.add (argv[i]);
        return saveState (*loaded.instance, juce::File::getCurrentWorkingDirectory().getChildFile (argv[3]), settings);
    }
    std::cout << vst3host::describe (loaded.description, *loaded.instance);
    return 0;
}
