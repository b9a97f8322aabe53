#pragma once

#include "dsp/FitResult.h"
#include "engine/PairStream.h"
#include "engine/PairDistribution.h"
#include "engine/TableScales.h"

#include <vector>

// How far a measurement can be trusted, from the pairs it used and the
// fitted table (in the table's normalised units).
struct MeasurementReport
{
    int pairsUsed = 0;
    double xMinimum = 0.0, xMaximum = 0.0;     // X covered, table units (X over its peak)
    double coverage = 0.0;                     // grid points with a pair nearest them, 0..1
    double rangeCoverage = 0.0;                // of 64 equal stretches of X's range, those holding pairs, 0..1
    double residualRms = 0.0;                  // Y against the fitted curve, Y's full-scale units
    double normalisedResidual = 0.0;           // the same over the RMS of Y
    double esr = 0.0;                          // error-to-signal ratio: sum of (Y - curve)^2 over sum of Y^2
    double hysteresisWidth = 0.0;              // largest rising/falling gap beyond the noise
    double repeatability = 0.0;                // largest gap between the two halves beyond the noise, where both have data
    double curveVariation = 0.0;               // RMS of the curve about its mean over the pairs, over the RMS of Y
    double latencyX = 0.0, latencyY = 0.0;
    std::vector<bool> gridHasData;             // per grid point
};

// The table's value at normalised x, linear between grid points; NaN for
// an x that is not a number (or an empty table).
double tableValueAt (const std::vector<double>& table, double x);

// The curve a published table describes at normalised x: the smoothing's
// resampling leaves each entry half a grid step to the left of its point.
double curveValueAt (const std::vector<double>& table, double x);

// Where a published table's entry belongs on the curve: half a grid step
// below the entry's own point.
inline double curvePositionOf (int entry) noexcept { return grid::xAt (entry) - 1.0 / (grid::size - 1); }

// What one pass over the pairs keeps besides the figures: where the pairs
// lie and how far they stray from the curve, for a picture, and the first
// consecutive pairs as recorded, for a spectrum.
struct PairSamples
{
    DensityGrid density;
    ResidualProfile residuals;
    std::vector<double> excerptX, excerptY;
    size_t excerptSize = 65536;
};

// One pass over the pairs (of which `finitePairs` are finite; the first half
// of those is set against the second for the repeatability).
MeasurementReport describePairs (const PairStream&, size_t finitePairs, const TableScales&, const FitResult&, PairSamples&);
