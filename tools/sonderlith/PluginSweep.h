#pragma once

#include "report/SweepDocuments.h"
#include "tools/sonderlith/PluginCapture.h"

#include <functional>

// `--sweep NAME=FROM:TO:STEPS`: a parameter (or "level", the signal's peak in
// dBFS) from one value to another in evenly spaced steps, both ends included.
struct SweepAxis
{
    juce::String name;
    double from = 0.0, to = 0.0;
    int steps = 2;
};

// Empty with `error` set when the text is not of that form.
std::optional<SweepAxis> parseSweepAxis (const juce::String& text, juce::String& error);

inline constexpr int mostSweepPoints = 1000;

// Every combination of the axes' values, the first axis slowest.
std::vector<std::vector<std::pair<juce::String, double>>> sweepGrid (const std::vector<SweepAxis>&);

// Each point played and measured as `measure --plugin` would on its own, as
// many at once as the machine has cores; a point that fails says why and the
// others go on. `progress` hears of each point as it is done, from any thread.
Sweep runSweep (const PluginPlay&, const MeasureOptions&, const std::vector<SweepAxis>&, const std::function<void (const SweepPoint&, int done)>& progress);

// A file name for a point: {index} and {NAME} of each swept name replaced.
juce::File sweepPointFile (const juce::File& pattern, const SweepPoint&, int points);
