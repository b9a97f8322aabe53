#include "tools/plugin_host/PluginRender.h"

#include "tools/plugin_host/PluginCatalogue.h"

#include <cmath>

namespace
{
using Parameter = juce::HostedAudioProcessorParameter;

Parameter* parameterNamed (juce::AudioPluginInstance& plugin, const juce::String& name)
{
    for (auto* p : plugincatalogue::hostedParameters (plugin))
        if (p->getParameterID() == name || p->getParameterID() == "sym:" + name || p->getName (256).equalsIgnoreCase (name)) // an LV2 port symbol too
            return p;
    return nullptr;
}

juce::String namesOf (juce::AudioPluginInstance& plugin)
{
    juce::StringArray names;
    for (auto* p : plugincatalogue::hostedParameters (plugin))
        names.add ("\"" + p->getName (256) + "\"");
    return names.isEmpty() ? juce::String ("it has none") : names.joinIntoString (", ");
}

// The number a text begins with ("12 dB" is 12), when it begins with one.
std::optional<double> leadingNumber (const juce::String& text)
{
    const auto t = text.trim();
    const auto digits = t.initialSectionContainingOnly ("+-0123456789.eE");
    if (digits.isEmpty() || ! digits.containsAnyOf ("0123456789"))
        return std::nullopt;
    return digits.getDoubleValue();
}

juce::String setOne (Parameter& p, const juce::String& value, bool normalised)
{
    const auto name = "\"" + p.getName (256) + "\"";
    if (normalised)
    {
        const auto v = leadingNumber (value);
        if (! v || ! (*v >= 0.0 && *v <= 1.0))
            return name + " takes a normalised value from 0 to 1 with --normalised, not '" + value + "'";
        p.setValue ((float) *v);
        return {};
    }
    const auto lowest = leadingNumber (p.getText (0.0f, 64)), highest = leadingNumber (p.getText (1.0f, 64));
    const auto wanted = leadingNumber (value);
    if (wanted && lowest && highest)
    {
        const auto [a, b] = std::minmax (*lowest, *highest);
        const auto slack = 1.0e-6 * std::max (1.0, b - a);
        if (*wanted < a - slack || *wanted > b + slack)
            return name + " ranges from " + p.getText (0.0f, 64) + " to " + p.getText (1.0f, 64) + ": " + value + " is out of range";
    }
    const auto normalisedValue = p.getValueForText (value);
    if (! std::isfinite (normalisedValue))
        return name + " does not take '" + value + "'";
    p.setValue (juce::jlimit (0.0f, 1.0f, normalisedValue));
    if (const auto taken = leadingNumber (p.getText (p.getValue(), 64)); wanted && taken && lowest && highest
                                                                         && std::abs (*taken - *wanted) > 0.01 * std::max (1.0, std::abs (*highest - *lowest)))
        return name + " did not take " + value + ": it reads " + p.getText (p.getValue(), 64);
    return {};
}
} // namespace

juce::String setParameters (juce::AudioPluginInstance& plugin, const RenderSettings& s, juce::StringArray& settings)
{
    for (const auto& [name, value] : s.parameters)
    {
        auto* p = parameterNamed (plugin, name);
        if (p == nullptr)
            return "the plug-in has no parameter \"" + name + "\"; its parameters: " + namesOf (plugin);
        if (const auto problem = setOne (*p, value, s.normalised); problem.isNotEmpty())
            return problem;
        settings.add (p->getName (256) + "\t" + p->getText (p->getValue(), 64));
    }
    return {};
}

Rendered render (juce::AudioPluginInstance& plugin, const std::vector<float>& x, const RenderSettings& s)
{
    Rendered r;
    if (plugin.getBusCount (true) == 0 || plugin.getChannelCountOfBus (true, 0) == 0)
    {
        r.error = "the plug-in has no audio input: it is not an effect a signal can be played through";
        return r;
    }
    if (plugin.getBusCount (false) == 0 || s.outputChannel >= plugin.getChannelCountOfBus (false, 0))
    {
        r.error = "the plug-in's main output has " + juce::String (plugin.getBusCount (false) == 0 ? 0 : plugin.getChannelCountOfBus (false, 0))
                  + " channels: there is no channel " + juce::String (s.outputChannel + 1);
        return r;
    }
    plugin.setNonRealtime (true);
    plugin.setRateAndBufferSizeDetails (s.sampleRate, s.blockSize);
    plugin.prepareToPlay (s.sampleRate, s.blockSize);
    plugin.reset();
    // Set once the plug-in is running: hosting may reinstate its defaults when it starts.
    if (r.error = setParameters (plugin, s, r.settings); r.error.isNotEmpty())
        return r;

    const auto inputs = plugin.getChannelCountOfBus (true, 0);
    juce::AudioBuffer<float> buffer (std::max (plugin.getTotalNumInputChannels(), plugin.getTotalNumOutputChannels()), s.blockSize);
    juce::MidiBuffer midi;
    const auto outputIndex = plugin.getChannelIndexInProcessBlockBuffer (false, 0, s.outputChannel);
    const auto total = (size_t) s.prerollSamples + x.size();
    r.y.reserve (x.size());
    for (size_t start = 0; start < total; start += (size_t) s.blockSize)
    {
        const auto count = (int) std::min<size_t> ((size_t) s.blockSize, total - start);
        buffer.setSize (buffer.getNumChannels(), count, false, false, true);
        buffer.clear();
        for (int i = 0; i < count; ++i)
            if (const auto at = start + (size_t) i; at >= (size_t) s.prerollSamples)
                for (int c = 0; c < inputs; ++c)
                    buffer.setSample (plugin.getChannelIndexInProcessBlockBuffer (true, 0, c), i, x[at - (size_t) s.prerollSamples]);
        midi.clear();
        plugin.processBlock (buffer, midi);
        for (int i = 0; i < count; ++i)
            if (start + (size_t) i >= (size_t) s.prerollSamples)
            {
                const auto v = buffer.getSample (outputIndex, i);
                r.nonFinite += std::isfinite (v) ? 0 : 1;
                r.y.push_back (v);
            }
    }
    // An LV2 plug-in tells its latency through a port it writes as it runs.
    r.latency = plugin.getLatencySamples();
    plugin.releaseResources();
    return r;
}
