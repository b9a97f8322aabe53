#include "bench/support/MemoryTracking.h"
#include "dsp/Smoothing.h"
#include "dsp/TransferFunctionEstimator.h"
#include "tests/dsp/ReferenceEstimator.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace
{
struct Capture
{
    std::vector<double> x, y;
};

// A full-scale sine at 48 kHz through tanh(3x), already peak-normalised.
Capture tanhCapture (int pairs, double frequency)
{
    Capture c;
    for (int i = 0; i < pairs; ++i)
    {
        c.x.push_back (std::sin (2.0 * M_PI * frequency / 48000.0 * i));
        c.y.push_back (std::tanh (3.0 * c.x.back()));
    }
    c.x = normaliseToPeak (c.x);
    c.y = normaliseToPeak (c.y);
    return c;
}

template <typename Fit>
void runFit (benchmark::State& state, Fit&& fit)
{
    const auto c = tanhCapture ((int) state.range (0), (double) state.range (1));
    bench::PeakMemory peak;
    for (auto _ : state)
        benchmark::DoNotOptimize (fit (c));
    state.counters["peakExtraMB"] = peak.extraMegabytes();
}

void mean (benchmark::State& s) { runFit (s, [] (const Capture& c) { return estimateTransferFunction (c.x, c.y, 50, CaptureAlgorithm::Mean); }); }
void odr (benchmark::State& s) { runFit (s, [] (const Capture& c) { return estimateTransferFunction (c.x, c.y, 50, CaptureAlgorithm::ODR); }); }
void literalMean (benchmark::State& s) { runFit (s, [] (const Capture& c) { return reference::meanGrid (c.x, c.y); }); }
void literalOdr (benchmark::State& s) { runFit (s, [] (const Capture& c) { return reference::odrGrid (c.x, c.y); }); }

void smoothing (benchmark::State& state)
{
    const auto c = tanhCapture (16384, 997.0);
    for (auto _ : state)
        benchmark::DoNotOptimize (smoothTransferFunction (c.y, 100));
}

const std::vector<std::vector<int64_t>> sizes { { 16384, 65536, 131072 }, { 997, 50 } };
} // namespace

BENCHMARK (mean)->ArgsProduct (sizes)->ArgNames ({ "pairs", "Hz" })->Unit (benchmark::kMillisecond)->UseRealTime();
BENCHMARK (odr)->ArgsProduct (sizes)->ArgNames ({ "pairs", "Hz" })->Unit (benchmark::kMillisecond)->UseRealTime();
BENCHMARK (smoothing)->Unit (benchmark::kMillisecond);
// The literal reading, for comparison: seconds per run, so one iteration each.
BENCHMARK (literalMean)->ArgsProduct (sizes)->ArgNames ({ "pairs", "Hz" })->Unit (benchmark::kMillisecond)->Iterations (1)->UseRealTime();
BENCHMARK (literalOdr)->ArgsProduct (sizes)->ArgNames ({ "pairs", "Hz" })->Unit (benchmark::kMillisecond)->Iterations (1)->UseRealTime();
