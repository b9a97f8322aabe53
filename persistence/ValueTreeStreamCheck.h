#pragma once

#include <cstddef>

// JUCE's binary ValueTree reader trusts the counts and sizes in the stream: a
// corrupt blob can make it reserve gigabytes, loop for billions of steps,
// recurse until the stack overflows, or turn junk into a "valid" tree. Bytes from
// outside (host state, preset files) pass this check before they reach it.
//
// True when the bytes begin with one complete serialised tree whose every read
// stays inside the data and whose nesting is at most maxDepth.
// Every string inside (type names, property names, string values) must be
// valid UTF-8: the toolkit's UTF-8 iteration trusts lead bytes and would read
// past the end of a string that lies about its continuation bytes.
bool isWellFormedValueTreeStream (const void* data, std::size_t size, int maxDepth = 32) noexcept;

// Structurally valid UTF-8 (RFC 3629 lead and continuation bytes).
bool isValidUtf8 (const void* data, std::size_t size) noexcept;
