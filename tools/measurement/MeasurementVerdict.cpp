#include "tools/measurement/MeasurementVerdict.h"

juce::String verdictName (Verdict v)
{
    switch (v)
    {
        case Verdict::good: return "good";
        case Verdict::doubtful: return "doubtful";
        case Verdict::failed: return "failed";
    }
    return {};
}

Judgement judgeMeasurement (const MeasurementReport& r, const std::optional<DelayEstimate>& delay, std::optional<double> stimulusSpread)
{
    using namespace verdictLimits;
    Judgement j;
    auto flag = [&j] (Verdict v, const juce::String& reason)
    {
        j.verdict = std::max (j.verdict, v);
        j.reasons.add (reason);
    };
    auto percent = [] (double v) { return juce::String (v * 100.0, 1) + " %"; };

    const auto esr = "ESR " + juce::String (r.esr, 4) + " (the curve leaves " + percent (r.normalisedResidual) + " of Y unexplained";
    if (r.normalisedResidual > failedResidual)
        flag (Verdict::failed, "Y is not a function of X: " + esr + ", limit " + percent (failedResidual)
                                   + "); X and Y are misaligned (check the delay), from different takes, or the device is not static");
    else if (r.normalisedResidual > doubtfulResidual)
        flag (Verdict::doubtful, esr + ", more than " + percent (doubtfulResidual)
                                     + "): one static curve does not model this device (memory: filters, a DC blocker, an envelope), or noise dominates");

    if (r.rangeCoverage < failedRange)
        flag (Verdict::failed, "X covers only " + percent (r.rangeCoverage) + " of its range (limit " + percent (failedRange) + ")");
    else if (r.rangeCoverage < doubtfulRange)
        flag (Verdict::doubtful, "X covers only " + percent (r.rangeCoverage) + " of its range: the rest of the curve is extrapolated");

    if (r.repeatability > doubtfulRepeatability)
        flag (Verdict::doubtful, "the two halves of the capture disagree by " + juce::String (r.repeatability, 4) + " (more than "
                                     + juce::String (doubtfulRepeatability) + "): the device drifts, has time-based effects, or noise dominates");
    if (r.hysteresisWidth > doubtfulHysteresis)
        flag (Verdict::doubtful, "rising and falling X give curves " + juce::String (r.hysteresisWidth, 4) + " apart (more than "
                                     + juce::String (doubtfulHysteresis) + "): the device has memory, which one static curve does not model; the table is the curve midway");

    if (stimulusSpread && *stimulusSpread > doubtfulStimulusSpread)
        flag (Verdict::doubtful, "the curve differs between the stimulus's parts by " + juce::String (*stimulusSpread, 4) + " (more than "
                                     + juce::String (doubtfulStimulusSpread)
                                     + "): it depends on frequency or level, so the device has memory, which one static curve does not model");

    if (delay && delay->found && delay->confidence < lowDelayConfidence && ! delay->period)
        flag (Verdict::doubtful, "the delay estimate is uncertain (confidence " + juce::String (delay->confidence, 2)
                                     + "): no lag stands clearly above the rest");
    return j;
}
