#pragma once

#include <juce_core/juce_core.h>

#include <vector>

// The plug-in's "Detect latency": the delay of Y behind X in a raw capture,
// as the latency parameters take it, or why it is not taken.
struct LatencySuggestion
{
    bool apply = false;           // set the parameters; otherwise leave them as they are
    double latencyX = 0.0;        // Y lags: X is delayed by this
    double latencyY = 0.0;        // Y leads: Y is delayed by this
    juce::String message;         // what was found and, when nothing is applied, what to do
};

inline constexpr double largestLatencyParameter = 512.0; // the latency parameters' range, 0..512

// Searches a few times the parameters' range either way, so a delay beyond
// it is named rather than missed.
LatencySuggestion detectLatency (const std::vector<double>& x, const std::vector<double>& y);
