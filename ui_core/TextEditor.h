#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace ui_core
{
// The dialogs' styled text field, with callbacks for the keys a dialog acts on.
class TextEditor : public juce::TextEditor
{
public:
    struct Style
    {
        juce::Font font { juce::FontOptions (14.0f) };
        int justification = juce::Justification::centredLeft;
        juce::Colour textColour { juce::Colours::white };
        juce::Colour reservedColour1 { juce::Colours::grey };
        juce::Colour reservedColour2 { juce::Colours::grey };
        juce::Colour highlightColour { juce::Colours::lightblue };
        juce::Colour caretColour { juce::Colours::white };
        juce::Colour backgroundColour { juce::Colour::fromRGB (85, 85, 85) };
        juce::Colour outlineColour { juce::Colours::grey };
        juce::Colour focusedOutlineColour { juce::Colours::lightblue };
        juce::Colour shadowColour { juce::Colours::transparentBlack };
        juce::Colour scrollbarThumbColour { juce::Colours::grey.withAlpha ((juce::uint8) 0x4C) };
        float backgroundAlpha = 0.8f;
        float highlightAlpha = 0.3f;
        float outlineAlpha = 0.7f;
        float focusedOutlineAlpha = 0.8f;
        float shadowAlpha = 0.5f;
        float cornerRadius = 4.0f;
        int marginX = 8;
        int marginY = 4;
        int minimumHeight = 28;
        bool multiLine = false;
        bool readOnly = false;

        bool operator== (const Style&) const = default;
    };

    explicit TextEditor (const juce::String& name = {});
    ~TextEditor() override;

    void setStyle (const Style& newStyle);
    const Style& getStyle() const noexcept { return style; }

    // Each is optional; a key whose callback is set is consumed.
    std::function<void()> onSubmit, onCancel, onUpArrow, onDownArrow, onBlur;

    bool keyPressed (const juce::KeyPress&) override;
    void focusLost (FocusChangeType) override;

private:
    void applyStyle();

    Style style;
};
} // namespace ui_core
