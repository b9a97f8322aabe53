#pragma once

#include "ui_core/TextButton.h"
#include "ui_core/TextEditor.h"

// The looks every dialog gives its buttons and text fields, built from the
// current theme's tokens each time a dialog is built.
ui_core::TextButton::Style dialogButtonStyle();
ui_core::TextEditor::Style dialogTextFieldStyle();

// The dialogs' card: a rounded N1 fill with an N2 border.
void paintDialogCard (juce::Graphics&, juce::Rectangle<float> bounds);

// The dialogs' title font and the height of a title on one line in it.
juce::Font dialogTitleFont();
int dialogTitleHeight (const juce::String& title);

// Body text as the dialogs lay it out: small N5 text, top-left, line spacing
// 1.2, wrapped by word at the given width.
juce::TextLayout dialogBodyLayout (const juce::String& text, float width);

// Hands an overlay to a call posted on the message thread that only releases
// it: an overlay dismissed from inside one of its own handlers must outlive
// that handler.
void destroyLater (std::unique_ptr<juce::Component> overlay);
