#include "engine/LatencyDetection.h"

#include "dsp/DelayEstimator.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int searchedLag = 4096;

juce::String samples (double s) { return juce::String (s, 2) + " samples"; }
} // namespace

LatencySuggestion detectLatency (const std::vector<double>& x, const std::vector<double>& y)
{
    LatencySuggestion s;
    const auto n = (int) std::min (x.size(), y.size());
    const auto lag = std::min (searchedLag, n / 4);
    if (lag < 16)
    {
        s.message = "The capture is too short to find a delay in";
        return s;
    }
    const auto d = estimateDelay (x, y, lag);
    if (! d.found)
        s.message = "No clear delay between X and Y within " + juce::String (lag) + " samples either way: play noise or music through the device, then try again";
    else if (d.period || d.curveDependsOnAlias)
        s.message = "Delays " + juce::String (d.period.value_or (0.0), 1) + " samples apart fit as well (a steady tone repeats itself): play noise or music, then try again";
    else if (d.confidence < lowDelayConfidence)
        s.message = "The delay is uncertain (confidence " + juce::String (d.confidence, 2) + "): play noise or music, then try again";
    else if (d.inverted)
        s.message = "Y is X inverted (the device flips polarity), " + samples (std::abs (d.samples)) + " apart: the curve would fall; nothing was changed";
    else if (std::abs (d.samples) > largestLatencyParameter)
        s.message = "The delay is " + juce::String (std::abs (d.samples), 0) + " samples, beyond the latency controls' " + juce::String (largestLatencyParameter, 0)
                    + ": compensate it in the host";
    else
    {
        s.apply = true;
        s.latencyX = std::max (0.0, d.samples);
        s.latencyY = std::max (0.0, -d.samples);
        s.message = d.samples >= 0.0 ? "Y lags X by " + samples (d.samples) + ": X LAG set to " + juce::String (s.latencyX, 2)
                                     : "Y leads X by " + samples (-d.samples) + ": Y LAG set to " + juce::String (s.latencyY, 2);
    }
    return s;
}
