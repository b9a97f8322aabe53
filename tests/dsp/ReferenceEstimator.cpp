#include "tests/dsp/ReferenceEstimator.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace reference
{
namespace
{
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr int gridSize = 16384;

std::vector<double> resampleLiterally (const std::vector<double>& xn, const std::vector<double>& yn, const SweepSegment& seg)
{
    std::vector<double> out (gridSize, notANumber);
    const std::vector<double> xs (xn.begin() + (long) seg.start, xn.begin() + (long) seg.end + 1);
    const std::vector<double> ys (yn.begin() + (long) seg.start, yn.begin() + (long) seg.end + 1);
    const auto m = xs.size();
    for (int c = 0; c < gridSize; ++c)
    {
        const auto gx = 2.0 * c / 16383.0 - 1.0;
        if (gx < seg.minX || gx > seg.maxX)
            continue;
        bool found = false;
        for (size_t i = 0; i + 1 < m && ! found; ++i)
            if ((xs[i] <= gx && gx <= xs[i + 1]) || (xs[i + 1] <= gx && gx <= xs[i]))
            {
                out[(size_t) c] = std::abs (xs[i + 1] - xs[i]) < 1e-12 ? ys[i]
                                                                      : ys[i] + (gx - xs[i]) / (xs[i + 1] - xs[i]) * (ys[i + 1] - ys[i]);
                found = true;
            }
        if (! found)
        {
            if (std::abs (gx - xs[0]) < 1e-10)
                out[(size_t) c] = ys[0];
            else if (std::abs (gx - xs[m - 1]) < 1e-10)
                out[(size_t) c] = ys[m - 1];
        }
    }
    return out;
}

struct Pt
{
    double x, y;
};

double fit (const std::vector<Pt>& pts, const std::vector<double>& w, double x0)
{
    double s = 0, sx = 0, sy = 0;
    for (size_t k = 0; k < pts.size(); ++k)
    {
        s += w[k];
        sx += w[k] * pts[k].x;
        sy += w[k] * pts[k].y;
    }
    const auto mx = sx / s, my = sy / s;
    double cxx = 0, cxy = 0;
    for (size_t k = 0; k < pts.size(); ++k)
    {
        cxx += w[k] * (pts[k].x - mx) * (pts[k].x - mx);
        cxy += w[k] * (pts[k].x - mx) * (pts[k].y - my);
    }
    if (std::abs (s * cxx) >= 1e-12)
        return my + (x0 - mx) * cxy / cxx;
    if (s > 1e-10)
        return sy / s;
    return notANumber;
}

template <typename Weight>
void window (const std::vector<Pt>& sorted, double x0, double h, Weight&& extra, std::vector<Pt>& pts, std::vector<double>& w)
{
    pts.clear();
    w.clear();
    auto k = (size_t) (std::lower_bound (sorted.begin(), sorted.end(), x0 - h, [] (const Pt& p, double v) { return p.x < v; }) - sorted.begin());
    for (; k < sorted.size() && sorted[k].x <= x0 + h; ++k)
    {
        const auto u = std::abs (sorted[k].x - x0) / h;
        if (u >= 1)
            continue;
        const auto t = std::pow (1 - u * u * u, 3);
        const auto weight = t * extra (sorted[k].x);
        if (weight > 1e-10)
        {
            pts.push_back (sorted[k]);
            w.push_back (weight);
        }
    }
}
} // namespace

std::vector<double> meanGrid (const std::vector<double>& xn, const std::vector<double>& yn)
{
    const auto segments = findSweepSegments (xn);
    std::vector<std::vector<double>> curves;
    for (const auto& s : segments)
        curves.push_back (resampleLiterally (xn, yn, s));
    return combineSegments (curves, segments);
}

std::vector<double> odrGrid (const std::vector<double>& xn, const std::vector<double>& yn)
{
    std::vector<Pt> sorted;
    for (size_t i = 0; i < xn.size(); ++i)
        sorted.push_back ({ xn[i], yn[i] });
    std::sort (sorted.begin(), sorted.end(), [] (const Pt& a, const Pt& b) { return a.x < b.x; });

    const double h = 0.05, g = 2.0 / 16383.0;
    std::vector<double> initial (gridSize, notANumber);
    std::vector<int> counts (gridSize, 0);
    std::vector<Pt> pts;
    std::vector<double> w;
    for (int c = 0; c < gridSize; ++c)
    {
        const auto x0 = 2.0 * c / 16383.0 - 1.0;
        window (sorted, x0, h, [] (double) { return 1.0; }, pts, w);
        counts[(size_t) c] = (int) pts.size();
        if (pts.size() >= 2)
            initial[(size_t) c] = fit (pts, w, x0);
    }

    if (std::all_of (initial.begin(), initial.end(), [] (double v) { return std::isnan (v); }))
        return initial;

    auto cur = initial;
    for (auto& v : cur)
        if (std::isnan (v))
            v = 0.0;

    for (int pass = 0; pass < 5; ++pass)
    {
        auto next = cur;
        auto slopeWeight = [&] (double x)
        {
            const auto s = std::clamp ((int) std::floor ((x + 1) / g), 0, gridSize - 1);
            double k = s == 0 ? (cur[1] - cur[0]) / g
                              : s == gridSize - 1 ? (cur[gridSize - 1] - cur[gridSize - 2]) / g
                                                  : (cur[(size_t) s + 1] - cur[(size_t) s - 1]) / (2 * g);
            k = std::clamp (k, -10.0, 10.0);
            return 1.0 / (k * k + 1.0);
        };
        for (int c = 0; c < gridSize; ++c)
        {
            const auto x0 = -1.0 + c * g;
            window (sorted, x0, h, slopeWeight, pts, w);
            if (pts.size() >= 2)
            {
                const auto v = fit (pts, w, x0);
                if (! std::isnan (v))
                    next[(size_t) c] = v;
            }
        }
        double change = 0;
        for (int c = 0; c < gridSize; ++c)
            change = std::max (change, std::abs (next[(size_t) c] - cur[(size_t) c]));
        cur = next;
        if (change < 1e-4)
            break;
    }

    for (int c = 0; c < gridSize; ++c)
        if (counts[(size_t) c] < 2)
            cur[(size_t) c] = notANumber;
    return cur;
}
} // namespace reference
