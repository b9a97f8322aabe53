#include "tools/measurement/MeasurementReport.h"

#include "dsp/TransferFunctionEstimator.h"

#include <algorithm>
#include <cmath>

namespace
{
int nearestGridIndex (double x) { return std::clamp ((int) std::lround ((x + 1.0) * 0.5 * (grid::size - 1)), 0, grid::size - 1); }

// Means of Y per coarse X bin for rising and for falling X; the largest gap
// between the two where both have data.
double hysteresisWidth (const std::vector<double>& x, const std::vector<double>& y)
{
    constexpr int bins = 256;
    std::vector<double> sum[2] { std::vector<double> (bins, 0.0), std::vector<double> (bins, 0.0) };
    std::vector<int> count[2] { std::vector<int> (bins, 0), std::vector<int> (bins, 0) };
    for (size_t i = 0; i + 1 < x.size(); ++i)
    {
        const auto dx = x[i + 1] - x[i];
        if (dx == 0.0)
            continue;
        const auto direction = dx > 0.0 ? 0 : 1;
        const auto bin = std::clamp ((int) ((x[i] + 1.0) * 0.5 * bins), 0, bins - 1);
        sum[direction][(size_t) bin] += y[i];
        ++count[direction][(size_t) bin];
    }
    double widest = 0.0;
    for (int b = 0; b < bins; ++b)
        if (count[0][(size_t) b] > 0 && count[1][(size_t) b] > 0)
            widest = std::max (widest, std::abs (sum[0][(size_t) b] / count[0][(size_t) b] - sum[1][(size_t) b] / count[1][(size_t) b]));
    return widest;
}

std::vector<bool> coveredPoints (const std::vector<double>& xn)
{
    std::vector<bool> covered ((size_t) grid::size, false);
    for (const auto v : xn)
        covered[(size_t) nearestGridIndex (v)] = true;
    return covered;
}
} // namespace

double tableValueAt (const std::vector<double>& table, double x)
{
    if (table.empty())
        return 0.0;
    const auto position = std::clamp ((x + 1.0) * 0.5 * (double) (table.size() - 1), 0.0, (double) (table.size() - 1));
    const auto i = std::min ((size_t) position, table.size() - 2);
    const auto t = position - (double) i;
    return table[i] + (table[i + 1] - table[i]) * t;
}

std::vector<double> inTableUnits (const std::vector<double>& y, const FitResult& fit)
{
    auto yn = normaliseToPeak (y);
    // The factor that took the unsmoothed table to the published one, as a
    // least-squares ratio (the smoothing itself changes the shape slightly).
    double cross = 0.0, squares = 0.0;
    for (size_t i = 0; i < std::min (fit.bins.size(), fit.smoothedBins.size()); ++i)
    {
        cross += fit.bins[i] * fit.smoothedBins[i];
        squares += fit.smoothedBins[i] * fit.smoothedBins[i];
    }
    const auto factor = squares > 0.0 ? cross / squares : 1.0;
    if (factor > 0.0)
        for (auto& v : yn)
            v /= factor;
    return yn;
}

MeasurementReport describeMeasurement (const std::vector<double>& x, const std::vector<double>& y, const FitResult& fit, int smoothing,
                                       CaptureAlgorithm algorithm)
{
    MeasurementReport report;
    report.pairsUsed = (int) std::min (x.size(), y.size());
    if (report.pairsUsed == 0 || ! fit.valid)
        return report;

    const auto xn = normaliseToPeak (x);
    const auto yn = inTableUnits (y, fit);
    report.xMinimum = *std::min_element (xn.begin(), xn.end());
    report.xMaximum = *std::max_element (xn.begin(), xn.end());
    report.gridHasData = coveredPoints (xn);
    report.coverage = (double) std::count (report.gridHasData.begin(), report.gridHasData.end(), true) / grid::size;

    double squares = 0.0;
    for (size_t i = 0; i < xn.size(); ++i)
    {
        const auto e = yn[i] - tableValueAt (fit.smoothedBins, xn[i]);
        squares += e * e;
    }
    report.residualRms = std::sqrt (squares / (double) xn.size());
    report.hysteresisWidth = hysteresisWidth (xn, yn);

    // The two halves fitted on their own: a drifting device, a time-based
    // effect or noise makes them disagree.
    const auto half = x.size() / 2;
    const std::vector<double> x1 (x.begin(), x.begin() + (std::ptrdiff_t) half), y1 (y.begin(), y.begin() + (std::ptrdiff_t) half);
    const std::vector<double> x2 (x.begin() + (std::ptrdiff_t) half, x.end()), y2 (y.begin() + (std::ptrdiff_t) half, y.end());
    const auto first = estimateTransferFunction (x1, y1, smoothing, algorithm);
    const auto second = estimateTransferFunction (x2, y2, smoothing, algorithm);
    if (first.valid && second.valid)
    {
        const auto covered1 = coveredPoints (normaliseToPeak (x1)), covered2 = coveredPoints (normaliseToPeak (x2));
        for (int c = 0; c < grid::size; ++c)
            if (covered1[(size_t) c] && covered2[(size_t) c])
                report.repeatability = std::max (report.repeatability,
                                                 std::abs (first.smoothedBins[(size_t) c] - second.smoothedBins[(size_t) c]));
    }
    return report;
}
