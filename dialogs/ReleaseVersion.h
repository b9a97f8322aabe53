#pragma once

#include <juce_core/juce_core.h>

// The product's release: the update check compares it, the logo's tooltip
// and `sonderlith --version` show it. The VST3 module carries the version of
// its external interface instead (the project's version in the build).
inline constexpr const char* currentReleaseVersion = "1.1.5";

// Whether `latest` is a newer dotted release number than `current`: tokens
// compared as integers from the left, missing or non-numeric ones as 0.
bool isNewerVersion (const juce::String& latest, const juce::String& current);

// Whether an address is one the update dialog may open: http or https with a host.
bool isWebAddress (const juce::String& address);
