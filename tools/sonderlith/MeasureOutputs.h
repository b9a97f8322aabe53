#pragma once

#include "engine/Measurement.h"
#include "report/PlotFrame.h"

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
