#pragma once

#include "dialogs/ArtistNameDialog.h"

// Hosts the artist dialog over the whole window: transparent, it catches
// presses beside the dialog (as a cancel) so they never reach the editor.
class ArtistNameDialogOverlay : public juce::Component
{
public:
    ArtistNameDialogOverlay();
    ~ArtistNameDialogOverlay() override;

    void mouseDown (const juce::MouseEvent&) override;
    void resized() override;

    ArtistNameDialog dialog;
};
