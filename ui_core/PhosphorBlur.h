#pragma once

#include <juce_graphics/juce_graphics.h>

#include <memory>

namespace ui_core
{
// A blur applied in place to an image (premultiplied ARGB).
class PhosphorBlur
{
public:
    virtual ~PhosphorBlur() = default;
    virtual void apply (juce::Image& image) = 0;
};

// The stack blur: each output is the triangle-weighted mean of the 2r + 1
// pixels around it (edges repeated), per channel, horizontally then
// vertically. Radius clamped to 1..31.
std::unique_ptr<PhosphorBlur> makeStackBlur (int radius);

// The same blur with every line divided directly (no four-line fast path);
// the reference the fast path is checked against.
void stackBlurDirect (juce::Image& image, int radius);
} // namespace ui_core
