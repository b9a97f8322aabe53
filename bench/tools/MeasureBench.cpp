#include "tools/measurement/DelayEstimate.h"
#include "tools/measurement/Measurement.h"

#include <benchmark/benchmark.h>

namespace
{
// The whole `sonderlith measure --demo tanh --length 128k` minus process
// start: the device played, aligned, fitted, smoothed and described.
void measure128k (benchmark::State& state)
{
    MeasureOptions options;
    options.demo = DemoSettings {};
    options.length = 131072;
    options.algorithm = state.range (0) == 0 ? CaptureAlgorithm::Mean : CaptureAlgorithm::ODR;
    for (auto _ : state)
        benchmark::DoNotOptimize (measure (options));
}

void autoLatency10s (benchmark::State& state)
{
    DemoSettings settings;
    settings.pairs = 480000;
    settings.delaySamples = 3.5;
    const auto capture = playDemoDevice (settings);
    for (auto _ : state)
        benchmark::DoNotOptimize (estimateDelay (capture.x, capture.y));
}
} // namespace

BENCHMARK (measure128k)->Arg (0)->Arg (1)->ArgName ("odr")->Unit (benchmark::kMillisecond)->Iterations (5);
BENCHMARK (autoLatency10s)->Unit (benchmark::kMillisecond)->Iterations (5);
