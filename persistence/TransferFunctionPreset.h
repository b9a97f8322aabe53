#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include <vector>

// The ".tfunc" preset: the toolkit's binary tree stream of a "Preset" tree
// whose base layer holds the 16384-entry table as zlib-compressed floats.
struct PresetWriteResult
{
    bool ok = false;
    juce::MemoryBlock data;
    juce::String error;
};

struct PresetReadResult
{
    bool ok = false;
    std::vector<double> table;
    juce::String error;
};

PresetWriteResult writeTransferFunctionPreset (const std::vector<double>& table, const juce::String& artistName);
// No preset file comes near this size (the largest, uncompressed doubles, is
// about 130 kB); a reader can refuse anything larger unread.
inline constexpr juce::int64 largestPresetFileBytes = 1 << 20;

PresetReadResult readTransferFunctionPreset (const juce::ValueTree& tree);

// Parses preset file bytes into a tree; invalid for bytes that are not one
// well-formed serialised tree (checked before the toolkit's reader sees them).
juce::ValueTree parsePresetBytes (const void* data, size_t size);

// "formatVersion" read the way the reader reads it (missing gives 0).
int presetFormatVersion (const juce::ValueTree& tree);
