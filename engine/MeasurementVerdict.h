#pragma once

#include "dsp/DelayEstimator.h"
#include "engine/CaptureConditions.h"
#include "engine/MeasurementReport.h"

#include <juce_core/juce_core.h>

#include <optional>

enum class Verdict
{
    good,
    doubtful,
    failed
};

juce::String verdictName (Verdict);

// The limits the verdict is drawn from (the README lists them for users).
namespace verdictLimits
{
inline constexpr double failedResidual = 0.3;      // normalised residual: Y is not a function of X
inline constexpr double doubtfulResidual = 0.05;
inline constexpr double failedRange = 0.25;        // share of X's range holding pairs
inline constexpr double doubtfulRange = 0.75;
inline constexpr double doubtfulRepeatability = 0.02;
inline constexpr double doubtfulHysteresis = 0.02;
inline constexpr double doubtfulStimulusSpread = 0.02; // between the stimulus's parts
inline constexpr double failedCurveVariation = 1.0e-3; // the curve's variation over Y's RMS: Y does not follow X
inline constexpr double doubtfulInputPeak = 0.25;       // X's peak, full scale (-12 dBFS), where the caller gives it
inline constexpr double latencyMismatch = 0.5;          // samples between the latency a device reports and its delay
inline constexpr double clippingPeakDbfs = -0.1;       // a captured channel this loud has reached the converter's full scale
} // namespace verdictLimits

struct Judgement
{
    Verdict verdict = Verdict::good;
    juce::StringArray reasons; // every rule that pulled the verdict down, in the user's words
    juce::StringArray briefs;  // the same, each in a few words, for a line on a plot
};

// Whose words the remedies are in: the command's options or the plug-in's controls.
enum class VerdictTerms
{
    command,
    plugin
};

// What else the rules look at besides the fit's figures.
struct VerdictContext
{
    std::optional<DelayEstimate> estimatedDelay;    // with --auto-latency
    std::optional<DelayEstimate> misalignmentProbe; // a delay search made because the fit was poor without one
    std::optional<double> stimulusSpread;           // with the command's stimulus
    bool pluginEstimator = false;                   // "mean" or "odr", made for a plug-in's sine sweeps
    std::optional<double> inputPeak;                // X's peak in full-scale units, where the level is the user's to change
    std::optional<int> reportedLatency;             // the device's own, taken out before `estimatedDelay` was searched
    std::optional<CaptureConditions> capture;       // a take through an audio interface
    VerdictTerms terms = VerdictTerms::command;
};

// The worst of the rules decides.
Judgement judgeMeasurement (const MeasurementReport&, const VerdictContext&);
