#pragma once

#include <optional>
#include <vector>

// How far Y lags X in a recording of a device (negative: Y leads).
struct DelayEstimate
{
    bool found = false;        // false: no lag correlates clearly
    double samples = 0.0;      // Y behind X, to a fraction of a sample
    double confidence = 0.0;   // 0..1: how far the chosen lag stands above every other
    bool inverted = false;     // Y falls where X rises there: the device inverts polarity
    double unexplained = 0.0;  // share of Y's variance no function of X explains at this delay
    // Other delays that fit as well, nearest to the chosen first (tonal or
    // self-similar material); `period` is the spacing between them.
    std::vector<double> aliases;
    std::optional<double> period;
    // Those delays give curves that differ, so the material cannot tell the
    // device's curve (a level sweep, a tone through an asymmetric curve).
    bool curveDependsOnAlias = false;
    // X inverted fits as well at other delays (a steady tone half a period
    // on): whether the device inverts cannot be told; taken as not inverting.
    bool polarityUncertain = false;
    int maximumLag = 0;        // the search covered -maximumLag..maximumLag
};

// Delays below this confidence are reported as uncertain.
inline constexpr double lowDelayConfidence = 0.3;

// The rank correlation (any monotonic curve leaves it unchanged; tied values
// share their mean rank) is computed for every lag up to maximumLag at once
// through the FFT, its magnitude counting, so an inverting device is found too
// (the lag is clipped to half the excerpt, so every lag keeps an overlap of at
// least half). The strongest lags and lag 0 are then judged by how nearly Y
// is a function of X at each, on the loudest stretch of the excerpt with X
// shifted band-limited to the best fraction; the best fit is taken, and of
// delays that fit as well the one nearest zero.
DelayEstimate estimateDelay (const std::vector<double>& x, const std::vector<double>& y, int maximumLag);

// The rank correlation's peak alone, on Y's loudest `span` pairs, without
// judging candidates by their fit: enough to tell a misaligned capture from an
// aligned one, the delay to about a tenth of a sample, at a small share of
// estimateDelay's cost. Of strong peaks alike (a tone's period) the one
// nearest zero is taken, and its confidence leaves them out. No aliases,
// curves or `unexplained` are reported.
DelayEstimate probeDelay (const std::vector<double>& x, const std::vector<double>& y, int maximumLag, size_t span);
