#pragma once

#include <juce_data_structures/juce_data_structures.h>

// "factory-overrides.xml" in the user's company folder hides factory presets
// by key ("Transfer Functions/" + path relative to the factory folder).
// Read afresh on every call; never written by this program.
juce::ValueTree loadFactoryOverrides();
bool isFactoryPresetHidden (const juce::String& key);

// The overrides tree from XML text: an empty "FactoryOverrides" tree unless the
// text parses and its root element is "FactoryOverrides".
juce::ValueTree parseFactoryOverrides (const juce::String& xmlText);

// The same lookup on an already loaded overrides tree (one read per scan).
bool isHiddenIn (const juce::ValueTree& overrides, const juce::String& key);

juce::File factoryOverridesFile();
