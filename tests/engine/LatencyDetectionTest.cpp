#include "engine/LatencyDetection.h"

#include "tests/support/TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>

// What "Detect latency" does with a capture: sets the lag that undoes Y's
// delay, or changes nothing and says why.
namespace
{
std::vector<double> through (std::vector<double> x, double drive = 3.0)
{
    for (auto& v : x)
        v = std::tanh (drive * v);
    return x;
}
} // namespace

TEST (DetectLatency, setsTheLagThatUndoesTheDelay)
{
    const auto x = test::makeSignal (test::Signal::whiteNoise, 65536);
    struct Case
    {
        double delay, latencyX, latencyY;
        const char* message;
    };
    for (const auto& c : { Case { 37.25, 37.25, 0.0, "X LAG set to 37.25" }, Case { -12.5, 0.0, 12.5, "Y LAG set to 12.50" },
                           Case { 0.0, 0.0, 0.0, "X LAG set to 0.00" }, Case { 511.0, 511.0, 0.0, "X LAG set to 511.00" } })
    {
        SCOPED_TRACE (c.delay);
        const auto found = detectLatency (x, through (test::delayedIdeally (x, c.delay)));
        ASSERT_TRUE (found.apply) << found.message;
        EXPECT_NEAR (found.latencyX, c.latencyX, 0.05);
        EXPECT_NEAR (found.latencyY, c.latencyY, 0.05);
        EXPECT_TRUE (found.message.contains (c.message)) << found.message;
    }
}

TEST (DetectLatency, changesNothingWhenTheDelayCannotBeTaken)
{
    const auto noise = test::makeSignal (test::Signal::whiteNoise, 65536);
    const auto tone = test::makeSignal (test::Signal::sine, 65536);
    auto inverted = through (test::delayedIdeally (noise, 20.0));
    for (auto& v : inverted)
        v = -v;
    struct Case
    {
        const char* name;
        std::vector<double> x, y;
        const char* message;
    };
    const Case cases[] = {
        { "a steady tone", tone, through (test::delayedIdeally (tone, 37.0)), "play noise or music" },
        { "beyond the controls", noise, through (test::delayedIdeally (noise, 1500.0)), "The delay is 1500 samples, beyond the latency controls' 512: compensate it in the host" },
        { "an inverting device", noise, inverted, "flips polarity" },
        { "unrelated signals", noise, test::makeSignal (test::Signal::whiteNoise, 65536, 9), "play noise or music" },
        { "too short", std::vector<double> (40, 0.5), std::vector<double> (40, 0.5), "too short" },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto found = detectLatency (c.x, c.y);
        EXPECT_FALSE (found.apply);
        EXPECT_EQ (found.latencyX, 0.0);
        EXPECT_EQ (found.latencyY, 0.0);
        EXPECT_TRUE (found.message.contains (c.message)) << found.message;
    }
}
