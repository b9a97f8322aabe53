#include "ui_core/SmoothingDisplay.h"

#include "ui_core/CaptionedValueLayout.h"

#include <cmath>

namespace ui_core
{
namespace
{
int truncated (float v) { return std::isfinite (v) ? (int) juce::jlimit (-2.0e9f, 2.0e9f, v) : 0; }
} // namespace

SmoothingDisplay::SmoothingDisplay (juce::AudioProcessorValueTreeState& state, const juce::String& id)
    : ValueDisplay (state, { id }), parameterId (id)
{
    setSize (72, 40);
    // Following first, then reading: a change in between is not missed.
    startFollowing();
    value = truncated (currentValue (id));
}

SmoothingDisplay::~SmoothingDisplay() { stopFollowing(); }

void SmoothingDisplay::parameterChanged (const juce::String& id, float newValue)
{
    if (id == parameterId)
        value = truncated (newValue);
    triggerAsyncUpdate();
}

void SmoothingDisplay::paintTexts (juce::Graphics& g, float alphaFactor)
{
    const auto r = rows();
    const auto& s = getStyle();
    const auto centred = juce::Justification (juce::Justification::centred);
    drawCellText (g, "Smoothing", s.labelFont, s.labelColour.withMultipliedAlpha (alphaFactor), r.label, centred);
    drawCellText (g, juce::String (value.load()), s.valueFont, s.valueColour.withMultipliedAlpha (alphaFactor), r.value, centred);
}
} // namespace ui_core
