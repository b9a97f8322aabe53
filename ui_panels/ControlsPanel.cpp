#include "ui_panels/ControlsPanel.h"

#include "ui_core/DesignTokens.h"
#include "ui_panels/ShadowedShape.h"

namespace ui_panels
{
ControlsPanel::~ControlsPanel() = default;

void ControlsPanel::setStyle (const Style& newStyle)
{
    style = newStyle;
    restyleChildren();
    resized();
    repaint();
}

void ControlsPanel::styleKnob (ui_core::Rotary3DKnob& knob)
{
    knob.setStyle (ui_core::defaultKnobStyle());
    knob.textEntry.style = ui_core::defaultTextEntryStyle();
}

void ControlsPanel::paint (juce::Graphics& g)
{
    const auto w = (float) getWidth(), h = (float) getHeight();
    const auto r = juce::jmin (h / 2.0f, style.cornerRadius), rx = juce::jmin (w / 2.0f, style.cornerRadius);
    juce::Path tab;
    tab.startNewSubPath (0.0f, r);
    tab.cubicTo (0.0f, 0.45f * r, 0.45f * rx, 0.0f, rx, 0.0f);
    tab.lineTo (w - rx, 0.0f);
    tab.cubicTo (w - 0.45f * rx, 0.0f, w, 0.45f * r, w, r);
    tab.lineTo (w, h);
    tab.lineTo (0.0f, h);
    tab.closeSubPath();

    paintShadowedShape (g, tab, style);
}
} // namespace ui_panels
