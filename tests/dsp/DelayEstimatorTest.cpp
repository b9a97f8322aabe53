#include "dsp/DelayEstimator.h"
#include "dsp/FractionalShift.h"
#include "tests/support/TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
// y[n] = f(x(n - delay)), the fraction by the same interpolation the command aligns with.
std::vector<double> delayedThrough (const std::vector<double>& x, double delay, const std::function<double (double)>& f)
{
    const auto whole = (long) std::floor (delay);
    const auto fraction = delay - (double) whole;
    auto shifted = fraction > 0.0 ? fractionalShift (x, 1.0 - fraction) : x;
    const auto extra = fraction > 0.0 ? 1 : 0;
    std::vector<double> y (x.size(), 0.0);
    for (long n = 0; n < (long) x.size(); ++n)
    {
        const auto k = n - whole - extra;
        if (k >= 0 && k < (long) x.size())
            y[(size_t) n] = f (shifted[(size_t) k]);
    }
    return y;
}
} // namespace

// Delays far beyond the plug-in's 512-sample latencies, whole and
// fractional, on noise and on speech-like material, through a curve.
TEST (DelayEstimator, findsDelaysOfAnySize)
{
    const auto& curve = test::staticCurves()[2].f; // asymmetric: the ranks must cope
    for (const auto signal : { test::Signal::whiteNoise, test::Signal::speechLike })
    {
        const auto x = test::makeSignal (signal, 1 << 18, 4);
        for (const auto delay : { 0.0, 7.25, 600.0, 1500.0, 5000.0, -300.5 })
        {
            const auto y = delayedThrough (x, delay, curve);
            const auto estimate = estimateDelay (x, y, 48000);
            ASSERT_TRUE (estimate.found) << test::signalName (signal) << " " << delay;
            EXPECT_NEAR (estimate.samples, delay, 0.05) << test::signalName (signal);
            EXPECT_GE (estimate.confidence, lowDelayConfidence) << test::signalName (signal) << " " << delay;
            EXPECT_FALSE (estimate.period.has_value()) << test::signalName (signal) << " " << delay;
        }
    }
}

// A steady tone fits as well one period further: the candidate nearest
// zero is taken and the period is reported.
TEST (DelayEstimator, periodicToneIsAmbiguousByWholePeriods)
{
    const auto x = test::makeSignal (test::Signal::sine, 1 << 17, 1); // 997 Hz at 48 kHz
    const auto period = 48000.0 / 997.0;
    const auto y = delayedThrough (x, 600.0, [] (double v) { return std::tanh (2.0 * v); });
    const auto estimate = estimateDelay (x, y, 48000);
    ASSERT_TRUE (estimate.found);
    ASSERT_TRUE (estimate.period.has_value());
    EXPECT_NEAR (*estimate.period, period, 1.0);
    EXPECT_LE (std::abs (estimate.samples), period / 2.0 + 0.5) << "the candidate nearest zero";
    const auto periods = (600.0 - estimate.samples) / period;
    EXPECT_NEAR (periods, std::round (periods), 0.01) << "a whole number of periods from the true delay";
}

// Y unrelated to X, silence, or too little material: no delay is claimed
// with confidence.
TEST (DelayEstimator, noClearPeakIsReported)
{
    const auto x = test::makeSignal (test::Signal::whiteNoise, 1 << 16, 1);
    const auto unrelated = test::makeSignal (test::Signal::whiteNoise, 1 << 16, 2);
    const auto guess = estimateDelay (x, unrelated, 4800);
    EXPECT_TRUE (! guess.found || guess.confidence < lowDelayConfidence);
    EXPECT_FALSE (estimateDelay (x, std::vector<double> (x.size(), 0.0), 4800).found);
    EXPECT_FALSE (estimateDelay ({ 1.0, 2.0 }, { 1.0, 2.0 }, 4800).found);

    auto withBad = x;
    withBad[5] = std::nan ("");
    const auto estimate = estimateDelay (withBad, delayedThrough (x, 9.0, [] (double v) { return v; }), 4800);
    ASSERT_TRUE (estimate.found);
    EXPECT_NEAR (estimate.samples, 9.0, 0.05);
}
