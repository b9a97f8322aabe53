#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui_core
{
// The small numeric field a knob turns into when double-clicked. Created for
// each edit as a transparent child of the knob; the knob draws the backdrop.
class SliderTextEntry
{
public:
    struct Style
    {
        juce::Font font { juce::FontOptions (14.0f) };
        juce::Colour textColour { juce::Colours::white };
        juce::Colour caretColour { juce::Colours::white };
        juce::Colour backdropColour { juce::Colours::black.withAlpha ((juce::uint8) 0xB2) };
        float cornerRadius = 4.0f;

        bool operator== (const Style&) const = default;
    };

    explicit SliderTextEntry (juce::Slider& sliderToEdit);
    ~SliderTextEntry();

    // False when an edit is already open.
    bool tryStart();
    void finish (bool commit);
    void layout(); // re-applied when the knob resizes

    bool isActive() const noexcept { return active; }
    juce::TextEditor* getEditor() const noexcept { return editor.get(); }

    Style style;

private:
    juce::Slider& slider;
    std::unique_ptr<juce::TextEditor> editor;
    bool active = false;
};

SliderTextEntry::Style defaultTextEntryStyle();
} // namespace ui_core
