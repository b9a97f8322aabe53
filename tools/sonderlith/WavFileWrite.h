#pragma once

#include <juce_core/juce_core.h>

#include <vector>

// A WAV file of `channels` (each `samples` long, 24-bit or 32-bit float),
// written beside the target under a fresh name and moved over it, so a
// failed write leaves no half file and a stale one is never appended to.
juce::Result writeWavSafely (const juce::File&, double sampleRate, const std::vector<const float*>& channels, size_t samples, bool floatingPoint);
