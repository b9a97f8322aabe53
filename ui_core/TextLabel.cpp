#include "ui_core/TextLabel.h"

#include <cmath>

namespace ui_core
{
TextLabel::TextLabel (juce::String labelText) : text (std::move (labelText)) { setInterceptsMouseClicks (false, false); }

TextLabel::~TextLabel() = default;

void TextLabel::setStyle (const Style& newStyle)
{
    if (newStyle == style)
        return;
    style = newStyle;
    resized();
    repaint();
}

void TextLabel::setText (const juce::String& newText)
{
    if (newText == text)
        return;
    text = newText;
    repaint();
}

int TextLabel::getPreferredHeight() const
{
    return juce::jmax (style.minimumHeight, (int) std::ceil (style.font.getHeight() + 2.0f * (float) style.marginY));
}

void TextLabel::resized() { textArea = getLocalBounds().reduced (style.marginX, style.marginY); }

void TextLabel::paint (juce::Graphics& g)
{
    if (style.backgroundColour.getAlpha() != 0)
        g.fillAll (style.backgroundColour);

    if (style.focusOutline && hasKeyboardFocus (true))
    {
        g.setColour (style.focusOutlineColour);
        g.drawRect (getLocalBounds().toFloat().reduced (style.focusOutlineThickness / 2.0f), style.focusOutlineThickness);
    }

    g.setFont (style.font);
    g.setColour (isEnabled() ? style.textColour : style.disabledTextColour);
    g.drawFittedText (style.upperCase ? text.toUpperCase() : text, textArea, juce::Justification (style.justification), 1, 1.0f);
}

void TextLabel::focusGained (FocusChangeType)
{
    if (style.focusOutline)
        repaint();
}

void TextLabel::focusLost (FocusChangeType)
{
    if (style.focusOutline)
        repaint();
}
} // namespace ui_core
