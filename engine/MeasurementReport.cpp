#include "engine/MeasurementReport.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
int nearestGridIndex (double x) { return std::clamp ((int) std::lround ((x + 1.0) * 0.5 * (grid::size - 1)), 0, grid::size - 1); }

// Mean residuals (Y less the curve) per coarse X bin for two groups of pairs
// (rising and falling X; the first and second half of the capture). The
// residual, not Y, is compared: the curve's own slope inside a bin would
// otherwise count as a difference wherever the groups' X lie differently in it.
class GroupedResiduals
{
public:
    void add (int group, double x, double residual)
    {
        auto& b = bins[(size_t) group][(size_t) std::clamp ((int) ((x + 1.0) * 0.5 * binCount), 0, binCount - 1)];
        b.n += 1.0;
        b.sum += residual;
        b.squares += residual * residual;
    }

    // The largest gap between the groups, where both have data, beyond what
    // the scatter in the bins could make of it (three standard errors).
    double widest() const
    {
        double gap = 0.0;
        for (size_t i = 0; i < (size_t) binCount; ++i)
        {
            const auto &a = bins[0][i], &b = bins[1][i];
            if (a.n < 2.0 || b.n < 2.0)
                continue;
            const auto standardError = std::sqrt (a.variance() / a.n + b.variance() / b.n);
            gap = std::max (gap, std::abs (a.mean() - b.mean()) - 3.0 * standardError);
        }
        return gap;
    }

private:
    struct Bin
    {
        double n = 0.0, sum = 0.0, squares = 0.0;
        double mean() const { return sum / n; }
        double variance() const { return std::max (0.0, (squares - sum * sum / n) / (n - 1.0)); }
    };
    static constexpr int binCount = 256;
    std::vector<Bin> bins[2] { std::vector<Bin> (binCount), std::vector<Bin> (binCount) };
};

} // namespace

double tableValueAt (const std::vector<double>& table, double x)
{
    if (table.empty() || ! std::isfinite (x))
        return std::numeric_limits<double>::quiet_NaN();
    const auto position = std::clamp ((x + 1.0) * 0.5 * (double) (table.size() - 1), 0.0, (double) (table.size() - 1));
    const auto i = std::min ((size_t) position, table.size() - 2);
    const auto t = position - (double) i;
    return table[i] + (table[i + 1] - table[i]) * t;
}

double curveValueAt (const std::vector<double>& table, double x) { return tableValueAt (table, x + 1.0 / (grid::size - 1)); }

MeasurementReport describePairs (const PairStream& pairs, size_t finitePairs, const TableScales& scales, const FitResult& fit, PairSamples& samples)
{
    MeasurementReport report;
    report.gridHasData.assign ((size_t) grid::size, false);
    samples.density.yRange = 1.02 * std::max (1.0, 1.0 / scales.tableFactor);
    samples.density.counts.assign ((size_t) (samples.density.columns * samples.density.rows), 0.0);
    samples.residuals = {};
    samples.excerptX.clear();
    samples.excerptY.clear();
    if (! fit.valid)
        return report;

    constexpr int stretches = 64;
    std::vector<bool> stretchHasData (stretches, false);
    GroupedResiduals branches, halves;
    double squares = 0.0, ySquares = 0.0, xMinimum = 1.0, xMaximum = -1.0, previousX = 0.0;
    double curveSum = 0.0, curveSquares = 0.0;
    size_t used = 0;
    const auto xScale = 1.0 / scales.xPeak, yScale = 1.0 / scales.outputScale();
    pairs ([&] (const double* x, const double* y, size_t n)
    {
        for (size_t i = 0; i < n; ++i)
        {
            if (samples.excerptX.size() < samples.excerptSize)
            {
                samples.excerptX.push_back (x[i]);
                samples.excerptY.push_back (y[i]);
            }
            if (! std::isfinite (x[i]) || ! std::isfinite (y[i]))
                continue;
            const auto xn = x[i] * xScale, yt = y[i] * yScale;
            const auto curve = curveValueAt (fit.smoothedBins, xn);
            const auto e = yt - curve;
            curveSum += curve;
            curveSquares += curve * curve;
            squares += e * e;
            ySquares += yt * yt;
            xMinimum = std::min (xMinimum, xn);
            xMaximum = std::max (xMaximum, xn);
            report.gridHasData[(size_t) nearestGridIndex (xn)] = true;
            stretchHasData[(size_t) std::clamp ((int) ((xn + 1.0) * 0.5 * stretches), 0, stretches - 1)] = true;
            if (used > 0 && xn != previousX)
                branches.add (xn > previousX ? 0 : 1, xn, e);
            previousX = xn;
            halves.add (used < finitePairs / 2 ? 0 : 1, xn, e);
            samples.density.add (xn, yt);
            samples.residuals.add (xn, e);
            ++used;
        }
    });
    if (used == 0)
        return report;
    report.pairsUsed = (int) used;
    report.xMinimum = xMinimum;
    report.xMaximum = xMaximum;
    report.coverage = (double) std::count (report.gridHasData.begin(), report.gridHasData.end(), true) / grid::size;
    report.rangeCoverage = (double) std::count (stretchHasData.begin(), stretchHasData.end(), true) / stretches;
    report.residualRms = std::sqrt (squares / (double) used) * scales.outputScale();
    report.esr = ySquares > 0.0 ? squares / ySquares : 0.0;
    report.normalisedResidual = std::sqrt (report.esr);
    report.hysteresisWidth = branches.widest();
    report.repeatability = halves.widest();
    const auto curveMean = curveSum / (double) used;
    report.curveVariation = std::sqrt (std::max (0.0, curveSquares / (double) used - curveMean * curveMean) / std::max (1.0e-300, ySquares / (double) used));
    return report;
}
