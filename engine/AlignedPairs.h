#pragma once

#include "engine/CaptureSource.h"
#include "engine/PairStream.h"

// The pairs of a window of a capture with Y's delay behind X taken out: Y's
// sample n meets X at n - delay, whole samples by offset and any fraction by
// a band-limited shift of X (an ideal wire's fraction of a sample, which a
// short interpolator would blur at high frequencies). Only pairs whose X lies
// inside the recording are given. Read a block at a time, however long the window.
class AlignedPairs
{
public:
    static constexpr int edgeMargin = 256; // samples kept from the ends with a fractional delay

    AlignedPairs (const CaptureSource&, juce::int64 windowStart, juce::int64 windowEnd, double delay);

    juce::int64 size() const noexcept { return last - first; }
    juce::int64 firstYSample() const noexcept { return first; }
    juce::int64 firstXSample() const noexcept { return first - whole - (fraction > 0.5 ? 1 : 0); } // nearest

    // Every pair in order, in blocks.
    void forEachBlock (const PairVisitor&) const;

private:
    const CaptureSource& source;
    juce::int64 first = 0, last = 0; // Y's samples
    juce::int64 whole = 0;           // the delay's whole samples
    double fraction = 0.0;           // and the rest, 0 <= fraction < 1
};
