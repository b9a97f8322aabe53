#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui_core
{
// What the knob's and the number box's typed-value fields share: when a
// slider counts whole numbers, the text a field starts with, and how typed
// text becomes a value.

// An interval of (about) one or more means whole numbers only.
bool isIntegerSlider (const juce::Slider& slider) noexcept;

// Whole number in integer mode, else exactly two decimals.
juce::String editableValueText (const juce::Slider& slider);

// Nearest multiple of the interval (halves away from zero); unchanged when
// the interval is not positive.
double snapToInterval (double value, double interval) noexcept;

// Typed text as a value: text that does not start with a number reads 0, then
// it is snapped to the interval and clamped to the range.
double typedValue (const juce::Slider& slider, const juce::String& text);

// The field both widgets open: the font, transparent background and outlines,
// centred text, a character whitelist and a length limit, the current value
// selected.
std::unique_ptr<juce::TextEditor> makeValueEditor (const juce::Font& font, juce::Colour textColour, const juce::String& allowedCharacters,
                                                   int maximumLength, const juce::String& text);

// The alpha of a disabled widget's text: 0.4 of the colour's own.
juce::Colour dimmedWhenDisabled (juce::Colour colour, bool enabled);
} // namespace ui_core
