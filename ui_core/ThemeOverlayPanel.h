#pragma once

#include "ui_core/TextButton.h"

#include <array>
#include <functional>

namespace ui_core
{
// The colour card: sliders for the two hues and saturation scales, the glow
// switch and amount, previewed live through onChange; OK keeps, Cancel (or a
// press beside the card) reverts, Reset previews the defaults.
class ThemeOverlayPanel : public juce::Component
{
public:
    struct Style
    {
        juce::Colour backgroundColour { 0xff1a1a1a };
        juce::Colour borderColour { 0xff333333 };
        float cornerRadius = 12.0f;
        float borderThickness = 1.0f;
        int padding = 24;
        int cardWidth = 320;
        juce::Colour titleColour { 0xffb3b3b3 };
        juce::Font titleFont { juce::FontOptions (16.0f) };
        juce::Colour labelColour { 0xff888888 };
        juce::Font labelFont { juce::FontOptions (12.0f) };
        juce::Colour valueColour { 0xffcccccc };
        juce::Font valueFont { juce::FontOptions (11.0f) };
        juce::Colour trackColour { 0xff333333 };
        juce::Colour thumbColour { 0xffaaaaaa };
        int rowHeight = 20;
        int rowGap = 16;
        int swatchWidth = 20;
        float swatchCornerRadius = 4.0f;
        TextButton::Style buttonStyle;
        int buttonHeight = 28;
        int buttonGap = 8;

        bool operator== (const Style&) const = default;
    };

    using Values = std::function<void (float, float, float, float, bool, float)>;

    ThemeOverlayPanel();
    ~ThemeOverlayPanel() override;

    void setStyle (const Style& newStyle);
    // Sets the six values and moves the controls to them without notifying.
    void setValues (float primaryHue, float secondaryHue, float primarySaturationScale, float secondarySaturationScale, bool glowEnabled,
                    float glowIntensity);

    Values onChange, onOk;
    std::function<void()> onCancel;

    float primaryHue = 0.011f, secondaryHue = 0.086f, primarySaturationScale = 1.0f, secondarySaturationScale = 1.0f;
    bool glowEnabled = true;
    float glowIntensity = 0.716f;

    juce::Slider primaryHueSlider, secondaryHueSlider, primarySaturationSlider, secondarySaturationSlider, glowAmountSlider;
    juce::ToggleButton glowSwitch;
    TextButton okButton { "okBtn" }, cancelButton { "cancelBtn" }, resetButton { "resetBtn" };

    juce::Rectangle<int> getCardBounds() const noexcept { return cardBounds; }

    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    void resized() override;

private:
    void notifyChange();
    void reset();
    void paintLabel (juce::Graphics&, juce::Rectangle<int> row, const juce::String& text, int swatchRoom, float alpha) const;
    void paintValue (juce::Graphics&, juce::Rectangle<int> row, float value, float alpha) const;
    void paintTrack (juce::Graphics&, const juce::Slider&, bool hue) const;

    Style style;
    juce::Rectangle<int> cardBounds, titleRow, glowRow;
    std::array<juce::Rectangle<int>, 5> labelRows; // four hue/saturation labels, then glow amount
};
} // namespace ui_core
