#include "dialogs/ArtistNameDialogOverlay.h"

ArtistNameDialogOverlay::ArtistNameDialogOverlay()
{
    setInterceptsMouseClicks (true, true);
    addAndMakeVisible (dialog);
}

ArtistNameDialogOverlay::~ArtistNameDialogOverlay() = default;

void ArtistNameDialogOverlay::mouseDown (const juce::MouseEvent&)
{
    if (dialog.onCancel)
        dialog.onCancel();
}

void ArtistNameDialogOverlay::resized()
{
    if (dialog.getWidth() < 1 || dialog.getHeight() < 1)
        dialog.centreWithSize (340, 200);
    else
        dialog.centreWithSize (dialog.getWidth(), dialog.getHeight());
}
