#include "tools/measurement/DelayEstimate.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace
{
// Ranks scaled to -1..1, ties keeping their order.
std::vector<double> centredRanks (const std::vector<double>& v)
{
    std::vector<size_t> order (v.size());
    std::iota (order.begin(), order.end(), size_t { 0 });
    std::stable_sort (order.begin(), order.end(), [&v] (size_t a, size_t b) { return v[a] < v[b]; });
    std::vector<double> ranks (v.size());
    const auto scale = v.size() > 1 ? 2.0 / (double) (v.size() - 1) : 0.0;
    for (size_t r = 0; r < order.size(); ++r)
        ranks[order[r]] = (double) r * scale - 1.0;
    return ranks;
}

double catmullRom (const std::vector<double>& s, double position)
{
    const auto i = (long) std::floor (position);
    const auto t = position - (double) i;
    auto at = [&s] (long k) { return s[(size_t) std::clamp (k, 0L, (long) s.size() - 1)]; };
    const auto p0 = at (i - 1), p1 = at (i), p2 = at (i + 1), p3 = at (i + 2);
    return p1 + 0.5 * t * (p2 - p0 + t * (2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3 + t * (3.0 * (p1 - p2) + p3 - p0)));
}

// Correlation of y[n] with x[n - lag] over the samples both cover.
double correlationAt (const std::vector<double>& x, const std::vector<double>& y, double lag, int margin)
{
    double sum = 0.0;
    for (int n = margin; n < (int) y.size() - margin; ++n)
        sum += y[(size_t) n] * catmullRom (x, (double) n - lag);
    return sum;
}
} // namespace

std::optional<double> estimateDelay (const std::vector<double>& xIn, const std::vector<double>& yIn, int maximumLag)
{
    const auto n = std::min (xIn.size(), yIn.size());
    if (n < (size_t) (4 * maximumLag + 16))
        return std::nullopt;
    // The newest samples are plenty and keep the search quick.
    const auto count = std::min (n, (size_t) 65536);
    const std::vector<double> xTail (xIn.end() - (std::ptrdiff_t) count, xIn.end()), yTail (yIn.end() - (std::ptrdiff_t) count, yIn.end());
    const auto x = centredRanks (xTail), y = centredRanks (yTail);

    const auto margin = maximumLag + 2;
    std::vector<double> sums ((size_t) (2 * maximumLag + 1));
    for (int lag = -maximumLag; lag <= maximumLag; ++lag)
    {
        double sum = 0.0;
        for (int k = margin; k < (int) count - margin; ++k)
            sum += y[(size_t) k] * x[(size_t) (k - lag)];
        sums[(size_t) (lag + maximumLag)] = sum;
    }
    const auto best = *std::max_element (sums.begin(), sums.end());
    if (best <= 0.0)
        return std::nullopt;

    // A periodic test signal correlates as well one period further: of the
    // peaks within a whisker of the best, the one nearest zero lag is taken.
    int bestLag = 0;
    auto nearest = maximumLag + 1;
    for (int lag = -maximumLag; lag <= maximumLag; ++lag)
    {
        const auto i = (size_t) (lag + maximumLag);
        const auto isPeak = (i == 0 || sums[i] >= sums[i - 1]) && (i + 1 == sums.size() || sums[i] >= sums[i + 1]);
        if (isPeak && sums[i] >= best * 0.98 && std::abs (lag) < nearest)
        {
            nearest = std::abs (lag);
            bestLag = lag;
        }
    }

    // Fractional refinement: a fine grid around the integer peak, then a
    // parabola through the best grid point and its neighbours.
    constexpr double step = 0.01;
    double fineBest = -1.0e300, fineLag = bestLag;
    std::vector<double> values;
    for (double lag = bestLag - 1.0; lag <= bestLag + 1.0 + 1e-9; lag += step)
    {
        values.push_back (correlationAt (x, y, lag, margin));
        if (values.back() > fineBest)
        {
            fineBest = values.back();
            fineLag = lag;
        }
    }
    const auto i = (size_t) std::lround ((fineLag - (bestLag - 1.0)) / step);
    if (i > 0 && i + 1 < values.size())
    {
        const auto a = values[i - 1], b = values[i], c = values[i + 1];
        const auto denominator = a - 2.0 * b + c;
        if (denominator < 0.0)
            fineLag += 0.5 * step * (a - c) / denominator;
    }
    return fineLag;
}
