#pragma once

#include "tools/measurement/DemoDevice.h"
#include "tools/measurement/MeasurementReport.h"

#include <juce_core/juce_core.h>

#include <functional>
#include <optional>

// One measurement as the plug-in makes it on freeze: the newest `length`
// pairs, aligned by the latencies, fitted and smoothed by the same code.
struct MeasureOptions
{
    juce::File xFile, yFile; // two mono files (or a channel of each)
    juce::File xyFile;       // or one stereo file: left X, right Y
    int channel = 0;
    std::optional<DemoSettings> demo; // or a built-in device

    CaptureAlgorithm algorithm = CaptureAlgorithm::Mean;
    int length = 65536;
    int smoothing = 50;
    double latencyX = 0.0, latencyY = 0.0;
    bool autoLatency = false; // estimate Y's delay behind X and use it instead
    juce::String artist;

    juce::File presetFile, csvFile, jsonFile, pngFile; // outputs, each optional

    std::function<void (const juce::String& stage)> onStage; // progress, optional
};

struct MeasureOutcome
{
    bool ok = false;
    juce::String error; // for the user, when not ok
    FitResult fit;
    MeasurementReport report;
    double sampleRate = 0.0;
    std::vector<double> alignedX, alignedY; // the pairs fitted
    std::optional<double> estimatedDelay;   // with autoLatency: Y behind X, samples
    juce::StringArray notices;              // what was adapted on the way, for the user
};

// Reads or plays the capture, fits it and describes it. Writes nothing.
MeasureOutcome measure (const MeasureOptions&);

// Writes the requested outputs, each whole or not at all; false with a
// message on the first that fails.
bool writeOutputs (const MeasureOptions&, const MeasureOutcome&, juce::String& error);

juce::String reportAsText (const MeasureOutcome&);

// A preset's table drawn by the plot, without a cloud.
bool writeCurvePicture (const std::vector<double>& table, const juce::File& png);
juce::String reportAsJson (const MeasureOutcome&);
