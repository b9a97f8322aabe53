#pragma once

#include <juce_core/juce_core.h>

// Where the company folder lives on each platform; the only place that knows.
// Per user: on Windows (and macOS) the toolkit's user application-data folder,
// on Linux $XDG_CONFIG_HOME (or ~/.config), each followed by "Veltrasonic".
// For all users: the toolkit's common application-data folder + "Veltrasonic".
namespace PlatformFolders
{
inline constexpr const char* companyName = "Veltrasonic";
inline constexpr const char* presetFolderName = "Transfer Functions";

juce::File userCompanyFolder();
juce::File commonCompanyFolder();

juce::File userPresetFolder();
juce::File factoryPresetFolder();

// Tests point the all-users base somewhere harmless; an empty file restores the default.
void setCommonBaseForTesting (const juce::File& base);
} // namespace PlatformFolders
