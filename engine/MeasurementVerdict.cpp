#include "engine/MeasurementVerdict.h"

#include <cmath>

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

namespace
{
juce::String percent (double v) { return juce::String (v * 100.0, 1) + " %"; }

struct Remedy
{
    juce::String words, brief;
};

// What to try when the fit is poor, in the caller's terms.
Remedy remedyForPoorFit (const VerdictContext& c)
{
    const auto plugin = c.terms == VerdictTerms::plugin;
    if (const auto& probe = c.misalignmentProbe; probe && probe->found && std::abs (probe->samples) >= 0.5 && probe->confidence >= lowDelayConfidence)
        return { "; Y lags X by about " + juce::String (probe->samples, 1) + " samples? try " + (plugin ? "Detect latency" : "--auto-latency"),
                 plugin ? "misaligned? try Detect latency" : "misaligned? try --auto-latency" };
    if (c.pluginEstimator)
        return plugin ? Remedy { "; try Auto, which suits any material", "try Auto" }
                      : Remedy { "; try --algorithm auto, which suits any material", "try --algorithm auto" };
    return {};
}

juce::String withRemedy (const juce::String& brief, const Remedy& remedy)
{
    return remedy.brief.isEmpty() ? brief : brief + ": " + remedy.brief;
}
} // namespace

Judgement judgeMeasurement (const MeasurementReport& r, const VerdictContext& c)
{
    using namespace verdictLimits;
    Judgement j;
    auto flag = [&j] (Verdict v, const juce::String& reason, const juce::String& brief)
    {
        j.verdict = std::max (j.verdict, v);
        j.reasons.add (reason);
        j.briefs.add (brief);
    };
    const auto remedy = remedyForPoorFit (c);

    if (r.curveVariation < failedCurveVariation)
        flag (Verdict::failed, "Y does not follow X: the curve is flat (its variation is " + juce::String (r.curveVariation * 100.0, 3)
                                   + " % of Y's level): the device's output is constant or not connected",
              "Y does not follow X");

    const auto esr = "ESR " + juce::String (r.esr, 4) + " (the curve leaves " + percent (r.normalisedResidual) + " of Y unexplained";
    if (r.normalisedResidual > failedResidual)
        flag (Verdict::failed, "Y is not a function of X: " + esr + ", limit " + percent (failedResidual)
                                   + "); X and Y are misaligned (check the delay), from different takes, or the device is not static" + remedy.words,
              withRemedy ("not a function of X", remedy));
    else if (r.normalisedResidual > doubtfulResidual)
        flag (Verdict::doubtful, esr + ", more than " + percent (doubtfulResidual)
                                     + "): one static curve does not model this device (memory: filters, a DC blocker, an envelope), or noise dominates"
                                     + remedy.words,
              withRemedy ("poor fit", remedy));

    if (r.rangeCoverage < failedRange)
        flag (Verdict::failed, "X covers only " + percent (r.rangeCoverage) + " of its range (limit " + percent (failedRange) + ")",
              "X covers " + percent (r.rangeCoverage) + " of its range");
    else if (r.rangeCoverage < doubtfulRange)
        flag (Verdict::doubtful, "X covers only " + percent (r.rangeCoverage) + " of its range: the rest of the curve is extrapolated",
              "X covers " + percent (r.rangeCoverage) + " of its range");

    if (r.repeatability > doubtfulRepeatability)
        flag (Verdict::doubtful, "the two halves of the capture disagree by " + juce::String (r.repeatability, 4) + " where both have data (more than "
                                     + juce::String (doubtfulRepeatability) + " beyond their noise): the device drifts or has time-based effects",
              "the halves disagree");
    if (r.hysteresisWidth > doubtfulHysteresis)
        flag (Verdict::doubtful, "rising and falling X give curves " + juce::String (r.hysteresisWidth, 4) + " apart (more than "
                                     + juce::String (doubtfulHysteresis) + "): the device has memory, which one static curve does not model; the table is the curve midway",
              "hysteresis: the device has memory");

    if (c.stimulusSpread && *c.stimulusSpread > doubtfulStimulusSpread)
        flag (Verdict::doubtful, "the curve differs between the stimulus's parts by " + juce::String (*c.stimulusSpread, 4) + " (more than "
                                     + juce::String (doubtfulStimulusSpread)
                                     + "): it depends on frequency or level, so the device has memory, which one static curve does not model",
              "parts of the stimulus disagree");

    if (const auto& delay = c.estimatedDelay; delay && delay->found)
    {
        if (delay->curveDependsOnAlias)
            flag (Verdict::doubtful, "delays " + juce::String (delay->period.value_or (0.0), 1)
                                         + " samples apart fit as well but give different curves (self-similar material such as a level sweep): "
                                           "the delay cannot be told from it; give --delay, or measure on noise, music or the command's stimulus",
                  "delay ambiguous");
        else if (delay->confidence < lowDelayConfidence && ! delay->period)
            flag (Verdict::doubtful, "the delay estimate is uncertain (confidence " + juce::String (delay->confidence, 2)
                                         + "): no lag stands clearly above the rest",
                  "delay uncertain");
    }

    if (const auto& delay = c.estimatedDelay; c.reportedLatency && delay && delay->found && std::abs (delay->samples) > latencyMismatch)
    {
        const auto actual = *c.reportedLatency + delay->samples;
        flag (Verdict::doubtful, "the plug-in reports a latency of " + juce::String (*c.reportedLatency) + " samples, but its output lags X by "
                                     + juce::String (actual, 2) + (delay->period ? " (or a multiple of " + juce::String (*delay->period, 2) + " from it: the signal is periodic)" : juce::String())
                                     + ": a host compensating the reported latency misaligns it by " + juce::String (delay->samples, 2)
                                     + " samples; the curve was measured at the delay found",
              "reported latency is wrong");
    }

    if (const auto& take = c.capture)
    {
        if (take->dropouts > 0)
            flag (Verdict::doubtful, juce::String (take->dropouts) + " dropout" + (take->dropouts == 1 ? "" : "s")
                                         + " during the capture (xruns or gaps in the device's clock), the first "
                                         + (take->firstDropoutSeconds < 0.0 ? juce::String ("before the signal began") : juce::String (take->firstDropoutSeconds, 2) + " s into the signal")
                                         + ": samples were lost or repeated, so X and Y may be misaligned from there on; capture again with a larger --buffer or a quieter machine",
                  "dropouts in the capture");
        auto clipping = [&] (double peak, const char* channel, const char* gain)
        {
            if (peak >= clippingPeakDbfs)
                flag (Verdict::doubtful, "the " + juce::String (channel) + " clips at " + juce::String (peak, 1) + " dBFS: lower the level or the " + gain,
                      "the " + juce::String (channel) + " clips");
        };
        clipping (take->returnPeakDbfs, "return", "return gain");
        if (take->referencePeakDbfs)
            clipping (*take->referencePeakDbfs, "reference", "reference input's gain");
    }

    if (c.inputPeak && *c.inputPeak < doubtfulInputPeak)
    {
        const auto dbfs = *c.inputPeak > 0.0 ? juce::String (20.0 * std::log10 (*c.inputPeak), 1) + " dBFS" : juce::String ("silence");
        flag (Verdict::doubtful, "X peaks at " + dbfs + ": only the quiet part of the device's curve is measured; "
                                     + (c.terms == VerdictTerms::plugin ? "play louder" : "record louder") + " to measure its full range",
              c.terms == VerdictTerms::plugin ? "X is quiet: play louder" : "X is quiet: record louder");
    }
    return j;
}
