#include "dsp/MeanEstimator.h"

#include "dsp/FitResult.h"
#include "dsp/SplitWork.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

SweepSegment makeSegment (const std::vector<double>& xn, size_t start, size_t end, bool rising)
{
    const auto [lo, hi] = std::minmax_element (xn.begin() + (std::ptrdiff_t) start, xn.begin() + (std::ptrdiff_t) end + 1);
    return { start, end, rising, *lo, *hi };
}

// The grid indices c with lo <= xAt(c) <= hi, as [first, last]; empty when first > last.
std::pair<int, int> gridRangeWithin (double lo, double hi)
{
    auto first = std::clamp ((int) std::ceil ((lo + 1.0) * 16383.0 / 2.0), 0, grid::size - 1);
    while (first > 0 && grid::xAt (first - 1) >= lo)
        --first;
    while (first < grid::size && grid::xAt (first) < lo)
        ++first;

    auto last = std::clamp ((int) std::floor ((hi + 1.0) * 16383.0 / 2.0), 0, grid::size - 1);
    while (last < grid::size - 1 && grid::xAt (last + 1) <= hi)
        ++last;
    while (last >= 0 && grid::xAt (last) > hi)
        --last;
    return { first, last };
}

bool isResamplable (const std::vector<double>& xn, const std::vector<double>& yn, const SweepSegment& seg)
{
    return seg.end > seg.start && xn.size() == yn.size() && seg.end < xn.size();
}

struct DirectionSums
{
    std::vector<double> risingSum, fallingSum;
    std::vector<int> risingCount, fallingCount;

    DirectionSums()
        : risingSum (grid::size, 0.0), fallingSum (grid::size, 0.0), risingCount (grid::size, 0), fallingCount (grid::size, 0)
    {
    }

    void add (int c, double value, bool rising)
    {
        if (rising)
        {
            risingSum[(size_t) c] += value;
            ++risingCount[(size_t) c];
        }
        else
        {
            fallingSum[(size_t) c] += value;
            ++fallingCount[(size_t) c];
        }
    }

    std::vector<double> combined() const
    {
        std::vector<double> out (grid::size, notANumber);
        for (size_t c = 0; c < out.size(); ++c)
        {
            const auto r = risingCount[c], f = fallingCount[c];
            if (r > 0 && f > 0)
                out[c] = (risingSum[c] / r + fallingSum[c] / f) / 2.0;
            else if (r > 0)
                out[c] = risingSum[c] / r;
            else if (f > 0)
                out[c] = fallingSum[c] / f;
        }
        return out;
    }
};
struct GridTable
{
    std::vector<double> x;
    GridTable() : x (grid::size)
    {
        for (int c = 0; c < grid::size; ++c)
            x[(size_t) c] = grid::xAt (c);
    }
};

// Adds one sweep's values for the grid points in [gridBegin, gridEnd). The
// points a sweep has reached after its first i pairs are exactly those inside
// the running [min, max] of its first i + 1 samples (a continuous path covers
// an interval), so each pair contributes only where it extends that interval:
// those points are bracketed by it first. This replaces a scan per grid point.
void accumulateSweep (const std::vector<double>& gx, const double* xs, const double* ys, size_t m, int gridBegin,
                      int gridEnd, double* sum, int* count)
{
    auto add = [&] (int first, int last, size_t i)
    {
        first = std::max (first, gridBegin);
        last = std::min (last, gridEnd - 1);
        // One division per pair instead of per grid point; moves values by a
        // few ulp at most.
        const auto dx = xs[i + 1] - xs[i];
        const auto slope = std::abs (dx) < 1e-12 ? 0.0 : (ys[i + 1] - ys[i]) / dx;
        const auto x0 = xs[i], y0 = ys[i];
        for (int c = first; c <= last; ++c)
        {
            sum[c] += y0 + (gx[(size_t) c] - x0) * slope;
            ++count[c];
        }
    };

    auto lo = std::min (xs[0], xs[1]), hi = std::max (xs[0], xs[1]);
    const auto [first, last] = gridRangeWithin (lo, hi);
    add (first, last, 0);

    for (size_t i = 1; i + 1 < m; ++i)
    {
        const auto next = xs[i + 1];
        if (next > hi)
        {
            auto from = gridRangeWithin (hi, next).first;
            if (from < grid::size && gx[(size_t) from] == hi)
                ++from;
            add (from, gridRangeWithin (hi, next).second, i);
            hi = next;
        }
        else if (next < lo)
        {
            auto to = gridRangeWithin (next, lo).second;
            if (to >= 0 && gx[(size_t) to] == lo)
                --to;
            add (gridRangeWithin (next, lo).first, to, i);
            lo = next;
        }
    }
}
} // namespace

std::vector<SweepSegment> findSweepSegments (const std::vector<double>& xn, int minLength, double threshold)
{
    std::vector<SweepSegment> segments;
    const auto n = xn.size();
    if (n < 2)
        return segments;

    int dir = 0;
    size_t runStart = 0;
    for (size_t i = 0; i + 1 < n; ++i)
    {
        const auto d = xn[i + 1] - xn[i];
        const int step = d > threshold ? 1 : (d < -threshold ? -1 : 0);
        if (dir == 0)
        {
            dir = step;
        }
        else if (step != 0 && step != dir)
        {
            if ((std::int64_t) (i - runStart + 1) >= minLength)
                segments.push_back (makeSegment (xn, runStart, i, dir > 0));
            dir = step;
            runStart = i;
        }
    }

    const auto last = n - 1;
    if ((std::int64_t) (last - runStart + 1) >= minLength && dir != 0)
        segments.push_back (makeSegment (xn, runStart, last, dir > 0));
    return segments;
}

std::vector<double> resampleSegment (const std::vector<double>& xn, const std::vector<double>& yn, const SweepSegment& seg)
{
    std::vector<double> values (grid::size, notANumber);
    if (! isResamplable (xn, yn, seg))
        return values;

    static const GridTable table;
    std::vector<double> sum (grid::size, 0.0);
    std::vector<int> count (grid::size, 0);
    accumulateSweep (table.x, xn.data() + seg.start, yn.data() + seg.start, (size_t) (seg.end - seg.start + 1), 0,
                     grid::size, sum.data(), count.data());
    for (size_t c = 0; c < values.size(); ++c)
        if (count[c] > 0)
            values[c] = sum[c];
    return values;
}

std::vector<double> combineSegments (const std::vector<std::vector<double>>& curves, const std::vector<SweepSegment>& segments)
{
    DirectionSums sums;
    for (size_t j = 0; j < curves.size() && j < segments.size(); ++j)
        for (int c = 0; c < grid::size; ++c)
            if (! std::isnan (curves[j][(size_t) c]))
                sums.add (c, curves[j][(size_t) c], segments[j].rising);
    return sums.combined();
}


std::vector<double> meanFitGrid (const std::vector<double>& xn, const std::vector<double>& yn)
{
    // Only pairs that are numbers within the normalised range can be placed on the grid.
    for (size_t i = 0; i < std::min (xn.size(), yn.size()); ++i)
        if (! (std::abs (xn[i]) <= 1.0 && std::isfinite (yn[i])))
            return {};
    const auto segments = findSweepSegments (xn, 2, 0.0001);
    if (segments.empty())
        return {};

    static const GridTable table;
    DirectionSums sums;

    // Each thread owns half of the grid and visits every sweep in order, so
    // every grid point still sums its values in sweep order.
    auto work = [&] (int gridBegin, int gridEnd)
    {
        for (const auto& seg : segments)
        {
            if (! isResamplable (xn, yn, seg))
                continue;
            auto* sum = seg.rising ? sums.risingSum.data() : sums.fallingSum.data();
            auto* count = seg.rising ? sums.risingCount.data() : sums.fallingCount.data();
            accumulateSweep (table.x, xn.data() + seg.start, yn.data() + seg.start, (size_t) (seg.end - seg.start + 1),
                             gridBegin, gridEnd, sum, count);
        }
    };

    runSplitInTwo (0, grid::size / 2, grid::size, work);
    return sums.combined();
}
