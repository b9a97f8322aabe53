#pragma once

#include "ui_core/ValueDisplay.h"

#include <atomic>

namespace ui_core
{
// The display gains of the two axes, "X" and "Y", in dB.
class ScaleDisplay : public ValueDisplay
{
public:
    ScaleDisplay (juce::AudioProcessorValueTreeState& parameters, const juce::String& parameterIdX, const juce::String& parameterIdY);
    ~ScaleDisplay() override;

    // Called by the parameter tree on any thread: stores and schedules a repaint.
    void parameterChanged (const juce::String& parameterId, float newValue) override;

    float getValueX() const noexcept { return valueX.load(); }
    float getValueY() const noexcept { return valueY.load(); }
    static juce::String formatDecibels (float value);

    // The two rows split into an X column and a Y column.
    struct Cells
    {
        juce::Rectangle<int> labelX, labelY, valueX, valueY;
    };
    Cells cells() const;

private:
    void paintTexts (juce::Graphics&, float alphaFactor) override;

    juce::String parameterIdX, parameterIdY;
    std::atomic<float> valueX { 0.0f }, valueY { 0.0f };
};
} // namespace ui_core
