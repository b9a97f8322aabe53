#pragma once

#include <juce_data_structures/juce_data_structures.h>

// "factory-overrides.xml" in the user's company folder hides factory presets
// by key ("Transfer Functions/" + path relative to the factory folder).
// Read afresh on every call; never written by this program.
juce::ValueTree loadFactoryOverrides();
bool isFactoryPresetHidden (const juce::String& key);

// The overrides tree from the file's bytes: an empty "FactoryOverrides" tree
// unless they are UTF-8 XML that parses with the root "FactoryOverrides".
juce::ValueTree parseFactoryOverrides (const void* data, size_t size);

// The same lookup on an already loaded overrides tree (one read per scan).
bool isHiddenIn (const juce::ValueTree& overrides, const juce::String& key);

juce::File factoryOverridesFile();
