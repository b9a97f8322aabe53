#pragma once

#include <optional>
#include <vector>

// How far Y lags X in a recording of a device (negative: Y leads).
struct DelayEstimate
{
    bool found = false;        // false: no lag correlates clearly
    double samples = 0.0;      // Y behind X, to a fraction of a sample
    double confidence = 0.0;   // 0..1: how far the peak stands above every other lag
    std::optional<int> period; // periodic material: candidates this many samples apart correlate as well
    int maximumLag = 0;        // the search covered -maximumLag..maximumLag
};

// Delays below this confidence are reported as uncertain.
inline constexpr double lowDelayConfidence = 0.3;

// Works on ranks, so any monotonic device curve leaves the answer unchanged
// (the rank of f(x) is the rank of x). The rank correlation is computed for
// every lag up to maximumLag at once through the FFT (the lag is clipped to
// half the excerpt, so every lag keeps an overlap of at least half), then the
// fraction is found where Y is most nearly a function of X interpolated
// between its samples. Of candidates one period apart in periodic
// material the one nearest zero lag is taken, and `period` says so.
DelayEstimate estimateDelay (const std::vector<double>& x, const std::vector<double>& y, int maximumLag);
