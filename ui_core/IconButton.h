#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui_core
{
// A button drawn from an SVG icon (black artwork, recoloured per state).
class IconButton : public juce::Button
{
public:
    struct Style
    {
        juce::Colour iconColour { juce::Colours::lightgrey };
        juce::Colour iconHoverColour { juce::Colours::white };
        juce::Colour iconDownColour { juce::Colours::grey };
        juce::Colour iconDisabledColour { juce::Colours::grey };
        juce::Colour backgroundColour { juce::Colours::transparentBlack };
        juce::Colour hoverBackgroundColour { juce::Colours::transparentBlack };
        juce::Colour downBackgroundColour { juce::Colours::transparentBlack };
        juce::Colour focusRingColour { juce::Colours::transparentBlack };
        juce::Colour iconOnColour { juce::Colours::transparentBlack };
        juce::Colour onOutlineColour { juce::Colours::transparentBlack };
        float hoverBackgroundAlpha = 0.0f;
        float downBackgroundAlpha = 0.0f;
        float cornerRadius = 6.0f;
        int margin = 6;
        int iconSize = 24;
        bool focusRing = false;

        bool operator== (const Style&) const = default;
    };

    explicit IconButton (const juce::String& name);
    ~IconButton() override;

    // Text that does not parse as SVG leaves the button without an icon.
    void setIcon (const juce::String& svgText);
    void setStyle (const Style& newStyle);
    const Style& getStyle() const noexcept { return style; }
    bool hasIcon() const noexcept { return icon != nullptr; }

    void paintButton (juce::Graphics&, bool highlighted, bool down) override;
    void resized() override;

private:
    void rebuildCopies();

    Style style;
    std::unique_ptr<juce::Drawable> icon;
    std::unique_ptr<juce::Drawable> normalIcon, hoverIcon, downIcon, disabledIcon, onIcon;
};

// Parses SVG text into a drawable; null when it is not SVG.
std::unique_ptr<juce::Drawable> parseSvg (const juce::String& svgText);

// A copy of black artwork with black replaced by the colour; null for none.
std::unique_ptr<juce::Drawable> recoloured (const juce::Drawable* artwork, juce::Colour colour);

// The square of the given side centred in the bounds reduced by the margin.
juce::Rectangle<float> centredArtworkSquare (juce::Rectangle<int> bounds, int margin, int side);
} // namespace ui_core
