#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

// Streams the built-in tanh device through a loaded plug-in on an audio
// thread of its own, as a host would, and checks what must hold for this
// plug-in: the output is the main input, bit for bit, with the sidechain
// connected and the device's input on it.
struct StreamCheck
{
    bool passedThrough = false;
    bool sidechainActive = false;
    juce::int64 samples = 0;
    juce::String problem;
};

StreamCheck streamDemoDevice (juce::AudioPluginInstance& plugin, double seconds, double sampleRate = 48000.0, int blockSize = 512);
