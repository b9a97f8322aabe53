#include "dsp/DelayEstimator.h"

#include "dsp/BandLimitedDelay.h"
#include "dsp/LineMoments.h"
#include "dsp/RealFft.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cmath>
#include <map>
#include <memory>
#include <numbers>
#include <numeric>
#include <utility>

namespace
{
// A number's bits as an unsigned key in the same order (zeros of either sign
// alike, so they tie as the comparison would have them).
template <typename Key, typename Float>
Key orderedKey (Float v)
{
    const auto bits = std::bit_cast<Key> (v == Float (0) ? Float (0) : v);
    constexpr auto top = Key (1) << (8 * sizeof (Key) - 1);
    return (bits & top) != 0 ? Key (~bits) : Key (bits | top);
}

// The indices of `keys` in ascending order: a radix sort, 16 bits a pass,
// skipping passes where every key has the same digit (a signal's exponents
// mostly share their high bits). Several times faster than a comparison sort
// on the 128k samples of a capture.
template <typename Key>
std::vector<std::uint32_t> ascendingOrder (std::vector<Key> keys)
{
    std::vector<Key> keysOut (keys.size());
    std::vector<std::uint32_t> order (keys.size()), orderOut (keys.size());
    std::iota (order.begin(), order.end(), std::uint32_t { 0 });
    std::vector<size_t> counts (size_t { 1 } << 16);
    for (int shift = 0; shift < (int) (8 * sizeof (Key)); shift += 16)
    {
        std::fill (counts.begin(), counts.end(), size_t { 0 });
        for (const auto k : keys)
            ++counts[(k >> shift) & 0xffff];
        if (std::find (counts.begin(), counts.end(), keys.size()) != counts.end())
            continue;
        size_t start = 0;
        for (auto& c : counts)
            start += std::exchange (c, start);
        for (size_t i = 0; i < keys.size(); ++i)
        {
            const auto at = counts[(keys[i] >> shift) & 0xffff]++;
            keysOut[at] = keys[i];
            orderOut[at] = order[i];
        }
        keys.swap (keysOut);
        order.swap (orderOut);
    }
    return order;
}

// Audio that was single precision on its way (a plug-in's buffers, most
// recordings) is ordered by 32-bit keys: half the passes, the same order.
std::vector<std::uint32_t> ascendingOrder (const std::vector<double>& v)
{
    const auto singlePrecision = std::all_of (v.begin(), v.end(), [] (double s) { return (double) (float) s == s; });
    if (singlePrecision)
    {
        std::vector<std::uint32_t> keys (v.size());
        std::transform (v.begin(), v.end(), keys.begin(), [] (double s) { return orderedKey<std::uint32_t> ((float) s); });
        return ascendingOrder (std::move (keys));
    }
    std::vector<std::uint64_t> keys (v.size());
    std::transform (v.begin(), v.end(), keys.begin(), [] (double s) { return orderedKey<std::uint64_t> (s); });
    return ascendingOrder (std::move (keys));
}

// Ranks scaled to -1..1; tied values share the mean of their ranks, so a
// stretch of digital silence carries no order of its own.
std::vector<double> centredRanks (const std::vector<double>& v)
{
    const auto order = ascendingOrder (v);
    std::vector<double> ranks (v.size());
    const auto scale = v.size() > 1 ? 2.0 / (double) (v.size() - 1) : 0.0;
    for (size_t first = 0; first < order.size();)
    {
        auto last = first + 1;
        while (last < order.size() && v[order[last]] == v[order[first]])
            ++last;
        const auto rank = 0.5 * (double) (first + last - 1) * scale - 1.0;
        for (auto r = first; r < last; ++r)
            ranks[order[r]] = rank;
        first = last;
    }
    return ranks;
}

// Pearson correlation of y[n] with x[n - lag] for lag = -maximumLag..maximumLag
// (index lag + maximumLag), each over the samples both cover.
std::vector<double> correlationByLag (const std::vector<double>& x, const std::vector<double>& y, int maximumLag)
{
    const auto n = x.size();
    const auto size = fastFftSize (n + (size_t) maximumLag + 1);
    const PooledRealFft fft (size);
    const auto spectrumX = fft->forward (x);
    auto cross = fft->forward (y);
    for (size_t k = 0; k < cross.size(); ++k)
        cross[k] *= std::conj (spectrumX[k]);
    const auto circular = fft->inverse (cross);

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

// Marks the lobe around a peak of |rho|: the lags next to it still above half its height.
void markLobe (const std::vector<double>& magnitude, size_t peak, std::vector<bool>& lobe)
{
    const auto half = 0.5 * magnitude[peak];
    for (auto i = peak; i < magnitude.size() && magnitude[i] > half; ++i)
        lobe[i] = true;
    for (auto i = peak; i-- > 0 && magnitude[i] > half;)
        lobe[i] = true;
    lobe[peak] = true;
}

constexpr int scatterBins = 512;

// How nearly y is a function of x: per X bin the scatter of Y about a line,
// and the bins' mean Y (the curve, coarsely) where they hold pairs.
struct FitAtDelay
{
    double unexplained = 1.0;       // scatter over Y's variance
    std::vector<double> curve;      // per bin, NaN where empty
};

FitAtDelay fitOf (const double* x, const double* y, size_t count, double xScale, size_t stride = 1)
{
    std::vector<LineMoments> bins (scatterBins);
    LineMoments all;
    for (size_t i = 0; i < count; i += stride)
    {
        const auto v = x[i] * xScale;
        if (! (std::abs (v) <= 2.0))
            continue;
        const auto bin = std::clamp ((int) ((v + 1.0) * 0.5 * scatterBins), 0, scatterBins - 1);
        bins[(size_t) bin].add (v, y[i]);
        all.add (0.0, y[i]);
    }
    FitAtDelay fit;
    fit.curve.assign (scatterBins, std::nan (""));
    const auto total = all.residualSquares();
    if (! (total > 0.0))
        return fit;
    double scatter = 0.0;
    for (size_t b = 0; b < bins.size(); ++b)
    {
        scatter += bins[b].residualSquares();
        if (bins[b].count >= 4.0)
            fit.curve[b] = bins[b].y / bins[b].count;
    }
    fit.unexplained = scatter / total;
    return fit;
}

// One lag's stretch of the excerpt: Y's loudest stretch and X around it, so
// X can be shifted by any fraction through its spectrum.
class Trial
{
public:
    static constexpr size_t span = size_t { 1 } << 16, margin = 4096;

    Trial (const std::vector<double>& x, const std::vector<double>& y, size_t yStart, int lag, double xScale)
        : shift (excerptOf (x, (std::ptrdiff_t) yStart - lag - (std::ptrdiff_t) margin)), xScale (xScale)
    {
        ys.assign (span, 0.0);
        for (size_t i = 0; i < span && yStart + i < y.size(); ++i)
            ys[i] = y[yStart + i];
        count = std::min (span, y.size() - std::min (y.size(), yStart));
        // X's excerpt must be inside the signal for the pairs to mean anything.
        const auto xFirst = (std::ptrdiff_t) yStart - lag;
        first = (size_t) std::max<std::ptrdiff_t> (0, -xFirst);
        count = (size_t) std::max<std::ptrdiff_t> (0, std::min<std::ptrdiff_t> (count, (std::ptrdiff_t) x.size() - xFirst));
    }

    FitAtDelay fitAt (double fraction)
    {
        const auto& shifted = shift.shifted (fraction);
        if (count <= first)
            return {};
        return fitOf (shifted.data() + margin + first, ys.data() + first, count - first, xScale);
    }

private:
    static std::vector<double> excerptOf (const std::vector<double>& x, std::ptrdiff_t from)
    {
        std::vector<double> e (span + 2 * margin, 0.0);
        for (size_t i = 0; i < e.size(); ++i)
            if (const auto at = from + (std::ptrdiff_t) i; at >= 0 && at < (std::ptrdiff_t) x.size())
                e[i] = x[(size_t) at];
        return e;
    }

    SpectralShift shift;
    std::vector<double> ys;
    size_t first = 0, count = 0;
    double xScale;
};

// The start of the loudest stretch of Y, by blocks.
size_t loudestStretch (const std::vector<double>& y, size_t span)
{
    if (y.size() <= span)
        return 0;
    constexpr size_t block = 1024;
    std::vector<double> energy (y.size() / block + 1, 0.0);
    for (size_t i = 0; i < y.size(); ++i)
        energy[i / block] += y[i] * y[i];
    const auto blocks = span / block;
    double running = 0.0, best = -1.0;
    size_t bestStart = 0;
    for (size_t b = 0; b < energy.size(); ++b)
    {
        running += energy[b];
        if (b >= blocks)
            running -= energy[b - blocks];
        if (b + 1 >= blocks && running > best)
        {
            best = running;
            bestStart = (b + 1 - blocks) * block;
        }
    }
    return std::min (bestStart, y.size() - span);
}

struct Candidate
{
    int lag = 0;
    double fraction = 0.0;
    FitAtDelay fit;
    double refinedTo = 0.0; // the tolerance `fraction` was found to; 0 before
    double delay() const { return lag + fraction; }
};

// The fraction in -0.5..0.5 that best aligns the trial: a grid of eighths
// (the rough look's points reused), then a golden-section search around its
// best point to the tolerance. A candidate refined before is searched again
// only around its fraction: its grid is done.
void refine (Trial& trial, Candidate& c, double tolerance)
{
    auto best = c.fraction;
    auto bestFit = std::move (c.fit);
    auto a = best - 2.0 * c.refinedTo, b = best + 2.0 * c.refinedTo;
    if (c.refinedTo <= 0.0)
    {
        for (const auto f : { -0.375, -0.25, -0.125, 0.125, 0.25, 0.375 })
            if (auto fit = trial.fitAt (f); fit.unexplained < bestFit.unexplained)
            {
                bestFit = std::move (fit);
                best = f;
            }
        a = best - 0.125;
        b = best + 0.125;
    }
    const auto ratio = 0.5 * (std::sqrt (5.0) - 1.0);
    auto p = b - ratio * (b - a), q = a + ratio * (b - a);
    auto costP = trial.fitAt (p).unexplained, costQ = trial.fitAt (q).unexplained;
    while (b - a > tolerance)
    {
        if (costP < costQ)
        {
            b = q;
            q = p;
            costQ = costP;
            p = b - ratio * (b - a);
            costP = trial.fitAt (p).unexplained;
        }
        else
        {
            a = p;
            p = q;
            costP = costQ;
            q = a + ratio * (b - a);
            costQ = trial.fitAt (q).unexplained;
        }
    }
    if (auto fit = trial.fitAt (0.5 * (a + b)); fit.unexplained <= bestFit.unexplained)
    {
        bestFit = std::move (fit);
        best = 0.5 * (a + b);
    }
    c.fraction = best;
    c.fit = std::move (bestFit);
    c.refinedTo = tolerance;
}

// Two fits give the same curve where both have data (within 2 % of Y's peak).
bool sameCurve (const FitAtDelay& a, const FitAtDelay& b, double yPeak)
{
    for (size_t i = 0; i < a.curve.size(); ++i)
        if (! std::isnan (a.curve[i]) && ! std::isnan (b.curve[i]) && std::abs (a.curve[i] - b.curve[i]) > 0.02 * yPeak)
            return false;
    return true;
}

// Lags to judge by their fit: lag 0, the strongest peaks of |rho| and the
// strong ones nearest zero (where a tone's aliases lie).
std::vector<int> candidateLags (const std::vector<double>& magnitude, int lagLimit, double best)
{
    std::vector<int> peaks;
    for (size_t i = 0; i < magnitude.size(); ++i)
    {
        const auto isPeak = (i == 0 || magnitude[i] >= magnitude[i - 1]) && (i + 1 == magnitude.size() || magnitude[i] > magnitude[i + 1]);
        if (isPeak && magnitude[i] >= 0.5 * best)
            peaks.push_back ((int) i - lagLimit);
    }
    auto byHeight = peaks;
    std::sort (byHeight.begin(), byHeight.end(), [&] (int a, int b) { return magnitude[(size_t) (a + lagLimit)] > magnitude[(size_t) (b + lagLimit)]; });
    auto byNearness = peaks;
    std::sort (byNearness.begin(), byNearness.end(), [] (int a, int b) { return std::abs (a) < std::abs (b); });
    std::vector<int> lags { 0 };
    lags.insert (lags.end(), byHeight.begin(), byHeight.begin() + (std::ptrdiff_t) std::min<size_t> (4, byHeight.size()));
    // The farthest strong peaks too: where material is self-similar (a level
    // sweep), delays far apart fit as well but give different curves.
    std::vector<int> strong;
    for (const auto lag : peaks)
        if (magnitude[(size_t) (lag + lagLimit)] >= 0.9 * best)
            strong.push_back (lag);
    if (! strong.empty())
    {
        lags.push_back (strong.front());
        lags.push_back (strong.back());
    }
    lags.insert (lags.end(), byNearness.begin(), byNearness.begin() + (std::ptrdiff_t) std::min<size_t> (8, byNearness.size()));
    std::sort (lags.begin(), lags.end());
    lags.erase (std::unique (lags.begin(), lags.end()), lags.end());
    return lags;
}

// Fits within this of the best (as a share of Y's variance) fit as well.
bool fitsAsWell (const FitAtDelay& fit, const FitAtDelay& best)
{
    return fit.unexplained <= best.unexplained + std::max (0.1 * best.unexplained, 1.0e-4);
}

double peakOf (const std::vector<double>& v)
{
    double peak = 0.0;
    for (const auto s : v)
        peak = std::max (peak, std::abs (s));
    return peak;
}
// Each candidate lag's stretch, transformed once however often it is tried.
class Trials
{
public:
    Trials (const std::vector<double>& x, const std::vector<double>& y, double xScale)
        : x (x), y (y), xScale (xScale), yStart (loudestStretch (y, Trial::span)) {}

    Trial& of (int lag)
    {
        auto& t = byLag[lag];
        if (t == nullptr)
            t = std::make_unique<Trial> (x, y, yStart, lag, xScale);
        return *t;
    }

    void forget (int lag) { byLag.erase (lag); }

private:
    const std::vector<double>& x;
    const std::vector<double>& y;
    double xScale;
    size_t yStart;
    std::map<int, std::unique_ptr<Trial>> byLag;
};

// Every lag is looked at roughly (whole lag and half samples either side);
// only those near the best are refined, to a fiftieth of a sample.
std::vector<Candidate> candidatesByFit (const std::vector<int>& lags, Trials& trials)
{
    std::vector<Candidate> rough;
    for (const auto lag : lags)
    {
        auto& trial = trials.of (lag);
        Candidate c { lag, 0.0, trial.fitAt (0.0) };
        for (const auto f : { -0.5, 0.5 })
            if (auto fit = trial.fitAt (f); fit.unexplained < c.fit.unexplained)
                c = { lag, f, std::move (fit) };
        rough.push_back (std::move (c));
    }
    const auto roughBest = std::min_element (rough.begin(), rough.end(),
                                             [] (const Candidate& a, const Candidate& b) { return a.fit.unexplained < b.fit.unexplained; })->fit.unexplained;
    std::vector<Candidate> candidates;
    for (auto& c : rough)
    {
        if (c.fit.unexplained > 2.0 * roughBest + 0.05)
        {
            trials.forget (c.lag);
            continue;
        }
        refine (trials.of (c.lag), c, 0.02);
        candidates.push_back (std::move (c));
    }
    return candidates;
}

// The other delays that fit as well, nearest the chosen first, their spacing,
// and whether any of them gives another curve.
void reportAliases (const std::vector<Candidate>& asGood, const Candidate& chosen, double yPeak, DelayEstimate& estimate)
{
    for (const auto& c : asGood)
        if (std::abs (c.delay() - chosen.delay()) >= 0.5) // neighbouring lags may meet at one fraction
        {
            estimate.aliases.push_back (c.delay());
            if (! sameCurve (c.fit, chosen.fit, yPeak))
                estimate.curveDependsOnAlias = true;
        }
    std::sort (estimate.aliases.begin(), estimate.aliases.end(),
               [&] (double a, double b) { return std::abs (a - chosen.delay()) < std::abs (b - chosen.delay()); });
    if (! estimate.aliases.empty())
        estimate.period = std::abs (estimate.aliases.front() - chosen.delay());
}

// The chosen lag's correlation against the highest other peak, leaving out
// the lobes of lags that fit as well (a tone's aliases; with periodic
// material, every strong peak).
double confidenceOf (const std::vector<double>& magnitude, int lagLimit, int chosen, const std::vector<int>& fitting, bool periodic)
{
    const auto chosenIndex = (size_t) (chosen + lagLimit);
    const auto best = *std::max_element (magnitude.begin(), magnitude.end());
    std::vector<bool> lobe (magnitude.size(), false);
    markLobe (magnitude, chosenIndex, lobe);
    for (const auto lag : fitting)
        markLobe (magnitude, (size_t) (lag + lagLimit), lobe);
    auto isPeak = [&] (size_t i) { return magnitude[i] >= magnitude[i - 1] && magnitude[i] >= magnitude[i + 1]; };
    if (periodic)
        for (size_t i = 1; i + 1 < magnitude.size(); ++i)
            if (magnitude[i] >= 0.9 * best && isPeak (i))
                markLobe (magnitude, i, lobe);
    double rest = 0.0;
    for (size_t i = 1; i + 1 < magnitude.size(); ++i)
        if (! lobe[i] && isPeak (i))
            rest = std::max (rest, magnitude[i]);
    return magnitude[chosenIndex] > 0.0 ? std::clamp (1.0 - rest / magnitude[chosenIndex], 0.0, 1.0) : 0.0;
}


// Samples that are not numbers would break the ordering the ranks need; they count as silence.
std::vector<double> finiteExcerpt (const std::vector<double>& v, size_t from, size_t count)
{
    std::vector<double> e (v.begin() + (std::ptrdiff_t) from, v.begin() + (std::ptrdiff_t) (from + count));
    for (auto& s : e)
        s = std::isfinite (s) ? s : 0.0;
    return e;
}

// |correlation| by lag, its sign apart (negative: Y falls where X rises).
struct LagCorrelation
{
    std::vector<double> magnitude, sign;
    size_t bestIndex = 0;
    double best() const { return magnitude[bestIndex]; }
};

LagCorrelation correlationOf (std::vector<double> rho)
{
    LagCorrelation r;
    r.magnitude = std::move (rho);
    r.sign.resize (r.magnitude.size());
    for (size_t i = 0; i < r.magnitude.size(); ++i)
    {
        r.sign[i] = r.magnitude[i] < 0.0 ? -1.0 : 1.0;
        r.magnitude[i] = std::abs (r.magnitude[i]);
    }
    r.bestIndex = (size_t) (std::max_element (r.magnitude.begin(), r.magnitude.end()) - r.magnitude.begin());
    return r;
}

// Too weak a correlation at every lag to name one.
constexpr double weakestCorrelation = 0.05;

// Both signals hold something, and X's peak can be divided by.
bool canCorrelate (double xPeak, double yPeak) { return xPeak > 0.0 && yPeak > 0.0 && std::isfinite (1.0 / xPeak); }

// The correlation between whole lags, band-limited as the signals are: its
// largest magnitude within a sample of `lag`, found to a hundredth.
double interpolatedPeak (const LagCorrelation& r, int lag, int lagLimit)
{
    constexpr int taps = 16;
    auto at = [&] (double t)
    {
        double sum = 0.0;
        for (int k = (int) std::floor (t) - taps; k <= (int) std::floor (t) + taps; ++k)
        {
            if (k < -lagLimit || k > lagLimit)
                continue;
            const auto d = t - k;
            const auto window = 0.5 + 0.5 * std::cos (std::numbers::pi * d / (taps + 1));
            const auto sinc = std::abs (d) < 1.0e-12 ? 1.0 : std::sin (std::numbers::pi * d) / (std::numbers::pi * d);
            const auto index = (size_t) (k + lagLimit);
            sum += r.magnitude[index] * r.sign[index] * sinc * window;
        }
        return std::abs (sum);
    };
    auto best = (double) lag;
    auto bestValue = at (best);
    for (const auto step : { 0.1, 0.01 })
    {
        const auto centre = best;
        for (int k = -10; k <= 10; ++k)
            if (const auto t = centre + step * k; k != 0 && std::abs (t - lag) <= 1.0 && std::abs (t) <= lagLimit)
                if (const auto v = at (t); v > bestValue)
                {
                    bestValue = v;
                    best = t;
                }
    }
    return best;
}

// How nearly y is a function of x with Y `lag` whole samples behind, from
// every fourth pair: plenty for 512 bins, and a quarter of the work.
FitAtDelay fitAtLag (const std::vector<double>& x, const std::vector<double>& y, int lag, double xScale)
{
    constexpr size_t stride = 4;
    const auto skip = (size_t) std::abs (lag);
    if (skip >= x.size())
        return {};
    const auto count = x.size() - skip;
    return lag >= 0 ? fitOf (x.data(), y.data() + skip, count, xScale, stride) : fitOf (x.data() + skip, y.data(), count, xScale, stride);
}
} // namespace

DelayEstimate estimateDelay (const std::vector<double>& xIn, const std::vector<double>& yIn, int maximumLag)
{
    DelayEstimate estimate;
    const auto n = std::min (xIn.size(), yIn.size());
    estimate.maximumLag = std::max (0, std::min (maximumLag, (int) (n / 2)));
    if (n < 64 || estimate.maximumLag < 1)
        return estimate;
    const auto xRaw = finiteExcerpt (xIn, 0, n), yRaw = finiteExcerpt (yIn, 0, n);
    const auto xPeak = peakOf (xRaw), yPeak = peakOf (yRaw);
    if (! canCorrelate (xPeak, yPeak))
        return estimate;

    const auto lagLimit = estimate.maximumLag;
    const auto correlation = correlationOf (correlationByLag (centredRanks (xRaw), centredRanks (yRaw), lagLimit));
    const auto& magnitude = correlation.magnitude;
    const auto& sign = correlation.sign;
    const auto best = correlation.best();
    if (best < weakestCorrelation)
        return estimate;

    Trials trials (xRaw, yRaw, 1.0 / xPeak);
    const auto candidates = candidatesByFit (candidateLags (magnitude, lagLimit, best), trials);
    const auto bestFit = std::min_element (candidates.begin(), candidates.end(),
                                           [] (const Candidate& a, const Candidate& b) { return a.fit.unexplained < b.fit.unexplained; })->fit;
    // Of the delays that fit as well, those keeping the polarity are
    // preferred: a steady tone fits as well half a period on with X inverted,
    // and most devices do not invert.
    std::vector<Candidate> keeping, inverting;
    for (auto& c : candidates)
        if (fitsAsWell (c.fit, bestFit))
            (sign[(size_t) (c.lag + lagLimit)] < 0.0 ? inverting : keeping).push_back (c);
    auto& asGood = keeping.empty() ? inverting : keeping;
    estimate.polarityUncertain = ! keeping.empty() && ! inverting.empty();
    std::sort (asGood.begin(), asGood.end(), [] (const Candidate& a, const Candidate& b) { return std::abs (a.delay()) < std::abs (b.delay()); });

    // The fraction found finely for the nearest few; of those the nearest zero is taken.
    const auto refined = std::min<size_t> (asGood.size(), 3);
    for (size_t i = 0; i < refined; ++i)
        refine (trials.of (asGood[i].lag), asGood[i], 2.0e-4);
    auto chosen = asGood.front();
    for (size_t i = 1; i < refined; ++i)
        if (! fitsAsWell (chosen.fit, asGood[i].fit))
            chosen = asGood[i];
    reportAliases (asGood, chosen, yPeak, estimate);

    std::vector<int> fitting;
    for (const auto* group : { &keeping, &inverting })
        for (const auto& c : *group)
            fitting.push_back (c.lag);
    estimate.confidence = confidenceOf (magnitude, lagLimit, chosen.lag, fitting, estimate.period.has_value());
    const auto chosenIndex = (size_t) (chosen.lag + lagLimit);
    estimate.samples = chosen.delay();
    estimate.inverted = sign[chosenIndex] < 0.0;
    estimate.unexplained = chosen.fit.unexplained;
    estimate.found = true;
    return estimate;
}

DelayEstimate probeDelay (const std::vector<double>& x, const std::vector<double>& y, int maximumLag, size_t span)
{
    DelayEstimate estimate;
    const auto n = std::min (x.size(), y.size());
    const auto length = std::min (n, span);
    estimate.maximumLag = std::max (0, std::min (maximumLag, (int) (length / 2)));
    if (length < 64 || estimate.maximumLag < 1)
        return estimate;
    const auto yWhole = finiteExcerpt (y, 0, n);
    const auto start = loudestStretch (yWhole, length);
    const auto xs = finiteExcerpt (x, start, length);
    const std::vector<double> ys (yWhole.begin() + (std::ptrdiff_t) start, yWhole.begin() + (std::ptrdiff_t) (start + length));
    const auto xPeak = peakOf (xs);
    if (! canCorrelate (xPeak, peakOf (ys)))
        return estimate;

    const auto lagLimit = estimate.maximumLag;
    // Plain correlation, not ranks: the fits below judge the lags, and the
    // ranks' sort would cost more than the rest of the probe.
    const auto correlation = correlationOf (correlationByLag (xs, ys, lagLimit));
    const auto& magnitude = correlation.magnitude;
    const auto best = correlation.best();
    if (best < weakestCorrelation)
        return estimate;
    // The candidates judged by their fit at whole lags; of those that fit as
    // well, the polarity kept and the one nearest zero, as estimateDelay takes them.
    const auto xScale = 1.0 / xPeak;
    std::vector<Candidate> candidates;
    for (const auto lag : candidateLags (magnitude, lagLimit, best))
        candidates.push_back ({ lag, 0.0, fitAtLag (xs, ys, lag, xScale) });
    const auto bestFit = std::min_element (candidates.begin(), candidates.end(),
                                           [] (const Candidate& a, const Candidate& b) { return a.fit.unexplained < b.fit.unexplained; })->fit;
    // Whole lags cannot match a fractional delay, so a nearer lag may fit
    // a little worse than a farther one that happens to fall closer.
    std::vector<int> keeping, inverting;
    for (const auto& c : candidates)
        if (c.fit.unexplained <= 1.1 * bestFit.unexplained + 0.05)
            (correlation.sign[(size_t) (c.lag + lagLimit)] < 0.0 ? inverting : keeping).push_back (c.lag);
    const auto& asGood = keeping.empty() ? inverting : keeping;
    const auto chosen = *std::min_element (asGood.begin(), asGood.end(), [] (int a, int b) { return std::abs (a) < std::abs (b); });
    auto fitting = keeping;
    fitting.insert (fitting.end(), inverting.begin(), inverting.end());
    estimate.confidence = confidenceOf (magnitude, lagLimit, chosen, fitting, asGood.size() > 1);
    estimate.samples = interpolatedPeak (correlation, chosen, lagLimit);
    estimate.inverted = correlation.sign[(size_t) (chosen + lagLimit)] < 0.0;
    estimate.polarityUncertain = ! keeping.empty() && ! inverting.empty();
    estimate.found = true;
    return estimate;
}
