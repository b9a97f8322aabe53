#pragma once

#include <optional>
#include <string>
#include <vector>

// The recommended signal for re-amping hardware: a chirp that marks where it
// starts, full-scale sines at three frequencies, a slow level ramp and a pink
// noise burst. Recorded at the device's input (X) and output (Y), each part
// tests one thing: the sines and the ramp whether the curve depends on
// frequency or level (it does not for a static device), the noise the whole
// range at once, the marker and the noise an unambiguous delay.
struct StimulusSegment
{
    std::string name;
    double start = 0.0, duration = 0.0; // seconds from the marker's start
};

struct StimulusLayout
{
    double seconds = 0.0;
    std::vector<StimulusSegment> segments; // the marker first
    const StimulusSegment* find (const std::string& name) const;
};

inline constexpr double stimulusMinimumSeconds = 10.0;

// The parts for a stimulus of `seconds` (at least the minimum).
StimulusLayout stimulusLayout (double seconds);

std::vector<double> makeStimulus (double sampleRate, double seconds);

// The marker alone: a 0.4 s linear chirp from 100 Hz to 10 kHz (below
// Nyquist), faded in and out.
std::vector<double> stimulusMarker (double sampleRate);

// Pink (1/f) noise: Paul Kellet's economical filter over Gaussian white
// noise from a seeded generator, not normalised.
std::vector<double> pinkNoise (size_t length, unsigned seed);

// Where the marker starts in a recording of X (searched over its first
// twenty seconds, at any level): the sample, when found.
std::optional<long> findStimulus (const std::vector<double>& x, double sampleRate);
