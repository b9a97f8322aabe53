#pragma once

#include <juce_core/juce_core.h>

namespace test
{
// Points the per-user config folder (XDG_CONFIG_HOME) and the all-users base
// at fresh temporary folders for the lifetime of the object.
class TemporaryFolders
{
public:
    TemporaryFolders();
    ~TemporaryFolders();

    juce::File root, config, common;

    juce::File company() const { return config.getChildFile ("Veltrasonic"); }
    juce::File userPresets() const { return company().getChildFile ("Transfer Functions"); }
    juce::File factoryPresets() const { return common.getChildFile ("Veltrasonic").getChildFile ("Transfer Functions"); }

private:
    juce::String previousConfig;
};
} // namespace test
