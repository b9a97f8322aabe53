#pragma once

#include "dsp/FitResult.h"

// How the pairs map into the published table's units: x / xPeak, and
// y / (yPeak * tableFactor). The estimator divides Y by its peak and the
// smoothing scales the finished table to a peak of 1 again; a device whose
// curve does not reach Y's peak (hysteresis, a DC shift) needs that factor.
struct TableScales
{
    double xPeak = 1.0, yPeak = 1.0, tableFactor = 1.0;

    double outputScale() const noexcept { return yPeak * tableFactor; } // table units to Y's full-scale units
};

// The factor that took the unsmoothed table to the published one, as a
// least-squares ratio (the smoothing itself changes the shape slightly).
double tableFactorOf (const FitResult&);
