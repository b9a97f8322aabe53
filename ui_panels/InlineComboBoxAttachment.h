#pragma once

#include "ui_core/InlineComboBox.h"

#include <juce_audio_processors/juce_audio_processors.h>

namespace ui_panels
{
// Binds an inline combo to a choice parameter: item id = 1 + choice index, so
// items go in the parameter's choice order. Parameter changes from any thread
// reach the combo on the message thread without calling its onChange.
class InlineComboBoxAttachment
{
public:
    InlineComboBoxAttachment (juce::AudioProcessorValueTreeState& state, const juce::String& parameterID, ui_core::InlineComboBox& combo);
    ~InlineComboBoxAttachment();

private:
    void parameterChanged (float value);
    void comboChanged (int itemId);
    int numChoices() const;

    ui_core::InlineComboBox& combo;
    juce::RangedAudioParameter* parameter = nullptr;
    std::unique_ptr<juce::ParameterAttachment> attachment;
    bool ignoreCallbacks = false;
};
} // namespace ui_panels
