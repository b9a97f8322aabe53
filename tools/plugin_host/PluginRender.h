#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <vector>

// A signal through a hosted plug-in, offline: its parameters set, reset and
// pre-rolled with silence so a filter's start-up is not in the output.
struct RenderSettings
{
    double sampleRate = 48000.0;
    int blockSize = 512;
    int outputChannel = 0;  // of the main output bus
    int prerollSamples = 0;
    std::vector<std::pair<juce::String, juce::String>> parameters; // name or identifier, value
    bool normalised = false; // values are 0..1, not the plug-in's units
};

struct Rendered
{
    juce::String error; // empty when rendered
    std::vector<float> y;
    int latency = 0;                 // samples, as the plug-in reports it
    juce::StringArray settings;      // "name\ttext" of each parameter set
    size_t nonFinite = 0;            // output samples that are not numbers
};

// Sets `settings.parameters` on the plug-in, or says why not: an unknown
// name (the names are listed), a value out of range or that the plug-in does
// not take.
juce::String setParameters (juce::AudioPluginInstance&, const RenderSettings&, juce::StringArray& settings);

// `x` goes to every channel of the main input bus; a sidechain stays silent.
Rendered render (juce::AudioPluginInstance&, const std::vector<float>& x, const RenderSettings&);
