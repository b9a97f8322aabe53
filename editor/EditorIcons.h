#pragma once

#include <juce_core/juce_core.h>

#include <array>

// The editor's SVG artwork, embedded at build time.
juce::String playIconSvg();
juce::String pauseIconSvg();
juce::String saveIconSvg();
std::array<juce::String, 6> logoLayerSvgs();
