#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui_core
{
// Styles the pop-up menus of the choice controls and the editor's context
// menus: the item font and four menu colours.
class ComboBoxPopupLookAndFeel : public juce::LookAndFeel_V4
{
public:
    struct Style
    {
        juce::Font font { juce::FontOptions (14.0f) };
        juce::Colour backgroundColour { juce::Colour::fromRGB (85, 85, 85) };
        juce::Colour textColour { juce::Colours::white };
        juce::Colour highlightedTextColour { juce::Colours::white };
        juce::Colour highlightedBackgroundColour { juce::Colours::grey.withAlpha ((juce::uint8) 0x4C) };

        bool operator== (const Style&) const = default;
    };

    // The toolkit's menu colours stay until the first setStyle.
    void setStyle (const Style& newStyle);
    const Style& getStyle() const noexcept { return style; }

    juce::Font getPopupMenuFont() override;

private:
    Style style;
};
} // namespace ui_core
