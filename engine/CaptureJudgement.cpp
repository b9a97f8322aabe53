#include "engine/CaptureJudgement.h"

#include "dsp/DelayEstimator.h"

#include <algorithm>
#include <cmath>

namespace
{
// Far enough for any delay the latency parameters (0 to 512) could leave.
constexpr int misalignmentSearch = 2048;
} // namespace

CaptureVerdict judgeCapture (const std::vector<double>& x, const std::vector<double>& y, const FitResult& fit, bool sineSweepEstimator)
{
    CaptureVerdict verdict;
    const auto n = std::min (x.size(), y.size());
    double xPeak = 0.0, yPeak = 0.0;
    size_t finite = 0;
    for (size_t i = 0; i < n; ++i)
        if (std::isfinite (x[i]) && std::isfinite (y[i]))
        {
            xPeak = std::max (xPeak, std::abs (x[i]));
            yPeak = std::max (yPeak, std::abs (y[i]));
            ++finite;
        }
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
        context.misalignmentProbe = estimateDelay (x, y, misalignmentSearch);
    verdict.judgement = judgeMeasurement (verdict.report, context);
    verdict.judged = true;
    return verdict;
}
