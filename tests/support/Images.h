#pragma once

#include <juce_graphics/juce_graphics.h>

namespace test
{
// Where tests leave files for a person to look at: the build folder's test-output.
juce::File outputFolder();

// Saves a rendered state as PNG under the build folder's test-output, so a
// person can look at it; returns the file written.
juce::File savePng (const juce::Image& image, const juce::String& name);

// The colour at a pixel, unpremultiplied.
juce::Colour pixel (const juce::Image& image, int x, int y);

// The stored (premultiplied) bytes of a pixel, for exact comparisons.
std::uint32_t rawPixel (const juce::Image& image, int x, int y);

// Pixels whose stored bytes differ; images of different sizes differ everywhere.
int countDifferingPixels (const juce::Image& a, const juce::Image& b);
inline bool samePixels (const juce::Image& a, const juce::Image& b) { return countDifferingPixels (a, b) == 0; }

// The largest alpha anywhere: how strongly the faintest-styled text was drawn.
int brightestAlpha (const juce::Image& image);

// Pixels with any coverage at all.
int inkedPixels (const juce::Image& image);

// Pixels of an area brighter than `brightness` (0..1): a trace on a dark plot.
int brightPixels (const juce::Image& image, juce::Rectangle<int> area, float brightness);
} // namespace test
