#pragma once

#include "ui_core/TextButton.h"
#include "ui_core/TextEditor.h"

#include <functional>

// Asks for the artist name every saved preset carries: before the first save
// (with "Skip" and "Don't Ask Again") or from the logo menu (with "Cancel").
class ArtistNameDialog : public juce::Component
{
public:
    ArtistNameDialog();
    ~ArtistNameDialog() override;

    // Shows either the first-save buttons or "Cancel", and lays out again.
    void setFirstSaveVariant (bool firstSave);

    std::function<void (const juce::String&)> onSave;
    std::function<void()> onCancel;
    std::function<void()> onDontAskAgain;

    juce::String title { "Set Artist Name" };
    juce::String message { "Enter your artist name to embed in preset files." };
    ui_core::TextEditor nameEditor { "artistNameEditor" };
    ui_core::TextButton saveButton { "saveBtn" }, cancelButton { "cancelBtn" }, dontAskButton { "dnaBtn" }, skipButton { "skipBtn" };

    void paint (juce::Graphics&) override;
    void focusGained (FocusChangeType) override;
    void resized() override;

private:
    void submit();
};
