#include "tools/measurement/MeasurementReport.h"

#include <algorithm>
#include <cmath>

namespace
{
int nearestGridIndex (double x) { return std::clamp ((int) std::lround ((x + 1.0) * 0.5 * (grid::size - 1)), 0, grid::size - 1); }

// Means of Y per coarse X bin for rising and for falling X.
class BranchMeans
{
public:
    void add (double x, double y)
    {
        if (started && x != previous)
        {
            auto& b = bins[x > previous ? 0 : 1][(size_t) std::clamp ((int) ((x + 1.0) * 0.5 * binCount), 0, binCount - 1)];
            b.n += 1.0;
            b.y += y;
            b.yy += y * y;
        }
        started = true;
        previous = x;
    }

    // The largest gap between the two, where both have data, beyond what
    // the scatter in the bins could make of it (three standard errors).
    double widest() const
    {
        double gap = 0.0;
        for (size_t i = 0; i < (size_t) binCount; ++i)
        {
            const auto &rising = bins[0][i], &falling = bins[1][i];
            if (rising.n < 2.0 || falling.n < 2.0)
                continue;
            const auto standardError = std::sqrt (rising.variance() / rising.n + falling.variance() / falling.n);
            gap = std::max (gap, std::abs (rising.mean() - falling.mean()) - 3.0 * standardError);
        }
        return gap;
    }

private:
    struct Bin
    {
        double n = 0.0, y = 0.0, yy = 0.0;
        double mean() const { return y / n; }
        double variance() const { return std::max (0.0, (yy - y * y / n) / (n - 1.0)); }
    };
    static constexpr int binCount = 256;
    std::vector<Bin> bins[2] { std::vector<Bin> (binCount), std::vector<Bin> (binCount) };
    double previous = 0.0;
    bool started = false;
};
} // namespace

double tableFactorOf (const FitResult& fit)
{
    double cross = 0.0, squares = 0.0;
    for (size_t i = 0; i < std::min (fit.bins.size(), fit.smoothedBins.size()); ++i)
    {
        cross += fit.bins[i] * fit.smoothedBins[i];
        squares += fit.smoothedBins[i] * fit.smoothedBins[i];
    }
    const auto factor = squares > 0.0 ? cross / squares : 1.0;
    return factor > 0.0 ? factor : 1.0;
}

double tableValueAt (const std::vector<double>& table, double x)
{
    if (table.empty())
        return 0.0;
    const auto position = std::clamp ((x + 1.0) * 0.5 * (double) (table.size() - 1), 0.0, (double) (table.size() - 1));
    const auto i = std::min ((size_t) position, table.size() - 2);
    const auto t = position - (double) i;
    return table[i] + (table[i + 1] - table[i]) * t;
}

void DensityGrid::add (double x, double y)
{
    const auto column = (int) ((x + 1.0) * 0.5 * columns), row = (int) ((y / yRange + 1.0) * 0.5 * rows);
    if (column >= 0 && column < columns && row >= 0 && row < rows)
        counts[(size_t) (row * columns + column)] += 1.0;
}

void ResidualProfile::add (double x, double residual)
{
    const auto b = (size_t) std::clamp ((int) ((x + 1.0) * 0.5 * bins), 0, bins - 1);
    minimum[b] = count[b] > 0.0 ? std::min (minimum[b], residual) : residual;
    maximum[b] = count[b] > 0.0 ? std::max (maximum[b], residual) : residual;
    count[b] += 1.0;
    sum[b] += residual;
    squares[b] += residual * residual;
}

double curveValueAt (const std::vector<double>& table, double x) { return tableValueAt (table, x + 1.0 / (grid::size - 1)); }

MeasurementReport describePairs (const PairStream& pairs, const TableScales& scales, const FitResult& fit, PairSamples& samples)
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
    BranchMeans branches;
    double squares = 0.0, ySquares = 0.0, xMinimum = 1.0, xMaximum = -1.0;
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
            const auto e = yt - curveValueAt (fit.smoothedBins, xn);
            squares += e * e;
            ySquares += yt * yt;
            xMinimum = std::min (xMinimum, xn);
            xMaximum = std::max (xMaximum, xn);
            report.gridHasData[(size_t) nearestGridIndex (xn)] = true;
            stretchHasData[(size_t) std::clamp ((int) ((xn + 1.0) * 0.5 * stretches), 0, stretches - 1)] = true;
            branches.add (xn, yt);
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
    report.residualRms = std::sqrt (squares / (double) used);
    report.esr = ySquares > 0.0 ? squares / ySquares : 0.0;
    report.normalisedResidual = std::sqrt (report.esr);
    report.hysteresisWidth = branches.widest();
    return report;
}

double repeatabilityOf (const FitResult& first, const std::vector<bool>& firstCovered, const FitResult& second,
                        const std::vector<bool>& secondCovered)
{
    double largest = 0.0;
    if (! first.valid || ! second.valid)
        return largest;
    for (size_t c = 0; c < (size_t) grid::size; ++c)
        if (firstCovered[c] && secondCovered[c])
            largest = std::max (largest, std::abs (first.smoothedBins[c] - second.smoothedBins[c]));
    return largest;
}
