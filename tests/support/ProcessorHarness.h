#pragma once

#include "plugin/PluginAudioProcessor.h"

namespace test
{
enum class Sidechain
{
    absent,   // the host disabled the bus
    present,  // enabled and carrying a signal
    silent    // enabled but all zeros
};

// Puts a processor into a layout the way a host does (through the bus API),
// then prepares it.
void prepareProcessor (PluginAudioProcessor& processor, Sidechain sidechain, int blockSize,
                       const juce::AudioChannelSet& main = juce::AudioChannelSet::stereo());

void setParameter (PluginAudioProcessor& processor, const juce::String& id, float plainValue);
float getParameter (PluginAudioProcessor& processor, const juce::String& id);
} // namespace test
