#include "ui_core/ComboBoxPopupLookAndFeel.h"

namespace ui_core
{
void ComboBoxPopupLookAndFeel::setStyle (const Style& newStyle)
{
    style = newStyle;
    setColour (juce::PopupMenu::backgroundColourId, style.backgroundColour);
    setColour (juce::PopupMenu::textColourId, style.textColour);
    setColour (juce::PopupMenu::highlightedBackgroundColourId, style.highlightedBackgroundColour);
    setColour (juce::PopupMenu::highlightedTextColourId, style.highlightedTextColour);
}

juce::Font ComboBoxPopupLookAndFeel::getPopupMenuFont() { return style.font; }
} // namespace ui_core
