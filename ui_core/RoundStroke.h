#pragma once

#include "ui_core/LitBlockMap.h"

#include <juce_graphics/juce_graphics.h>

#include <cstdint>

namespace ui_core
{
// Strokes a path of straight segments with round joins and round caps (the
// union of one round-capped capsule per segment), anti-aliased, into a
// premultiplied ARGB image. Each pixel keeps the strongest coverage any
// segment gives it, so a curve retraced a hundred times looks as if drawn
// once, and the cost is the pixels the capsules touch: there is no per-row
// edge list to sort, which is what makes a live trace expensive for the
// toolkit's path filler.
// When `touched` is given, the pixels written are marked in it as well.
// Segments are cut to the image first and non-finite ones skipped. Returns the
// number of pixels visited.
std::int64_t strokeRoundCapped (juce::Image& image, const juce::Path& path, const juce::AffineTransform& toImage, float width, juce::Colour colour,
                        LitBlockMap* touched = nullptr);
} // namespace ui_core
