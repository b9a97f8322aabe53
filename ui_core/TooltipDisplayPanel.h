#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui_core
{
// The status line: shows the tooltip of whatever is under the mouse inside
// `source`, crawling a text that is too long after a pause at each end.
class TooltipDisplayPanel : public juce::Component, private juce::Timer
{
public:
    struct Style
    {
        juce::Colour backgroundColour { juce::Colour::fromRGB (26, 26, 26) };
        juce::Colour textColour { juce::Colour::fromRGB (136, 136, 136) };
        juce::Font font { juce::FontOptions (14.0f) };
        int marginX = 16;
        float cornerRadius = 0.0f;
        juce::Colour borderColour { juce::Colours::transparentBlack };
        float borderThickness = 0.0f;
        float backgroundOpacity = 1.0f;

        bool operator== (const Style&) const = default;
    };

    static constexpr int idleIntervalMs = 100;
    static constexpr int scrollIntervalMs = 33;
    static constexpr int holdTicksAtEnds = 60;

    TooltipDisplayPanel();
    ~TooltipDisplayPanel() override;

    void setStyle (const Style& newStyle);
    const Style& getStyle() const noexcept { return style; }

    juce::Component* source = nullptr;

    // One poll of the mouse, as the timer does it.
    void tick();

    // A message from the window (the outcome of an action) in place of the
    // tooltip, until the pointer reaches a control with another tooltip or
    // the message has been up for `messageHoldMs`.
    void showMessage (const juce::String& text);
    static constexpr juce::uint32 messageHoldMs = 12000;

    const juce::String& getCurrentText() const noexcept { return currentText; }
    float getScrollOffset() const noexcept { return scrollOffset; }
    bool isScrolling() const noexcept { return scrolling; }
    int getHoldTicks() const noexcept { return holdTicks; }

    void paint (juce::Graphics&) override;

private:
    void timerCallback() override;
    juce::String tooltipUnderMouse() const;
    juce::String textToShow();
    float overflow() const;
    void stopScrolling();

    Style style;
    juce::String currentText;
    juce::String message, tooltipWhenMessageCame;
    juce::uint32 messageCameAt = 0;
    float scrollOffset = 0.0f;
    int holdTicks = 0;
    bool scrolling = false;
};
} // namespace ui_core
