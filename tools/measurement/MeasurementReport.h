#pragma once

#include "dsp/FitResult.h"

#include <vector>

// How far a measurement can be trusted, from the aligned pairs it used and
// the fitted table (both in the estimator's normalised units).
struct MeasurementReport
{
    int pairsUsed = 0;
    double xMinimum = 0.0, xMaximum = 0.0;     // normalised X covered
    double coverage = 0.0;                     // grid points with data before gap filling, 0..1
    double residualRms = 0.0;                  // Y against the fitted curve
    double hysteresisWidth = 0.0;              // largest rising/falling gap
    double repeatability = 0.0;                // largest difference of the two halves' fits
    double latencyX = 0.0, latencyY = 0.0;
    std::vector<bool> gridHasData;             // per grid point, before gap filling
};

// The table's value at normalised x, linear between grid points.
double tableValueAt (const std::vector<double>& table, double x);

// Y in the published table's units. The estimator divides Y by its peak, and
// the smoothing scales the finished table to a peak of 1 again; a device
// whose curve does not reach Y's peak (hysteresis, a DC shift) needs the
// second factor too.
std::vector<double> inTableUnits (const std::vector<double>& y, const FitResult& fit);

MeasurementReport describeMeasurement (const std::vector<double>& x, const std::vector<double>& y, const FitResult& fit, int smoothing,
                                       CaptureAlgorithm algorithm);
