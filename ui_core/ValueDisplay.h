#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <functional>

namespace ui_core
{
struct DisplayStyle
{
    juce::Font valueFont { juce::FontOptions (14.0f) };
    juce::Font labelFont { juce::FontOptions (11.0f) };
    juce::Colour labelColour { juce::Colours::grey };
    juce::Colour valueColour { juce::Colours::white };
    juce::Colour backgroundColour { juce::Colours::transparentBlack };
    float backgroundAlpha = 0.0f;
    juce::Colour hoverBackgroundColour { juce::Colours::transparentBlack };
    float hoverBackgroundAlpha = 0.3f;
    juce::Colour pressedBackgroundColour { juce::Colours::transparentBlack };
    float pressedBackgroundAlpha = 0.5f;
    juce::Colour borderColour { juce::Colours::transparentBlack };
    float borderAlpha = 0.6f;
    float borderThickness = 1.0f;
    float cornerRadius = 4.0f;
    int marginX = 2;
    int marginY = 2;

    bool operator== (const DisplayStyle&) const = default;
};

DisplayStyle defaultDisplayStyle();

// What the two read-only bottom-bar displays share: following parameters
// from any thread, hover tracking that a companion panel can extend, and the
// panel with square top and rounded bottom corners.
class ValueDisplay : public juce::Component,
                     public juce::SettableTooltipClient,
                     public juce::AudioProcessorValueTreeState::Listener,
                     public juce::Timer,
                     public juce::AsyncUpdater
{
public:
    ~ValueDisplay() override;

    std::function<void()> onHoverStart, onHoverEnd;
    std::function<bool()> isCompanionHovered, isCompanionActive;

    void setStyle (const DisplayStyle& newStyle);
    const DisplayStyle& getStyle() const noexcept { return style; }

    bool isHovered() const noexcept { return hovered; }
    bool isMouseOverDisplay() const noexcept { return mouseOver; }
    bool isPressed() const noexcept { return pressed; }

    // The label row and the value row inside the margins.
    struct Rows
    {
        juce::Rectangle<int> label, value;
    };
    Rows rows() const;

    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    void timerCallback() override;
    void handleAsyncUpdate() override;

protected:
    ValueDisplay (juce::AudioProcessorValueTreeState& parameters, juce::StringArray parameterIds);

    float currentValue (const juce::String& parameterId) const;
    // Derived displays call this last in their constructors: host automation
    // may arrive on another thread at any moment, and must find the display
    // complete (its own callback and parameter IDs in place).
    void startFollowing();
    // Derived displays call this first in their destructors, so no parameter
    // callback can reach a half-destroyed display.
    void stopFollowing();
    virtual void paintTexts (juce::Graphics&, float alphaFactor) = 0;

    juce::AudioProcessorValueTreeState& parameters;

private:
    void checkHover();
    juce::Path panelShape() const;

    juce::StringArray followedIds;
    DisplayStyle style;
    bool hovered = false;
    bool mouseOver = false;
    bool pressed = false;
};
} // namespace ui_core
