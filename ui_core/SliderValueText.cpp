#include "ui_core/SliderValueText.h"

#include <cmath>

namespace ui_core
{
bool isIntegerSlider (const juce::Slider& slider) noexcept { return slider.getInterval() >= 0.999999999; }

juce::String editableValueText (const juce::Slider& slider)
{
    const auto v = slider.getValue();
    return isIntegerSlider (slider) ? juce::String (juce::roundToInt (v)) : juce::String (v, 2);
}

double snapToInterval (double value, double interval) noexcept
{
    return interval > 0.0 ? std::round (value / interval) * interval : value;
}

double typedValue (const juce::Slider& slider, const juce::String& text)
{
    const auto parsed = text.trimStart().getDoubleValue();
    const auto value = std::isfinite (parsed) ? parsed : 0.0;
    return juce::jlimit (slider.getMinimum(), slider.getMaximum(), snapToInterval (value, slider.getInterval()));
}

std::unique_ptr<juce::TextEditor> makeValueEditor (const juce::Font& font, juce::Colour textColour, const juce::String& allowedCharacters,
                                                   int maximumLength, const juce::String& text)
{
    auto editor = std::make_unique<juce::TextEditor>();
    editor->setFont (font);
    editor->setColour (juce::TextEditor::textColourId, textColour);
    editor->setColour (juce::TextEditor::backgroundColourId, juce::Colours::transparentBlack);
    editor->setColour (juce::TextEditor::outlineColourId, juce::Colours::transparentBlack);
    editor->setColour (juce::TextEditor::focusedOutlineColourId, juce::Colours::transparentBlack);
    editor->setJustification (juce::Justification::centred);
    editor->setInputRestrictions (maximumLength, allowedCharacters);
    editor->setText (text, juce::dontSendNotification);
    editor->selectAll();
    return editor;
}

juce::Colour dimmedWhenDisabled (juce::Colour colour, bool enabled)
{
    if (enabled)
        return colour;
    return colour.withAlpha ((juce::uint8) juce::jmin (255, juce::roundToInt (colour.getAlpha() * 0.4f)));
}
} // namespace ui_core
