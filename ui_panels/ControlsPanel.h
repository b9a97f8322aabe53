#pragma once

#include "ui_core/Rotary3DKnob.h"

namespace ui_panels
{
// The look the two knob pop-ups share: a tab with rounded top corners that
// rises out of the display below it, casting its shadow upwards.
class ControlsPanel : public juce::Component
{
public:
    struct Style
    {
        juce::Colour backgroundColour { juce::Colours::black };
        float backgroundAlpha = 1.0f;
        juce::Colour borderColour { juce::Colours::transparentBlack };
        float borderAlpha = 0.0f;
        float borderThickness = 1.0f;
        float cornerRadius = 8.0f;
        float shadowAlpha = 0.0f;
        int shadowOffsetY = 0;
        int shadowRadius = 0;
        int padding = 6;
        int columnSpacing = 8; // scale panel only
        int labelGap = 2;      // scale panel only

        bool operator== (const Style&) const = default;
    };

    ~ControlsPanel() override;

    // Copies the panel's fields, then restyles the knobs (and labels) from the
    // current tokens, so a theme change recolours them too.
    void setStyle (const Style& newStyle);
    const Style& getStyle() const noexcept { return style; }

    // True while a mouse button is down on one of the panel's knobs.
    virtual bool isKnobInUse() const = 0;

    void paint (juce::Graphics&) override;

protected:
    ControlsPanel() = default;
    virtual void restyleChildren() = 0;
    static void styleKnob (ui_core::Rotary3DKnob& knob);

private:
    Style style;
};
} // namespace ui_panels
