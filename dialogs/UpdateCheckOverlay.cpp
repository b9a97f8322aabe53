#include "dialogs/UpdateCheckOverlay.h"

UpdateCheckOverlay::UpdateCheckOverlay()
{
    setInterceptsMouseClicks (true, true);
    addAndMakeVisible (dialog);
}

UpdateCheckOverlay::~UpdateCheckOverlay() = default;

void UpdateCheckOverlay::mouseDown (const juce::MouseEvent&)
{
    if (dialog.onClose)
        dialog.onClose();
}

void UpdateCheckOverlay::resized()
{
    if (dialog.getWidth() < 1 || dialog.getHeight() < 1)
        dialog.centreWithSize (380, 160);
    else
        dialog.centreWithSize (dialog.getWidth(), dialog.getHeight());
}
