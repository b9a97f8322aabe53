#include "ui_core/PlotFeedBuilders.h"

#include "plugin/PluginParameters.h"
#include "plugin/TransferFunctionTable.h"
#include "ui_core/WaveformVisualizer.h"

#include <cmath>

namespace ui_core
{
namespace
{
// Reads one channel delayed by a (possibly fractional) latency, linearly
// interpolated, with indices past the end held at the newest sample.
class AlignedChannel
{
public:
    AlignedChannel (const double* s, int n, int h, double latency)
        : samples (s), count (n), offset ((int) std::floor (h - latency)), fraction (h - latency - offset)
    {
    }

    double at (int k) const noexcept
    {
        const auto a = read (offset + k);
        return fraction > 0.0 ? (1.0 - fraction) * a + fraction * read (offset + k + 1) : a;
    }

private:
    double read (int i) const noexcept { return samples[juce::jlimit (0, count - 1, i)]; }

    const double* samples;
    int count, offset;
    double fraction;
};

int headroom (const FeedSettings& s) { return (int) std::ceil (juce::jmax (s.latencyX, s.latencyY)); }
double gain (double dB) { return std::pow (10.0, dB * 0.05); }
} // namespace

FeedSettings FeedSettings::fromParameters (const juce::AudioProcessorValueTreeState& parameters)
{
    FeedSettings s;
    s.latencyX = readFloat (parameters, ParameterIds::latencyX);
    s.latencyY = readFloat (parameters, ParameterIds::latencyY);
    s.scaleXdB = readFloat (parameters, ParameterIds::scaleX);
    s.scaleYdB = readFloat (parameters, ParameterIds::scaleY);
    s.timeWindowSamples = ::timeWindowSamples (readChoiceIndex (parameters, ParameterIds::timeWindow));
    return s;
}

std::vector<std::pair<double, double>> livePoints (const double* x, const double* y, int count, const FeedSettings& s)
{
    std::vector<std::pair<double, double>> points;
    if (count < 1)
        return points;

    const auto h = headroom (s);
    const AlignedChannel ax (x, count, h, s.latencyX), ay (y, count, h, s.latencyY);
    const auto gx = gain (s.scaleXdB), gy = gain (s.scaleYdB);
    points.reserve (2048);
    for (int i = 0; i < 2048; ++i)
    {
        const auto k = count - h - 2048 + i;
        const auto px = gx * ax.at (k), py = gy * ay.at (k);
        if (std::isfinite (px) && std::isfinite (py))
            points.emplace_back (juce::jlimit (-1.0, 1.0, px), juce::jlimit (-1.0, 1.0, py));
    }
    return points;
}

std::pair<std::vector<float>, std::vector<float>> scopeSignals (const double* x, const double* y, int count, const FeedSettings& s)
{
    std::pair<std::vector<float>, std::vector<float>> signals;
    if (count < 1)
        return signals;

    const auto h = headroom (s);
    const AlignedChannel ax (x, count, h, s.latencyX), ay (y, count, h, s.latencyY);
    const auto usable = count - h;
    const auto n = juce::jmin (s.timeWindowSamples, juce::jmax (usable - 1, 2));
    const auto last = usable - n;

    auto start = last;
    for (int k = last; k >= 1; --k)
        if (ax.at (k - 1) <= 0.0 && ax.at (k) > 0.0)
        {
            start = k;
            break;
        }

    const auto gx = gain (s.scaleXdB), gy = gain (s.scaleYdB);
    signals.first.reserve ((size_t) n);
    signals.second.reserve ((size_t) n);
    // A non-finite sample drops its pair from both traces, which stay in step.
    for (int j = 0; j < n; ++j)
    {
        const auto sx = gx * ax.at (start + j), sy = gy * ay.at (start + j);
        if (! (std::isfinite (sx) && std::isfinite (sy)))
            continue;
        signals.first.push_back ((float) juce::jlimit (-1.0, 1.0, sx));
        signals.second.push_back ((float) juce::jlimit (-1.0, 1.0, sy));
    }
    return signals;
}

std::vector<std::pair<double, double>> tablePoints (const TransferFunctionTable& table)
{
    std::vector<std::pair<double, double>> points ((size_t) table.getSize());
    const auto xMin = table.getXMin(), xMax = table.getXMax();
    for (int i = 0; i < table.getSize(); ++i)
        points[(size_t) i] = { xMin + (xMax - xMin) * i / 16383.0, table.load (i) };
    return points;
}

void buildLivePoints (WaveformVisualizer& visualizer, const double* x, const double* y, int count,
                      const juce::AudioProcessorValueTreeState& parameters)
{
    visualizer.setPoints (livePoints (x, y, count, FeedSettings::fromParameters (parameters)));
    visualizer.clearScopeSignals();
}

void buildScopeSignals (WaveformVisualizer& visualizer, const double* x, const double* y, int count,
                        const juce::AudioProcessorValueTreeState& parameters)
{
    auto signals = scopeSignals (x, y, count, FeedSettings::fromParameters (parameters));
    visualizer.setScopeSignals (std::move (signals.first), std::move (signals.second));
}

void buildTablePoints (WaveformVisualizer& visualizer, const TransferFunctionTable& table)
{
    visualizer.setPoints (tablePoints (table));
}
} // namespace ui_core
