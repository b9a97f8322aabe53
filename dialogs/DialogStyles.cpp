#include "dialogs/DialogStyles.h"

#include "ui_core/DesignTokens.h"
#include "ui_core/Fonts.h"

#include <cmath>

using ui_core::rampStep;

ui_core::TextButton::Style dialogButtonStyle()
{
    ui_core::TextButton::Style s;
    s.font = ui_core::makeTextStyle (ui_core::textLarge).font;
    s.justification = juce::Justification::centred;
    s.upperCase = false;
    s.textColour = rampStep ('N', 8);
    s.textHoverColour = rampStep ('N', 8);
    s.textDownColour = rampStep ('P', 9);
    s.textDisabledColour = rampStep ('N', 4);
    s.textOnColour = rampStep ('P', 6);
    s.backgroundColour = s.hoverBackgroundColour = s.downBackgroundColour = s.onBackgroundColour = rampStep ('N', 0);
    s.outlineColour = rampStep ('N', 3);
    s.hoverOutlineColour = rampStep ('N', 3);
    s.downOutlineColour = rampStep ('N', 4);
    s.onOutlineColour = rampStep ('P', 5);
    s.backgroundAlpha = 0.4f;
    s.hoverBackgroundAlpha = 0.6f;
    s.downBackgroundAlpha = 0.6f;
    s.onBackgroundAlpha = 0.4f;
    s.onHoverBackgroundAlpha = 0.6f;
    s.onDownBackgroundAlpha = 0.6f;
    s.cornerRadius = 8.0f;
    s.marginX = 16;
    s.marginY = 8;
    s.minimumWidth = 72;
    s.minimumHeight = 32;
    return s;
}

ui_core::TextEditor::Style dialogTextFieldStyle()
{
    ui_core::TextEditor::Style s;
    s.font = ui_core::makeTextStyle (ui_core::textMedium).font;
    s.justification = juce::Justification::centredLeft;
    s.textColour = rampStep ('N', 9);
    s.reservedColour1 = rampStep ('N', 4);
    s.reservedColour2 = rampStep ('N', 6);
    s.highlightColour = rampStep ('P', 8);
    s.caretColour = rampStep ('S', 6);
    s.backgroundColour = rampStep ('N', 0);
    s.outlineColour = rampStep ('N', 3);
    s.focusedOutlineColour = rampStep ('P', 5);
    s.shadowColour = rampStep ('N', 0);
    s.backgroundAlpha = 0.4f;
    s.highlightAlpha = 0.3f;
    s.outlineAlpha = 0.7f;
    s.focusedOutlineAlpha = 0.9f;
    s.shadowAlpha = 0.5f;
    s.cornerRadius = 6.0f;
    s.marginX = 8;
    s.marginY = 4;
    s.minimumHeight = 28;
    s.multiLine = false;
    s.readOnly = false;
    return s;
}

void paintDialogCard (juce::Graphics& g, juce::Rectangle<float> bounds)
{
    const auto radius = ui_core::radiusTokens()[7];
    const auto border = ui_core::borderWidthTokens()[1];
    g.setColour (ui_core::palette()[1]);
    g.fillRoundedRectangle (bounds, radius);
    g.setColour (ui_core::palette()[17]);
    g.drawRoundedRectangle (bounds.reduced (border / 2.0f), radius, border);
}

juce::Font dialogTitleFont() { return ui_core::makeTextStyle (ui_core::textLarge).font.withHeight (19.26f); }

int dialogTitleHeight (const juce::String& title)
{
    juce::GlyphArrangement glyphs;
    glyphs.addLineOfText (dialogTitleFont(), title, 0.0f, 0.0f);
    return (int) std::ceil (glyphs.getBoundingBox (0, -1, true).getHeight());
}

juce::TextLayout dialogBodyLayout (const juce::String& text, float width)
{
    juce::AttributedString attributed;
    attributed.append (text, ui_core::makeTextStyle (ui_core::textSmall).font.withHeight (14.98f), ui_core::palette()[11]);
    attributed.setJustification (juce::Justification::topLeft);
    attributed.setLineSpacing (1.2f);
    attributed.setWordWrap (juce::AttributedString::byWord);
    juce::TextLayout layout;
    layout.createLayout (attributed, width);
    return layout;
}

void destroyLater (std::unique_ptr<juce::Component> overlay)
{
    if (overlay == nullptr)
        return;
    juce::MessageManager::callAsync ([released = std::shared_ptr<juce::Component> (std::move (overlay))] {});
}
