#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

namespace ui_core
{
// The maker's logo: six black SVG layers, each recoloured for the normal and
// the hover state, drawn in order 0 to 5. Artwork uses a 6.35-unit view box.
class MultiLayerLogoButton : public juce::Button
{
public:
    static constexpr int numLayers = 6;

    struct Style
    {
        std::array<juce::Colour, numLayers> layerColours {};
        std::array<juce::Colour, numLayers> layerHoverColours {};
        int size = 30;
        int margin = 3;
        float cornerRadius = 8.0f;
        juce::Colour backgroundColour { juce::Colours::transparentBlack }; // not drawn
        juce::Colour hoverBackgroundColour { juce::Colours::transparentBlack };
        float hoverBackgroundAlpha = 0.0f;

        bool operator== (const Style&) const = default;
    };

    explicit MultiLayerLogoButton (const juce::String& name);
    ~MultiLayerLogoButton() override;

    // One SVG document per layer; text that does not parse leaves that layer out.
    void setLayers (const std::array<juce::String, numLayers>& svgTexts);
    void setStyle (const Style& newStyle);
    const Style& getStyle() const noexcept { return style; }

    void paintButton (juce::Graphics&, bool highlighted, bool down) override;
    void resized() override;

private:
    void rebuildCopies();

    Style style;
    std::array<std::unique_ptr<juce::Drawable>, numLayers> layers, normalCopies, hoverCopies;
};
} // namespace ui_core
