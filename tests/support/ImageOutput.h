#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace test
{
// Saves a rendered state as PNG under the build folder's test-output, so a
// person can look at it; returns the file written.
juce::File savePng (const juce::Image& image, const juce::String& name);

// Paints a component (and its children) into an image at scale 1.
juce::Image render (juce::Component& component);

// The colour at a pixel, unpremultiplied.
juce::Colour pixel (const juce::Image& image, int x, int y);
} // namespace test
