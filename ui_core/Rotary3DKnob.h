#pragma once

#include "ui_core/SliderTextEntry.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui_core
{
// The rotary control: a shaded body cached as two bitmaps (normal and
// highlighted) at the display's pixel scale, with the arcs and the pointer
// drawn on top each paint. A double-click opens a numeric field.
class Rotary3DKnob : public juce::Slider
{
public:
    struct Style
    {
        juce::Colour trackColour { juce::Colours::transparentBlack };    // alpha 0: dark grey
        juce::Colour valueArcColour { juce::Colours::transparentBlack }; // alpha 0: accent
        float arcThickness = 3.0f;
        float startAngle = 2.3561945f; // radians clockwise from 3 o'clock
        float endAngle = 7.0685835f;
        float pointerWidth = 2.0f;
        juce::Colour bodyColour { juce::Colours::transparentBlack };
        juce::Colour accentColour { juce::Colours::transparentBlack };

        bool operator== (const Style&) const = default;
    };

    Rotary3DKnob();
    ~Rotary3DKnob() override;

    void setStyle (const Style& newStyle);
    const Style& getStyle() const noexcept { return style; }

    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    void resized() override;
    void valueChanged() override;

    SliderTextEntry textEntry { *this };

    bool isHovered() const noexcept { return hovered; }
    bool isDragging() const noexcept { return dragging; }
    float getCachedScale() const noexcept { return cachedScale; }
    int getBodyRenderCount() const noexcept { return bodyRenders; }
    float pointerBarWidth() const noexcept;
    float rimThickness() const noexcept { return geometry().small ? 0.8f : 1.0f; }

private:
    struct Geometry
    {
        float cx, cy, bodyRadius, arcRadius;
        bool small;
    };
    Geometry geometry() const noexcept;
    float valueProportion();
    void refreshBodyCache (float scale);
    void renderBody (juce::Image& image, float scale, float rimStrength) const;
    void paintPointer (juce::Graphics&, const Geometry&, float angle) const;

    Style style;
    bool hovered = false;
    bool dragging = false;
    juce::Image bodyImage, bodyImageHighlighted;
    float cachedScale = 0.0f;
    bool cacheValid = false;
    int bodyRenders = 0;
};

Rotary3DKnob::Style defaultKnobStyle();
} // namespace ui_core
