#include "dsp/RecordingEstimator.h"

#include "dsp/PairPeaks.h"
#include "dsp/TransferFunctionEstimator.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
using Cells = std::vector<RecordingStatistics::Cell>;

// Half as many cells as grid points keeps the sums within a core's cache;
// the local line places every grid point within its cell.
constexpr int cellCount = grid::size / 2;
constexpr double cellWidth = 2.0 / cellCount;

inline double cellCentre (int j) noexcept { return (j + 0.5) * cellWidth - 1.0; }
inline int cellOf (double x) noexcept { return std::min (cellCount - 1, (int) ((x + 1.0) * (0.5 * cellCount))); }
constexpr double noiseFloor = 1.0e-7;  // below the finest recording's resolution
constexpr double intervalWidth = 2.0;  // confidence intervals in standard errors
constexpr int halfWidths[] = { 0, 1, 2, 4, 8, 16, 32, 64 }; // in cells
constexpr int selectionStep = 8;       // windows are chosen at every 8th grid point
constexpr double noticeableNoise = 1.0e-5; // of full scale: below it, data count as noise-free

// A sum carried in two doubles, so a difference of two running totals keeps
// the precision of the window it spans however much lies before it.
struct Compensated
{
    double high = 0.0, low = 0.0;

    void add (double v)
    {
        const auto sum = high + v;
        const auto rounded = sum - high;
        low += (high - (sum - rounded)) + (v - rounded);
        high = sum;
    }
};

double difference (const Compensated& b, const Compensated& a) { return (b.high - a.high) + (b.low - a.low); }

// A window's sums about x = 0.
struct Sums
{
    double n = 0.0, x = 0.0, xx = 0.0, y = 0.0, xy = 0.0;
};

Sums aboutOrigin (const RecordingStatistics::Cell& cell, int c)
{
    const auto centre = cellCentre (c);
    return { cell.count, cell.x + cell.count * centre, cell.xx + 2.0 * centre * cell.x + cell.count * centre * centre, cell.y,
             cell.xy + centre * cell.y };
}

// Scatter about the cell's own line: noise, not the curve's shape.
void addCellNoise (const RecordingStatistics::Cell& cell, double& squares, double& freedom)
{
    if (cell.count < 3.0)
        return;
    squares += cell.residualSquares();
    freedom += cell.count - (cell.xVaries() ? 2.0 : 1.0);
}

struct Running
{
    double n = 0.0; // counts stay exact in a double
    Compensated x, xx, y, xy;
    double noiseSquares = 0.0, noiseFreedom = 0.0;
};

// Running totals over the cells, so any window's sums cost two lookups.
class Totals
{
public:
    // Over one branch's cells, or over both branches pooled.
    explicit Totals (const RecordingStatistics& statistics, std::initializer_list<int> directions) : running (statistics.branch (0).size() + 1)
    {
        const auto& cells = statistics.branch (*directions.begin());
        const auto* other = directions.size() > 1 ? &statistics.branch (*(directions.begin() + 1)) : nullptr;
        for (size_t k = 0; k < directions.size(); ++k)
            branchExtremes[k] = &statistics.extremes (*(directions.begin() + k));
        for (size_t c = 0; c < cells.size(); ++c)
        {
            auto next = running[c];
            for (const auto* branch : { &cells, other })
            {
                if (branch == nullptr)
                    continue;
                const auto& cell = (*branch)[c];
                if (cell.count == 0.0)
                    continue;
                const auto s = aboutOrigin (cell, (int) c);
                next.n += s.n;
                next.x.add (s.x);
                next.xx.add (s.xx);
                next.y.add (s.y);
                next.xy.add (s.xy);
                addCellNoise (cell, next.noiseSquares, next.noiseFreedom);
            }
            running[c + 1] = next;
        }
        const auto& all = running.back();
        if (all.noiseFreedom > 0.0)
            globalNoise = std::sqrt (all.noiseSquares / all.noiseFreedom);

        const auto n = (int) cells.size();
        previousFilled.resize (cells.size());
        nextFilled.resize (cells.size());
        for (int c = 0, last = -1; c < n; ++c)
            previousFilled[(size_t) c] = last = count (c, c) > 0.0 ? c : last;
        for (int c = n - 1, first = n; c >= 0; --c)
            nextFilled[(size_t) c] = first = count (c, c) > 0.0 ? c : first;
    }

    double count (int lo, int hi) const { return running[(size_t) hi + 1].n - running[(size_t) lo].n; }

    // The nearest cell at or before (after) c holding pairs; -1 (the cell count) when none.
    int filledAtOrBefore (int c) const { return c < 0 ? -1 : previousFilled[(size_t) c]; }
    int filledAtOrAfter (int c) const { return c > lastCell() ? lastCell() + 1 : nextFilled[(size_t) c]; }

    int lastCell() const { return (int) running.size() - 2; }

    Sums sums (int lo, int hi) const
    {
        const auto &a = running[(size_t) lo], &b = running[(size_t) hi + 1];
        return { b.n - a.n, difference (b.x, a.x), difference (b.xx, a.xx), difference (b.y, a.y), difference (b.xy, a.xy) };
    }

    // The window's own noise when it holds enough scatter to tell, else the recording's.
    double noiseSquared (int lo, int hi) const
    {
        const auto &a = running[(size_t) lo], &b = running[(size_t) hi + 1];
        const auto freedom = b.noiseFreedom - a.noiseFreedom;
        const auto noise = freedom >= 8.0 ? std::sqrt (std::max (0.0, b.noiseSquares - a.noiseSquares) / freedom) : globalNoise;
        return std::max (noiseFloor, noise) * std::max (noiseFloor, noise);
    }

    double noise() const { return std::max (noiseFloor, globalNoise); }

    // The value held within the lowest and highest y of the window's cells
    // and of the nearest pairs either side of the point's cell j: a line
    // through a step would otherwise overshoot every datum, while a point
    // beyond the last pair in its cell may rightly lie a little beyond that
    // cell's values, on the way to the next pairs.
    double withinData (double value, int lo, int hi, int j) const
    {
        const auto before = filledAtOrBefore (j - 1), after = filledAtOrAfter (j + 1);
        if (before < 0 || after > lastCell())
            return value; // beyond the outermost pairs the line may carry on
        auto low = std::numeric_limits<double>::infinity(), high = -low;
        auto take = [&] (int c)
        {
            for (const auto* e : branchExtremes)
                if (e != nullptr)
                {
                    low = std::min (low, e->low[(size_t) c]);
                    high = std::max (high, e->high[(size_t) c]);
                }
        };
        // Only filled cells count, so a wide bracketing window is visited by its filled cells alone.
        for (auto c = filledAtOrAfter (lo); c <= hi; c = filledAtOrAfter (c + 1))
            take (c);
        take (before);
        take (after);
        return low <= high ? std::clamp (value, low, high) : value;
    }

private:
    std::array<const RecordingStatistics::Extremes*, 2> branchExtremes {}; // of the branches taken
    std::vector<Running> running;
    std::vector<int> previousFilled, nextFilled;
    double globalNoise = noiseFloor;
};

struct Estimate
{
    double value = 0.0, variance = 0.0; // variance in units of the noise's
};

// Local linear fit evaluated at x. None when the window holds too few pairs,
// too close together, or lies so far to one side of x that the line would be
// a long extrapolation.
bool estimateLine (const Sums& s, double x, Estimate& out)
{
    if (s.n < 1.5)
        return false;
    const auto meanX = s.x / s.n, meanY = s.y / s.n;
    const auto sxx = s.xx - s.x * meanX;
    const auto offset = x - meanX;
    if (! (sxx > 1.0e-4 * s.n * cellWidth * cellWidth) || offset * offset * s.n > 4.0 * sxx)
        return false;
    out.value = meanY + (s.xy - s.x * meanY) / sxx * offset;
    out.variance = 1.0 / s.n + offset * offset / sxx;
    return true;
}

int windowStart (int j, int k) { return std::max (0, j - k); }
int windowEnd (const Totals& t, int j, int k) { return std::min (t.lastCell(), j + k); }

constexpr int bracketing = -1, noWindow = -2;

// Where the pairs are sparse, the pairs just either side of x (beyond the
// outermost pair, the last two), however far apart: a line through them
// interpolates the data, as no symmetric window can.
bool bracketingWindow (const Totals& t, double x, int j, int& lo, int& hi)
{
    const auto own = t.sums (j, j);
    if (own.n >= 2.0)
        return false;
    const auto ownX = own.n > 0.0 ? own.x / own.n : x;
    auto left = own.n > 0.0 && ownX <= x ? j : t.filledAtOrBefore (j - 1);
    auto right = own.n > 0.0 && ownX > x ? j : t.filledAtOrAfter (j + 1);
    if (left < 0)
        left = right, right = t.filledAtOrAfter (right + 1);
    else if (right > t.lastCell())
        right = left, left = t.filledAtOrBefore (left - 1);
    lo = left;
    hi = right;
    return lo >= 0 && hi <= t.lastCell();
}

// Windows from the narrowest, the bracketing one first where there is one.
template <typename Visit>
void forEachWindow (const Totals& t, double x, int j, int from, Visit&& visit)
{
    int lo = 0, hi = 0;
    if (from == bracketing && bracketingWindow (t, x, j, lo, hi) && ! visit (bracketing, lo, hi))
        return;
    for (const auto k : halfWidths)
        if (k >= from && ! visit (k, windowStart (j, k), windowEnd (t, j, k)))
            return;
}

// The widest window whose estimate stays inside every narrower window's
// confidence interval: a corner keeps a narrow window, a straight stretch a
// wide one.
int chooseWindow (const Totals& t, int c)
{
    const auto x = grid::xAt (c);
    auto low = -std::numeric_limits<double>::infinity(), high = std::numeric_limits<double>::infinity();
    int chosen = noWindow;
    forEachWindow (t, x, cellOf (x), bracketing, [&] (int window, int lo, int hi)
    {
        Estimate e;
        if (! estimateLine (t.sums (lo, hi), x, e))
            return true;
        const auto reach = intervalWidth * std::sqrt (t.noiseSquared (lo, hi) * e.variance);
        const auto newLow = std::max (low, e.value - reach), newHigh = std::min (high, e.value + reach);
        if (newLow > newHigh)
            return false;
        low = newLow;
        high = newHigh;
        chosen = window;
        return true;
    });
    return chosen;
}

// The line of the chosen window, or of the next that gives one. Without any
// line within reach the point is left to the gap filling, unless pairs sit in
// its own cell.
double valueAt (const Totals& t, int c, int window)
{
    const auto x = grid::xAt (c);
    const auto j = cellOf (x);
    auto value = std::numeric_limits<double>::quiet_NaN();
    forEachWindow (t, x, j, window, [&] (int, int lo, int hi)
    {
        Estimate e;
        if (! estimateLine (t.sums (lo, hi), x, e))
            return true;
        value = t.withinData (e.value, lo, hi, j);
        return false;
    });
    if (std::isnan (value))
    {
        const auto own = t.sums (j, j);
        if (own.n > 0.0)
            value = own.y / own.n;
    }
    return value;
}

// Windows are chosen at every few grid points (the narrower of the two
// neighbouring choices serves the points between), then every point is fitted.
std::vector<double> fitGrid (const Totals& t)
{
    constexpr auto last = grid::size - 1;
    std::vector<int> picked ((size_t) (last / selectionStep + 2));
    for (size_t s = 0; s < picked.size(); ++s)
        picked[s] = chooseWindow (t, std::min (last, (int) s * selectionStep));
    // Where the data are noisy, a choice that stands alone among its
    // neighbours' is noise in the selection (a flat stretch stopping early by
    // chance), not a corner, which narrows the choices of several neighbours
    // alike. Noise-free data keep every choice: there each is the data's own.
    auto chosen = picked;
    for (size_t s = 2; s + 2 < picked.size(); ++s)
    {
        const auto j = cellOf (grid::xAt (std::min (last, (int) s * selectionStep)));
        if (t.noiseSquared (windowStart (j, 64), windowEnd (t, j, 64)) < noticeableNoise * noticeableNoise)
            continue;
        std::array<int, 5> around { picked[s - 2], picked[s - 1], picked[s], picked[s + 1], picked[s + 2] };
        std::nth_element (around.begin(), around.begin() + 2, around.end());
        chosen[s] = around[2];
    }

    std::vector<double> values ((size_t) last + 1);
    for (int c = 0; c <= last; ++c)
    {
        const auto left = chosen[(size_t) (c / selectionStep)], right = chosen[(size_t) (c / selectionStep + 1)];
        const auto window = c % selectionStep == 0 ? left : (left == noWindow || right == noWindow ? chooseWindow (t, c) : std::min (left, right));
        values[(size_t) c] = valueAt (t, c, window == noWindow ? bracketing : window);
    }
    return values;
}

Sums cellSums (const Cells& cells, int lo, int hi)
{
    Sums s;
    for (int c = lo; c <= hi; ++c)
    {
        const auto a = aboutOrigin (cells[(size_t) c], c);
        s = { s.n + a.n, s.x + a.x, s.xx + a.xx, s.y + a.y, s.xy + a.xy };
    }
    return s;
}

// A device has memory when its rising and falling branches stay apart, by
// more than their noise and more than a level no table would show, over
// most of the range both cover.
bool branchesDiffer (const RecordingStatistics& statistics, double noise)
{
    constexpr int step = 32, reach = 16;
    int compared = 0, apart = 0;
    for (int j = reach; j + reach < cellCount; j += step)
    {
        const auto x = cellCentre (j);
        Estimate rising, falling;
        if (! estimateLine (cellSums (statistics.branch (0), j - reach, j + reach), x, rising)
            || ! estimateLine (cellSums (statistics.branch (1), j - reach, j + reach), x, falling))
            continue;
        ++compared;
        if (std::abs (rising.value - falling.value) > std::max (1.0e-3, 4.0 * noise * std::sqrt (rising.variance + falling.variance)))
            ++apart;
    }
    return compared > 0 && apart * 2 > compared;
}

} // namespace

RecordingStatistics::RecordingStatistics()
{
    for (auto& branch : cells)
        branch.resize ((size_t) cellCount);
    for (auto& range : ranges)
    {
        range.low.assign ((size_t) cellCount, std::numeric_limits<double>::infinity());
        range.high.assign ((size_t) cellCount, -std::numeric_limits<double>::infinity());
    }
}

void RecordingStatistics::add (const double* xn, const double* yn, size_t count, double xScale, double yScale)
{
    size_t i = 0;
    auto usable = [&] (size_t k) { return std::isfinite (xn[k] * xScale) && std::isfinite (yn[k] * yScale); };
    if (! started)
    {
        // The first pair has no direction, and a device's first output may
        // still be settling: it is left out.
        while (i < count && ! usable (i))
            ++i;
        if (i == count)
            return;
        started = true;
        previousX = std::clamp (xn[i] * xScale, -1.0, 1.0);
        ++i;
    }
    auto previous = previousX;
    auto d = direction;
    for (; i < count; ++i)
    {
        if (! usable (i))
            continue;
        const auto x = std::clamp (xn[i] * xScale, -1.0, 1.0), y = yn[i] * yScale;
        // Without branches: with noise the direction is a coin toss the CPU cannot predict.
        d = (int) (x < previous) + (int) (x == previous) * d;
        previous = x;
        const auto c = (size_t) cellOf (x);
        const auto dx = x - cellCentre ((int) c);
        cells[(size_t) d][c].add (dx, y);
        auto& range = ranges[(size_t) d];
        range.low[c] = std::min (range.low[c], y);
        range.high[c] = std::max (range.high[c], y);
    }
    previousX = previous;
    direction = d;
    pairs += (double) count;
}

RecordingStatistics& RecordingStatistics::operator+= (const RecordingStatistics& other)
{
    for (size_t d = 0; d < cells.size(); ++d)
        for (size_t c = 0; c < cells[d].size(); ++c)
        {
            cells[d][c] += other.cells[d][c];
            ranges[d].low[c] = std::min (ranges[d].low[c], other.ranges[d].low[c]);
            ranges[d].high[c] = std::max (ranges[d].high[c], other.ranges[d].high[c]);
        }
    pairs += other.pairs;
    return *this;
}

std::vector<bool> RecordingStatistics::coveredGridPoints() const
{
    std::vector<bool> covered ((size_t) grid::size);
    for (int c = 0; c < grid::size; ++c)
    {
        const auto j = (size_t) cellOf (grid::xAt (c));
        covered[(size_t) c] = cells[0][j].count + cells[1][j].count > 0.0;
    }
    return covered;
}

std::vector<double> recordingFitGrid (const RecordingStatistics& statistics)
{
    const Totals pooled (statistics, { 0, 1 });
    if (! branchesDiffer (statistics, pooled.noise()))
        return fitGrid (pooled);

    // With memory, the curve midway between the branches, as the sweep averaging gives.
    auto rising = fitGrid (Totals (statistics, { 0 }));
    const auto falling = fitGrid (Totals (statistics, { 1 }));
    for (size_t c = 0; c < rising.size(); ++c)
    {
        if (std::isnan (rising[c]))
            rising[c] = falling[c];
        else if (! std::isnan (falling[c]))
            rising[c] = 0.5 * (rising[c] + falling[c]);
    }
    return rising;
}

FitResult fitRecording (const RecordingStatistics& statistics, int smoothing)
{
    if (statistics.pairCount() < 2.0)
        return {};
    return completeFit (recordingFitGrid (statistics), smoothing);
}

FitResult estimateRecording (const std::vector<double>& x, const std::vector<double>& y, int smoothing)
{
    const auto n = std::min (x.size(), y.size());
    PairPeaks peaks;
    peaks.add (x.data(), y.data(), n);
    const auto xPeak = peaks.x, yPeak = peaks.y;
    const auto finite = peaks.finitePairs;
    if (xPeak == 0.0 || yPeak == 0.0)
        return {};

    const auto xScale = 1.0 / xPeak, yScale = 1.0 / yPeak;
    RecordingStatistics statistics;
    if (finite == n)
    {
        statistics.add (x.data(), y.data(), n, xScale, yScale);
        return fitRecording (statistics, smoothing);
    }
    // The finite pairs gathered a block at a time, so nothing the size of the capture is copied.
    constexpr size_t block = 2048;
    double xs[block], ys[block];
    size_t filled = 0;
    for (size_t i = 0; i < n; ++i)
    {
        if (! (std::isfinite (x[i]) && std::isfinite (y[i])))
            continue;
        xs[filled] = x[i];
        ys[filled] = y[i];
        if (++filled == block)
        {
            statistics.add (xs, ys, filled, xScale, yScale);
            filled = 0;
        }
    }
    statistics.add (xs, ys, filled, xScale, yScale);
    return fitRecording (statistics, smoothing);
}
