#include "plugin/PluginAudioProcessor.h"
#include "tests/support/ImageOutput.h"
#include "tests/support/UserInput.h"
#include "ui_core/DesignTokens.h"
#include "ui_core/Fonts.h"
#include "ui_core/IconButton.h"
#include "ui_core/InlineComboBox.h"
#include "ui_core/NumberBox.h"
#include "ui_core/Rotary3DKnob.h"
#include "ui_core/ScaleDisplay.h"
#include "ui_core/SmoothingDisplay.h"
#include "ui_core/TextButton.h"
#include "ui_core/TextEditor.h"
#include "ui_core/TextLabel.h"
#include "ui_core/TooltipDisplayPanel.h"

#include <gtest/gtest.h>

namespace
{
enum class State
{
    idle,
    hover,
    pressed,
    disabled,
    editing
};

constexpr int cellWidth = 150, cellHeight = 100;

// Puts a widget into a state through the same events a user causes.
void enterState (juce::Component& widget, State state)
{
    test::Pointer pointer (widget);
    const auto centre = widget.getLocalBounds().getCentre().toFloat();
    widget.setEnabled (state != State::disabled);
    if (state == State::hover || state == State::pressed)
        pointer.enter (centre);
    if (auto* button = dynamic_cast<juce::Button*> (&widget))
        button->setState (state == State::hover ? juce::Button::buttonOver : state == State::pressed ? juce::Button::buttonDown : juce::Button::buttonNormal);
    else if (state == State::pressed && dynamic_cast<ui_core::InlineComboBox*> (&widget) == nullptr)
        pointer.press (centre);
    if (state == State::editing)
    {
        if (auto* knob = dynamic_cast<ui_core::Rotary3DKnob*> (&widget))
            knob->textEntry.tryStart();
        if (auto* box = dynamic_cast<ui_core::NumberBox*> (&widget))
            box->startTextEditing();
    }
}

// Draws the widget into its cell; returns how many of its pixels it inked.
int drawCell (juce::Graphics& g, juce::Component& widget, int column, int row)
{
    const auto image = test::render (widget);
    const auto x = column * cellWidth + (cellWidth - image.getWidth()) / 2, y = row * cellHeight + (cellHeight - image.getHeight()) / 2;
    g.drawImageAt (image, x, y);
    return test::inkedPixels (image);
}
} // namespace

TEST (WidgetContactSheet, everyWidgetInItsStates)
{
    PluginAudioProcessor processor;
    const std::vector<State> states { State::idle, State::hover, State::pressed, State::disabled, State::editing };
    std::vector<std::function<std::unique_ptr<juce::Component>()>> makers {
        [] {
            auto knob = std::make_unique<ui_core::Rotary3DKnob>();
            knob->setStyle (ui_core::defaultKnobStyle());
            knob->textEntry.style = ui_core::defaultTextEntryStyle();
            knob->setRange (-36.0, 36.0, 0.1);
            knob->setValue (12.0, juce::dontSendNotification);
            knob->setSize (80, 80);
            return knob;
        },
        [] {
            auto box = std::make_unique<ui_core::NumberBox> ("X Lag");
            auto style = ui_core::defaultNumberBoxStyle();
            style.suffix = {};
            box->setStyle (style);
            box->setValue (64.0, juce::dontSendNotification);
            return box;
        },
        [] {
            auto combo = std::make_unique<ui_core::InlineComboBox> ("Algo");
            combo->setStyle (ui_core::defaultComboStyle());
            combo->addItem ("ODR", 1);
            combo->addItem ("Mean", 2);
            combo->setSelectedId (1);
            combo->setSize (60, 50);
            return combo;
        },
        [] {
            auto button = std::make_unique<ui_core::TextButton> ("save");
            ui_core::TextButton::Style style;
            style.hoverBackgroundColour = ui_core::palette()[2];
            style.hoverBackgroundAlpha = 0.6f;
            style.downBackgroundColour = ui_core::palette()[2];
            style.downBackgroundAlpha = 0.9f;
            style.outlineColour = ui_core::palette()[17];
            button->setStyle (style);
            button->setText ("Save preset");
            button->setSize (120, 32);
            return button;
        },
        [] {
            auto button = std::make_unique<ui_core::IconButton> ("record");
            button->setIcon (R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 24 24"><circle cx="12" cy="12" r="8" fill="currentColor"/></svg>)");
            auto style = button->getStyle();
            style.hoverBackgroundColour = ui_core::palette()[2];
            style.hoverBackgroundAlpha = 0.6f;
            style.downBackgroundColour = ui_core::palette()[2];
            style.downBackgroundAlpha = 0.9f;
            button->setStyle (style);
            button->setSize (36, 36);
            return button;
        },
        [] {
            auto label = std::make_unique<ui_core::TextLabel> ("Scale X");
            auto style = label->getStyle();
            style.upperCase = true;
            label->setStyle (style);
            label->setSize (100, 20);
            return label;
        },
        [] {
            auto editor = std::make_unique<ui_core::TextEditor> ("artist");
            editor->setText ("Ada Lovelace");
            editor->setSize (140, 28);
            return editor;
        },
        [&processor] {
            auto display = std::make_unique<ui_core::ScaleDisplay> (processor.parameters, "scaleX", "scaleY");
            auto style = ui_core::defaultDisplayStyle();
            style.valueFont = ui_core::monoFont (15.0f);
            display->setStyle (style);
            display->setSize (122, 50);
            return display;
        },
        [&processor] {
            auto display = std::make_unique<ui_core::SmoothingDisplay> (processor.parameters, "smoothing");
            display->setStyle (ui_core::defaultDisplayStyle());
            display->setSize (72, 50);
            return display;
        },
    };

    juce::Image sheet (juce::Image::ARGB, cellWidth * (int) states.size(), cellHeight * ((int) makers.size() + 1), true, juce::SoftwareImageType());
    juce::Graphics g (sheet);
    g.fillAll (ui_core::palette()[4]);
    for (size_t row = 0; row < makers.size(); ++row)
        for (size_t column = 0; column < states.size(); ++column)
        {
            auto widget = makers[row]();
            enterState (*widget, states[column]);
            // A widget that draws nothing (a broken paint) leaves a hole in the sheet.
            EXPECT_GT (drawCell (g, *widget, (int) column, (int) row), 20) << "row " << row << ", column " << column;
        }

    ui_core::TooltipDisplayPanel tooltip;
    tooltip.setSize (cellWidth * (int) states.size(), 24);
    drawCell (g, tooltip, 0, (int) makers.size());

    test::savePng (sheet, "widgets-contact-sheet");
}
