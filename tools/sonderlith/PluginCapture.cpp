#include "tools/sonderlith/PluginCapture.h"

#include "tools/sonderlith/PluginHostClient.h"

namespace
{
// Silence before the signal, so what a reset leaves settles first, and after
// it, so the latency the plug-in reports can be taken out of a whole take.
constexpr double prerollSeconds = 0.5, tailSeconds = 1.0;
} // namespace

PluginCapture playThroughPlugin (const PluginPlay& play)
{
    PluginCapture capture;
    const auto signal = makePlayedSignal (play.signal);
    if (signal.error.isNotEmpty())
    {
        capture.error = signal.error;
        return capture;
    }
    pluginhost::RenderRequest request;
    request.id = play.id;
    request.sampleRate = signal.sampleRate;
    request.blockSize = play.blockSize;
    request.outputChannel = play.outputChannel;
    request.prerollSamples = (int) std::lround (prerollSeconds * signal.sampleRate);
    request.parameters = play.parameters;
    request.normalised = play.normalised;
    request.timeoutSeconds = play.timeoutSeconds;
    const auto tail = (size_t) std::lround (tailSeconds * signal.sampleRate);
    request.x.assign (signal.samples.begin(), signal.samples.end());
    request.x.resize (signal.samples.size() + tail, 0.0f);

    const auto rendered = pluginhost::render (request);
    if (rendered.error.isNotEmpty())
    {
        capture.error = rendered.error;
        return capture;
    }
    if (rendered.nonFinite == (juce::int64) rendered.y.size())
    {
        capture.error = "The plug-in's output is not a number (NaN or infinite) in every sample";
        return capture;
    }
    if (rendered.latency < 0 || (size_t) rendered.latency > tail)
    {
        capture.error = "The plug-in reports a latency of " + juce::String (rendered.latency) + " samples, more than the "
                        + juce::String (tailSeconds, 0) + " s this measurement allows";
        return capture;
    }
    auto device = std::make_shared<RenderedDevice>();
    device->x = signal.samples;
    device->y.assign (rendered.y.begin() + rendered.latency, rendered.y.begin() + rendered.latency + (std::ptrdiff_t) signal.samples.size());
    device->sampleRate = signal.sampleRate;
    device->name = rendered.plugin.name;
    device->format = rendered.plugin.format;
    device->identifier = rendered.plugin.identifier;
    device->reportedLatency = rendered.latency;
    device->parameters = rendered.settings;
    device->signal = signal.description;
    device->levelDbfs = play.signal.levelDbfs;
    device->nonFiniteOutput = rendered.nonFinite;
    capture.device = std::move (device);
    return capture;
}
