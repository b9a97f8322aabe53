#pragma once

#include "ui_core/DesignTokens.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui_panels
{
// The bar's and the knob panels' shared look: a drop shadow for the shape,
// then its fill, then its outline, each colour at its own alpha. Works with
// any style record carrying those fields.
template <typename Style>
void paintShadowedShape (juce::Graphics& g, const juce::Path& shape, const Style& style)
{
    if (style.shadowAlpha > 0.0f)
        juce::DropShadow (juce::Colours::black.withAlpha (style.shadowAlpha), style.shadowRadius, { 0, style.shadowOffsetY })
            .drawForPath (g, shape);
    g.setColour (ui_core::withAlphaLevel (style.backgroundColour, style.backgroundAlpha));
    g.fillPath (shape);
    if (style.borderAlpha > 0.0f)
    {
        g.setColour (ui_core::withAlphaLevel (style.borderColour, style.borderAlpha));
        g.strokePath (shape, juce::PathStrokeType (style.borderThickness));
    }
}
} // namespace ui_panels
