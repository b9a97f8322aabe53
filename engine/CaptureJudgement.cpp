#include "engine/CaptureJudgement.h"

#include "dsp/DelayEstimator.h"
#include "dsp/PairPeaks.h"

#include <algorithm>
#include <cmath>

namespace
{
// Far enough for any delay the latency parameters (0 to 512) could leave.
constexpr int misalignmentSearch = 2048;
// The loudest stretch the probe correlates: long enough for drums' gaps,
// short enough to keep the verdict within a few milliseconds of the fit.
constexpr size_t misalignmentProbeSpan = size_t { 1 } << 16;
} // namespace

CaptureVerdict judgeCapture (const std::vector<double>& x, const std::vector<double>& y, const FitResult& fit, bool sineSweepEstimator)
{
    CaptureVerdict verdict;
    const auto n = std::min (x.size(), y.size());
    PairPeaks peaks;
    peaks.add (x.data(), y.data(), n);
    const auto xPeak = peaks.x, yPeak = peaks.y;
    const auto finite = peaks.finitePairs;
    if (! fit.valid || finite == 0 || xPeak == 0.0 || yPeak == 0.0 || x.size() != y.size())
        return verdict;

    const TableScales scales { xPeak, yPeak, tableFactorOf (fit) };
    PairSamples samples;
    samples.excerptSize = 0; // no spectrum here
    verdict.report = describePairs (memoryStream (x, y), finite, scales, fit, samples);

    VerdictContext context;
    context.terms = VerdictTerms::plugin;
    context.pluginEstimator = sineSweepEstimator;
    context.inputPeak = xPeak;
    if (verdict.report.normalisedResidual > verdictLimits::doubtfulResidual && (int) n > 4 * misalignmentSearch)
        context.misalignmentProbe = probeDelay (x, y, misalignmentSearch, misalignmentProbeSpan);
    verdict.judgement = judgeMeasurement (verdict.report, context);
    verdict.judged = true;
    return verdict;
}
