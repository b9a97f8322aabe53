#include "dsp/DelayEstimator.h"
#include "tests/support/TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

namespace
{
constexpr double pi = 3.14159265358979323846;

// y[n] = f(x(n - delay)), the delay made as an ideal wire makes it.
std::vector<double> delayedThrough (const std::vector<double>& x, double delay, const std::function<double (double)>& f)
{
    auto y = test::delayedIdeally (x, delay);
    for (auto& v : y)
        v = f (v);
    return y;
}

std::vector<double> withSilenceAround (const std::vector<double>& burst, size_t before, size_t after, double floorLevel = 0.0)
{
    std::mt19937 random (7);
    std::normal_distribution<double> white;
    std::vector<double> out (before + burst.size() + after);
    for (auto& v : out)
        v = floorLevel * white (random);
    for (size_t i = 0; i < burst.size(); ++i)
        out[before + i] += burst[i];
    return out;
}

// A 997 Hz tone rising from -40 dBFS to full scale, evenly in dB.
std::vector<double> levelSweep (size_t length)
{
    std::vector<double> out (length);
    for (size_t n = 0; n < length; ++n)
        out[n] = std::pow (10.0, -2.0 * (1.0 - (double) n / (double) length)) * std::sin (2.0 * pi * 997.0 * (double) n / 48000.0);
    return out;
}

// How much of Y's variance no function of X explains at a whole delay,
// by the scatter about the mean in 512 X bins.
double unexplainedAt (const std::vector<double>& x, const std::vector<double>& y, int delay)
{
    std::vector<double> n (512), s (512), ss (512);
    double all = 0.0, allS = 0.0, allSs = 0.0;
    for (size_t i = 0; i < y.size(); ++i)
    {
        const auto k = (long) i - delay;
        if (k < 0 || k >= (long) x.size())
            continue;
        const auto b = (size_t) std::clamp ((int) ((x[(size_t) k] + 1.0) * 256.0), 0, 511);
        n[b] += 1.0, s[b] += y[i], ss[b] += y[i] * y[i];
        all += 1.0, allS += y[i], allSs += y[i] * y[i];
    }
    double scatter = 0.0;
    for (size_t b = 0; b < 512; ++b)
        if (n[b] > 0.0)
            scatter += ss[b] - s[b] * s[b] / n[b];
    return scatter / (allSs - allS * allS / all);
}
} // namespace

// Delays far beyond the plug-in's 512-sample latencies, whole and
// fractional, on broadband material of every kind, through curves that rise,
// fall (an inverting stage) and fold, and on material a recording may hold:
// one burst in silence, a long silent lead-in, a noise floor.
TEST (DelayEstimator, findsDelaysOnBroadbandMaterial)
{
    const auto& curves = test::staticCurves();
    const auto inverting = [] (double v) { return -std::tanh (2.0 * v) - 0.2 * v * v; };
    const auto noise = test::makeSignal (test::Signal::whiteNoise, 1 << 18, 4);
    const auto burst = test::makeSignal (test::Signal::whiteNoise, 5000, 5);
    struct Case
    {
        const char* name;
        std::vector<double> x;
        std::function<double (double)> curve;
        std::vector<double> delays;
        bool inverted = false;
    };
    const std::vector<Case> cases {
        { "white noise, asymmetric", noise, curves[2].f, { 0.0, 7.25, 600.0, 1500.0, 5000.0, -300.5 } },
        { "speech-like, asymmetric", test::makeSignal (test::Signal::speechLike, 1 << 18, 4), curves[2].f, { 0.0, 7.25, 1500.0, -300.5 } },
        { "white noise, fractions", noise, curves[0].f, { 0.1, 0.25, 0.5, 0.75, 0.9, 37.3 } },
        { "pink noise, fractions", test::makeSignal (test::Signal::pinkNoise, 1 << 18, 4), curves[1].f, { 0.1, 0.5, 0.9, -12.75 } },
        { "white noise, inverting", noise, inverting, { 37.3, -5.5 }, true },
        { "drum-like, fold-back", test::makeSignal (test::Signal::drumLike, 1 << 18, 4), curves[3].f, { 37.0, 0.4 } },
        { "one burst in silence", withSilenceAround (burst, 130000, 130000), curves[0].f, { 300.0, 5000.0 } },
        { "1.5 s of silence first", withSilenceAround (noise, 72000, 0), curves[0].f, { 37.3 } },
        { "a -100 dBFS floor first", withSilenceAround (noise, 72000, 0, 1.0e-5), curves[0].f, { 37.3 } },
    };
    for (const auto& c : cases)
        for (const auto delay : c.delays)
        {
            const auto y = delayedThrough (c.x, delay, c.curve);
            const auto estimate = estimateDelay (c.x, y, 48000);
            const auto label = std::string (c.name) + ", delay " + std::to_string (delay);
            ASSERT_TRUE (estimate.found) << label;
            EXPECT_NEAR (estimate.samples, delay, 0.02) << label;
            EXPECT_GE (estimate.confidence, lowDelayConfidence) << label;
            EXPECT_FALSE (estimate.period.has_value()) << label;
            EXPECT_EQ (estimate.inverted, c.inverted) << label;
            EXPECT_LT (estimate.unexplained, 1.0e-3) << label;
        }
}

// A steady tone fits as well one period further: the genuine alias nearest
// zero is taken (the period need not be a whole number of samples), the
// period is reported and, the curve being the same at every alias, nothing
// depends on the choice but the polarity, which a tone cannot tell.
TEST (DelayEstimator, steadyToneTakesTheAliasNearestZero)
{
    const auto x = test::makeSignal (test::Signal::sine, 1 << 17, 1); // 997 Hz at 48 kHz
    const auto period = 48000.0 / 997.0;
    for (const auto delay : { 600.0, 20000.0 })
    {
        const auto y = delayedThrough (x, delay, [] (double v) { return std::tanh (2.0 * v); });
        const auto estimate = estimateDelay (x, y, 48000);
        ASSERT_TRUE (estimate.found);
        ASSERT_TRUE (estimate.period.has_value());
        EXPECT_NEAR (*estimate.period, period, 0.1);
        EXPECT_NEAR (estimate.samples, std::remainder (delay, period), 0.05) << delay;
        EXPECT_FALSE (estimate.curveDependsOnAlias);
        EXPECT_FALSE (estimate.inverted);
        EXPECT_TRUE (estimate.polarityUncertain) << "inverted X fits as well half a period on";
    }
}

// A level sweep is ambiguous in a way that matters: delays a period apart fit
// as well but give different curves (stretched by the change of level between
// them), and the estimate must say so unless it found the true delay.
TEST (DelayEstimator, ambiguityThatChangesTheCurveIsReported)
{
    const auto& asymmetric = test::staticCurves()[2].f;
    struct Case
    {
        const char* name;
        std::vector<double> x;
        double delay;
    };
    const auto tone = test::makeSignal (test::Signal::sine, 1 << 17, 1);
    const auto period = 48000.0 / 997.0;
    const auto toneEstimate = estimateDelay (tone, delayedThrough (tone, 300.0, asymmetric), 48000);
    EXPECT_NEAR (toneEstimate.samples, std::remainder (300.0, period), 0.05) << "an alias that keeps the polarity";
    EXPECT_FALSE (toneEstimate.curveDependsOnAlias) << "a steady tone gives the same curve a period on";
    EXPECT_TRUE (toneEstimate.polarityUncertain);

    const std::vector<Case> cases {
        { "level sweep", levelSweep (1 << 18), 300.0 },
        { "level sweep far", levelSweep (1 << 18), 20000.0 },
    };
    for (const auto& c : cases)
    {
        const auto estimate = estimateDelay (c.x, delayedThrough (c.x, c.delay, asymmetric), 48000);
        ASSERT_TRUE (estimate.found) << c.name;
        if (std::abs (estimate.samples - c.delay) > 0.05)
            EXPECT_TRUE (estimate.curveDependsOnAlias) << c.name << ": took " << estimate.samples;
    }
}

// A device with memory (two paths, one 343 samples late) correlates at both
// lags; the delay taken must fit at least as well as either, never worse
// than taking no delay at all.
TEST (DelayEstimator, deviceWithMemoryNeverGetsAWorseFitThanZero)
{
    const auto x = test::makeSignal (test::Signal::whiteNoise, 1 << 18, 3);
    const auto late = test::delayed (x, 343);
    for (const auto lateShare : { 0.6, 1.0, 1.4 })
    {
        std::vector<double> y (x.size());
        for (size_t i = 0; i < y.size(); ++i)
            y[i] = std::tanh (2.0 * (x[i] + lateShare * late[i]));
        const auto estimate = estimateDelay (x, y, 48000);
        ASSERT_TRUE (estimate.found);
        const auto best = std::min (unexplainedAt (x, y, 0), unexplainedAt (x, y, 343));
        EXPECT_LE (estimate.unexplained, best + 0.02) << lateShare << ": took " << estimate.samples;
    }
}

// Y unrelated to X, silence, too little material, a denormal X: no delay is
// claimed with confidence; a bad sample counts as silence.
TEST (DelayEstimator, noClearPeakIsReported)
{
    const auto x = test::makeSignal (test::Signal::whiteNoise, 1 << 16, 1);
    const auto unrelated = test::makeSignal (test::Signal::whiteNoise, 1 << 16, 2);
    const auto guess = estimateDelay (x, unrelated, 4800);
    EXPECT_TRUE (! guess.found || guess.confidence < lowDelayConfidence);
    EXPECT_FALSE (estimateDelay (x, std::vector<double> (x.size(), 0.0), 4800).found);
    EXPECT_FALSE (estimateDelay ({ 1.0, 2.0 }, { 1.0, 2.0 }, 4800).found);
    EXPECT_EQ (estimateDelay (x, x, 48000).maximumLag, (int) x.size() / 2) << "the searched range is what was searched";

    auto withBad = x;
    withBad[5] = std::nan ("");
    const auto estimate = estimateDelay (withBad, delayedThrough (x, 9.0, [] (double v) { return v; }), 4800);
    ASSERT_TRUE (estimate.found);
    EXPECT_NEAR (estimate.samples, 9.0, 0.02);
}

// The verdict's quick probe on a capture's worth of pairs: a misalignment is
// told from none on any material, to about a tenth of a sample; a tone's
// nearest alias is taken; an unrelated or silent Y claims nothing.
TEST (DelayEstimator, probeTellsAMisalignmentFromNone)
{
    const auto& curves = test::staticCurves();
    const auto inverting = [] (double v) { return -std::tanh (2.0 * v); };
    constexpr size_t capture = 1 << 17, span = 1 << 16;
    const auto noise = test::makeSignal (test::Signal::whiteNoise, capture, 4);
    const auto drums = test::makeSignal (test::Signal::drumLike, capture, 4);
    const auto tone = test::makeSignal (test::Signal::sine, capture, 1); // 997 Hz at 48 kHz
    struct Case
    {
        const char* name;
        std::vector<double> x;
        std::function<double (double)> curve;
        double delay, expected;
        bool inverted = false;
    };
    const std::vector<Case> cases {
        { "noise, aligned", noise, curves[0].f, 0.0, 0.0 },
        { "noise, Y 37.25 late", noise, curves[0].f, 37.25, 37.25 },
        { "noise, Y 12.5 early", noise, curves[2].f, -12.5, -12.5 },
        { "noise, a quarter sample", noise, curves[0].f, 0.25, 0.25 },
        { "noise, inverting, Y 300 late", noise, inverting, 300.0, 300.0, true },
        { "drums, fold-back, Y 37 late", drums, curves[3].f, 37.0, 37.0 },
        { "tone, Y 600 late", tone, curves[0].f, 600.0, std::remainder (600.0, 48000.0 / 997.0) },
    };
    for (const auto& c : cases)
    {
        const auto probe = probeDelay (c.x, delayedThrough (c.x, c.delay, c.curve), 2048, span);
        ASSERT_TRUE (probe.found) << c.name;
        EXPECT_NEAR (probe.samples, c.expected, 0.15) << c.name;
        EXPECT_GE (probe.confidence, lowDelayConfidence) << c.name;
        EXPECT_EQ (probe.inverted, c.inverted) << c.name;
    }
    const auto unrelated = probeDelay (noise, test::makeSignal (test::Signal::whiteNoise, capture, 9), 2048, span);
    EXPECT_TRUE (! unrelated.found || unrelated.confidence < lowDelayConfidence);
    EXPECT_FALSE (probeDelay (noise, std::vector<double> (capture, 0.0), 2048, span).found);
    EXPECT_EQ (probeDelay (noise, noise, 48000, span).maximumLag, (int) span / 2) << "clipped to half the stretch";
}
