#include "dsp/OdrEstimator.h"

#include "dsp/FitResult.h"
#include "dsp/SplitWork.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <cstring>
#include <limits>

namespace
{
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double minimumWeight = 1e-10;
constexpr double determinantFloor = 1e-12;
constexpr double slopeLimit = 10.0;
constexpr double gridStep = 2.0 / 16383.0;

// The pairs as separate x and y arrays (sorted by x), plus the per-point weight
// factor of the current pass (1 in the first pass).
struct SortedPoints
{
    std::vector<double> x, y;

    explicit SortedPoints (const std::vector<OdrPair>& pairs) : x (pairs.size()), y (pairs.size())
    {
        for (size_t k = 0; k < pairs.size(); ++k)
        {
            x[k] = pairs[k].x;
            y[k] = pairs[k].y;
        }
    }

    size_t lowerBound (double v) const { return (size_t) (std::lower_bound (x.begin(), x.end(), v) - x.begin()); }
};

// Weighted sums in coordinates local to x0 (d = x - x0), which keeps the
// one-pass moments well conditioned inside a window of half-width h.
struct Moments
{
    double s = 0, sd = 0, sy = 0, sdd = 0, sdy = 0;
    int n = 0;
};

#if defined(__GNUC__) && defined(__x86_64__) && ! defined(__clang__) && ! defined(__SANITIZE_ADDRESS__) && ! defined(__SANITIZE_THREAD__)
 #define SONDERLITH_WIDE_CLONES __attribute__ ((target_clones ("avx2", "default")))
#else
 #define SONDERLITH_WIDE_CLONES
#endif

// Four independent lanes (a 256-bit vector where the machine has one) so the
// kernel runs wide without reassociation flags; the lane sums are added last.
SONDERLITH_WIDE_CLONES
Moments accumulate (const double* x, const double* y, const double* factor, size_t begin, size_t end, double x0, double invH)
{
    double s[4] = {}, sd[4] = {}, sy[4] = {}, sdd[4] = {}, sdy[4] = {};
    long long n[4] = {};
    auto k = begin;

#if defined(__GNUC__)
    using Lanes = double __attribute__ ((vector_size (32)));
    using Mask = long long __attribute__ ((vector_size (32)));
    const Mask signBit = { 1LL << 63, 1LL << 63, 1LL << 63, 1LL << 63 };
    Lanes vs = {}, vsd = {}, vsy = {}, vsdd = {}, vsdy = {};
    Mask vn = {};
    for (; k + 4 <= end; k += 4)
    {
        Lanes xv, yv, fv;
        std::memcpy (&xv, x + k, sizeof (xv));
        std::memcpy (&yv, y + k, sizeof (yv));
        std::memcpy (&fv, factor + k, sizeof (fv));
        const Lanes d = xv - x0;
        const Lanes u = (Lanes) ((Mask) d & ~signBit) * invH;
        const Lanes a = 1.0 - u * u * u;
        const Lanes raw = a * a * a * fv;
        const Mask keep = raw > minimumWeight; // also false for u >= 1, where a <= 0
        const Lanes w = (Lanes) ((Mask) raw & keep);
        vn -= keep;
        vs += w;
        vsd += w * d;
        vsy += w * yv;
        vsdd += w * d * d;
        vsdy += w * d * yv;
    }
    for (int j = 0; j < 4; ++j)
    {
        s[j] = vs[j];
        sd[j] = vsd[j];
        sy[j] = vsy[j];
        sdd[j] = vsdd[j];
        sdy[j] = vsdy[j];
        n[j] = vn[j];
    }
#endif

    for (; k < end; ++k)
    {
        const auto lane = (k - begin) % 4;
        const auto d = x[k] - x0;
        const auto u = std::abs (d) * invH;
        const auto a = 1.0 - u * u * u;
        const auto w = a * a * a * factor[k];
        if (w > minimumWeight)
        {
            ++n[lane];
            s[lane] += w;
            sd[lane] += w * d;
            sy[lane] += w * y[k];
            sdd[lane] += w * d * d;
            sdy[lane] += w * d * y[k];
        }
    }

    Moments m;
    m.s = (s[0] + s[1]) + (s[2] + s[3]);
    m.sd = (sd[0] + sd[1]) + (sd[2] + sd[3]);
    m.sy = (sy[0] + sy[1]) + (sy[2] + sy[3]);
    m.sdd = (sdd[0] + sdd[1]) + (sdd[2] + sdd[3]);
    m.sdy = (sdy[0] + sdy[1]) + (sdy[2] + sdy[3]);
    m.n = (int) ((n[0] + n[1]) + (n[2] + n[3]));
    return m;
}

// Fits one grid point from the points in [begin, end). Well-spread windows are
// solved from the one-pass moments; where the spread cancels (points at nearly
// one x) the exact two-pass fit decides, so a common x gives the weighted mean.
class LocalFitter
{
public:
    LocalFitter (const SortedPoints& p, double bandwidth) : points (p), h (bandwidth), invH (1.0 / bandwidth)
    {
    }

    // Returns the point count and stores the value (NaN when there is none).
    int fitRange (double x0, const double* factor, size_t begin, size_t end, double& value)
    {
        const auto m = accumulate (points.x.data(), points.y.data(), factor, begin, end, x0, invH);
        value = notANumber;
        if (m.n < 2)
            return m.n;

        const auto meanD = m.sd / m.s, meanY = m.sy / m.s;
        const auto cxx = m.sdd - m.sd * meanD;
        if (cxx > 1e-6 * m.sdd)
        {
            value = std::abs (m.s * cxx) >= determinantFloor ? meanY - meanD * ((m.sdy - m.sd * meanY) / cxx)
                                                             : (m.s > minimumWeight ? m.sy / m.s : notANumber);
            return m.n;
        }

        value = exactFit (x0, factor, begin, end);
        return m.n;
    }

private:
    double exactFit (double x0, const double* factor, size_t begin, size_t end)
    {
        xs.clear();
        ys.clear();
        ws.clear();
        for (auto k = begin; k < end; ++k)
        {
            const auto u = std::abs (points.x[k] - x0) * invH;
            const auto a = 1.0 - u * u * u;
            const auto w = a * a * a * factor[k];
            if (w > minimumWeight)
            {
                xs.push_back (points.x[k]);
                ys.push_back (points.y[k]);
                ws.push_back (w);
            }
        }
        return weightedLocalLinearFit (xs.data(), ys.data(), ws.data(), (int) xs.size(), x0);
    }

    const SortedPoints& points;
    double h, invH;
    std::vector<double> xs, ys, ws;
};

// Windows move forward with x0, so their bounds only ever advance.
class WindowScanner
{
public:
    WindowScanner (const SortedPoints& p, double bandwidth) : points (p), h (bandwidth), fitter (p, bandwidth) {}

    int fit (double x0, const double* factor, double& value)
    {
        while (lower < points.x.size() && points.x[lower] < x0 - h)
            ++lower;
        if (upper < lower)
            upper = lower;
        while (upper < points.x.size() && points.x[upper] <= x0 + h)
            ++upper;
        return fitter.fitRange (x0, factor, lower, upper, value);
    }

    void restartAt (double x0)
    {
        lower = upper = points.lowerBound (x0 - h);
    }

private:
    const SortedPoints& points;
    double h;
    LocalFitter fitter;
    size_t lower = 0, upper = 0;
};

// Grid points are independent within a pass, so they are split between two
// threads; the split changes no result.
void forGridRanges (const std::function<void (int, int)>& work) { runSplitInTwo (0, grid::size / 2, grid::size, work); }

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
    const SortedPoints points (sortedPairs);
    const std::vector<double> unitFactor (sortedPairs.size(), 1.0);

    forGridRanges ([&] (int first, int end)
                   {
                       WindowScanner scanner (points, h);
                       scanner.restartAt (grid::xAt (first));
                       for (int c = first; c < end; ++c)
                       {
                           double value;
                           result.counts[(size_t) c] = scanner.fit (grid::xAt (c), unitFactor.data(), value);
                           if (result.counts[(size_t) c] >= 2)
                               result.initial[(size_t) c] = value;
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

    const SortedPoints points (sortedPairs);
    std::vector<double> slopeFactor (sortedPairs.size());
    for (int pass = 0; pass < passLimit; ++pass)
    {
        // A point's slope depends only on its x and the previous iterate, so it
        // is computed once per pass instead of once per window it falls into.
        for (size_t k = 0; k < sortedPairs.size(); ++k)
        {
            const auto slope = slopeAt (cur, points.x[k]);
            slopeFactor[k] = 1.0 / (slope * slope + 1.0);
        }

        auto next = cur;
        forGridRanges ([&] (int first, int end)
                       {
                           WindowScanner scanner (points, h);
                           scanner.restartAt (-1.0 + first * gridStep);
                           for (int c = first; c < end; ++c)
                           {
                               double value;
                               if (scanner.fit (-1.0 + c * gridStep, slopeFactor.data(), value) >= 2 && ! std::isnan (value))
                                   next[(size_t) c] = value;
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
    // Only pairs that are numbers within the normalised range can be placed on the grid.
    std::vector<OdrPair> pairs;
    pairs.reserve (std::min (xn.size(), yn.size()));
    for (size_t i = 0; i < std::min (xn.size(), yn.size()); ++i)
        if (std::abs (xn[i]) <= 1.0 && std::isfinite (yn[i]))
            pairs.push_back ({ xn[i], yn[i] });
    std::sort (pairs.begin(), pairs.end(), [] (const OdrPair& a, const OdrPair& b) { return a.x < b.x; });

    const auto first = loessFit (pairs, 0.05);
    return odrRefine (pairs, first.initial, first.counts, 0.05, 0.0001, 5);
}
