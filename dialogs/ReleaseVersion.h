#pragma once

#include "ReleaseNumber.h" // currentReleaseVersion, declared in CMakeLists.txt

#include <juce_core/juce_core.h>

// Whether `latest` is a newer dotted release number than `current`: tokens
// compared as integers from the left, missing or non-numeric ones as 0.
bool isNewerVersion (const juce::String& latest, const juce::String& current);

// Whether an address is one the update dialog may open: http or https with a host.
bool isWebAddress (const juce::String& address);
