#include "ui_panels/ScaleControlsPanel.h"

#include "ui_core/DesignTokens.h"
#include "ui_core/Fonts.h"

namespace ui_panels
{
ScaleControlsPanel::ScaleControlsPanel()
{
    for (auto* knob : { &scaleXKnob, &scaleYKnob })
    {
        knob->setRange (-36.0, 36.0, 0.1);
        addAndMakeVisible (*knob);
    }
    scaleXKnob.setTooltip ("Scale X - Visualization gain for sidechain input.\nHigher values make smaller signals more visible.");
    scaleYKnob.setTooltip ("Scale Y - Visualization gain for main input.\nHigher values make smaller signals more visible.");
    addAndMakeVisible (scaleXLabel);
    addAndMakeVisible (scaleYLabel);
    restyleChildren();
    setSize (180, 100);
}

ScaleControlsPanel::~ScaleControlsPanel() = default;

void ScaleControlsPanel::restyleChildren()
{
    styleKnob (scaleXKnob);
    styleKnob (scaleYKnob);
    scaleXLabel.setStyle (scaleLabelStyle());
    scaleYLabel.setStyle (scaleLabelStyle());
}

bool ScaleControlsPanel::isKnobInUse() const { return scaleXKnob.isMouseButtonDown() || scaleYKnob.isMouseButtonDown(); }

void ScaleControlsPanel::resized()
{
    const auto& s = getStyle();
    const auto p = s.padding, gap = s.columnSpacing, g = s.labelGap;
    const auto lh = scaleXLabel.getPreferredHeight();
    const auto iw = juce::jmax (getWidth() - 2 * p, 0), ih = juce::jmax (getHeight() - 2 * p, 0);
    const auto k = juce::jmax (40, juce::jmin (ih - g - lh, (iw - gap) / 2));
    const auto y0 = p + (ih - k - g - lh) / 2;
    const auto x0 = p + (iw - 2 * k - gap) / 2;
    scaleXLabel.setBounds (x0 - gap / 4, y0, k + gap / 2, lh);
    scaleYLabel.setBounds (x0 - gap / 4 + k + gap, y0, k + gap / 2, lh);
    scaleXKnob.setBounds (x0, y0 + lh + g, k, k);
    scaleYKnob.setBounds (x0 + k + gap, y0 + lh + g, k, k);
}

ui_core::TextLabel::Style scaleLabelStyle()
{
    ui_core::TextLabel::Style s;
    s.font = ui_core::interFont (1, 11.0f).withExtraKerningFactor (0.1f);
    s.upperCase = true;
    s.textColour = ui_core::palette()[11];
    s.disabledTextColour = ui_core::palette()[12];
    s.backgroundColour = juce::Colours::transparentBlack;
    s.marginX = 0;
    s.marginY = 0;
    s.focusOutline = false;
    s.minimumHeight = 14;
    s.justification = juce::Justification::centred;
    return s;
}
} // namespace ui_panels
