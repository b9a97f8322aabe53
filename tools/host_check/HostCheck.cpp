#include "tools/host_check/HostCheck.h"

#include "dsp/DemoDevice.h"

#include <thread>

StreamCheck streamDemoDevice (juce::AudioPluginInstance& plugin, double seconds, double sampleRate, int blockSize)
{
    StreamCheck check;
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (juce::AudioChannelSet::stereo());
    layout.inputBuses.add (juce::AudioChannelSet::stereo());
    layout.outputBuses.add (juce::AudioChannelSet::stereo());
    if (plugin.getBusCount (true) < 2 || ! plugin.setBusesLayout (layout))
    {
        check.problem = "the plug-in refused a stereo layout with a stereo sidechain";
        return check;
    }
    check.sidechainActive = plugin.getBus (true, 1) != nullptr && plugin.getBus (true, 1)->isEnabled()
                            && plugin.getTotalNumInputChannels() == 4;

    DemoSettings device;
    device.sampleRate = sampleRate;
    device.pairs = (int) (seconds * sampleRate);
    const auto capture = playDemoDevice (device);

    plugin.setRateAndBufferSizeDetails (sampleRate, blockSize);
    plugin.prepareToPlay (sampleRate, blockSize);

    // The audio thread: blocks in order, each compared with what went in.
    std::thread audio ([&]
                       {
                           juce::AudioBuffer<float> buffer (4, blockSize);
                           juce::MidiBuffer midi;
                           check.passedThrough = true;
                           for (int start = 0; start + blockSize <= (int) capture.x.size() && check.passedThrough; start += blockSize)
                           {
                               for (int i = 0; i < blockSize; ++i)
                               {
                                   const auto y = (float) capture.y[(size_t) (start + i)], x = (float) capture.x[(size_t) (start + i)];
                                   buffer.setSample (0, i, y);
                                   buffer.setSample (1, i, y);
                                   buffer.setSample (2, i, x);
                                   buffer.setSample (3, i, x);
                               }
                               plugin.processBlock (buffer, midi);
                               for (int i = 0; i < blockSize && check.passedThrough; ++i)
                                   for (int channel = 0; channel < 2; ++channel)
                                       if (buffer.getSample (channel, i) != (float) capture.y[(size_t) (start + i)])
                                       {
                                           check.passedThrough = false;
                                           check.problem = "output differs from the main input at sample " + juce::String (start + i);
                                       }
                               check.samples += blockSize;
                           }
                       });
    audio.join();
    plugin.releaseResources();
    return check;
}
