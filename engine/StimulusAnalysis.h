#pragma once

#include "dsp/FitResult.h"
#include "dsp/Stimulus.h"
#include "engine/CaptureSource.h"
#include "engine/MeasurementReport.h"

#include <optional>

// Where the command's own stimulus lies in a recording of X.
struct StimulusPlacement
{
    juce::int64 start = 0;  // the marker's first sample in the source
    StimulusLayout layout;  // its parts, for the length it was played at

    juce::Range<juce::int64> samples (const StimulusSegment&, double sampleRate) const;
};

// Looks for the marker in the window's first twenty seconds of X, and for the
// stimulus's end (where X falls silent for good) to know the length it was
// made with. Empty when X is not the stimulus.
std::optional<StimulusPlacement> locateStimulus (const CaptureSource&, juce::int64 windowStart, juce::int64 windowEnd);

struct StimulusFigures
{
    double startSeconds = 0.0;
    std::vector<std::pair<juce::String, double>> spreads; // per part: the largest gap between its curve and the whole's
    double spread = 0.0;                                  // the largest of them
};

// Each part fitted on its own (a pair belongs to the part its X sample lies
// in, `firstXSample` being the first pair's) and set against the whole
// curve's unsmoothed table, in the same units (Y over Y's peak).
StimulusFigures stimulusSpread (const StimulusPlacement&, const PairStream&, juce::int64 firstXSample, double sampleRate, double xPeak,
                                double yPeak, const FitResult& whole);
