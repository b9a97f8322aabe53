#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <utility>
#include <vector>

class TransferFunctionTable;

namespace ui_core
{
class WaveformVisualizer;

// What the live views need of the parameters: latencies align X and Y the way
// a refit does, gains in dB scale them for display only.
struct FeedSettings
{
    double latencyX = 0.0, latencyY = 0.0;
    double scaleXdB = 0.0, scaleYdB = 0.0;
    int timeWindowSamples = 2048;

    static FeedSettings fromParameters (const juce::AudioProcessorValueTreeState& parameters);
};

// The newest 2048 aligned pairs, gained and clamped to -1..1.
std::vector<std::pair<double, double>> livePoints (const double* x, const double* y, int count, const FeedSettings&);

// One window of both signals starting at the newest rising zero crossing of X
// that leaves a whole window (else the newest whole window).
std::pair<std::vector<float>, std::vector<float>> scopeSignals (const double* x, const double* y, int count, const FeedSettings&);

std::vector<std::pair<double, double>> tablePoints (const TransferFunctionTable& table);

void buildLivePoints (WaveformVisualizer&, const double* x, const double* y, int count, const juce::AudioProcessorValueTreeState&);
void buildScopeSignals (WaveformVisualizer&, const double* x, const double* y, int count, const juce::AudioProcessorValueTreeState&);
void buildTablePoints (WaveformVisualizer&, const TransferFunctionTable& table);
} // namespace ui_core
