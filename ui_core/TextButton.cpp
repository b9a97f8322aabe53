#include "ui_core/TextButton.h"

#include "ui_core/DesignTokens.h"

namespace ui_core
{
TextButton::TextButton (const juce::String& name) : juce::Button (name) { setWantsKeyboardFocus (true); }

TextButton::~TextButton() = default;

void TextButton::setText (const juce::String& newText)
{
    if (newText == text)
        return;
    text = newText;
    repaint();
}

void TextButton::setStyle (const Style& newStyle)
{
    if (newStyle == style)
        return;
    style = newStyle;
    resized();
    repaint();
}

void TextButton::resized() { textArea = getLocalBounds().reduced (style.marginX, style.marginY); }

void TextButton::paintButton (juce::Graphics& g, bool highlighted, bool down)
{
    const auto enabled = isEnabled();
    const auto on = getToggleState();

    juce::Colour fill;
    if (! enabled)
        fill = withAlphaLevel (style.backgroundColour, style.backgroundAlpha);
    else if (on)
        fill = withAlphaLevel (style.onBackgroundColour, down          ? style.onDownBackgroundAlpha
                                                         : highlighted ? style.onHoverBackgroundAlpha
                                                                       : style.onBackgroundAlpha);
    else if (down)
        fill = withAlphaLevel (style.downBackgroundColour, style.downBackgroundAlpha);
    else if (highlighted)
        fill = withAlphaLevel (style.hoverBackgroundColour, style.hoverBackgroundAlpha);
    else
        fill = withAlphaLevel (style.backgroundColour, style.backgroundAlpha);
    g.setColour (fill);
    g.fillRoundedRectangle (getLocalBounds().toFloat(), style.cornerRadius);

    const auto textColour = ! enabled ? style.textDisabledColour
                            : down    ? style.textDownColour
                            : on      ? (style.textOnColour.getAlpha() != 0 ? style.textOnColour : style.textColour)
                            : highlighted ? style.textHoverColour
                                          : style.textColour;
    g.setFont (style.font);
    g.setColour (textColour);
    g.drawFittedText (style.upperCase ? text.toUpperCase() : text, textArea, juce::Justification (style.justification), 1, 1.0f);

    const auto outline = down ? style.downOutlineColour : on ? style.onOutlineColour : highlighted ? style.hoverOutlineColour : style.outlineColour;
    g.setColour (outline);
    g.drawRoundedRectangle ({ 0.5f, 0.5f, juce::jmax ((float) getWidth() - 1.0f, 0.0f), juce::jmax ((float) getHeight() - 1.0f, 0.0f) },
                            style.cornerRadius, 1.0f);
}
} // namespace ui_core
