#include "tools/capture/TakeLevels.h"

#include <algorithm>
#include <cmath>

namespace
{
double peakOf (const std::vector<float>& v, std::size_t from, std::size_t to)
{
    double peak = 0.0;
    for (auto i = from; i < std::min (to, v.size()); ++i)
        if (std::isfinite (v[i]))
            peak = std::max (peak, (double) std::abs (v[i]));
    return peak;
}

double rmsOf (const std::vector<float>& v, std::size_t from, std::size_t to)
{
    to = std::min (to, v.size());
    if (to <= from)
        return 0.0;
    double sum = 0.0;
    for (auto i = from; i < to; ++i)
        if (std::isfinite (v[i]))
            sum += (double) v[i] * v[i];
    return std::sqrt (sum / (double) (to - from));
}
} // namespace

double toDbfs (double amplitude) { return 20.0 * std::log10 (std::max (amplitude, 1.0e-12)); }

TakeLevels measureTakeLevels (const std::vector<float>& played, const std::vector<float>& returned, const std::vector<float>& reference,
                              std::size_t preroll, std::size_t recorded)
{
    TakeLevels l;
    l.sendPeak = toDbfs (peakOf (played, 0, played.size()));
    l.returnPeak = toDbfs (peakOf (returned, preroll, recorded));
    l.returnRms = toDbfs (rmsOf (returned, preroll, recorded));
    if (! reference.empty())
        l.referencePeak = toDbfs (peakOf (reference, preroll, recorded));
    // The first fifth of the pre-roll is left to what starting the device stirs up.
    const auto quietFrom = preroll / 5;
    if (std::min (preroll, recorded) > quietFrom + 64)
        l.noiseFloor = toDbfs (rmsOf (returned, quietFrom, std::min (preroll, recorded)));
    return l;
}
