#pragma once

#include "ui_core/ValueDisplay.h"

#include <atomic>

namespace ui_core
{
// The smoothing window in samples under the caption "Smoothing".
class SmoothingDisplay : public ValueDisplay
{
public:
    SmoothingDisplay (juce::AudioProcessorValueTreeState& parameters, const juce::String& parameterId);
    ~SmoothingDisplay() override;

    // Called by the parameter tree on any thread: stores and schedules a repaint.
    void parameterChanged (const juce::String& parameterId, float newValue) override;

    int getValue() const noexcept { return value.load(); }

private:
    void paintTexts (juce::Graphics&, float alphaFactor) override;

    juce::String parameterId;
    std::atomic<int> value { 0 };
};
} // namespace ui_core
