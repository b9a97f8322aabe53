#pragma once

#include <juce_core/juce_core.h>

// The running release, shown by the update check (the project's version).
inline constexpr const char* currentReleaseVersion = "1.1.5";

// Whether `latest` is a newer dotted release number than `current`: tokens
// compared as integers from the left, missing or non-numeric ones as 0.
bool isNewerVersion (const juce::String& latest, const juce::String& current);
