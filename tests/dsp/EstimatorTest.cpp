#include "dsp/CaptureAlignment.h"
#include "dsp/FractionalShift.h"
#include "dsp/MeanEstimator.h"
#include "dsp/OdrEstimator.h"
#include "dsp/SplitWork.h"
#include "dsp/TransferFunctionEstimator.h"
#include "tests/dsp/Captures.h"
#include "tests/dsp/ReferenceEstimator.h"

#include <gtest/gtest.h>

#include <limits>
#include <system_error>

namespace
{
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

double gx (int c) { return 2.0 * c / 16383.0 - 1.0; }

bool allFinite (const std::vector<double>& v)
{
    return std::all_of (v.begin(), v.end(), [] (double x) { return std::isfinite (x); });
}

// Largest difference where both hold numbers; NaN positions must match.
double maxDifference (const std::vector<double>& a, const std::vector<double>& b)
{
    EXPECT_EQ (a.size(), b.size());
    double worst = 0;
    for (size_t i = 0; i < a.size(); ++i)
    {
        EXPECT_EQ (std::isnan (a[i]), std::isnan (b[i])) << "NaN mismatch at " << i;
        if (! std::isnan (a[i]) && ! std::isnan (b[i]))
            worst = std::max (worst, std::abs (a[i] - b[i]));
    }
    return worst;
}
} // namespace

TEST (FinishTable, fillsGapsAndExtrapolatesEdges)
{
    std::vector<double> g (16384, notANumber);
    g[100] = 0.5;
    g[200] = 1.0;
    const auto t = finishTable (g);
    for (int i : { 0, 50, 100, 150, 200, 1000, 16383 })
        EXPECT_NEAR (t[(size_t) i], 0.5 + 0.005 * (i - 100), 1e-9) << i;

    std::vector<double> single (16384, notANumber);
    single[5000] = -0.25;
    EXPECT_EQ (finishTable (single), std::vector<double> (16384, -0.25));
    EXPECT_EQ (finishTable (std::vector<double> (16384, notANumber)), std::vector<double> (16384, 0.0));

    // A lone number next to the edge: its neighbour is a gap, so no slope.
    std::vector<double> edge (16384, notANumber);
    edge[10] = 1.0;
    edge[20] = 2.0;
    const auto e = finishTable (edge);
    EXPECT_NEAR (e[0], 1.0 - 10 * 0.1, 1e-12);
}

TEST (BinnedMean, edgesLandInTheOuterBins)
{
    const auto r = binnedMeanFit ({ -1.0, 1.0, 1.5 }, { -0.5, 0.25, 0.75 }, 1);
    ASSERT_TRUE (r.valid);
    EXPECT_DOUBLE_EQ (r.bins[0], -0.5);
    EXPECT_DOUBLE_EQ (r.bins[16383], 0.5); // mean of 0.25 and 0.75, clamped input 1.5 -> bin 16383
}

TEST (SweepSegments, detection)
{
    const auto segs = findSweepSegments ({ 0.0, 0.5, 1.0, 0.5, 0.0 });
    ASSERT_EQ (segs.size(), 2u);
    EXPECT_EQ (segs[0].start, 0u);
    EXPECT_EQ (segs[0].end, 2u);
    EXPECT_TRUE (segs[0].rising);
    EXPECT_EQ (segs[1].start, 2u);
    EXPECT_EQ (segs[1].end, 4u);
    EXPECT_FALSE (segs[1].rising);
    EXPECT_EQ (segs[1].minX, 0.0);
    EXPECT_EQ (segs[1].maxX, 1.0);

    std::vector<double> wiggle;
    for (int i = 0; i < 1000; ++i)
        wiggle.push_back ((i % 2) * 0.0001);
    EXPECT_TRUE (findSweepSegments (wiggle).empty());
    EXPECT_TRUE (findSweepSegments ({ 0.3 }).empty());
}

TEST (MeanEstimator, subThresholdWigglesInsideARunUseTheFirstBracketingPair)
{
    // Rises, steps back by less than the threshold, rises on: grid points in the
    // overlap are bracketed twice and the first pair decides.
    const int c = 9830;
    const double top = gx (c) + 0.00002, back = top - 0.00009;
    const std::vector<double> x { -0.5, -0.1, top, back, 0.6 };
    const std::vector<double> y { 0.0, 1.0, 2.0, 10.0, 3.0 };
    const auto segs = findSweepSegments (x);
    ASSERT_EQ (segs.size(), 1u);
    const auto curve = resampleSegment (x, y, segs[0]);
    ASSERT_GT (gx (c), back);
    EXPECT_NEAR (curve[c], 1.0 + (gx (c) + 0.1) / (top + 0.1), 1e-12);
    EXPECT_TRUE (std::isnan (curve[0]));
}

TEST (MeanEstimator, hysteresisGivesTheMidwayCurve)
{
    // More rising than falling sweeps: 2.5 periods starting on a rising edge.
    const auto c = captures::hysteresis ([] (double x) { return 0.5 * x; }, 0.1, 2400, 1.0 / 960.0);
    const auto grid = meanFitGrid (c.x, c.y);
    for (int i = 200; i < 16200; i += 97)
        ASSERT_NEAR (grid[(size_t) i], 0.5 * gx (i), 1e-3) << i;
}

TEST (OdrEstimator, singleCommonXGivesTheWeightedMean)
{
    struct Case
    {
        int count;
        double x;
    };

    for (const auto& c : { Case { 50, 0.7 }, Case { 2000, 0.3 }, Case { 3, -0.123456789 } })
    {
        std::vector<double> xs ((size_t) c.count, c.x), ys, ws;
        double sw = 0, swy = 0;
        for (int k = 0; k < c.count; ++k)
        {
            ys.push_back (std::sin (k * 1.7));
            ws.push_back (0.2 + 0.8 * std::abs (std::cos (k * 0.3)));
            sw += ws.back();
            swy += ws.back() * ys.back();
        }
        const auto v = weightedLocalLinearFit (xs.data(), ys.data(), ws.data(), c.count, c.x + 0.01);
        EXPECT_NEAR (v, swy / sw, 1e-12) << c.count << " points at " << c.x;
    }
}

TEST (OdrEstimator, pointsOnALineGiveThatLine)
{
    std::vector<double> x, y;
    for (int i = 0; i < 4000; ++i)
    {
        x.push_back (-1.0 + 2.0 * i / 3999.0);
        y.push_back (0.5 * x.back() + 0.1);
    }
    const auto grid = odrFitGrid (x, y);
    for (int c = 0; c < 16384; c += 131)
        ASSERT_NEAR (grid[(size_t) c], 0.5 * gx (c) + 0.1, 1e-9) << c;
}

TEST (Estimator, fallbacksAndInvalidInputs)
{
    // One point: no ODR window has two points, so the binned mean answers.
    const auto one = estimateTransferFunction ({ 0.5 }, { 0.25 }, 50, CaptureAlgorithm::ODR);
    ASSERT_TRUE (one.valid);
    EXPECT_EQ (one.bins, std::vector<double> (16384, 1.0));

    // Sub-threshold wiggles: no sweeps, Mean hands over to ODR.
    std::vector<double> x, y;
    for (int i = 0; i < 2000; ++i)
    {
        x.push_back (0.5 + (i % 2) * 0.00005);
        y.push_back (x.back() * 2);
    }
    const auto viaMean = estimateTransferFunction (x, y, 50, CaptureAlgorithm::Mean);
    const auto viaOdr = estimateTransferFunction (x, y, 50, CaptureAlgorithm::ODR);
    ASSERT_TRUE (viaMean.valid);
    EXPECT_EQ (viaMean.bins, viaOdr.bins);

    struct Invalid
    {
        const char* name;
        std::vector<double> x, y;
    };
    for (const auto& c : { Invalid { "empty", {}, {} }, Invalid { "all-zero X", { 0.0, 0.0, 0.0 }, { 0.1, 0.2, 0.3 } },
                           Invalid { "all-zero Y", { 0.1, 0.2, 0.3 }, { 0.0, 0.0, 0.0 } },
                           Invalid { "unequal", { 0.1, 0.2 }, { 0.1 } },
                           Invalid { "nothing finite", { notANumber, INFINITY }, { 0.1, 0.2 } } })
        for (auto algorithm : { CaptureAlgorithm::Mean, CaptureAlgorithm::ODR })
        {
            const auto r = estimateTransferFunction (c.x, c.y, 50, algorithm);
            EXPECT_FALSE (r.valid) << c.name;
            EXPECT_TRUE (r.bins.empty() && r.smoothedBins.empty()) << c.name;
        }
}

TEST (Estimator, nonFiniteSamplesNeverReachTheTable)
{
    auto c = captures::sineThrough (captures::tanhDevice, 8000, 1.0 / 97.0);
    c.x[10] = notANumber;
    c.y[500] = INFINITY;
    c.y[501] = -INFINITY;
    c.x[7000] = notANumber;
    for (auto algorithm : { CaptureAlgorithm::Mean, CaptureAlgorithm::ODR })
    {
        const auto r = estimateTransferFunction (c.x, c.y, 50, algorithm);
        ASSERT_TRUE (r.valid);
        EXPECT_TRUE (allFinite (r.bins));
        EXPECT_TRUE (allFinite (r.smoothedBins));
    }
}

TEST (Estimator, scaleInvariance)
{
    const auto c = captures::sineThrough (captures::tanhDevice, 6000, 1.0 / 113.0);
    auto scaledX = c.x, scaledY = c.y;
    for (auto& v : scaledX)
        v *= 0.37;
    for (auto& v : scaledY)
        v *= 5.0;
    for (auto algorithm : { CaptureAlgorithm::Mean, CaptureAlgorithm::ODR })
    {
        const auto a = estimateTransferFunction (c.x, c.y, 20, algorithm);
        const auto b = estimateTransferFunction (scaledX, scaledY, 20, algorithm);
        EXPECT_LT (maxDifference (a.smoothedBins, b.smoothedBins), 1e-9);
    }
}

// The fast implementations against slow literal ones on varied captures.
TEST (Estimator, fastGridsMatchTheLiteralReference)
{
    struct Case
    {
        const char* name;
        captures::Capture capture;
    };

    std::vector<Case> cases;
    cases.push_back ({ "tanh 1/50", captures::sineThrough (captures::tanhDevice, 6000, 1.0 / 50.0) });
    cases.push_back ({ "tanh slow, -6 dB", captures::sineThrough (captures::tanhDevice, 6000, 1.0 / 2400.0, 0.5) });
    cases.push_back ({ "hard clip 1/7.3", captures::sineThrough (captures::hardClip, 5000, 1.0 / 7.3) });
    cases.push_back ({ "hysteresis", captures::hysteresis (captures::asymmetric, 0.1, 6000, 1.0 / 300.0) });
    cases.push_back ({ "noisy", captures::withNoise (captures::sineThrough (captures::tanhDevice, 6000, 1.0 / 61.0), 0.02) });

    captures::Capture ramp;
    for (int i = 0; i < 3000; ++i)
    {
        ramp.x.push_back (-0.3 + 0.9 * i / 2999.0 + ((i % 3) == 0 ? -0.00004 : 0.0)); // sub-threshold wiggles
        ramp.y.push_back (captures::asymmetric (ramp.x.back()));
    }
    cases.push_back ({ "ramp with wiggles", ramp });

    captures::Capture sparse = captures::sineThrough (captures::tanhDevice, 2000, 1.0 / 400.0, 0.6);
    for (int i = 0; i < 300; ++i)
    {
        sparse.x.push_back (0.6); // a flat stretch
        sparse.y.push_back (0.3);
    }
    sparse.x.push_back (1.0); // a lonely edge point
    sparse.y.push_back (1.0);
    cases.push_back ({ "flat stretch and sparse edge", sparse });

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto xn = normaliseToPeak (c.capture.x), yn = normaliseToPeak (c.capture.y);
        EXPECT_LT (maxDifference (meanFitGrid (xn, yn), reference::meanGrid (xn, yn)), 1e-9);
        EXPECT_LT (maxDifference (odrFitGrid (xn, yn), reference::odrGrid (xn, yn)), 1e-7);
    }
}

TEST (Estimator, recoversKnownCurvesFromAZeroDecibelSine)
{
    struct Case
    {
        const char* name;
        std::function<double (double)> device;
        double meanTolerance, odrTolerance;
    };

    const Case cases[] = {
        { "identity", [] (double x) { return x; }, 1e-9, 1e-9 },
        { "tanh(3x)/tanh(3)", captures::tanhDevice, 0.015, 0.005 },
        { "hard clip at 0.5", captures::hardClip, 0.05, 0.03 },  // kinks: interpolation and kernel blur
        { "asymmetric", captures::asymmetric, 0.05, 0.03 },
    };

    for (const auto& c : cases)
    {
        const auto capture = captures::sineThrough (c.device, 65536, 997.0 / 48000.0);
        double peak = 0;
        for (int i = 0; i < 16384; ++i)
            peak = std::max (peak, std::abs (c.device (gx (i))));

        for (auto [algorithm, tolerance] : { std::pair { CaptureAlgorithm::Mean, c.meanTolerance }, std::pair { CaptureAlgorithm::ODR, c.odrTolerance } })
        {
            const auto r = estimateTransferFunction (capture.x, capture.y, 1, algorithm);
            ASSERT_TRUE (r.valid);
            double worst = 0;
            for (int i = 100; i < 16284; ++i)
                worst = std::max (worst, std::abs (r.bins[(size_t) i] - c.device (gx (i)) / peak));
            EXPECT_LT (worst, tolerance) << c.name << (algorithm == CaptureAlgorithm::Mean ? " Mean" : " ODR");
            std::printf ("[ accuracy ] %-18s %-4s worst error %.3g\n", c.name, algorithm == CaptureAlgorithm::Mean ? "Mean" : "ODR", worst);
        }
    }
}

TEST (CaptureAlignment, wholeAndFractionalLatencies)
{
    std::vector<double> x (200), y (200);
    for (int i = 0; i < 200; ++i)
    {
        x[(size_t) i] = i;
        y[(size_t) i] = 1000 + i;
    }

    const auto whole = alignCapture (x, y, 100, 10.0, 0.0);
    ASSERT_EQ (whole.x.size(), 90u);
    for (size_t k = 0; k < 90; ++k)
    {
        EXPECT_EQ (whole.x[k], 100.0 + k);
        EXPECT_EQ (whole.y[k], 1000.0 + 110 + k);
    }

    // Linear data: Catmull-Rom reproduces it, so X lands exactly at +0.5.
    const auto half = alignCapture (x, y, 100, 0.5, 0.0);
    ASSERT_EQ (half.x.size(), 93u);
    for (size_t k = 0; k < 93; ++k)
    {
        EXPECT_NEAR (half.x[k], 100 + k + 2.5, 1e-12);
        EXPECT_EQ (half.y[k], 1000 + 100 + k + 3.0);
    }

    EXPECT_TRUE (alignCapture (x, y, 100, 512.0, 0.0).x.empty());
    EXPECT_EQ (fractionalShift ({ 1, 2, 3 }, 0.0), (std::vector<double> { 1, 2, 3 }));
}

namespace
{
int refusedStarts = 0;
std::thread refuseThread (std::function<void()>)
{
    ++refusedStarts;
    throw std::system_error (std::make_error_code (std::errc::resource_unavailable_try_again), "thread refused");
}
} // namespace

// A host at its thread limit refuses the estimator's helper thread: the fit
// must still come out, the same, on the calling thread.
TEST (Estimator, aRefusedHelperThreadGivesTheSameFitOnTheCallingThread)
{
    const auto capture = captures::sineThrough (captures::tanhDevice, 16384, 997.0 / 48000.0);
    for (const auto algorithm : { CaptureAlgorithm::Mean, CaptureAlgorithm::ODR })
    {
        const auto normal = estimateTransferFunction (capture.x, capture.y, 20, algorithm);
        refusedStarts = 0;
        const auto previous = setThreadStarter (refuseThread);
        FitResult refused;
        EXPECT_NO_THROW (refused = estimateTransferFunction (capture.x, capture.y, 20, algorithm));
        setThreadStarter (previous);
        EXPECT_GT (refusedStarts, 0);
        ASSERT_TRUE (refused.valid);
        EXPECT_EQ (refused.bins, normal.bins) << (algorithm == CaptureAlgorithm::Mean ? "Mean" : "ODR");
    }
}
