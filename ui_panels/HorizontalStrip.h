#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui_panels
{
// The bottom bar's background: a rounded, outlined strip with a soft shadow.
class HorizontalStrip : public juce::Component
{
public:
    struct Style
    {
        juce::Colour backgroundColour { juce::Colours::black };
        float backgroundAlpha = 1.0f;
        juce::Colour borderColour { juce::Colours::transparentBlack };
        float borderAlpha = 0.0f;
        float borderThickness = 1.0f;
        float cornerRadius = 0.0f;
        float shadowAlpha = 0.0f;
        int shadowOffsetY = 0;
        int shadowRadius = 0;

        bool operator== (const Style&) const = default;
    };

    HorizontalStrip();
    ~HorizontalStrip() override;

    void setStyle (const Style& newStyle);
    const Style& getStyle() const noexcept { return style; }

    void paint (juce::Graphics&) override;
    void resized() override;

private:
    void paintStrip (juce::Graphics&) const;

    Style style;
    juce::Image cache;
};
} // namespace ui_panels
