#include "ui_panels/InlineComboBoxAttachment.h"

namespace ui_panels
{
InlineComboBoxAttachment::InlineComboBoxAttachment (juce::AudioProcessorValueTreeState& state, const juce::String& parameterID,
                                                    ui_core::InlineComboBox& comboToBind)
    : combo (comboToBind), parameter (state.getParameter (parameterID))
{
    // An unknown ID binds nothing: the combo keeps its own selection.
    if (parameter == nullptr)
        return;
    attachment = std::make_unique<juce::ParameterAttachment> (*parameter, [this] (float v) { parameterChanged (v); }, state.undoManager);
    combo.onChange = [this] (int itemId) { comboChanged (itemId); };
    attachment->sendInitialUpdate();
}

InlineComboBoxAttachment::~InlineComboBoxAttachment()
{
    if (attachment != nullptr)
        combo.onChange = nullptr;
}

int InlineComboBoxAttachment::numChoices() const
{
    auto* choice = dynamic_cast<juce::AudioParameterChoice*> (parameter);
    return choice != nullptr ? choice->choices.size() : 0;
}

void InlineComboBoxAttachment::parameterChanged (float value)
{
    const auto n = numChoices();
    const auto position = parameter->convertTo0to1 (value); // snaps to a legal value first
    const auto index = n < 2 ? 0 : juce::roundToInt ((float) (n - 1) * position);

    const juce::ScopedValueSetter<bool> ignoring (ignoreCallbacks, true);
    combo.setSelectedId (index + 1);
}

void InlineComboBoxAttachment::comboChanged (int itemId)
{
    if (ignoreCallbacks || dynamic_cast<juce::AudioParameterChoice*> (parameter) == nullptr)
        return;
    const auto n = numChoices();
    const auto position = n < 2 ? 0.0f : (float) (itemId - 1) / (float) (n - 1);
    attachment->setValueAsCompleteGesture (parameter->convertFrom0to1 (juce::jlimit (0.0f, 1.0f, position)));
    // An item the parameter cannot hold (or an unchanged value, which sends no
    // update) must not leave the combo showing something else.
    parameterChanged (parameter->convertFrom0to1 (parameter->getValue()));
}
} // namespace ui_panels
