#include "dsp/RecordingEstimator.h"
#include "dsp/TransferFunctionEstimator.h"
#include "tests/support/TestSignals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace
{
using test::Signal;

struct Capture
{
    std::vector<double> x, y;
    std::function<double (double)> truth; // the curve in the fit's normalised units
};

Capture through (const std::vector<double>& x, const std::function<double (double)>& f)
{
    Capture c { x, std::vector<double> (x.size()), {} };
    double xPeak = 0.0, yPeak = 0.0;
    for (size_t i = 0; i < x.size(); ++i)
    {
        c.y[i] = f (x[i]);
        xPeak = std::max (xPeak, std::abs (x[i]));
        yPeak = std::max (yPeak, std::abs (c.y[i]));
    }
    c.truth = [f, xPeak, yPeak] (double xn) { return f (xn * xPeak) / yPeak; };
    return c;
}

// Where the capture says something about the curve: within 1/1024 of full
// scale of a pair (a gap wider than that is bridged by a straight line).
std::vector<bool> nearData (const std::vector<double>& x)
{
    const auto xn = normaliseToPeak (x);
    std::vector<bool> cell (4096, false);
    for (const auto v : xn)
        cell[(size_t) std::clamp ((int) ((v + 1.0) * 2048.0), 0, 4095)] = true;
    std::vector<bool> near ((size_t) grid::size, false);
    for (int c = 0; c < grid::size; ++c)
    {
        const auto k = std::clamp ((int) ((grid::xAt (c) + 1.0) * 2048.0), 0, 4095);
        near[(size_t) c] = cell[(size_t) k] || (k > 0 && cell[(size_t) k - 1]) || (k < 4095 && cell[(size_t) k + 1]);
    }
    return near;
}

double largestGridError (const FitResult& fit, const Capture& c)
{
    const auto near = nearData (c.x);
    double largest = 0.0;
    for (int i = 0; i < grid::size; ++i)
        if (near[(size_t) i])
            largest = std::max (largest, std::abs (fit.bins[(size_t) i] - c.truth (grid::xAt (i))));
    return largest;
}

// The conditional mean people reach for: Y averaged in 257 equal X bins,
// each judged at its own mean X; the fit is judged at the same points.
struct BinnedComparison
{
    double binnedError = 0.0, fitError = 0.0;
};

BinnedComparison againstBinnedMean (const FitResult& fit, const Capture& c)
{
    const auto xn = normaliseToPeak (c.x), yn = normaliseToPeak (c.y);
    std::vector<double> sx (257), sy (257), n (257);
    for (size_t i = 0; i < xn.size(); ++i)
    {
        const auto b = (size_t) std::clamp ((int) ((xn[i] + 1.0) * 0.5 * 257), 0, 256);
        sx[b] += xn[i];
        sy[b] += yn[i];
        n[b] += 1.0;
    }
    BinnedComparison r;
    for (size_t b = 0; b < 257; ++b)
    {
        if (n[b] == 0.0)
            continue;
        const auto x = sx[b] / n[b];
        const auto position = (x + 1.0) * 0.5 * (grid::size - 1);
        const auto i = std::min ((size_t) position, (size_t) grid::size - 2);
        const auto fitted = fit.bins[i] + (fit.bins[i + 1] - fit.bins[i]) * (position - (double) i);
        r.binnedError = std::max (r.binnedError, std::abs (sy[b] / n[b] - c.truth (x)));
        r.fitError = std::max (r.fitError, std::abs (fitted - c.truth (x)));
    }
    return r;
}
} // namespace

// Noise-free devices on every kind of material: within 0.005 of full scale
// wherever the capture has data, and never worse than a 257-bin mean.
TEST (RecordingEstimator, accurateOnAnySignalThroughAnyCurve)
{
    for (const auto signal : { Signal::sine, Signal::whiteNoise, Signal::pinkNoise, Signal::speechLike, Signal::drumLike })
    {
        const auto x = test::makeSignal (signal, 131072, 3);
        for (const auto& curve : test::staticCurves())
        {
            const auto capture = through (x, curve.f);
            const auto fit = estimateRecording (capture.x, capture.y, 50);
            ASSERT_TRUE (fit.valid);
            const auto where = test::signalName (signal) + " through " + curve.name;
            EXPECT_LT (largestGridError (fit, capture), 0.005) << where;
            const auto binned = againstBinnedMean (fit, capture);
            EXPECT_LE (binned.fitError, binned.binnedError + 1.0e-6) << where << ": the 257-bin mean is off by " << binned.binnedError << ", the fit by " << binned.fitError;
        }
    }
}

// A backlash device swept by a sine: the table is the curve midway between
// its rising and falling branches, as the sweep averaging gives.
TEST (RecordingEstimator, hysteresisGivesTheCurveBetweenTheBranches)
{
    constexpr double width = 0.05;
    const auto x = test::makeSignal (Signal::sine, 131072, 3);
    const auto y = test::playHysteretic (x, width);
    const auto xPeak = *std::max_element (x.begin(), x.end());
    const auto yPeak = *std::max_element (y.begin(), y.end());
    // Near the turning points the falling branch holds until X has come back by twice the width.
    auto midway = [&] (double xn)
    {
        const auto v = xn * xPeak;
        const auto rising = std::tanh (2.0 * std::max (v - width, -xPeak + width));
        const auto falling = std::tanh (2.0 * std::min (v + width, xPeak - width));
        return 0.5 * (rising + falling) / yPeak;
    };
    const auto fit = estimateRecording (x, y, 50);
    const Capture capture { x, y, midway };
    EXPECT_LT (largestGridError (fit, capture), 0.005);
    const auto binned = againstBinnedMean (fit, capture);
    EXPECT_LE (binned.fitError, binned.binnedError + 1.0e-6);
}

// With noise on Y, a longer capture gives a better curve.
TEST (RecordingEstimator, errorShrinksAsANoisyCaptureGrows)
{
    auto rmsError = [] (size_t length)
    {
        const auto x = test::makeSignal (Signal::whiteNoise, length, 9);
        auto capture = through (x, test::staticCurves()[0].f);
        std::mt19937 random (11);
        std::normal_distribution<double> noise (0.0, 0.03);
        for (auto& v : capture.y)
            v += noise (random);
        const auto fit = estimateRecording (capture.x, capture.y, 1);
        const auto near = nearData (capture.x);
        // Y's peak grew with the noise; the fit's units follow it.
        const auto yPeak = std::abs (*std::max_element (capture.y.begin(), capture.y.end(), [] (double a, double b) { return std::abs (a) < std::abs (b); }));
        const auto scale = test::staticCurves()[0].f (*std::max_element (x.begin(), x.end())) / yPeak;
        double squares = 0.0;
        int count = 0;
        for (int c = 0; c < grid::size; ++c)
            if (near[(size_t) c] && std::abs (grid::xAt (c)) < 0.8)
            {
                const auto e = fit.bins[(size_t) c] - capture.truth (grid::xAt (c)) * scale;
                squares += e * e;
                ++count;
            }
        return std::sqrt (squares / count);
    };
    const auto small = rmsError (32768), large = rmsError (1 << 20);
    EXPECT_LT (large, 0.6 * small) << "32k pairs: " << small << ", 1M pairs: " << large;
    EXPECT_LT (large, 0.01);
}

// Pairs fed in blocks of any size give the same statistics as all at once;
// non-finite pairs are left out.
TEST (RecordingEstimator, blocksAndBadSamples)
{
    const auto x = test::makeSignal (Signal::pinkNoise, 20000, 2);
    const auto capture = through (x, test::staticCurves()[1].f);
    const auto xn = normaliseToPeak (capture.x), yn = normaliseToPeak (capture.y);
    RecordingStatistics whole, blocks;
    whole.add (xn.data(), yn.data(), xn.size());
    for (size_t i = 0; i < xn.size(); i += 777)
        blocks.add (xn.data() + i, yn.data() + i, std::min<size_t> (777, xn.size() - i));
    const auto a = recordingFitGrid (whole), b = recordingFitGrid (blocks);
    for (size_t c = 0; c < a.size(); ++c)
        ASSERT_TRUE (a[c] == b[c] || (std::isnan (a[c]) && std::isnan (b[c]))) << c;

    auto withBad = capture;
    withBad.x[100] = std::nan ("");
    withBad.y[200] = std::numeric_limits<double>::infinity();
    const auto fit = estimateRecording (withBad.x, withBad.y, 50);
    ASSERT_TRUE (fit.valid);
    EXPECT_TRUE (std::all_of (fit.smoothedBins.begin(), fit.smoothedBins.end(), [] (double v) { return std::isfinite (v); }));
    EXPECT_FALSE (estimateRecording (std::vector<double> (100, 0.0), std::vector<double> (100, 0.5), 50).valid) << "silent X";
}

namespace
{
// The local line people reach for with a fixed bandwidth: every pair within
// `halfWidth` of the point, weighted alike.
std::vector<double> fixedBandwidthLine (const std::vector<double>& xn, const std::vector<double>& yn, double halfWidth)
{
    std::vector<std::pair<double, double>> pairs;
    for (size_t i = 0; i < xn.size(); ++i)
        pairs.emplace_back (xn[i], yn[i]);
    std::sort (pairs.begin(), pairs.end());
    std::vector<double> out ((size_t) grid::size, std::nan (""));
    size_t lo = 0, hi = 0;
    for (int c = 0; c < grid::size; ++c)
    {
        const auto x = grid::xAt (c);
        while (lo < pairs.size() && pairs[lo].first < x - halfWidth)
            ++lo;
        hi = std::max (hi, lo);
        while (hi < pairs.size() && pairs[hi].first <= x + halfWidth)
            ++hi;
        double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (auto i = lo; i < hi; ++i)
        {
            const auto dx = pairs[i].first - x;
            n += 1, sx += dx, sy += pairs[i].second, sxx += dx * dx, sxy += dx * pairs[i].second;
        }
        const auto det = n * sxx - sx * sx;
        if (n >= 8 && det > 0.0)
            out[(size_t) c] = (sxx * sy - sx * sxy) / det;
    }
    return out;
}
} // namespace

// Shapes a local line gets wrong unless held to its data: at a step it must
// not overshoot beyond every datum (nor, through the rescaling to a peak of 1,
// shift the whole table); on a flat, noisy stretch no point may stand out.
TEST (RecordingEstimator, stepsAndFlatNoiseKeepToTheData)
{
    const auto x = test::makeSignal (Signal::sine, 131072, 3);
    const auto step = through (x, [] (double v) { return (v > 0.2 ? 0.8 : -0.3) + 0.2 * v; });
    const auto yMax = *std::max_element (step.y.begin(), step.y.end()), yMin = *std::min_element (step.y.begin(), step.y.end());
    const auto yPeak = std::max (yMax, -yMin);
    const auto grid = estimateRecording (step.x, step.y, 1);
    ASSERT_TRUE (grid.valid);
    for (int c = 0; c < grid::size; ++c)
    {
        ASSERT_LE (grid.bins[(size_t) c], yMax / yPeak + 1.0e-9) << grid::xAt (c);
        ASSERT_GE (grid.bins[(size_t) c], yMin / yPeak - 1.0e-9) << grid::xAt (c);
        if (std::abs (grid::xAt (c) - 0.2) > 0.02)
            ASSERT_NEAR (grid.bins[(size_t) c], step.truth (grid::xAt (c)), 0.01) << grid::xAt (c);
    }

    const auto noise = test::makeSignal (Signal::whiteNoise, 1 << 20, 5);
    auto clip = through (noise, [] (double v) { return std::clamp (v, -0.5, 0.5); });
    std::mt19937 random (3);
    std::normal_distribution<double> scatter (0.0, 0.03);
    for (auto& v : clip.y)
        v += scatter (random);
    const auto xn = normaliseToPeak (clip.x), yn = normaliseToPeak (clip.y);
    RecordingStatistics statistics;
    statistics.add (xn.data(), yn.data(), xn.size());
    const auto fitted = recordingFitGrid (statistics);
    const auto reference = fixedBandwidthLine (xn, yn, 0.01);
    const auto yScale = 0.5 / *std::max_element (clip.y.begin(), clip.y.end(), [] (double a, double b) { return std::abs (a) < std::abs (b); });
    double fittedError = 0.0, referenceError = 0.0;
    for (int c = 0; c < grid::size; ++c)
        if (const auto v = grid::xAt (c); ! std::isnan (reference[(size_t) c]) && std::abs (std::abs (v) - 0.5) > 0.02)
        {
            const auto truth = std::clamp (v, -0.5, 0.5) * 2.0 * yScale;
            fittedError = std::max (fittedError, std::abs (fitted[(size_t) c] - truth));
            referenceError = std::max (referenceError, std::abs (reference[(size_t) c] - truth));
        }
    EXPECT_LE (fittedError, 2.0 * referenceError) << "fixed bandwidth: " << referenceError << ", fitted: " << fittedError;
}
