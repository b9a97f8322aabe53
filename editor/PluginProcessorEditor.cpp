#include "editor/PluginProcessorEditor.h"

#include "plugin/PluginAudioProcessor.h"

PluginProcessorEditor::PluginProcessorEditor (PluginAudioProcessor& p)
    : juce::AudioProcessorEditor (p), pluginProcessor (p)
{
    setResizable (true, false);
    setResizeLimits (600, 400, 1600, 2000);
    setSize (700, 550);
}

PluginProcessorEditor::~PluginProcessorEditor() = default;

void PluginProcessorEditor::paint (juce::Graphics& g)
{
    g.fillAll (getLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId));
}

void PluginProcessorEditor::resized() {}
