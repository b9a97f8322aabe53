#pragma once

#include <juce_graphics/juce_graphics.h>

#include <array>
#include <vector>

namespace ui_core
{
// Process-wide token tables. Colour entries follow the theme: each getter
// rebuilds its table on first use after a theme change (one integer compare
// otherwise). The references stay valid until the next getter call after a
// theme change. Message thread.
struct AccentToggleStyle
{
    std::array<juce::Colour, 6> colours;
    std::array<int, 4> sizes;
    float radius = 8.0f;
};

struct ControlStyle
{
    std::array<juce::Colour, 6> colours;
    std::array<float, 6> levels;
    float cornerRadius = 0.0f; // record 4 has none (0)
    bool hasCornerRadius = true;
    std::array<int, 4> sizes;
};

const std::vector<juce::Colour>& palette();
const std::vector<float>& alphaLevels();
const std::vector<float>& radiusTokens();
const std::vector<int>& spacingTokens();
const std::vector<float>& borderWidthTokens();
const std::vector<juce::Colour>& textColours();
const AccentToggleStyle& accentToggleStyle();
const std::vector<ControlStyle>& controlStyles();

// "P6", "S7", "N0": a ramp step of the current theme (used by the tables).
juce::Colour rampStep (char ramp, int step);

// A float named ...Alpha replaces a colour's alpha byte: 0 at or below 0, 255
// at or above 1, else alpha x 255 rounded to nearest.
juce::Colour withAlphaLevel (juce::Colour colour, float alpha);

// s(t) = (3 - 2t) t^2 with t kept within 0..1: the fade profile of the bezel
// shadow and the spill's edges.
inline float smoothStep (float t) noexcept
{
    t = juce::jlimit (0.0f, 1.0f, t);
    return (3.0f - 2.0f * t) * t * t;
}
} // namespace ui_core
