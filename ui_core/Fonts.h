#pragma once

#include <juce_graphics/juce_graphics.h>

#include <cstdint>

namespace ui_core
{
// Embedded typefaces, created once from memory on first use and shared.
// Weight codes: Inter 0 Regular, 1 Medium, 2 SemiBold, 3 Bold.
juce::Typeface::Ptr interTypeface (int weight);

// family 0 Space Mono (weight 0 Bold, 1-3 Regular), family 1 Nunito (0 Bold,
// 1 Medium, 2 Regular, 3 SemiBold); anything else Inter Regular.
juce::Typeface::Ptr displayTypeface (int family, int weight);

juce::Font interFont (int weight, float height);
juce::Font monoFont (float height);

struct TextStyleSpec
{
    std::uint8_t family = 0;
    std::uint8_t weight = 0;
    float size = 0.0f;
    float lineHeight = 0.0f;
    float kerning = 0.0f;
    std::uint8_t flag = 0;
};

struct TextStyle
{
    juce::Font font;
    float lineHeight;
    float kerning;
    std::uint8_t flag;
};

TextStyle makeTextStyle (const TextStyleSpec& style);

inline constexpr TextStyleSpec textLarge { 1, 3, 16.0f, 24.0f, 0.0f, 0 };
inline constexpr TextStyleSpec textMedium { 1, 2, 15.0f, 22.0f, 0.0f, 0 };
inline constexpr TextStyleSpec textSmall { 1, 2, 12.0f, 18.0f, 0.0f, 0 };
inline constexpr TextStyleSpec textMono { 0, 1, 13.0f, 18.0f, 0.0f, 0 };
} // namespace ui_core
