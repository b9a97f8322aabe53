#pragma once

#include "engine/Measurement.h"
#include "report/PlotFrame.h"
#include "tools/sonderlith/CommandOptions.h"

// What `sonderlith measure` writes, each file optional.
struct MeasureOutputs
{
    juce::File presetFile, csvFile, jsonFile, pngFile;
    PictureOptions picture;
    bool force = false; // write the curve even when the verdict is "failed"
    juce::String artist;
};

// A "failed" verdict withholds the curve (preset and CSV) unless forced.
bool curveIsWithheld (const MeasureOutputs&, const MeasureOutcome&);

// Writes the requested outputs, each whole or not at all; false with a
// message on the first that fails. The report and picture are written
// whatever the verdict.
bool writeOutputs (const MeasureOptions&, const MeasureOutputs&, const MeasureOutcome&, juce::String& error);

// The fitting and output options `measure` and `capture` share, as given.
struct FitAndOutputRequest
{
    std::string presetFile, csvFile, jsonFile, pngFile, algorithm = "auto", length = "all";
};

void addFitAndOutputOptions (CLI::App&, FitAndOutputRequest&, MeasureOptions&, MeasureOutputs&);
// Takes the options into `options` and `outputs`.
void completeFitAndOutputs (const FitAndOutputRequest&, MeasureOptions&, MeasureOutputs&);
// The output files as `checkOutputs` takes them.
std::vector<OutputFile> outputFiles (const MeasureOutputs&);

// Measures, writes the outputs and prints the report: the exit code.
int measureAndReport (const MeasureOptions&, const MeasureOutputs&, CommandStreams&);
