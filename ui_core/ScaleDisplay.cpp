#include "ui_core/ScaleDisplay.h"

#include "ui_core/CaptionedValueLayout.h"

namespace ui_core
{
ScaleDisplay::ScaleDisplay (juce::AudioProcessorValueTreeState& state, const juce::String& idX, const juce::String& idY)
    : ValueDisplay (state, { idX, idY }), parameterIdX (idX), parameterIdY (idY)
{
    valueX = currentValue (idX);
    valueY = currentValue (idY);
    setSize (120, 40);
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

void ScaleDisplay::paintTexts (juce::Graphics& g, float alphaFactor)
{
    const auto r = rows();
    const auto leftWidth = r.label.getWidth() / 2;
    const auto& s = getStyle();
    const auto label = s.labelColour.withMultipliedAlpha (alphaFactor), value = s.valueColour.withMultipliedAlpha (alphaFactor);
    const auto centred = juce::Justification (juce::Justification::centred);

    auto labelRow = r.label, valueRow = r.value;
    drawCellText (g, "X", s.labelFont, label, labelRow.removeFromLeft (leftWidth), centred);
    drawCellText (g, "Y", s.labelFont, label, labelRow, centred);
    drawCellText (g, formatDecibels (valueX.load()), s.valueFont, value, valueRow.removeFromLeft (leftWidth), centred);
    drawCellText (g, formatDecibels (valueY.load()), s.valueFont, value, valueRow, centred);
}
} // namespace ui_core
