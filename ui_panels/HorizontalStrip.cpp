#include "ui_panels/HorizontalStrip.h"

#include "ui_panels/ShadowedShape.h"

#include <cmath>

namespace ui_panels
{
HorizontalStrip::HorizontalStrip() = default;
HorizontalStrip::~HorizontalStrip() = default;

void HorizontalStrip::setStyle (const Style& newStyle)
{
    if (newStyle == style)
        return;
    style = newStyle;
    cache = {};
    repaint();
}

void HorizontalStrip::resized() { cache = {}; }

// The shadow is a blur: rendered once per size and style, then blitted.
void HorizontalStrip::paint (juce::Graphics& g)
{
    const auto scale = g.getInternalContext().getPhysicalPixelScaleFactor();
    if (std::abs (scale - 1.0f) >= 0.01f || getWidth() < 1 || getHeight() < 1)
    {
        paintStrip (g);
        return;
    }
    if (! cache.isValid())
    {
        cache = juce::Image (juce::Image::ARGB, getWidth(), getHeight(), true, juce::SoftwareImageType());
        juce::Graphics cached (cache);
        paintStrip (cached);
    }
    g.setOpacity (1.0f);
    g.drawImageAt (cache, 0, 0);
}

void HorizontalStrip::paintStrip (juce::Graphics& g) const
{
    juce::Path outline;
    if (style.cornerRadius > 0.0f)
        outline.addRoundedRectangle (getLocalBounds().toFloat(), style.cornerRadius);
    else
        outline.addRectangle (getLocalBounds().toFloat());

    paintShadowedShape (g, outline, style);
}
} // namespace ui_panels
