#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui_core
{
// A flat text button (logo menu, dialogs); the shown text is separate from
// the button's name.
class TextButton : public juce::Button
{
public:
    struct Style
    {
        juce::Font font { juce::FontOptions (14.0f) };
        int justification = juce::Justification::centred;
        bool upperCase = false;
        juce::Colour textColour { juce::Colours::white };
        juce::Colour textHoverColour { juce::Colours::white };
        juce::Colour textDownColour { juce::Colours::lightgrey };
        juce::Colour textDisabledColour { juce::Colours::grey };
        juce::Colour textOnColour { juce::Colours::transparentBlack }; // used only when not transparent
        juce::Colour backgroundColour { juce::Colours::transparentBlack };
        juce::Colour hoverBackgroundColour { juce::Colours::transparentBlack };
        juce::Colour downBackgroundColour { juce::Colours::transparentBlack };
        juce::Colour onBackgroundColour { juce::Colours::transparentBlack };
        juce::Colour outlineColour { juce::Colours::transparentBlack };
        juce::Colour hoverOutlineColour { juce::Colours::transparentBlack };
        juce::Colour downOutlineColour { juce::Colours::transparentBlack };
        juce::Colour onOutlineColour { juce::Colours::transparentBlack };
        float backgroundAlpha = 0.0f;
        float hoverBackgroundAlpha = 0.0f;
        float downBackgroundAlpha = 0.0f;
        float onBackgroundAlpha = 0.0f;
        float onHoverBackgroundAlpha = 0.0f;
        float onDownBackgroundAlpha = 0.0f;
        float cornerRadius = 6.0f;
        int marginX = 10;
        int marginY = 6;
        int minimumWidth = 48;
        int minimumHeight = 28;

        bool operator== (const Style&) const = default;
    };

    explicit TextButton (const juce::String& name);
    ~TextButton() override;

    void setText (const juce::String& newText);
    const juce::String& getText() const noexcept { return text; }
    void setStyle (const Style& newStyle);
    const Style& getStyle() const noexcept { return style; }

    void paintButton (juce::Graphics&, bool highlighted, bool down) override;
    void resized() override;

private:
    Style style;
    juce::String text;
    juce::Rectangle<int> textArea;
};
} // namespace ui_core
