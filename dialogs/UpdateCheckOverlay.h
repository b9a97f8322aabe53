#pragma once

#include "dialogs/UpdateCheckDialog.h"

// Hosts the update dialog over the whole editor; a press beside it closes it.
class UpdateCheckOverlay : public juce::Component
{
public:
    UpdateCheckOverlay();
    ~UpdateCheckOverlay() override;

    void mouseDown (const juce::MouseEvent&) override;
    void resized() override;

    UpdateCheckDialog dialog;
};
