#include "dsp/CaptureAlignment.h"
#include "dsp/RecordingEstimator.h"
#include "dsp/TransferFunctionEstimator.h"
#include "engine/CaptureJudgement.h"
#include "engine/MeasurementReport.h"
#include "plugin/PluginAudioProcessor.h"
#include "plugin/PluginParameters.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/ProcessorHarness.h"
#include "tests/support/TanhDevice.h"
#include "tests/support/TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>

// "Auto" in the plug-in is the command's recording estimator on the frozen
// capture, and every fit comes with the command's verdict.
namespace
{
constexpr int blockSize = 512;
constexpr int pairs = 65536; // "Capture Length" 64k

struct Frozen
{
    std::vector<double> table;
    CaptureVerdict verdict;
    double largestError = 0.0; // against the device's curve, table units, where X has data within |x| <= 0.9
};

Frozen freeze (test::Signal material, const test::Curve& curve, int algorithm)
{
    PluginAudioProcessor p;
    test::prepareProcessor (p, test::Sidechain::present, blockSize);
    test::setParameter (p, ParameterIds::captureLength, 2.0f);
    test::setParameter (p, ParameterIds::captureAlgorithm, (float) algorithm);
    test::playThrough (p, test::makeSignal (material, (size_t) pairs + 4 * blockSize), curve.f);
    p.snapshotCaptureAndRefit();
    EXPECT_TRUE (test::runMessageLoopUntil ([&] { return ! p.isRefitInProgress() && p.hasFit; }));

    Frozen f;
    for (int i = 0; i < grid::size; ++i)
        f.table.push_back (p.transferFunction.load (i));
    f.verdict = p.fitVerdict;
    // The device's curve in the table's units: X over its peak in, Y over its
    // peak (and the smoothing's rescaling) out.
    const auto aligned = alignCapture (p.captureX, p.captureY, pairs, 0.0, 0.0);
    double xPeak = 0.0, yPeak = 0.0;
    for (size_t i = 0; i < aligned.x.size(); ++i)
    {
        xPeak = std::max (xPeak, std::abs (aligned.x[i]));
        yPeak = std::max (yPeak, std::abs (aligned.y[i]));
    }
    FitResult published;
    published.smoothedBins = f.table;
    published.bins = p.rawBins;
    const auto factor = tableFactorOf (published);
    for (int i = 0; i < grid::size; ++i)
    {
        const auto x = grid::xAt (i);
        if (std::abs (x) <= 0.9 && f.verdict.report.gridHasData.size() == (size_t) grid::size && f.verdict.report.gridHasData[(size_t) i])
            f.largestError = std::max (f.largestError, std::abs (curveValueAt (f.table, x) - curve.f (x * xPeak) / (yPeak * factor)));
    }
    return f;
}
} // namespace

TEST (Auto, isTheRecordingEstimatorOnTheFrozenCapture)
{
    PluginAudioProcessor p;
    test::prepareProcessor (p, test::Sidechain::present, blockSize);
    test::setParameter (p, ParameterIds::captureLength, 0.0f);
    test::setParameter (p, ParameterIds::captureAlgorithm, 2.0f);
    test::playThrough (p, test::makeSignal (test::Signal::pinkNoise, 20000), [] (double x) { return std::tanh (3.0 * x); });
    p.snapshotCaptureAndRefit();
    ASSERT_TRUE (test::runMessageLoopUntil ([&] { return ! p.isRefitInProgress() && p.hasFit; }));
    const auto aligned = alignCapture (p.captureX, p.captureY, 16384, 0.0, 0.0);
    const auto expected = estimateRecording (aligned.x, aligned.y, 50);
    std::vector<double> table;
    for (int i = 0; i < grid::size; ++i)
        table.push_back (p.transferFunction.load (i));
    std::vector<float> expectedTable (expected.smoothedBins.begin(), expected.smoothedBins.end());
    for (int i = 0; i < grid::size; ++i)
        ASSERT_EQ ((float) table[(size_t) i], expectedTable[(size_t) i]) << i;
}

// Every curve on a sine, white noise and drum-like material: "Auto" within
// 0.005 of the device's curve and judged good; "Mean" on noise not good.
TEST (Auto, fitsAnyMaterialAndTheVerdictSaysWhichFitsToTrust)
{
    using test::Signal;
    for (const auto material : { Signal::sine, Signal::whiteNoise, Signal::drumLike })
        for (const auto& curve : test::staticCurves())
        {
            SCOPED_TRACE (test::signalName (material) + " through " + curve.name);
            const auto automatic = freeze (material, curve, 2);
            ASSERT_EQ (automatic.verdict.report.gridHasData.size(), (size_t) grid::size);
            EXPECT_GT (automatic.verdict.report.coverage, 0.2) << "the error is taken where X has data";
            EXPECT_LT (automatic.largestError, 0.005);
            ASSERT_TRUE (automatic.verdict.judged);
            EXPECT_EQ (automatic.verdict.judgement.verdict, Verdict::good) << automatic.verdict.judgement.reasons.joinIntoString ("; ");
        }
    for (const auto& curve : test::staticCurves())
    {
        SCOPED_TRACE ("white noise through " + curve.name + ", Mean");
        const auto mean = freeze (Signal::whiteNoise, curve, 1);
        ASSERT_TRUE (mean.verdict.judged);
        EXPECT_NE (mean.verdict.judgement.verdict, Verdict::good);
        EXPECT_TRUE (mean.verdict.judgement.briefs.joinIntoString (" ").contains ("try Auto")) << mean.verdict.judgement.briefs.joinIntoString ("; ");
        EXPECT_TRUE (mean.verdict.judgement.reasons.joinIntoString (" ").contains ("try Auto, which suits any material"));
    }
}

// A poor fit from a capture whose latency is not set points to "Detect
// latency" with the delay it found, whichever estimator fitted it; an aligned
// capture's poor fit never does.
TEST (Auto, aMisalignedCapturesVerdictPointsToDetectLatency)
{
    using test::Signal;
    const auto& curves = test::staticCurves();
    struct Case
    {
        const char* name;
        Signal material;
        int curve;
        int delay; // Y behind X
        CaptureAlgorithm algorithm;
        const char* found; // in the reasons, or nothing for no misalignment
    };
    const std::vector<Case> cases {
        { "noise, Y 37 late, Auto", Signal::whiteNoise, 0, 37, CaptureAlgorithm::Auto, "about 37.0 samples" },
        { "drums through fold-back, Y 37 late, Mean", Signal::drumLike, 3, 37, CaptureAlgorithm::Mean, "about 37.0 samples" },
        { "noise, Y 12 early, Auto", Signal::whiteNoise, 2, -12, CaptureAlgorithm::Auto, "about -12.0 samples" },
        { "noise, aligned, Mean", Signal::whiteNoise, 0, 0, CaptureAlgorithm::Mean, nullptr },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto x = test::makeSignal (c.material, pairs, 3);
        auto y = c.delay >= 0 ? test::delayed (x, c.delay) : std::vector<double> (x.begin() - c.delay, x.end());
        y.resize (x.size(), 0.0);
        for (auto& v : y)
            v = curves[(size_t) c.curve].f (v);
        const auto fit = estimateTransferFunction (x, y, 50, c.algorithm);
        const auto verdict = judgeCapture (x, y, fit, c.algorithm != CaptureAlgorithm::Auto);
        ASSERT_TRUE (verdict.judged);
        EXPECT_NE (verdict.judgement.verdict, Verdict::good);
        const auto reasons = verdict.judgement.reasons.joinIntoString ("; ");
        if (c.found != nullptr)
        {
            EXPECT_TRUE (reasons.contains (c.found)) << reasons;
            EXPECT_TRUE (verdict.judgement.briefs.joinIntoString (" ").contains ("misaligned? try Detect latency"));
        }
        else
            EXPECT_FALSE (reasons.contains ("Detect latency")) << reasons;
    }
}
