#include "ui_core/ScaleDisplay.h"

#include "ui_core/CaptionedValueLayout.h"

namespace ui_core
{
ScaleDisplay::ScaleDisplay (juce::AudioProcessorValueTreeState& state, const juce::String& idX, const juce::String& idY)
    : ValueDisplay (state, { idX, idY }), parameterIdX (idX), parameterIdY (idY)
{
    setSize (120, 40);
    // Following first, then reading: a change in between is not missed.
    startFollowing();
    valueX = currentValue (idX);
    valueY = currentValue (idY);
}

ScaleDisplay::~ScaleDisplay() { stopFollowing(); }

void ScaleDisplay::parameterChanged (const juce::String& parameterId, float newValue)
{
    if (parameterId == parameterIdX)
        valueX = newValue;
    else if (parameterId == parameterIdY)
        valueY = newValue;
    triggerAsyncUpdate();
}

juce::String ScaleDisplay::formatDecibels (float value) { return juce::String (value, 1) + " dB"; }

ScaleDisplay::Cells ScaleDisplay::cells() const
{
    auto r = rows();
    const auto leftWidth = r.label.getWidth() / 2;
    Cells c;
    c.labelX = r.label.removeFromLeft (leftWidth);
    c.labelY = r.label;
    c.valueX = r.value.removeFromLeft (leftWidth);
    c.valueY = r.value;
    return c;
}

void ScaleDisplay::paintTexts (juce::Graphics& g, float alphaFactor)
{
    const auto c = cells();
    const auto& s = getStyle();
    const auto label = s.labelColour.withMultipliedAlpha (alphaFactor), value = s.valueColour.withMultipliedAlpha (alphaFactor);
    const auto centred = juce::Justification (juce::Justification::centred);
    drawCellText (g, "X", s.labelFont, label, c.labelX, centred);
    drawCellText (g, "Y", s.labelFont, label, c.labelY, centred);
    drawCellText (g, formatDecibels (valueX.load()), s.valueFont, value, c.valueX, centred);
    drawCellText (g, formatDecibels (valueY.load()), s.valueFont, value, c.valueY, centred);
}
} // namespace ui_core
