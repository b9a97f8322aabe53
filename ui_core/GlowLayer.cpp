#include "ui_core/GlowLayer.h"

#include "ui_core/RoundStroke.h"

#include <algorithm>
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
    litBlocks.reset();
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
        litBlocks.reset();
    }
    else
    {
        litBlocks.clear (image); // the previous halo lies wholly inside its lit blocks
    }

    const auto strength = juce::jmax (alphaFactor * intensity, 0.01f);
    const auto penWidth = (strength * 0.8f + 0.8f) * thickness;
    strokeRoundCapped (image, path, juce::AffineTransform::translation (-destArea.getX(), -destArea.getY()).scaled (0.5f), penWidth * 0.5f,
                       colour.withAlpha ((juce::uint8) 255));

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

    // Most of the halo is transparent; compositing only its lit blocks gives
    // the same pixels for a fraction of the work on a large plot.
    litBlocks.collect (image);
    if (! g.reduceClipRegion (litBlocks.spans (destArea)))
    {
        if (framesRemaining > 0)
            --framesRemaining;
        return;
    }

    g.setImageResamplingQuality (juce::Graphics::highResamplingQuality);
    g.drawImageTransformed (image, juce::AffineTransform::scale (destArea.getWidth() / (float) w, destArea.getHeight() / (float) h)
                                       .translated (destArea.getX(), destArea.getY()));

    if (framesRemaining > 0)
        --framesRemaining;
}
} // namespace ui_core
