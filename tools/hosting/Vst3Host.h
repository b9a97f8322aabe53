#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

// Loads a VST3 (or LV2) bundle the way a DAW does, through JUCE's own hosting.
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
// An LV2 bundle through the toolkit's LV2 hosting (its own lilv).
LoadResult loadLv2 (const juce::File& bundle, double sampleRate, int blockSize);
// Either, by the bundle's extension.
LoadResult loadBundle (const juce::File& bundle, double sampleRate, int blockSize);

// A human-readable account of identity, buses and parameters.
juce::String describe (const juce::PluginDescription&, juce::AudioPluginInstance&);
} // namespace vst3host
