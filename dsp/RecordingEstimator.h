#pragma once

#include "dsp/FitResult.h"
#include "dsp/LineMoments.h"

#include <array>
#include <cstddef>
#include <vector>

// The estimator for whole recordings: a conditional mean of Y given X with a
// local linear correction, each grid point taking the widest window its data
// support. Pairs are kept only as per-cell sums (a cell per two grid points, one
// set per direction of X), so a recording of any length streams through in
// blocks and the fit costs the same however long it was.
class RecordingStatistics
{
public:
    RecordingStatistics();

    // Pairs in recording order across calls, normalised by the scales
    // (|x * xScale| <= 1). A pair belongs to the rising or the falling branch
    // by how X moved to it. Pairs that are not finite once scaled are left out.
    void add (const double* x, const double* y, size_t count, double xScale = 1.0, double yScale = 1.0);

    RecordingStatistics& operator+= (const RecordingStatistics&);

    // x offset to the cell's centre.
    using Cell = LineMoments;
    const std::vector<Cell>& branch (int direction) const { return cells[(size_t) direction]; }

    // The lowest and highest y of each cell (+inf and -inf where empty).
    struct Extremes
    {
        std::vector<double> low, high;
    };
    const Extremes& extremes (int direction) const { return ranges[(size_t) direction]; }
    double pairCount() const noexcept { return pairs; } // pairs given, the first included

    // Grid points whose cell holds a pair.
    std::vector<bool> coveredGridPoints() const;

private:
    std::array<std::vector<Cell>, 2> cells; // rising, falling
    std::array<Extremes, 2> ranges;
    double previousX = 0.0, pairs = 0.0;
    int direction = 0;
    bool started = false;
};

// The unfinished grid, NaN where no data reaches. Noise is measured from the
// scatter inside the cells; a window grows while its estimate stays within
// the confidence intervals of the narrower ones, so a corner keeps a narrow
// window and a straight stretch a wide one.
std::vector<double> recordingFitGrid (const RecordingStatistics&);

FitResult fitRecording (const RecordingStatistics&, int smoothing);

// The whole estimator on pairs in memory: non-finite pairs dropped, both
// signals normalised to a peak of 1, then fitted and smoothed.
FitResult estimateRecording (const std::vector<double>& x, const std::vector<double>& y, int smoothing);
