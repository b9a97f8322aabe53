#pragma once

#include <juce_core/juce_core.h>

#include <vector>

// A fitted curve read back: a preset's table, or the first two columns of a
// CSV written by `sonderlith measure`.
struct LoadedCurve
{
    juce::File file;
    juce::String kind; // "preset" or "CSV"
    std::vector<double> table;
};

struct CurveDifference
{
    int first = 0, second = 0;  // indices into the curves
    double gain = 1.0;          // applied to the second (1 unless gain is matched)
    double maxDifference = 0.0, rmsDifference = 0.0;
    bool withinTolerance = true;
    std::vector<double> difference; // second * gain - first, per grid point
};

struct CurveComparison
{
    std::vector<LoadedCurve> curves;
    std::vector<CurveDifference> pairs; // every pair, first < second
    bool matchGain = false;
    double tolerance = 0.01;

    bool allWithinTolerance() const;
};

// Differences of every pair over the whole grid; with matchGain, the second
// of each pair is first scaled by the least-squares gain onto the first.
CurveComparison compareCurves (std::vector<LoadedCurve>, bool matchGain, double tolerance);
