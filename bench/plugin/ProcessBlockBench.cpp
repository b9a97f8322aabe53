#include "plugin/PluginAudioProcessor.h"

#include <benchmark/benchmark.h>

namespace
{
template <typename Sample>
void processBlock (benchmark::State& state)
{
    const auto blockSize = (int) state.range (0);
    const auto withSidechain = state.range (1) != 0;

    PluginAudioProcessor p;
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (juce::AudioChannelSet::stereo());
    layout.inputBuses.add (withSidechain ? juce::AudioChannelSet::stereo() : juce::AudioChannelSet::disabled());
    layout.outputBuses.add (juce::AudioChannelSet::stereo());
    p.setBusesLayout (layout);
    p.prepareToPlay (48000.0, blockSize);

    juce::AudioBuffer<Sample> buffer (p.getTotalNumInputChannels(), blockSize);
    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
        for (int i = 0; i < blockSize; ++i)
            buffer.setSample (ch, i, (Sample) std::sin (0.01 * i + ch));
    juce::MidiBuffer midi;

    for (auto _ : state)
    {
        p.processBlock (buffer, midi);
        benchmark::ClobberMemory();
    }

    state.SetItemsProcessed (state.iterations() * blockSize);
    // An inverted rate is the time per counted sample, printed with its unit
    // ("0.86ns"). (Scaling the counter afterwards would make it a plain
    // number and drop the rate.)
    state.counters["time/sample"] = benchmark::Counter ((double) state.iterations() * blockSize,
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void readWholeRing (benchmark::State& state)
{
    CaptureRing ring;
    std::vector<double> x (CaptureRing::capacity), y (CaptureRing::capacity);
    ring.pushPairs (x.data(), y.data(), CaptureRing::capacity);
    for (auto _ : state)
    {
        ring.readLatest (x.data(), y.data(), CaptureRing::capacity);
        benchmark::DoNotOptimize (x.data());
        benchmark::DoNotOptimize (y.data());
    }
}
} // namespace

BENCHMARK (processBlock<float>)->ArgsProduct ({ { 64, 512, 4096 }, { 1, 0 } })->ArgNames ({ "block", "sidechain" });
BENCHMARK (processBlock<double>)->ArgsProduct ({ { 64, 512, 4096 }, { 1, 0 } })->ArgNames ({ "block", "sidechain" });
BENCHMARK (readWholeRing)->Unit (benchmark::kMicrosecond);
