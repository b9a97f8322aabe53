#pragma once

#include "engine/Measurement.h"
#include "tools/sonderlith/PlayedSignal.h"

#include <memory>

// A signal played through a plug-in offline, in the plug-in host's process,
// as the engine measures it: Y with the latency the plug-in reports taken out.
struct PluginPlay
{
    juce::String id;
    std::vector<std::pair<juce::String, juce::String>> parameters;
    bool normalised = false;
    SignalSettings signal;
    int blockSize = 512;
    int outputChannel = 0;
    double timeoutSeconds = 60.0;
};

struct PluginCapture
{
    juce::String error;
    std::shared_ptr<RenderedDevice> device;
    juce::StringArray notices;
};

PluginCapture playThroughPlugin (const PluginPlay&);
