#pragma once

#include "dsp/MeanEstimator.h"
#include "dsp/OdrEstimator.h"

#include <vector>

// Slow, literal implementations of the Mean and ODR grids: a linear scan of each
// sweep per grid point with one vector per sweep, and a bisection plus per-point
// slope for every window of every pass. The fast code must agree with them.
namespace reference
{
std::vector<double> meanGrid (const std::vector<double>& xn, const std::vector<double>& yn);
std::vector<double> odrGrid (const std::vector<double>& xn, const std::vector<double>& yn);
} // namespace reference
