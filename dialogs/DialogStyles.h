#pragma once

#include "ui_core/TextButton.h"
#include "ui_core/TextEditor.h"

// The looks every dialog gives its buttons and text fields, built from the
// current theme's tokens each time a dialog is built.
ui_core::TextButton::Style dialogButtonStyle();
ui_core::TextEditor::Style dialogTextFieldStyle();

// Hands an overlay to a call posted on the message thread that only releases
// it: an overlay dismissed from inside one of its own handlers must outlive
// that handler.
void destroyLater (std::unique_ptr<juce::Component> overlay);
