#include "dsp/HarmonicAnalysis.h"
#include "tests/support/TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>

// A cubic's harmonics are known exactly: x + a x^3 of A sin gives
// (A + 3aA^3/4) sin - (aA^3/4) sin 3wt and nothing else.
TEST (HarmonicAnalysis, cubicCurveHasItsAnalyticHarmonics)
{
    constexpr double rate = 48000.0, a = 0.2;
    for (const auto amplitude : { 1.0, 0.5 })
    {
        auto x = test::makeSignal (test::Signal::sine, 1 << 16, 1);
        for (auto& v : x)
            v *= amplitude;
        std::vector<double> y (x.size());
        for (size_t i = 0; i < x.size(); ++i)
            y[i] = x[i] + a * x[i] * x[i] * x[i];

        const auto f0 = steadyToneFrequency (x, rate);
        ASSERT_TRUE (f0.has_value());
        EXPECT_NEAR (*f0, 997.0, 0.01);
        const auto db = relativeToFundamentalDb (harmonicAmplitudes (y, *f0, rate, 9));
        const auto cube = a * std::pow (amplitude, 3.0);
        EXPECT_NEAR (db[0], 0.0, 1e-12);
        EXPECT_NEAR (db[2], 20.0 * std::log10 ((cube / 4.0) / (amplitude + 3.0 * cube / 4.0)), 0.01) << amplitude;
        for (const auto k : { 1, 3, 4, 5, 6, 7, 8 })
            EXPECT_LT (db[(size_t) k], -100.0) << "H" << k + 1;
    }
}

TEST (HarmonicAnalysis, onlySteadyTonesHaveAFundamental)
{
    EXPECT_FALSE (steadyToneFrequency (test::makeSignal (test::Signal::whiteNoise, 1 << 16, 1), 48000.0).has_value());
    EXPECT_FALSE (steadyToneFrequency (test::makeSignal (test::Signal::speechLike, 1 << 16, 1), 48000.0).has_value());
    EXPECT_FALSE (steadyToneFrequency (std::vector<double> (100, 0.5), 48000.0).has_value()) << "too short";
    std::vector<double> slow (1024);
    for (size_t n = 0; n < slow.size(); ++n)
        slow[n] = std::sin (2.0 * 3.14159265358979 * 20.0 * (double) n / 48000.0);
    EXPECT_FALSE (steadyToneFrequency (slow, 48000.0).has_value()) << "20 Hz: under half a period in 1024 samples";
    EXPECT_EQ (relativeToFundamentalDb ({ 0.0, 0.1 }), (std::vector<double> { -240.0, -240.0 })) << "no fundamental";
}
