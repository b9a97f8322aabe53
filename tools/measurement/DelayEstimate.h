#pragma once

#include <optional>
#include <vector>

// How many samples Y lags X (negative: Y leads), to a fraction of a sample.
// Works on ranks, so any monotonic device curve leaves the answer unchanged:
// the rank of f(x) is the rank of x. The integer lag of the largest rank
// correlation is refined on a fine grid of fractional lags, X's rank signal
// interpolated between its samples. A periodic test signal leaves the delay
// known only up to whole periods; the candidate nearest zero is taken. Empty
// without a clear peak.
std::optional<double> estimateDelay (const std::vector<double>& x, const std::vector<double>& y, int maximumLag = 512);
