#include "dsp/Smoothing.h"

#include <gtest/gtest.h>

#include <cmath>

TEST (Smoothing, savitzkyGolayCoefficients)
{
    struct Case
    {
        int window, order;
        std::vector<double> expected;
    };

    const Case cases[] = {
        { 5, 3, { -3.0 / 35, 12.0 / 35, 17.0 / 35, 12.0 / 35, -3.0 / 35 } },
        { 3, 2, { 0.0, 1.0, 0.0 } },
        { 5, 2, { -3.0 / 35, 12.0 / 35, 17.0 / 35, 12.0 / 35, -3.0 / 35 } },
        { 4, 2, {} },
        { 2, 1, {} },
        { 5, 5, {} },
        { 5, -1, {} },
    };

    for (const auto& c : cases)
    {
        const auto coeffs = savitzkyGolayCoefficients (c.window, c.order);
        ASSERT_EQ (coeffs.size(), c.expected.size()) << c.window << "/" << c.order;
        for (size_t i = 0; i < coeffs.size(); ++i)
            EXPECT_NEAR (coeffs[i], c.expected[i], 1e-12) << c.window << "/" << c.order << " at " << i;
    }

    double sum = 0;
    for (auto v : savitzkyGolayCoefficients (99, 3))
        sum += v;
    EXPECT_NEAR (sum, 1.0, 1e-9);
}

TEST (Smoothing, windowMapping)
{
    const std::pair<int, int> cases[] = { { 1, 0 }, { 0, 0 }, { 2, 3 }, { 3, 3 }, { 4, 5 }, { 5, 5 }, { 50, 51 }, { 98, 99 }, { 99, 99 }, { 100, 99 } };
    for (auto [s, w] : cases)
        EXPECT_EQ (smoothingWindowFor (s), w) << "s = " << s;
}

TEST (Smoothing, mirroredEdgesUseInnerSamplesWithoutRepeatingTheEnd)
{
    const std::vector<double> v { 1.0, 4.0, 2.0, 8.0, 3.0, 7.0, 5.0 };
    const auto c = savitzkyGolayCoefficients (5, 3);
    const auto out = savitzkyGolaySmooth (v, 5);
    // positions -2, -1 read v[2], v[1]; positions 7, 8 read v[5], v[4]
    EXPECT_NEAR (out[0], c[0] * v[2] + c[1] * v[1] + c[2] * v[0] + c[3] * v[1] + c[4] * v[2], 1e-12);
    EXPECT_NEAR (out[6], c[0] * v[4] + c[1] * v[5] + c[2] * v[6] + c[3] * v[5] + c[4] * v[4], 1e-12);
    EXPECT_EQ (savitzkyGolaySmooth ({ 1.0, 2.0 }, 5), (std::vector<double> { 1.0, 2.0 }));
}

TEST (Smoothing, lineSurvivesTheWindowAndHalfStepShiftMovesItHalfAStep)
{
    std::vector<double> line;
    for (int k = 0; k < 300; ++k)
        line.push_back (0.003 * k - 0.2);

    for (int window : { 3, 5, 51, 99 })
    {
        const auto smoothed = savitzkyGolaySmooth (line, window);
        for (int k = window / 2; k < 300 - window / 2; ++k)
            ASSERT_NEAR (smoothed[(size_t) k], line[(size_t) k], 1e-12) << "window " << window << " at " << k;
    }

    const auto shifted = halfStepShift (line);
    for (int k : { 0, 1, 298, 299 })
        EXPECT_EQ (shifted[(size_t) k], line[(size_t) k]);
    for (int k = 2; k <= 297; ++k)
        ASSERT_NEAR (shifted[(size_t) k], 0.003 * (k - 0.5) - 0.2, 1e-12);
}

TEST (Smoothing, smoothTransferFunctionNormalisesToPeakOne)
{
    std::vector<double> half (100);
    for (size_t k = 0; k < half.size(); ++k)
        half[k] = 0.5 * std::sin (0.05 * (double) k);

    for (int s : { 1, 2, 50, 100 })
    {
        const auto out = smoothTransferFunction (half, s);
        double peak = 0;
        for (auto v : out)
            peak = std::max (peak, std::abs (v));
        EXPECT_DOUBLE_EQ (peak, 1.0) << "s = " << s;
    }

    // s = 1: no window, but shifted and normalised.
    auto expected = halfStepShift (half);
    double peak = 0;
    for (auto v : expected)
        peak = std::max (peak, std::abs (v));
    const auto unsmoothed = smoothTransferFunction (half, 1);
    for (size_t k = 0; k < half.size(); ++k)
        EXPECT_DOUBLE_EQ (unsmoothed[k], expected[k] / peak);

    EXPECT_TRUE (smoothTransferFunction ({}, 50).empty());
    EXPECT_EQ (smoothTransferFunction (std::vector<double> (10, 0.0), 50), std::vector<double> (10, 0.0));
}
