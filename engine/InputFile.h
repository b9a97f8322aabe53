#pragma once

#include <juce_core/juce_core.h>

// Why a file named as an input cannot be read, before anything opens it
// (opening a pipe would wait for a writer that may never come): missing, a
// folder, not a regular file, or unreadable. Empty when it can be read.
juce::String whyUnreadable (const juce::File&);

// The whole of a small file (a preset, a curve CSV), refused without
// reading when it is larger than `limit` bytes; false with the reason.
bool readSmallFile (const juce::File&, juce::int64 limit, const juce::String& kind, juce::MemoryBlock&, juce::String& error);

// Text from a file, fit for a terminal: control characters shown as \xNN.
juce::String printable (const juce::String&);
