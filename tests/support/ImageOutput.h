#pragma once

#include "tests/support/Images.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace test
{
// Paints a component (and its children) into an image at scale 1.
juce::Image render (juce::Component& component);
} // namespace test
