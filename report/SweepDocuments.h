#pragma once

#include "engine/Measurement.h"

#include <optional>

// One point of a parameter sweep: the values it was measured at and what
// came of it (a measurement, or why there is none).
struct SweepPoint
{
    int index = 0; // from 1
    std::vector<std::pair<juce::String, double>> values; // the swept names, in the order given
    std::optional<MeasureOutcome> outcome;
    std::shared_ptr<const RenderedDevice> device;
    int exitCode = 0;     // as the point alone would have ended the command
    juce::String error;   // when it could not be measured
};

struct Sweep
{
    juce::String plugin;
    std::vector<juce::String> names; // swept, in the order given; "level" is the signal's
    std::vector<SweepPoint> points;
};

// "Drive 0.5, level -6 dBFS"
juce::String describeValues (const SweepPoint&);

// Every point's figures and settings, each point's whole report within it.
juce::String sweepAsJson (const MeasureOptions&, const Sweep&);
// One curve a point, in full-scale units: x, then y of each point measured
// (empty where that point's X did not reach).
juce::String sweepAsCsv (const Sweep&);
