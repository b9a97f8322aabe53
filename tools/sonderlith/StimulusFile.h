#pragma once

#include <juce_core/juce_core.h>

// The command's test signal as a mono WAV (24-bit, or 32-bit float), written
// beside the target under a fresh name and moved over it, so a failed write
// leaves no half file and a stale one is never appended to.
juce::Result writeStimulusFile (const juce::File&, double sampleRate, double seconds, bool floatingPoint);
