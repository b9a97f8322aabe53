#include "plugin/PluginAudioProcessor.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/ProcessorHarness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace
{
// Random audio including denormals and signed zeros: the pass-through must keep
// every bit.
template <typename Sample>
void fillAwkwardAudio (juce::AudioBuffer<Sample>& buffer, std::mt19937& rng)
{
    std::uniform_real_distribution<double> dist (-1.5, 1.5);
    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
        {
            Sample v = (Sample) dist (rng);
            if (i % 17 == 0)
                v = std::numeric_limits<Sample>::denorm_min() * (Sample) (i + 1);
            if (i % 29 == 0)
                v = (Sample) -0.0;
            buffer.setSample (ch, i, v);
        }
}

template <typename Sample>
void expectRealtimeSafePassThrough (test::Sidechain sidechain, int blockSize,
                                    const juce::AudioChannelSet& main = juce::AudioChannelSet::stereo())
{
    PluginAudioProcessor p;
    test::prepareProcessor (p, sidechain, blockSize, main);

    std::mt19937 rng (42);
    juce::AudioBuffer<Sample> buffer (p.getTotalNumInputChannels(), blockSize);
    juce::MidiBuffer midi;

    for (int block = 0; block < 8; ++block)
    {
        fillAwkwardAudio (buffer, rng);
        const auto original = buffer;

        std::int64_t allocations = 0;
        {
            test::ScopedAllocationCounter counter;
            p.processBlock (buffer, midi);
            allocations = counter.count();
        }

        EXPECT_EQ (allocations, 0);
        for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
            ASSERT_EQ (0, std::memcmp (buffer.getReadPointer (ch), original.getReadPointer (ch), sizeof (Sample) * (size_t) blockSize));
    }
}
} // namespace

TEST (ProcessBlockRealtime, allocatesNothingAndPassesAudioBitExact)
{
    for (auto sidechain : { test::Sidechain::present, test::Sidechain::absent })
        for (int blockSize : { 1, 64, 512, 4096 })
        {
            SCOPED_TRACE (testing::Message() << "block " << blockSize << (sidechain == test::Sidechain::present ? " with" : " without") << " sidechain");
            expectRealtimeSafePassThrough<float> (sidechain, blockSize);
            expectRealtimeSafePassThrough<double> (sidechain, blockSize);
            expectRealtimeSafePassThrough<float> (sidechain, blockSize, juce::AudioChannelSet::mono());
        }
}

TEST (ProcessBlockRealtime, smallerBlocksThanAnnouncedDoNotAllocate)
{
    PluginAudioProcessor p;
    test::prepareProcessor (p, test::Sidechain::present, 512);
    juce::AudioBuffer<float> buffer (4, 100);
    buffer.clear();
    juce::MidiBuffer midi;

    test::ScopedAllocationCounter counter;
    p.processBlock (buffer, midi);
    EXPECT_EQ (counter.count(), 0);
}
