#include "dsp/RecordingEstimator.h"
#include "tests/support/TestSignals.h"

#include <benchmark/benchmark.h>

namespace
{
// 128k pairs of white noise through tanh, normalised, fitted and smoothed:
// the job bench/tools/binned_mean_reference.py times for NumPy.
void recordingEstimator128k (benchmark::State& state)
{
    const auto x = test::makeSignal (test::Signal::whiteNoise, 131072, 1);
    std::vector<double> y (x.size());
    for (size_t i = 0; i < x.size(); ++i)
        y[i] = test::staticCurves()[0].f (x[i]);
    for (auto _ : state)
        benchmark::DoNotOptimize (estimateRecording (x, y, 50));
}
} // namespace

BENCHMARK (recordingEstimator128k)->Unit (benchmark::kMillisecond);
