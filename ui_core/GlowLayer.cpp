#include "ui_core/GlowLayer.h"

#include <cmath>

namespace ui_core
{
void GlowLayer::configure (juce::Colour newColour, float newThickness, float newIntensity, float newSpread,
                           float newSpreadScale, float newAlphaFactor)
{
    if (! juce::exactlyEqual (newThickness, thickness) || ! juce::exactlyEqual (newSpread, spread)
        || ! juce::exactlyEqual (newSpreadScale, spreadScale))
        framesRemaining = 30;

    colour = newColour;
    thickness = newThickness;
    intensity = newIntensity;
    spread = newSpread;
    spreadScale = newSpreadScale;
    alphaFactor = newAlphaFactor;
}

void GlowLayer::reset()
{
    image = {};
    destArea = {};
    framesRemaining = 0;
}

void GlowLayer::render (juce::Graphics& g, const juce::Path& path, juce::Rectangle<float> area)
{
    if (path.isEmpty())
        return;

    juce::Graphics::ScopedSaveState saved (g);

    const auto pad = thickness * (spread * spreadScale + 1.0f);
    const auto w = juce::jmax (1, (int) std::ceil (juce::jmax (0.0f, area.getWidth() + 2.0f * pad) * 0.5f));
    const auto h = juce::jmax (1, (int) std::ceil (juce::jmax (0.0f, area.getHeight() + 2.0f * pad) * 0.5f));
    const juce::Rectangle<float> destination (area.getX() - pad, area.getY() - pad, 2.0f * (float) w, 2.0f * (float) h);

    if (! image.isValid() || image.getWidth() != w || image.getHeight() != h || destArea != destination)
    {
        image = juce::Image (juce::Image::ARGB, w, h, true, juce::SoftwareImageType());
        destArea = destination;
    }

    const auto strength = juce::jmax (alphaFactor * intensity, 0.01f);
    const auto penWidth = (strength * 0.8f + 0.8f) * thickness;
    image.clear (image.getBounds());
    {
        juce::Graphics halo (image);
        halo.addTransform (juce::AffineTransform::translation (-destArea.getX(), -destArea.getY()).scaled (0.5f));
        halo.setColour (colour.withAlpha ((juce::uint8) 255));
        halo.strokePath (path, juce::PathStrokeType (penWidth, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    }

    auto level = (int) std::floor (thickness + 0.001f);
    level = juce::jlimit (2, 31, level);
    if (strategy == nullptr || level != blurLevel)
    {
        const auto replacing = strategy != nullptr;
        strategy = makeStackBlur (level);
        blurLevel = level;
        if (replacing)
            framesRemaining = 30;
    }
    strategy->apply (image);

    // The halo is exactly zero farther from the path than the pen, the blur
    // radius and the resampling reach (in half-resolution pixels, so doubled on
    // screen); compositing only that band gives the same pixels for a fraction
    // of the work on a large plot.
    juce::Path reach;
    juce::PathStrokeType (penWidth + 4.0f * (float) (level + 3), juce::PathStrokeType::curved, juce::PathStrokeType::rounded)
        .createStrokedPath (reach, path);
    g.reduceClipRegion (reach);

    g.setImageResamplingQuality (juce::Graphics::highResamplingQuality);
    if (! g.isClipEmpty())
        g.drawImageTransformed (image, juce::AffineTransform::scale (destArea.getWidth() / (float) w, destArea.getHeight() / (float) h)
                                           .translated (destArea.getX(), destArea.getY()));

    if (framesRemaining > 0)
        --framesRemaining;
}
} // namespace ui_core
