#include "dsp/DelayEstimator.h"

#include "dsp/FractionalShift.h"
#include "dsp/LineMoments.h"
#include "dsp/RealFft.h"

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

// Pearson correlation of y[n] with x[n - lag] for lag = -maximumLag..maximumLag
// (index lag + maximumLag), each over the samples both cover.
std::vector<double> correlationByLag (const std::vector<double>& x, const std::vector<double>& y, int maximumLag)
{
    const auto n = x.size();
    size_t size = 1;
    while (size < n + (size_t) maximumLag + 1)
        size *= 2;
    RealFft fft (size);
    const auto spectrumX = fft.forward (x);
    auto cross = fft.forward (y);
    for (size_t k = 0; k < cross.size(); ++k)
        cross[k] *= std::conj (spectrumX[k]);
    const auto circular = fft.inverse (cross);

    double squaresX = 0.0, squaresY = 0.0;
    for (size_t i = 0; i < n; ++i)
    {
        squaresX += x[i] * x[i];
        squaresY += y[i] * y[i];
    }
    const auto norm = std::sqrt (squaresX * squaresY) * (double) size;
    std::vector<double> rho ((size_t) (2 * maximumLag + 1));
    for (int lag = -maximumLag; lag <= maximumLag; ++lag)
    {
        const auto index = lag >= 0 ? (size_t) lag : size - (size_t) -lag;
        const auto overlap = (double) (n - (size_t) std::abs (lag)) / (double) n;
        rho[(size_t) (lag + maximumLag)] = norm > 0.0 ? circular[index] / (norm * overlap) : 0.0;
    }
    return rho;
}

// Marks the lobe around a peak: the lags next to it still above half its height.
void markLobe (const std::vector<double>& rho, size_t peak, std::vector<bool>& lobe)
{
    const auto half = 0.5 * rho[peak];
    for (auto i = peak; i < rho.size() && rho[i] > half; ++i)
        lobe[i] = true;
    for (auto i = peak; i-- > 0 && rho[i] > half;)
        lobe[i] = true;
    lobe[peak] = true;
}

// How far Y is from being a function of X with X read `fraction` samples
// late: the scatter of Y about a line in each of a few hundred X bins. It is
// least where the fraction aligns them, whatever the device's curve.
double scatterAt (const std::vector<double>& x, const std::vector<double>& y, double fraction, double xScale)
{
    constexpr int bins = 512, margin = 3;
    std::vector<LineMoments> sums (bins);
    for (int n = margin; n < (int) y.size() - margin; ++n)
    {
        const auto position = (double) n - fraction;
        const auto i = (int) std::floor (position);
        const auto v = catmullRom (x[(size_t) i - 1], x[(size_t) i], x[(size_t) i + 1], x[(size_t) i + 2], position - i) * xScale;
        sums[(size_t) std::clamp ((int) ((v + 1.0) * 0.5 * bins), 0, bins - 1)].add (v, y[(size_t) n]);
    }
    double scatter = 0.0;
    for (const auto& b : sums)
        scatter += b.residualSquares();
    return scatter;
}

// The fraction in -1..1 that best aligns y[n] with x[n - fraction]: a coarse
// grid, then a golden-section search around its best point.
double refineFraction (const std::vector<double>& x, const std::vector<double>& y)
{
    double peak = 0.0;
    for (const auto v : x)
        peak = std::max (peak, std::abs (v));
    const auto xScale = peak > 0.0 ? 1.0 / peak : 1.0;
    auto cost = [&] (double f) { return scatterAt (x, y, f, xScale); };

    auto best = 0.0, bestCost = cost (0.0);
    for (int k = -10; k <= 10; ++k)
        if (const auto c = cost (k * 0.1); c < bestCost)
        {
            bestCost = c;
            best = k * 0.1;
        }
    const auto ratio = 0.5 * (std::sqrt (5.0) - 1.0);
    auto a = std::max (-1.0, best - 0.1), b = std::min (1.0, best + 0.1);
    auto c = b - ratio * (b - a), d = a + ratio * (b - a);
    auto costC = cost (c), costD = cost (d);
    while (b - a > 1.0e-4)
    {
        if (costC < costD)
        {
            b = d;
            d = c;
            costD = costC;
            c = b - ratio * (b - a);
            costC = cost (c);
        }
        else
        {
            a = c;
            c = d;
            costC = costD;
            d = a + ratio * (b - a);
            costD = cost (d);
        }
    }
    return 0.5 * (a + b);
}
} // namespace

DelayEstimate estimateDelay (const std::vector<double>& xIn, const std::vector<double>& yIn, int maximumLag)
{
    DelayEstimate estimate;
    const auto n = std::min (xIn.size(), yIn.size());
    estimate.maximumLag = std::min (maximumLag, (int) (n / 2));
    if (n < 64 || estimate.maximumLag < 1)
        return estimate;
    // Non-finite samples would break the ordering the ranks need; they count as silence.
    std::vector<double> xRaw (xIn.begin(), xIn.begin() + (std::ptrdiff_t) n), yRaw (yIn.begin(), yIn.begin() + (std::ptrdiff_t) n);
    for (auto* v : { &xRaw, &yRaw })
        for (auto& s : *v)
            s = std::isfinite (s) ? s : 0.0;
    const auto x = centredRanks (xRaw), y = centredRanks (yRaw);
    const auto lagLimit = estimate.maximumLag;
    const auto rho = correlationByLag (x, y, lagLimit);

    const auto best = (size_t) (std::max_element (rho.begin(), rho.end()) - rho.begin());
    if (rho[best] < 0.05)
        return estimate;

    // Candidates as good as the best (periodic material): each one's lobe is
    // set aside, and the nearest to zero lag is taken.
    std::vector<bool> lobe (rho.size(), false);
    std::vector<size_t> candidates;
    for (size_t i = 0; i < rho.size(); ++i)
    {
        const auto isPeak = (i == 0 || rho[i] >= rho[i - 1]) && (i + 1 == rho.size() || rho[i] > rho[i + 1]);
        if (isPeak && rho[i] >= 0.9 * rho[best] && ! lobe[i])
        {
            candidates.push_back (i);
            markLobe (rho, i, lobe);
        }
    }
    auto lagOf = [lagLimit] (size_t i) { return (int) i - lagLimit; };
    const auto chosen = *std::min_element (candidates.begin(), candidates.end(),
                                           [&] (size_t a, size_t b) { return std::abs (lagOf (a)) < std::abs (lagOf (b)); });
    if (candidates.size() > 1)
    {
        int nearest = (int) rho.size();
        for (const auto c : candidates)
            if (c != chosen)
                nearest = std::min (nearest, std::abs (lagOf (c) - lagOf (chosen)));
        estimate.period = nearest;
    }
    // The highest other peak; a flank rising to the end of the range belongs
    // to a peak beyond it, unseen.
    double rest = 0.0;
    for (size_t i = 1; i + 1 < rho.size(); ++i)
        if (! lobe[i] && rho[i] >= rho[i - 1] && rho[i] >= rho[i + 1])
            rest = std::max (rest, rho[i]);
    estimate.confidence = std::clamp (1.0 - rest / rho[chosen], 0.0, 1.0);

    // The fraction is found on the signals themselves shifted by the whole
    // lag, over at most 64k of their samples.
    const auto lag = lagOf (chosen);
    const auto span = std::min<size_t> (n - (size_t) std::abs (lag), 65536);
    const auto xStart = (size_t) std::max (0, -lag), yStart = (size_t) std::max (0, lag);
    const std::vector<double> xs (xRaw.begin() + (std::ptrdiff_t) xStart, xRaw.begin() + (std::ptrdiff_t) (xStart + span));
    const std::vector<double> ys (yRaw.begin() + (std::ptrdiff_t) yStart, yRaw.begin() + (std::ptrdiff_t) (yStart + span));
    estimate.samples = lag + refineFraction (xs, ys);
    estimate.found = true;
    return estimate;
}
