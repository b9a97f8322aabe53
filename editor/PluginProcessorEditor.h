#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

class PluginAudioProcessor;

// The plug-in window. For now it only sets up the host-resizable frame; the
// plot and controls are laid out in it as they land.
class PluginProcessorEditor final : public juce::AudioProcessorEditor
{
public:
    explicit PluginProcessorEditor (PluginAudioProcessor&);
    ~PluginProcessorEditor() override;

    void paint (juce::Graphics&) override;
    void resized() override;

private:
    [[maybe_unused]] PluginAudioProcessor& pluginProcessor;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PluginProcessorEditor)
};
