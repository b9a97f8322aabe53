#include "tests/support/TanhDevice.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace test
{
namespace
{
constexpr int blockSize = 512;

// One block of the device; the phase runs on per caller.
void playBlock (PluginAudioProcessor& p, juce::AudioBuffer<float>& buffer, long long& phase, bool withSidechain)
{
    juce::MidiBuffer midi;
    for (int i = 0; i < blockSize; ++i, ++phase)
    {
        const auto x = (float) std::sin (2.0 * M_PI * 997.0 / 48000.0 * (double) phase);
        buffer.setSample (0, i, std::tanh (3.0f * x));
        buffer.setSample (1, i, std::tanh (3.0f * x));
        if (withSidechain && buffer.getNumChannels() >= 4)
        {
            buffer.setSample (2, i, x);
            buffer.setSample (3, i, x);
        }
    }
    p.processBlock (buffer, midi);
}
} // namespace

void playThroughTanh (PluginAudioProcessor& p, int pairs, bool withSidechain)
{
    juce::AudioBuffer<float> buffer (juce::jmax (2, p.getTotalNumInputChannels()), blockSize);
    static long long phase = 0;
    for (int done = 0; done < pairs; done += blockSize)
        playBlock (p, buffer, phase, withSidechain);
}

void playThrough (PluginAudioProcessor& p, const std::vector<double>& x, const std::function<double (double)>& device)
{
    std::vector<double> y (x.size());
    std::transform (x.begin(), x.end(), y.begin(), device);
    playPairs (p, x, y);
}

void playPairs (PluginAudioProcessor& p, const std::vector<double>& x, const std::vector<double>& y)
{
    juce::AudioBuffer<float> buffer (juce::jmax (4, p.getTotalNumInputChannels()), blockSize);
    juce::MidiBuffer midi;
    for (size_t start = 0; start + blockSize <= std::min (x.size(), y.size()); start += blockSize)
    {
        for (int i = 0; i < blockSize; ++i)
            for (int c = 0; c < 2; ++c)
            {
                buffer.setSample (c, i, (float) y[start + (size_t) i]);
                buffer.setSample (c + 2, i, (float) x[start + (size_t) i]);
            }
        p.processBlock (buffer, midi);
    }
}

HostAudioThread::HostAudioThread (PluginAudioProcessor& p, bool withSidechain, bool realTime)
    : thread ([this, &p, withSidechain, realTime]
              {
                  juce::AudioBuffer<float> buffer (juce::jmax (2, p.getTotalNumInputChannels()), blockSize);
                  long long phase = 0;
                  auto next = std::chrono::steady_clock::now();
                  while (running.load())
                  {
                      playBlock (p, buffer, phase, withSidechain);
                      if (realTime)
                      {
                          next += std::chrono::microseconds (blockSize * 1000000LL / 48000);
                          std::this_thread::sleep_until (next);
                      }
                  }
              })
{
}

HostAudioThread::~HostAudioThread()
{
    running = false;
    thread.join();
}
} // namespace test
