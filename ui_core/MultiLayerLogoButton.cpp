#include "ui_core/MultiLayerLogoButton.h"

#include "ui_core/DesignTokens.h"
#include "ui_core/IconButton.h"

namespace ui_core
{
MultiLayerLogoButton::MultiLayerLogoButton (const juce::String& name) : juce::Button (name) {}

MultiLayerLogoButton::~MultiLayerLogoButton() = default;

void MultiLayerLogoButton::setLayers (const std::array<juce::String, numLayers>& svgTexts)
{
    for (size_t i = 0; i < layers.size(); ++i)
        layers[i] = parseSvg (svgTexts[i]);
    rebuildCopies();
    repaint();
}

void MultiLayerLogoButton::setStyle (const Style& newStyle)
{
    if (newStyle == style)
        return;
    style = newStyle;
    rebuildCopies();
    repaint();
}

void MultiLayerLogoButton::rebuildCopies()
{
    for (size_t i = 0; i < layers.size(); ++i)
    {
        normalCopies[i] = recoloured (layers[i].get(), style.layerColours[i]);
        hoverCopies[i] = recoloured (layers[i].get(), style.layerHoverColours[i]);
    }
    resized();
}

void MultiLayerLogoButton::resized()
{
    const auto square = centredArtworkSquare (getLocalBounds(), style.margin, style.size);
    const auto transform = juce::AffineTransform::scale ((float) style.size / 6.35f).translated (square.getX(), square.getY());
    for (size_t i = 0; i < layers.size(); ++i)
        for (auto* copy : { normalCopies[i].get(), hoverCopies[i].get() })
            if (copy != nullptr)
                copy->setTransform (transform);
}

void MultiLayerLogoButton::paintButton (juce::Graphics& g, bool highlighted, bool)
{
    if (highlighted && style.hoverBackgroundAlpha > 0.0f)
    {
        g.setColour (withAlphaLevel (style.hoverBackgroundColour, style.hoverBackgroundAlpha));
        g.fillRoundedRectangle (getLocalBounds().toFloat(), style.cornerRadius);
    }
    for (size_t i = 0; i < layers.size(); ++i)
        if (auto* copy = (highlighted ? hoverCopies[i] : normalCopies[i]).get())
            copy->draw (g, 1.0f);
}
} // namespace ui_core
