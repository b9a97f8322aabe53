#include "dsp/TransferFunctionEstimator.h"

#include "dsp/MeanEstimator.h"
#include "dsp/OdrEstimator.h"
#include "dsp/RecordingEstimator.h"
#include "dsp/Smoothing.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

void fillInteriorGaps (std::vector<double>& v, int first, int last)
{
    for (int i = first + 1; i < last; ++i)
    {
        if (! std::isnan (v[(size_t) i]))
            continue;
        auto j = i + 1;
        while (std::isnan (v[(size_t) j]))
            ++j;
        v[(size_t) i] = v[(size_t) i - 1] + (v[(size_t) j] - v[(size_t) i - 1]) / (j - i + 1);
    }
}

void extrapolateEdges (std::vector<double>& v, int first, int last)
{
    const auto n = (int) v.size();
    const auto left = (first + 1 < n && ! std::isnan (v[(size_t) first + 1])) ? v[(size_t) first + 1] - v[(size_t) first] : 0.0;
    for (int i = 0; i < first; ++i)
        v[(size_t) i] = v[(size_t) first] + (i - first) * left;

    const auto right = (last >= 1 && ! std::isnan (v[(size_t) last - 1])) ? v[(size_t) last] - v[(size_t) last - 1] : 0.0;
    for (int i = last + 1; i < n; ++i)
        v[(size_t) i] = v[(size_t) last] + (i - last) * right;
}

// A misbehaving host or device can deliver NaN or infinite samples; they must
// never reach a published table, so such pairs are dropped before normalising.
void dropNonFinitePairs (std::vector<double>& x, std::vector<double>& y)
{
    size_t kept = 0;
    for (size_t i = 0; i < x.size(); ++i)
        if (std::isfinite (x[i]) && std::isfinite (y[i]))
        {
            x[kept] = x[i];
            y[kept] = y[i];
            ++kept;
        }
    x.resize (kept);
    y.resize (kept);
}

bool allNaN (const std::vector<double>& grid)
{
    return std::all_of (grid.begin(), grid.end(), [] (double v) { return std::isnan (v); });
}

FitResult odrPath (const std::vector<double>& xn, const std::vector<double>& yn, int smoothing)
{
    auto grid = odrFitGrid (xn, yn);
    if (allNaN (grid))
        return binnedMeanFit (xn, yn, smoothing);
    return completeFit (grid, smoothing);
}

FitResult meanPath (const std::vector<double>& xn, const std::vector<double>& yn, int smoothing)
{
    auto grid = meanFitGrid (xn, yn);
    if (grid.empty() || allNaN (grid))
        return odrPath (xn, yn, smoothing);
    return completeFit (grid, smoothing);
}
} // namespace

std::vector<double> normaliseToPeak (const std::vector<double>& v)
{
    double peak = 0.0;
    for (auto value : v)
        peak = std::max (peak, std::abs (value));
    if (peak == 0.0)
        return {};

    std::vector<double> out (v.size());
    for (size_t i = 0; i < v.size(); ++i)
        out[i] = v[i] / peak;
    return out;
}

std::vector<double> finishTable (std::vector<double> g)
{
    const auto n = (int) g.size();
    int first = -1, last = -1;
    for (int i = 0; i < n; ++i)
        if (! std::isnan (g[(size_t) i]))
        {
            if (first < 0)
                first = i;
            last = i;
        }

    if (first < 0)
        return std::vector<double> (g.size(), 0.0);
    if (first == last)
        return std::vector<double> (g.size(), g[(size_t) first]);

    fillInteriorGaps (g, first, last);
    extrapolateEdges (g, first, last);
    return g;
}

FitResult completeFit (const std::vector<double>& grid, int smoothing)
{
    FitResult result;
    result.bins = finishTable (grid);
    result.smoothedBins = smoothTransferFunction (result.bins, smoothing);
    result.valid = true;
    return result;
}

FitResult binnedMeanFit (const std::vector<double>& xn, const std::vector<double>& yn, int smoothing)
{
    std::vector<double> sums (grid::size, 0.0);
    std::vector<int> counts (grid::size, 0);
    const auto n = std::min (xn.size(), yn.size());
    for (size_t i = 0; i < n; ++i)
    {
        const auto c = std::clamp (xn[i], -1.0, 1.0);
        const auto bin = std::clamp ((int) ((c + 1.0) * 0.5 * 16383.0), 0, grid::size - 1);
        sums[(size_t) bin] += yn[i];
        ++counts[(size_t) bin];
    }

    std::vector<double> values (grid::size, notANumber);
    for (size_t b = 0; b < values.size(); ++b)
        if (counts[b] > 0)
            values[b] = sums[b] / counts[b];
    return completeFit (values, smoothing);
}

FitResult estimateTransferFunction (const std::vector<double>& x, const std::vector<double>& y, int smoothing,
                                    CaptureAlgorithm algorithm)
{
    if (x.size() != y.size())
        return {};
    if (algorithm == CaptureAlgorithm::Auto)
        return estimateRecording (x, y, smoothing);

    auto finiteX = x, finiteY = y;
    dropNonFinitePairs (finiteX, finiteY);

    const auto xn = normaliseToPeak (finiteX);
    const auto yn = normaliseToPeak (finiteY);
    if (xn.empty() || yn.empty() || xn.size() != yn.size())
        return {};

    return algorithm == CaptureAlgorithm::Mean ? meanPath (xn, yn, smoothing) : odrPath (xn, yn, smoothing);
}
