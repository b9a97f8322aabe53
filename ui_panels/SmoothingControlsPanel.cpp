#include "ui_panels/SmoothingControlsPanel.h"

namespace ui_panels
{
SmoothingControlsPanel::SmoothingControlsPanel()
{
    smoothingKnob.setRange (1.0, 1024.0, 1.0);
    smoothingKnob.setTooltip ("Smoothing - Transfer function smoothing window size.\nHigher values produce smoother curves.");
    addAndMakeVisible (smoothingKnob);
    restyleChildren();
    setSize (90, 100);
}

SmoothingControlsPanel::~SmoothingControlsPanel() = default;

void SmoothingControlsPanel::restyleChildren() { styleKnob (smoothingKnob); }

bool SmoothingControlsPanel::isKnobInUse() const { return smoothingKnob.isMouseButtonDown(); }

void SmoothingControlsPanel::resized()
{
    const auto p = getStyle().padding;
    const auto iw = juce::jmax (getWidth() - 2 * p, 0), ih = juce::jmax (getHeight() - 2 * p, 0);
    const auto k = juce::jmax (40, juce::jmin (iw, ih));
    smoothingKnob.setBounds (p + (iw - k) / 2, p + (ih - k) / 2, k, k);
}
} // namespace ui_panels
