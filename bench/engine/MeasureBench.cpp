#include "dsp/DelayEstimator.h"
#include "tests/support/ProcessMemory.h"
#include "engine/LatencyDetection.h"
#include "engine/Measurement.h"
#include "tests/support/TestSignals.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

namespace
{
// The whole `sonderlith measure --demo tanh --length 128k` minus process
// start: the device played, aligned, fitted, smoothed and described.
void measure128k (benchmark::State& state)
{
    MeasureOptions options;
    options.demo = DemoSettings {};
    options.length = 131072;
    options.algorithm = (MeasureAlgorithm) state.range (0);
    for (auto _ : state)
        benchmark::DoNotOptimize (measure (options));
}

void autoLatency10s (benchmark::State& state)
{
    DemoSettings settings;
    settings.pairs = 480000;
    settings.delaySamples = 1500.5;
    const auto capture = playDemoDevice (settings);
    for (auto _ : state)
        benchmark::DoNotOptimize (estimateDelay (capture.x, capture.y, 48000));
}

// Ten minutes at 48 kHz, 24-bit: X is noise, Y the noise through tanh,
// written a block at a time so the writer's memory stays small too.
juce::File longRecording (const char* name, bool output)
{
    const auto file = juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile (name);
    if (file.existsAsFile())
        return file;
    juce::WavAudioFormat wav;
    auto* stream = new juce::FileOutputStream (file);
    std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (stream, 48000.0, 1, 24, {}, 0));
    std::mt19937 random (5);
    std::normal_distribution<float> noise (0.0f, 0.25f);
    juce::AudioBuffer<float> block (1, 48000);
    for (int second = 0; second < 600; ++second)
    {
        for (int i = 0; i < block.getNumSamples(); ++i)
        {
            const auto x = juce::jlimit (-1.0f, 1.0f, noise (random));
            block.setSample (0, i, output ? std::tanh (2.0f * x) * 0.9f : x);
        }
        writer->writeFromAudioSampleBuffer (block, 0, block.getNumSamples());
    }
    return file;
}

// A ten-minute pair of files, every pair, the default estimator; peak
// resident memory while measuring is reported as a counter.
void measureTenMinuteFiles (benchmark::State& state)
{
    MeasureOptions options;
    options.xFile = longRecording ("sonderlith-bench-10min-x.wav", false);
    options.yFile = longRecording ("sonderlith-bench-10min-y.wav", true);
    double peak = 0.0;
    for (auto _ : state)
    {
        test::resetPeakResidentMemory();
        const auto outcome = measure (options);
        peak = std::max (peak, (double) test::peakResidentMemoryBytes());
        if (! outcome.ok)
            state.SkipWithError (outcome.error.toRawUTF8());
    }
    state.counters["peakMB"] = peak / 1.0e6;
}
} // namespace

// The plug-in's "Detect latency" on its longest capture: noise through tanh, Y 37.25 samples late.
void detectLatency128k (benchmark::State& state)
{
    const auto x = test::makeSignal (test::Signal::whiteNoise, 131072);
    auto y = test::delayedIdeally (x, 37.25);
    for (auto& v : y)
        v = std::tanh (3.0 * v);
    for (auto _ : state)
        benchmark::DoNotOptimize (detectLatency (x, y));
}

BENCHMARK (detectLatency128k)->Unit (benchmark::kMillisecond)->Iterations (5);
BENCHMARK (measure128k)->Arg (0)->Arg (1)->Arg (2)->ArgName ("auto/mean/odr")->Unit (benchmark::kMillisecond)->Iterations (5);
BENCHMARK (autoLatency10s)->Unit (benchmark::kMillisecond)->Iterations (5);
BENCHMARK (measureTenMinuteFiles)->Unit (benchmark::kMillisecond)->Iterations (2);
