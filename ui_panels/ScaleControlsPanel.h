#pragma once

#include "ui_core/TextLabel.h"
#include "ui_panels/ControlsPanel.h"

namespace ui_panels
{
// The pop-up above the scale display: the "Scale X" and "Scale Y" knobs.
class ScaleControlsPanel : public ControlsPanel
{
public:
    ScaleControlsPanel();
    ~ScaleControlsPanel() override;

    bool isKnobInUse() const override;
    void resized() override;

    ui_core::Rotary3DKnob scaleXKnob, scaleYKnob;
    ui_core::TextLabel scaleXLabel { "Scale X" }, scaleYLabel { "Scale Y" };

private:
    void restyleChildren() override;
};

ui_core::TextLabel::Style scaleLabelStyle();
} // namespace ui_panels
