#include "ui_core/ThemeColours.h"

#include <array>
#include <cmath>

namespace ui_core
{
namespace
{
struct RampStep
{
    float k, v; // saturation factor, brightness
};

constexpr std::array<RampStep, 11> primaryRamp { { { 0.948f, 0.30f }, { 0.853f, 0.39f }, { 0.785f, 0.48f }, { 0.731f, 0.58f },
                                                    { 0.677f, 0.78f }, { 0.650f, 0.88f }, { 0.623f, 0.90f }, { 0.636f, 0.99f },
                                                    { 0.636f, 1.00f }, { 0.501f, 0.98f }, { 0.474f, 0.99f } } };
constexpr std::array<RampStep, 11> secondaryRamp { { { 1.0f, 0.30f }, { 1.0f, 0.39f }, { 1.0f, 0.48f }, { 0.964f, 0.58f },
                                                      { 0.893f, 0.78f }, { 0.857f, 0.88f }, { 0.822f, 0.90f }, { 0.839f, 0.99f },
                                                      { 0.839f, 1.00f }, { 0.661f, 0.98f }, { 0.625f, 0.99f } } };
constexpr std::array<RampStep, 10> neutralRamp { { { 0.027f, 0.07f }, { 0.027f, 0.10f }, { 0.041f, 0.14f }, { 0.041f, 0.18f },
                                                    { 0.054f, 0.27f }, { 0.054f, 0.45f }, { 0.041f, 0.64f }, { 0.041f, 0.75f },
                                                    { 0.027f, 0.83f }, { 0.027f, 0.94f } } };

ThemeColours& theme()
{
    static ThemeColours record;
    return record;
}

// A hand-edited settings file can hold "nan"; such a value falls back to the
// default instead of colouring the whole interface with garbage.
float limited (float value, float low, float high, float fallback)
{
    return std::isfinite (value) ? juce::jlimit (low, high, value) : fallback;
}

template <size_t N>
juce::Colour rampColour (const std::array<RampStep, N>& ramp, float hue, float scale, int step)
{
    const auto& s = ramp[(size_t) juce::jlimit (0, (int) N - 1, step)];
    return juce::Colour (hue, juce::jlimit (0.0f, 1.0f, scale * s.k), s.v, 1.0f);
}
} // namespace

void setTheme (float primaryHue, float secondaryHue, float primarySaturationScale, float secondarySaturationScale,
               bool glowEnabled, float glowIntensity)
{
    auto& t = theme();
    t.primaryHue = limited (primaryHue, 0.0f, 1.0f, 0.011f);
    t.secondaryHue = limited (secondaryHue, 0.0f, 1.0f, 0.086f);
    t.primarySaturationScale = limited (primarySaturationScale, 0.25f, 2.0f, 1.0f);
    t.secondarySaturationScale = limited (secondarySaturationScale, 0.25f, 2.0f, 1.0f);
    t.glowEnabled = glowEnabled;
    t.glowIntensity = limited (glowIntensity, 0.0f, 1.0f, 0.716f);
    t.revision.fetch_add (1);
}

const ThemeColours& getTheme() { return theme(); }

juce::Colour primaryColour (int step)
{
    return rampColour (primaryRamp, theme().primaryHue, theme().primarySaturationScale, step);
}

juce::Colour secondaryColour (int step)
{
    return rampColour (secondaryRamp, theme().secondaryHue, theme().secondarySaturationScale, step);
}

juce::Colour neutralColour (int step)
{
    return rampColour (neutralRamp, theme().primaryHue, theme().primarySaturationScale, step);
}
} // namespace ui_core
