#include "dsp/OdrEstimator.h"

#include "dsp/FitResult.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <thread>

namespace
{
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double minimumWeight = 1e-10;
constexpr double determinantFloor = 1e-12;
constexpr double slopeLimit = 10.0;
constexpr double gridStep = 2.0 / 16383.0;

// Per-thread scratch holding one window's weighted points, so the fit can take
// a second, centred pass over them.
struct Window
{
    std::vector<double> x, y, w;
    int n = 0;

    void reserve (size_t size)
    {
        x.resize (size);
        y.resize (size);
        w.resize (size);
    }

    void add (double px, double py, double pw)
    {
        x[(size_t) n] = px;
        y[(size_t) n] = py;
        w[(size_t) n] = pw;
        ++n;
    }
};

// Gathers the points of one grid point's window with weight = kernel * factor,
// keeping those above the minimum weight. Windows move forward with x0, so the
// bounds only ever advance.
class WindowScanner
{
public:
    WindowScanner (const std::vector<OdrPair>& p, double bandwidth) : pairs (p), h (bandwidth) {}

    template <typename Factor>
    void gather (double x0, Window& window, Factor&& factor)
    {
        while (lower < pairs.size() && pairs[lower].x < x0 - h)
            ++lower;
        if (upper < lower)
            upper = lower;
        while (upper < pairs.size() && pairs[upper].x <= x0 + h)
            ++upper;

        window.n = 0;
        for (size_t k = lower; k < upper; ++k)
        {
            const auto u = std::abs (pairs[k].x - x0) / h;
            if (u >= 1.0)
                continue;
            const auto a = 1.0 - u * u * u;
            const auto w = a * a * a * factor (k);
            if (w > minimumWeight)
                window.add (pairs[k].x, pairs[k].y, w);
        }
    }

    void restartAt (double x0)
    {
        lower = (size_t) (std::lower_bound (pairs.begin(), pairs.end(), x0 - h, [] (const OdrPair& p, double v) { return p.x < v; })
                          - pairs.begin());
        upper = lower;
    }

private:
    const std::vector<OdrPair>& pairs;
    double h;
    size_t lower = 0, upper = 0;
};

// Grid points are independent within a pass, so they are split between two
// threads; the split changes no result.
void forGridRanges (const std::function<void (int, int)>& work)
{
    const auto split = grid::size / 2;
    std::thread other ([&] { work (split, grid::size); });
    work (0, split);
    other.join();
}

double slopeAt (const std::vector<double>& cur, double x)
{
    const auto s = std::clamp ((int) std::floor ((x + 1.0) / gridStep), 0, grid::size - 1);
    double k;
    if (s == 0)
        k = (cur[1] - cur[0]) / gridStep;
    else if (s == grid::size - 1)
        k = (cur[(size_t) grid::size - 1] - cur[(size_t) grid::size - 2]) / gridStep;
    else
        k = (cur[(size_t) s + 1] - cur[(size_t) s - 1]) / (2.0 * gridStep);
    return std::clamp (k, -slopeLimit, slopeLimit);
}
} // namespace

double weightedLocalLinearFit (const double* x, const double* y, const double* w, int n, double x0)
{
    double s = 0.0, sx = 0.0, sy = 0.0;
    for (int k = 0; k < n; ++k)
    {
        s += w[k];
        sx += w[k] * x[k];
        sy += w[k] * y[k];
    }
    if (! (s > 0.0))
        return notANumber;

    // Centred moments: points sharing one x give exactly zero spread, so the
    // degenerate test sees it instead of rounding noise.
    const auto meanX = sx / s, meanY = sy / s;
    double cxx = 0.0, cxy = 0.0;
    for (int k = 0; k < n; ++k)
    {
        const auto dx = x[k] - meanX;
        cxx += w[k] * dx * dx;
        cxy += w[k] * dx * (y[k] - meanY);
    }

    if (std::abs (s * cxx) >= determinantFloor)
        return meanY + (x0 - meanX) * (cxy / cxx);
    if (s > minimumWeight)
        return sy / s;
    return notANumber;
}

LoessResult loessFit (const std::vector<OdrPair>& sortedPairs, double h)
{
    h = std::clamp (h, 0.02, 0.5);
    LoessResult result { std::vector<double> (grid::size, notANumber), std::vector<std::int32_t> (grid::size, 0) };

    forGridRanges ([&] (int first, int end)
                   {
                       Window window;
                       window.reserve (sortedPairs.size());
                       WindowScanner scanner (sortedPairs, h);
                       scanner.restartAt (grid::xAt (first));
                       for (int c = first; c < end; ++c)
                       {
                           const auto x0 = grid::xAt (c);
                           scanner.gather (x0, window, [] (size_t) { return 1.0; });
                           result.counts[(size_t) c] = window.n;
                           if (window.n >= 2)
                               result.initial[(size_t) c] = weightedLocalLinearFit (window.x.data(), window.y.data(), window.w.data(), window.n, x0);
                       }
                   });
    return result;
}

std::vector<double> odrRefine (const std::vector<OdrPair>& sortedPairs, const std::vector<double>& initial,
                               const std::vector<std::int32_t>& counts, double h, double tolerance, int passLimit)
{
    if (std::all_of (initial.begin(), initial.end(), [] (double v) { return std::isnan (v); }))
        return std::vector<double> (grid::size, notANumber);

    std::vector<double> cur (initial);
    for (auto& v : cur)
        if (std::isnan (v))
            v = 0.0;

    std::vector<double> slopeFactor (sortedPairs.size());
    for (int pass = 0; pass < passLimit; ++pass)
    {
        // A point's slope depends only on its x and the previous iterate, so it
        // is computed once per pass instead of once per window it falls into.
        for (size_t k = 0; k < sortedPairs.size(); ++k)
        {
            const auto slope = slopeAt (cur, sortedPairs[k].x);
            slopeFactor[k] = 1.0 / (slope * slope + 1.0);
        }

        auto next = cur;
        forGridRanges ([&] (int first, int end)
                       {
                           Window window;
                           window.reserve (sortedPairs.size());
                           WindowScanner scanner (sortedPairs, h);
                           scanner.restartAt (-1.0 + first * gridStep);
                           for (int c = first; c < end; ++c)
                           {
                               const auto x0 = -1.0 + c * gridStep;
                               scanner.gather (x0, window, [&] (size_t k) { return slopeFactor[k]; });
                               if (window.n >= 2)
                               {
                                   const auto v = weightedLocalLinearFit (window.x.data(), window.y.data(), window.w.data(), window.n, x0);
                                   if (! std::isnan (v))
                                       next[(size_t) c] = v;
                               }
                           }
                       });

        double change = 0.0;
        for (size_t c = 0; c < cur.size(); ++c)
            change = std::max (change, std::abs (next[c] - cur[c]));
        cur = std::move (next);
        if (change < tolerance)
            break;
    }

    // A grid point whose first pass saw fewer than two points never had a fit:
    // it is left empty for finishTable rather than kept at the 0.0 placeholder.
    for (size_t c = 0; c < cur.size(); ++c)
        if (counts[c] < 2)
            cur[c] = notANumber;
    return cur;
}

std::vector<double> odrFitGrid (const std::vector<double>& xn, const std::vector<double>& yn)
{
    std::vector<OdrPair> pairs (std::min (xn.size(), yn.size()));
    for (size_t i = 0; i < pairs.size(); ++i)
        pairs[i] = { xn[i], yn[i] };
    std::sort (pairs.begin(), pairs.end(), [] (const OdrPair& a, const OdrPair& b) { return a.x < b.x; });

    const auto first = loessFit (pairs, 0.05);
    return odrRefine (pairs, first.initial, first.counts, 0.05, 0.0001, 5);
}
