#include "plugin/PluginAudioProcessor.h"
#include "tests/support/AllocationCounter.h"
#include "tests/support/ProcessorHarness.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
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

namespace
{
void* volatile escape = nullptr; // keeps the compiler from eliding planted allocations
} // namespace

// The counter must see what the audio thread could do wrong: a buffer that
// grows inside the measured call allocates through malloc, calloc or realloc
// (the toolkit's HeapBlock), not through operator new.
TEST (ProcessBlockRealtime, theCounterSeesEveryKindOfAllocation)
{
    struct Planted
    {
        const char* name;
        std::function<void()> allocate;
    };
    const std::vector<Planted> planted {
        { "audio buffer growth", [] { juce::AudioBuffer<float> b (2, 16); b.setSize (2, 4096, true); escape = b.getWritePointer (0); } },
        { "cleared audio buffer", [] { juce::AudioBuffer<double> b (2, 4096); escape = b.getWritePointer (0); } },
        { "heap block realloc", [] { juce::HeapBlock<float> h (16); h.realloc (100000); escape = h.get(); } },
        { "heap block calloc", [] { juce::HeapBlock<float> h (4096, true); escape = h.get(); } },
        { "malloc", [] { void* p = std::malloc (64); escape = p; std::free (p); } },
        { "operator new", [] { auto* p = new int (1); escape = p; delete p; } },
        { "vector", [] { std::vector<double> v (1000); escape = v.data(); } },
    };
    for (const auto& p : planted)
    {
        std::int64_t allocations = 0;
        {
            test::ScopedAllocationCounter counter;
            p.allocate();
            allocations = counter.count();
        }
        EXPECT_GT (allocations, 0) << p.name;
    }
}
