#pragma once

#include <juce_data_structures/juce_data_structures.h>

// Per-user settings files in the company folder. Each call opens the file
// afresh and saves at once after a change: nothing is cached, so every
// instance sees what any other last wrote. Message thread only.
juce::String loadArtistName();
void saveArtistName (const juce::String& name);
bool loadDoNotAskAgain();
void setDoNotAskAgain();

struct ThemeSettings
{
    float primaryHue = 0.011f;
    float secondaryHue = 0.086f;
    float primarySaturationScale = 1.0f;
    float secondarySaturationScale = 1.0f;
    bool glowEnabled = true;
    float glowIntensity = 0.716f;
};

ThemeSettings loadThemeSettings();
void saveThemeSettings (float primaryHue, float secondaryHue, float primarySaturationScale, float secondarySaturationScale,
                        bool glowEnabled, float glowIntensity);

int loadGridStrength();                // 0..2
void saveGridStrength (int strength); // values above 2 are stored as 2

juce::File settingsFile (const juce::String& applicationName);
