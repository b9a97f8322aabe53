#include "tests/support/ProcessorHarness.h"

namespace test
{
void prepareProcessor (PluginAudioProcessor& processor, Sidechain sidechain, int blockSize,
                       const juce::AudioChannelSet& main)
{
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (main);
    layout.inputBuses.add (sidechain == Sidechain::absent ? juce::AudioChannelSet::disabled()
                                                          : juce::AudioChannelSet::stereo());
    layout.outputBuses.add (main);

    if (! processor.setBusesLayout (layout))
        throw std::runtime_error ("layout refused");

    processor.setRateAndBufferSizeDetails (48000.0, blockSize);
    processor.prepareToPlay (48000.0, blockSize);
}

void setParameter (PluginAudioProcessor& processor, const juce::String& id, float plainValue)
{
    auto* parameter = processor.parameters.getParameter (id);
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (plainValue));
}

float getParameter (PluginAudioProcessor& processor, const juce::String& id)
{
    return processor.parameters.getRawParameterValue (id)->load();
}
} // namespace test
