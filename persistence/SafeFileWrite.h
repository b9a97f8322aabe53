#pragma once

#include <juce_core/juce_core.h>

// Replaces a file's contents through a hidden temporary file beside it. Unlike
// juce::File::replaceWithData, a write that fails part way (disk full, size
// limit, I/O error) is reported with the system's reason and the target stays
// as it was; no bytes means no write rather than a deleted file, and a folder
// of the target's name is never replaced.
juce::Result replaceFileSafely (const juce::File& target, const void* data, size_t size);
