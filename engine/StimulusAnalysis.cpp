#include "engine/StimulusAnalysis.h"

#include "dsp/RecordingEstimator.h"

#include <cmath>

namespace
{
// The parts' edges fade, and the stimulus's length is found only to a few
// milliseconds: each part is judged without its outer 20 ms.
constexpr double edgeSeconds = 0.02;
} // namespace

juce::Range<juce::int64> StimulusPlacement::samples (const StimulusSegment& s, double rate) const
{
    return { start + (juce::int64) std::llround ((s.start + edgeSeconds) * rate),
             start + (juce::int64) std::llround ((s.start + s.duration - edgeSeconds) * rate) };
}

std::optional<StimulusPlacement> locateStimulus (const CaptureSource& source, juce::int64 windowStart, juce::int64 windowEnd)
{
    const auto rate = source.sampleRate();
    const auto head = std::min<juce::int64> (windowEnd - windowStart, (juce::int64) std::llround (21.0 * rate));
    std::vector<double> x ((size_t) head);
    source.readX (windowStart, (int) head, x.data());
    const auto marker = findStimulus (x, rate);
    if (! marker)
        return std::nullopt;

    // The end: the last sample above -60 dB of the loudest, read a block at a time.
    StimulusPlacement placement;
    placement.start = windowStart + *marker;
    constexpr int block = 1 << 16;
    std::vector<double> samples (block);
    double peak = 0.0;
    juce::int64 last = placement.start;
    for (auto n = placement.start; n < windowEnd; n += block)
    {
        const auto count = (int) std::min<juce::int64> (block, windowEnd - n);
        source.readX (n, count, samples.data());
        for (int i = 0; i < count; ++i)
            peak = std::max (peak, std::isfinite (samples[(size_t) i]) ? std::abs (samples[(size_t) i]) : 0.0);
        for (int i = 0; i < count; ++i)
            if (std::isfinite (samples[(size_t) i]) && std::abs (samples[(size_t) i]) > 1.0e-3 * peak)
                last = n + i;
    }
    const auto seconds = (double) (last + 1 - placement.start) / rate;
    if (seconds < stimulusMinimumSeconds - 0.1)
        return std::nullopt;
    placement.layout = stimulusLayout (seconds);
    return placement;
}

StimulusFigures stimulusSpread (const StimulusPlacement& placement, const PairStream& pairs, juce::int64 firstXSample, double rate, double xPeak,
                                double yPeak, const FitResult& whole)
{
    StimulusFigures figures;
    figures.startSeconds = (double) placement.start / rate;
    std::vector<const StimulusSegment*> parts;
    std::vector<juce::Range<juce::int64>> ranges;
    for (const auto& s : placement.layout.segments)
        if (s.name != "marker")
        {
            parts.push_back (&s);
            ranges.push_back (placement.samples (s, rate));
        }
    std::vector<RecordingStatistics> statistics (parts.size());
    auto index = firstXSample;
    const auto xScale = 1.0 / xPeak, yScale = 1.0 / yPeak;
    pairs ([&] (const double* x, const double* y, size_t n)
    {
        for (size_t i = 0; i < n; ++i, ++index)
            for (size_t p = 0; p < ranges.size(); ++p)
                if (ranges[p].contains (index) && std::isfinite (x[i]) && std::isfinite (y[i]))
                    statistics[p].add (x + i, y + i, 1, xScale, yScale);
    });
    for (size_t p = 0; p < parts.size(); ++p)
    {
        const auto grid = recordingFitGrid (statistics[p]);
        const auto covered = statistics[p].coveredGridPoints();
        double gap = 0.0;
        for (size_t c = 0; c < grid.size(); ++c)
            if (covered[c] && ! std::isnan (grid[c]))
                gap = std::max (gap, std::abs (grid[c] - whole.bins[c]));
        figures.spreads.emplace_back (parts[p]->name, gap);
        figures.spread = std::max (figures.spread, gap);
    }
    return figures;
}
