#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui_core
{
// A single-line caption, cut with an ellipsis rather than squashed.
class TextLabel : public juce::Component
{
public:
    struct Style
    {
        juce::Font font { juce::FontOptions (14.0f) };
        int justification = juce::Justification::centred;
        bool upperCase = false;
        juce::Colour textColour { juce::Colours::white };
        juce::Colour disabledTextColour { juce::Colours::grey };
        juce::Colour backgroundColour { juce::Colours::transparentBlack };
        int marginX = 0;
        int marginY = 0;
        bool focusOutline = false;
        juce::Colour focusOutlineColour { juce::Colours::transparentBlack };
        float focusOutlineThickness = 1.0f;
        int minimumHeight = 0;

        bool operator== (const Style&) const = default;
    };

    explicit TextLabel (juce::String text);
    ~TextLabel() override;

    void setStyle (const Style& newStyle);
    const Style& getStyle() const noexcept { return style; }
    void setText (const juce::String& newText);
    const juce::String& getText() const noexcept { return text; }
    int getPreferredHeight() const;

    void paint (juce::Graphics&) override;
    void resized() override;
    void focusGained (FocusChangeType) override;
    void focusLost (FocusChangeType) override;

private:
    Style style;
    juce::String text;
    juce::Rectangle<int> textArea;
};
} // namespace ui_core
