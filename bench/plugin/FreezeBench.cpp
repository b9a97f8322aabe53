#include "dsp/CaptureAlignment.h"
#include "dsp/TransferFunctionEstimator.h"
#include "engine/CaptureJudgement.h"
#include "tests/support/TestSignals.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace
{
constexpr int pairs = 131072;

struct Capture
{
    std::vector<double> x, y;
};

// 128k pairs of a sine or white noise through tanh, as the ring holds them:
// the host's single-precision samples.
Capture captureOf (test::Signal material)
{
    Capture c { test::makeSignal (material, pairs, 1), {} };
    c.y.resize (c.x.size());
    for (size_t i = 0; i < c.x.size(); ++i)
    {
        c.x[i] = (float) c.x[i];
        c.y[i] = (float) std::tanh (3.0 * c.x[i]);
    }
    return c;
}

test::Signal materialOf (const benchmark::State& state) { return state.range (1) == 0 ? test::Signal::sine : test::Signal::whiteNoise; }

// The refit thread's whole job after a freeze, until the table can be
// published: align, fit and smooth, judge.
void freeze128k (benchmark::State& state)
{
    const auto algorithm = state.range (0) == 0 ? CaptureAlgorithm::Mean : CaptureAlgorithm::Auto;
    const auto capture = captureOf (materialOf (state));
    for (auto _ : state)
    {
        const auto aligned = alignCapture (capture.x, capture.y, pairs, 0.0, 0.0);
        const auto fit = estimateTransferFunction (aligned.x, aligned.y, 50, algorithm);
        benchmark::DoNotOptimize (judgeCapture (aligned.x, aligned.y, fit, algorithm != CaptureAlgorithm::Auto));
    }
}

// The verdict's own share of that job.
void verdict128k (benchmark::State& state)
{
    const auto algorithm = state.range (0) == 0 ? CaptureAlgorithm::Mean : CaptureAlgorithm::Auto;
    const auto capture = captureOf (materialOf (state));
    const auto fit = estimateTransferFunction (capture.x, capture.y, 50, algorithm);
    for (auto _ : state)
        benchmark::DoNotOptimize (judgeCapture (capture.x, capture.y, fit, algorithm != CaptureAlgorithm::Auto));
}
} // namespace

BENCHMARK (freeze128k)->ArgsProduct ({ { 0, 1 }, { 0, 1 } })->ArgNames ({ "mean/auto", "sine/noise" })->Unit (benchmark::kMillisecond);
BENCHMARK (verdict128k)->ArgsProduct ({ { 0, 1 }, { 0, 1 } })->ArgNames ({ "mean/auto", "sine/noise" })->Unit (benchmark::kMillisecond);
