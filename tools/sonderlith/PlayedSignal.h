#pragma once

#include <juce_core/juce_core.h>

#include <vector>

// What `measure --plugin` (and later `capture`) plays into a device: the
// command's stimulus, a sine, white noise or a recording, at a peak level.
struct SignalSettings
{
    juce::String kind = "stimulus"; // "stimulus", "sine", "noise" or a file's path
    double levelDbfs = 0.0;         // the signal's peak
    double sampleRate = 48000.0;    // a file's own rate when a file is played
    double seconds = 30.0;          // a file plays whole
};

struct PlayedSignal
{
    juce::String error;
    std::vector<double> samples; // exactly representable in single precision, as a device receives them
    double sampleRate = 0.0;
    juce::String description;    // "stimulus", "sine 997 Hz", "white noise" or the file's name
};

inline constexpr double longestPlayedSeconds = 600.0; // held in memory whole

PlayedSignal makePlayedSignal (const SignalSettings&);
