#pragma once

#include "dsp/FitResult.h"

#include <juce_audio_processors/juce_audio_processors.h>

namespace ParameterIds
{
inline constexpr const char* scaleX = "scaleX";
inline constexpr const char* scaleY = "scaleY";
inline constexpr const char* latencyX = "latencyX";
inline constexpr const char* latencyY = "latencyY";
inline constexpr const char* smoothing = "smoothing";
inline constexpr const char* captureAlgorithm = "captureAlgorithm";
inline constexpr const char* captureLength = "captureLength";
inline constexpr const char* visualizationMode = "visualizationMode";
inline constexpr const char* timeWindow = "timeWindow";
} // namespace ParameterIds

juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout();

// Choice parameters are read as their float value rounded to the nearest
// index and clamped to the valid range, so automation that lands between two
// steps (or outside the range) still picks a real choice.
int choiceIndexFromValue (float value, int numChoices) noexcept;
int readChoiceIndex (const juce::AudioProcessorValueTreeState& state, const juce::String& parameterId);

// True when every parameter value in a state tree is a finite number in a sane
// range: anything else can only come from damaged or hostile bytes.
bool stateValuesAreSane (const juce::ValueTree& state);

// "smoothing" is truncated, not rounded. Non-finite values read as the default.
int readSmoothing (const juce::AudioProcessorValueTreeState& state);
float readFloat (const juce::AudioProcessorValueTreeState& state, const juce::String& parameterId);

int captureLengthSamples (int captureLengthIndex) noexcept;

// "captureAlgorithm"'s choices in order: "ODR", "Mean", "Auto".
CaptureAlgorithm captureAlgorithmOf (int captureAlgorithmIndex) noexcept;
int timeWindowSamples (int timeWindowIndex) noexcept;
