#include "ui_core/IconButton.h"

#include "ui_core/DesignTokens.h"

namespace ui_core
{
std::unique_ptr<juce::Drawable> parseSvg (const juce::String& svgText)
{
    const auto xml = juce::parseXML (svgText);
    if (xml == nullptr || ! xml->hasTagName ("svg"))
        return {};
    return juce::Drawable::createFromSVG (*xml);
}

std::unique_ptr<juce::Drawable> recoloured (const juce::Drawable* artwork, juce::Colour colour)
{
    if (artwork == nullptr)
        return {};
    auto copy = artwork->createCopy();
    copy->replaceColour (juce::Colours::black, colour);
    return copy;
}

juce::Rectangle<float> centredArtworkSquare (juce::Rectangle<int> bounds, int margin, int side)
{
    const auto inner = bounds.reduced (margin).toFloat();
    return juce::Rectangle<float> ((float) side, (float) side).withCentre (inner.getCentre());
}

IconButton::IconButton (const juce::String& name) : juce::Button (name) {}

IconButton::~IconButton() = default;

void IconButton::setIcon (const juce::String& svgText)
{
    icon = parseSvg (svgText);
    rebuildCopies();
    repaint();
}

void IconButton::setStyle (const Style& newStyle)
{
    if (newStyle == style)
        return;
    style = newStyle;
    rebuildCopies();
    repaint();
}

void IconButton::rebuildCopies()
{
    normalIcon = recoloured (icon.get(), style.iconColour);
    hoverIcon = recoloured (icon.get(), style.iconHoverColour);
    downIcon = recoloured (icon.get(), style.iconDownColour);
    disabledIcon = recoloured (icon.get(), style.iconDisabledColour);
    onIcon = recoloured (icon.get(), style.iconOnColour);
    resized();
}

void IconButton::resized()
{
    if (style.iconSize <= 0)
        return;
    const auto square = centredArtworkSquare (getLocalBounds(), style.margin, style.iconSize);
    for (auto* copy : { normalIcon.get(), hoverIcon.get(), downIcon.get(), disabledIcon.get(), onIcon.get() })
        if (copy != nullptr)
            copy->setTransformToFit (square, juce::RectanglePlacement::centred);
}

void IconButton::paintButton (juce::Graphics& g, bool highlighted, bool down)
{
    const auto enabled = isEnabled();
    auto background = style.backgroundColour;
    if (! enabled)
        background = juce::Colours::transparentBlack;
    else if (down)
        background = withAlphaLevel (style.downBackgroundColour, style.downBackgroundAlpha);
    else if (highlighted)
        background = withAlphaLevel (style.hoverBackgroundColour, style.hoverBackgroundAlpha);
    g.setColour (background);
    g.fillRoundedRectangle (getLocalBounds().toFloat(), style.cornerRadius);

    const juce::Drawable* shown = ! enabled        ? disabledIcon.get()
                                  : getToggleState() ? onIcon.get()
                                  : down             ? downIcon.get()
                                  : highlighted      ? hoverIcon.get()
                                                     : normalIcon.get();
    if (shown != nullptr)
        shown->draw (g, 1.0f);

    const juce::Rectangle<float> ring (0.5f, 0.5f, (float) getWidth() - 1.0f, (float) getHeight() - 1.0f);
    if (style.focusRing && hasKeyboardFocus (true))
    {
        g.setColour (style.focusRingColour);
        g.drawRoundedRectangle (ring, style.cornerRadius, 1.0f);
    }
    if (getToggleState())
    {
        g.setColour (style.onOutlineColour);
        g.drawRoundedRectangle (ring, style.cornerRadius, 1.0f);
    }
}
} // namespace ui_core
