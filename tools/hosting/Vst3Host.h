#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

// Loads a VST3 bundle the way a DAW does, through JUCE's own VST3 hosting.
// Deliberately knows nothing of the plug-in's code: what it sees is what a
// host sees.
namespace vst3host
{
struct LoadResult
{
    std::unique_ptr<juce::AudioPluginInstance> instance;
    juce::PluginDescription description;
    juce::String error;
};

LoadResult loadVst3 (const juce::File& bundle, double sampleRate, int blockSize);

// A human-readable account of identity, buses and parameters.
juce::String describe (const juce::PluginDescription&, juce::AudioPluginInstance&);
} // namespace vst3host
