#pragma once

#include "dsp/DelayEstimator.h"
#include "engine/CaptureSource.h"
#include "dsp/DemoDevice.h"
#include "engine/MeasurementReport.h"
#include "engine/MeasurementVerdict.h"
#include "engine/StimulusAnalysis.h"

#include <juce_core/juce_core.h>

#include <functional>
#include <memory>
#include <optional>

// "auto" fits recordings of any material (the command's default); "mean"
// and "odr" are the plug-in's own estimators.
enum class MeasureAlgorithm
{
    automatic,
    mean,
    odr
};

juce::String algorithmName (MeasureAlgorithm);

// A device the caller played a signal through in memory (a plug-in hosted
// offline): X as sent, Y as it came back with the latency the device reports
// already taken out, and what the report should say of it.
struct RenderedDevice
{
    std::vector<double> x, y;
    double sampleRate = 48000.0;
    juce::String name, format, identifier;
    int reportedLatency = 0;                             // samples, taken out of Y
    std::vector<std::pair<juce::String, juce::String>> parameters; // name, value as the device prints it
    juce::String signal;                                 // what was played
    double levelDbfs = 0.0;                              // its peak
    juce::int64 nonFiniteOutput = 0;                     // output samples that were not numbers
    std::optional<CaptureConditions> capture;            // played through an interface, not a plug-in
};

struct MeasureOptions
{
    juce::File xFile, yFile; // two mono files (or a channel of each)
    juce::File xyFile;       // or one stereo file: left X, right Y
    int channel = 0;
    std::optional<DemoSettings> demo; // or a built-in device
    std::shared_ptr<const RenderedDevice> rendered; // or a device played in memory

    MeasureAlgorithm algorithm = MeasureAlgorithm::automatic;
    std::optional<int> length;        // the newest pairs of the window, as a freeze takes them; every pair when empty
    double start = 0.0;               // seconds into the recording
    std::optional<double> duration;   // seconds; to the end when empty
    int smoothing = 50;
    double latencyX = 0.0, latencyY = 0.0; // the plug-in's parameters: X, or Y, delayed by so many samples
    std::optional<double> delay;      // Y lags X by this many samples (taken out by delaying X)
    bool autoLatency = false;         // estimate Y's delay behind X and use it instead
};

// Told the name of each stage of the work as it starts.
using MeasureProgress = std::function<void (const juce::String& stage)>;

// The device's levels, which the normalised table leaves out.
struct MeasuredLevels
{
    double xPeak = 0.0, yPeak = 0.0;        // full-scale units
    double outputScale = 1.0;               // table units to Y's full-scale units
    std::optional<double> smallSignalGain;  // dY/dX at X = 0, Y's units over X's
    std::optional<double> dcOffset;         // Y at X = 0
    double yAtXPeak = 0.0;                  // Y at X's positive peak
    std::optional<double> yAtFullScale;     // Y at X = 1.0, when X reached full scale
};

// Harmonics of Y, measured and as the fitted curve predicts them from X,
// in dB relative to the fundamental (index 0 = H1), for sine material.
struct HarmonicFigures
{
    double fundamentalHz = 0.0;
    std::vector<double> measuredDb, predictedDb;
};

struct MeasureOutcome
{
    bool ok = false;
    juce::String error; // for the user, when not ok
    FitResult fit;
    MeasurementReport report;
    MeasuredLevels levels;
    Judgement judgement;
    double sampleRate = 0.0;
    std::vector<SourceInfo> sources;
    DensityGrid density;                          // where the pairs lie
    ResidualProfile residuals;                    // how far they stray from the curve, along X
    std::optional<HarmonicFigures> harmonics;     // when X is a steady tone
    std::optional<StimulusFigures> stimulus;      // when X is the command's stimulus, measured whole
    std::optional<DelayEstimate> estimatedDelay;  // with autoLatency
    double delayTakenOut = 0.0;                   // Y behind X, samples, as aligned
    double windowStart = 0.0, windowDuration = 0.0; // seconds of the recording measured
    juce::StringArray notices;                    // what was adapted on the way, for the user
    juce::Time date;
};

// The delay of `y` behind `x`, both in memory, found as autoLatency finds it
// (on the stimulus's noise when `x` holds the command's stimulus), within a
// second either way.
DelayEstimate estimateDelayBetween (std::vector<double> x, std::vector<double> y, double sampleRate);

// Reads or plays the capture, fits it and judges it. Writes nothing.
MeasureOutcome measure (const MeasureOptions&, const MeasureProgress& = {});
