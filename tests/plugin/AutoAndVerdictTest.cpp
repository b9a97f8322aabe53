#include "dsp/CaptureAlignment.h"
#include "dsp/RecordingEstimator.h"
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
