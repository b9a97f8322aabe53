#include "ui_core/InlineComboBox.h"

#include "ui_core/CaptionedValueLayout.h"
#include "ui_core/DesignTokens.h"
#include "ui_core/Fonts.h"
#include "ui_core/SliderValueText.h"

#include <cmath>

namespace ui_core
{
InlineComboBox::InlineComboBox (juce::String labelText) : label (std::move (labelText)) { setSize (100, 40); }

// An open menu still draws with this combo's look-and-feel: close it first.
InlineComboBox::~InlineComboBox() { openMenu.dismiss(); }

void InlineComboBox::addItem (const juce::String& text, int id, const juce::String& shortText)
{
    items.push_back ({ text, shortText, id });
    repaint();
}

void InlineComboBox::setStyle (const Style& newStyle)
{
    if (newStyle == style)
        return;
    style = newStyle;
    popupLookAndFeel.setStyle (style.popup);
    repaint();
}

void InlineComboBox::setSelectedId (int id)
{
    if (id == selectedId)
        return;
    selectedId = id;
    repaint();
}

juce::String InlineComboBox::getShownText() const
{
    for (const auto& item : items)
        if (item.id == selectedId)
            return item.shortText.isNotEmpty() ? item.shortText : item.text;
    return {};
}

int InlineComboBox::preferredWidth (const juce::String& referenceItem) const
{
    const auto captionWidth = (int) std::ceil (juce::GlyphArrangement::getStringWidth (style.labelFont, label.toUpperCase()));
    const auto valueWidth = (int) std::ceil (juce::GlyphArrangement::getStringWidth (style.valueFont, referenceItem));
    return juce::jmax (captionWidth, valueWidth) + 2 * style.marginX;
}

void InlineComboBox::paint (juce::Graphics& g)
{
    const auto enabled = isEnabled();
    if (hovered && enabled)
    {
        const auto bounds = getLocalBounds().toFloat();
        g.setColour (withAlphaLevel (style.hoverFillColour, style.hoverFillAlpha));
        g.fillRoundedRectangle (bounds, style.cornerRadius);
        g.setColour (withAlphaLevel (style.hoverBorderColour, style.hoverBorderAlpha));
        g.drawRoundedRectangle (bounds, style.cornerRadius, style.borderThickness);
    }

    const auto areas = layoutCaptionAndValue (getWidth(), getHeight(), style.marginX, style.marginY, style.labelGap);
    const juce::Justification justification (style.justification);
    drawCellText (g, label.toUpperCase(), style.labelFont, dimmedWhenDisabled (style.labelColour, enabled), areas.caption, justification);
    drawCellText (g, getShownText(), style.valueFont, dimmedWhenDisabled (style.valueColour, enabled), areas.value, justification);
}

void InlineComboBox::mouseEnter (const juce::MouseEvent&)
{
    hovered = true;
    repaint();
}

void InlineComboBox::mouseExit (const juce::MouseEvent&)
{
    hovered = false;
    repaint();
}

void InlineComboBox::mouseDown (const juce::MouseEvent&)
{
    if (isEnabled())
        showPopupMenu();
}

juce::PopupMenu InlineComboBox::buildMenu() const
{
    juce::PopupMenu menu;
    for (const auto& item : items)
        menu.addItem (item.id, item.text, true, item.id == selectedId);
    return menu;
}

void InlineComboBox::showPopupMenu()
{
    auto menu = buildMenu();
    menu.setLookAndFeel (&popupLookAndFeel);
    const auto options = juce::PopupMenu::Options()
                             .withTargetComponent (this)
                             .withTargetScreenArea (getScreenBounds())
                             .withMinimumWidth (getWidth());
    openMenu.show (menu, options, [safeThis = juce::Component::SafePointer<InlineComboBox> (this)] (int result)
                   {
                       if (safeThis != nullptr && result != 0)
                           safeThis->menuItemChosen (result);
                   });
}

void InlineComboBox::menuItemChosen (int id)
{
    setSelectedId (id);
    if (onChange)
        onChange (id);
}

InlineComboBox::Style defaultComboStyle()
{
    InlineComboBox::Style s;
    s.valueFont = interFont (2, 13.0f);
    s.labelFont = interFont (1, 11.0f).withExtraKerningFactor (0.1f);
    s.labelColour = palette()[11];
    s.valueColour = palette()[45];
    s.labelGap = 2;
    s.hoverFillColour = palette()[2];
    s.hoverFillAlpha = 0.6f;
    s.hoverBorderColour = palette()[2];
    s.hoverBorderAlpha = 0.8f;
    s.borderThickness = 1.0f;
    s.cornerRadius = 4.0f;
    s.marginX = spacingTokens()[0];
    s.marginY = spacingTokens()[4];
    s.popup.font = interFont (2, 13.0f);
    s.popup.backgroundColour = palette()[4];
    s.popup.textColour = palette()[8];
    s.popup.highlightedTextColour = palette()[7];
    s.popup.highlightedBackgroundColour = withAlphaLevel (textColours()[0], 0.6f);
    return s;
}
} // namespace ui_core
