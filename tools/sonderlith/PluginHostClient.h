#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

// The plug-in host companion (sonderlith-plugin-host) asked for what it
// knows, each request in a process of its own with a time limit, so a
// plug-in that crashes or hangs fails the request, not the command.
namespace pluginhost
{
struct PluginInfo
{
    juce::String format, name, identifier, maker;
    int inputs = 0, outputs = 0;
};

struct ParameterInfo
{
    juce::String name, identifier, minimum, maximum, defaultValue, value;
};

struct Answer
{
    juce::String error; // empty when answered
    std::vector<PluginInfo> plugins;
    std::vector<ParameterInfo> parameters;
};

Answer list (const juce::String& format, double timeoutSeconds);
Answer parameters (const juce::String& id, double timeoutSeconds);

struct RenderRequest
{
    juce::String id;
    std::vector<float> x;
    double sampleRate = 48000.0;
    int blockSize = 512;
    int outputChannel = 0;
    int prerollSamples = 0;
    std::vector<std::pair<juce::String, juce::String>> parameters;
    bool normalised = false;
    double timeoutSeconds = 60.0;
};

struct Rendered
{
    juce::String error;
    PluginInfo plugin;
    std::vector<float> y;
    int latency = 0;
    juce::int64 nonFinite = 0;
    std::vector<std::pair<juce::String, juce::String>> settings; // as the plug-in prints them
};

Rendered render (const RenderRequest&);
} // namespace pluginhost
