#pragma once

#include "ui_panels/ControlsPanel.h"

namespace ui_panels
{
// The pop-up above the smoothing display: one knob for the window size.
class SmoothingControlsPanel : public ControlsPanel
{
public:
    SmoothingControlsPanel();
    ~SmoothingControlsPanel() override;

    bool isKnobInUse() const override;
    void resized() override;

    ui_core::Rotary3DKnob smoothingKnob;

private:
    void restyleChildren() override;
};
} // namespace ui_panels
