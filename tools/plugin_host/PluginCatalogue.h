#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

// The plug-ins installed where hosts look for them (the standard folders and
// VST3_PATH, LV2_PATH, LADSPA_PATH), each with the identifier a user gives
// to name it: a VST3 bundle's path, an LV2 URI, a LADSPA "library:label".
namespace plugincatalogue
{
struct Entry
{
    juce::PluginDescription description;
    juce::String identifier;
};

// `format` is "vst3", "lv2", "ladspa" or empty for all.
std::vector<Entry> installed (const juce::String& format);

struct Found
{
    std::vector<Entry> matches; // one when found; none or several otherwise
    juce::String error;         // why not, with the candidates
};

// By identifier, a path to a bundle or library, or a name or part of one
// (any case): a whole identifier or name wins over a part.
Found find (const juce::String& wanted);

juce::AudioPluginFormatManager& formats();

std::vector<juce::HostedAudioProcessorParameter*> hostedParameters (juce::AudioPluginInstance&);
} // namespace plugincatalogue
