#pragma once

#include <cstdint>
#include <utility>
#include <vector>

// "ODR": tricube-weighted local linear regression around every grid point; the
// refinement passes also weight each point by 1 / (1 + K^2), K the slope of the
// current estimate at the point's x, so steep parts of a curve are fitted
// across rather than only along X.
struct OdrPair
{
    double x, y;
};

struct LoessResult
{
    std::vector<double> initial;      // NaN where the first pass gives no value
    std::vector<std::int32_t> counts; // points of weight above 1e-10 per grid point
};

LoessResult loessFit (const std::vector<OdrPair>& sortedPairs, double h);

std::vector<double> odrRefine (const std::vector<OdrPair>& sortedPairs, const std::vector<double>& initial,
                               const std::vector<std::int32_t>& counts, double h, double tolerance, int passLimit);

// The whole ODR grid from the normalised capture (sorts a copy of the pairs).
std::vector<double> odrFitGrid (const std::vector<double>& xn, const std::vector<double>& yn);

// The weighted local linear fit at x0 over (x, y, w) triples; NaN when there is
// no value. Exposed for tests of its degenerate cases.
double weightedLocalLinearFit (const double* x, const double* y, const double* w, int n, double x0);
