#pragma once

#include "persistence/UserSettings.h"

#include <juce_graphics/juce_graphics.h>

#include <atomic>

namespace ui_core
{
// The process-wide colour theme: two hues, two saturation scales and the
// plot's glow. Every colour of the interface is a step of one of three ramps
// derived from it (P primary, S secondary, N neutral; lower steps are darker).
// The six values are the record the theme-settings file holds.
struct ThemeColours : ThemeSettings
{
    std::atomic<int> revision { 0 };
};

// Clamps every value into its range, stores the theme and counts a revision
// (even when nothing differs).
void setTheme (float primaryHue, float secondaryHue, float primarySaturationScale, float secondarySaturationScale,
               bool glowEnabled, float glowIntensity);
const ThemeColours& getTheme();

juce::Colour primaryColour (int step);   // P0..P10
juce::Colour secondaryColour (int step); // S0..S10
juce::Colour neutralColour (int step);   // N0..N9
} // namespace ui_core
