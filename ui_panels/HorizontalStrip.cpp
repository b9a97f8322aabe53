#include "ui_panels/HorizontalStrip.h"

#include "ui_core/DesignTokens.h"

namespace ui_panels
{
HorizontalStrip::HorizontalStrip() = default;
HorizontalStrip::~HorizontalStrip() = default;

void HorizontalStrip::setStyle (const Style& newStyle)
{
    if (newStyle == style)
        return;
    style = newStyle;
    repaint();
}

void HorizontalStrip::resized() {}

void HorizontalStrip::paint (juce::Graphics& g)
{
    juce::Path outline;
    if (style.cornerRadius > 0.0f)
        outline.addRoundedRectangle (getLocalBounds().toFloat(), style.cornerRadius);
    else
        outline.addRectangle (getLocalBounds().toFloat());

    if (style.shadowAlpha > 0.0f)
        juce::DropShadow (juce::Colours::black.withAlpha (style.shadowAlpha), style.shadowRadius, { 0, style.shadowOffsetY })
            .drawForPath (g, outline);
    g.setColour (ui_core::withAlphaLevel (style.backgroundColour, style.backgroundAlpha));
    g.fillPath (outline);
    if (style.borderAlpha > 0.0f)
    {
        g.setColour (ui_core::withAlphaLevel (style.borderColour, style.borderAlpha));
        g.strokePath (outline, juce::PathStrokeType (style.borderThickness));
    }
}
} // namespace ui_panels
