#include "ui_core/ThemeOverlayPanel.h"

#include "ui_core/DesignTokens.h"
#include "ui_core/Fonts.h"

namespace ui_core
{
namespace
{
const std::array<const char*, 5> labels { "Primary Hue", "Secondary Hue", "Primary Sat", "Secondary Sat", "Glow Amount" };

void setUpSlider (juce::Slider& slider, double minimum, double maximum, double defaultValue)
{
    slider.setSliderStyle (juce::Slider::LinearHorizontal);
    slider.setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    slider.setRange (minimum, maximum, 0.001);
    slider.setValue (defaultValue, juce::dontSendNotification);
    for (const auto id : { juce::Slider::backgroundColourId, juce::Slider::trackColourId, juce::Slider::thumbColourId })
        slider.setColour (id, juce::Colours::transparentBlack);
}
} // namespace

ThemeOverlayPanel::ThemeOverlayPanel()
{
    struct Binding
    {
        juce::Slider& slider;
        float& value;
        double minimum, maximum, defaultValue;
    };
    for (auto& b : { Binding { primaryHueSlider, primaryHue, 0.0, 1.0, 0.011 }, Binding { secondaryHueSlider, secondaryHue, 0.0, 1.0, 0.086 },
                     Binding { primarySaturationSlider, primarySaturationScale, 0.25, 2.0, 1.0 },
                     Binding { secondarySaturationSlider, secondarySaturationScale, 0.25, 2.0, 1.0 },
                     Binding { glowAmountSlider, glowIntensity, 0.0, 1.0, 0.716 } })
    {
        setUpSlider (b.slider, b.minimum, b.maximum, b.defaultValue);
        auto* slider = &b.slider;
        auto* value = &b.value;
        slider->onValueChange = [this, slider, value]
        {
            *value = (float) slider->getValue();
            notifyChange();
        };
        addAndMakeVisible (*slider);
    }

    glowSwitch.setButtonText ({});
    glowSwitch.setColour (juce::ToggleButton::tickColourId, juce::Colours::transparentBlack);
    glowSwitch.setColour (juce::ToggleButton::tickDisabledColourId, juce::Colours::transparentBlack);
    glowSwitch.setToggleState (true, juce::dontSendNotification);
    glowSwitch.onClick = [this]
    {
        glowEnabled = glowSwitch.getToggleState();
        glowAmountSlider.setEnabled (glowEnabled);
        notifyChange();
    };
    addAndMakeVisible (glowSwitch);

    okButton.setText ("OK");
    cancelButton.setText ("Cancel");
    resetButton.setText ("Reset");
    okButton.onClick = [this]
    {
        if (onOk)
            onOk (primaryHue, secondaryHue, primarySaturationScale, secondarySaturationScale, glowEnabled, glowIntensity);
    };
    cancelButton.onClick = [this]
    {
        if (onCancel)
            onCancel();
    };
    resetButton.onClick = [this] { reset(); };
    for (auto* button : { &resetButton, &cancelButton, &okButton })
        addAndMakeVisible (*button);

    setInterceptsMouseClicks (true, true);
    setAlwaysOnTop (true);
}

ThemeOverlayPanel::~ThemeOverlayPanel() = default;

void ThemeOverlayPanel::setStyle (const Style& newStyle)
{
    style = newStyle;
    for (auto* button : { &okButton, &cancelButton, &resetButton })
        button->setStyle (style.buttonStyle);
    resized();
    repaint();
}

void ThemeOverlayPanel::setValues (float pHue, float sHue, float pSat, float sSat, bool glow, float amount)
{
    primaryHue = pHue;
    secondaryHue = sHue;
    primarySaturationScale = pSat;
    secondarySaturationScale = sSat;
    glowEnabled = glow;
    glowIntensity = amount;
    primaryHueSlider.setValue (pHue, juce::dontSendNotification);
    secondaryHueSlider.setValue (sHue, juce::dontSendNotification);
    primarySaturationSlider.setValue (pSat, juce::dontSendNotification);
    secondarySaturationSlider.setValue (sSat, juce::dontSendNotification);
    glowSwitch.setToggleState (glow, juce::dontSendNotification);
    glowAmountSlider.setValue (amount, juce::dontSendNotification);
    glowAmountSlider.setEnabled (glow);
    repaint();
}

void ThemeOverlayPanel::reset()
{
    setValues (0.011f, 0.086f, 1.0f, 1.0f, true, 0.716f);
    notifyChange();
}

void ThemeOverlayPanel::notifyChange()
{
    repaint();
    if (onChange)
        onChange (primaryHue, secondaryHue, primarySaturationScale, secondarySaturationScale, glowEnabled, glowIntensity);
}

void ThemeOverlayPanel::mouseDown (const juce::MouseEvent& e)
{
    if (! cardBounds.contains (e.getPosition()) && onCancel)
        onCancel();
}

void ThemeOverlayPanel::resized()
{
    const auto p = style.padding, r = style.rowHeight, g = style.rowGap, b = style.buttonHeight;
    const auto cardHeight = b + 11 * r + 8 * g + 2 * p + 30;
    cardBounds = { (getWidth() - style.cardWidth) / 2, (getHeight() - cardHeight) / 2, style.cardWidth, cardHeight };
    auto content = cardBounds.reduced (p);
    auto take = [&content] (int height) { return content.removeFromTop (juce::jlimit (0, content.getHeight(), height)); };

    titleRow = take (20);
    take (g);
    juce::Slider* groups[] = { &primaryHueSlider, &secondaryHueSlider, &primarySaturationSlider, &secondarySaturationSlider };
    for (int i = 0; i < 4; ++i)
    {
        if (i > 0)
            take (g);
        labelRows[(size_t) i] = take (r + 2);
        groups[i]->setBounds (take (r));
    }
    take (g);
    glowRow = take (r);
    glowSwitch.setBounds (glowRow.withLeft (glowRow.getRight() - style.swatchWidth));
    take (g);
    labelRows[4] = take (r + 2);
    glowAmountSlider.setBounds (take (r));
    take (2 * g);

    auto buttons = take (b);
    const auto narrow = (buttons.getWidth() - 2 * style.buttonGap) / 3;
    resetButton.setBounds (buttons.removeFromLeft (narrow));
    buttons.removeFromLeft (style.buttonGap);
    cancelButton.setBounds (buttons.removeFromLeft (narrow));
    buttons.removeFromLeft (style.buttonGap);
    okButton.setBounds (buttons);

    glowAmountSlider.setEnabled (glowEnabled);
}

void ThemeOverlayPanel::paintLabel (juce::Graphics& g, juce::Rectangle<int> row, const juce::String& text, int swatchRoom, float alpha) const
{
    const auto width = juce::jmax (0, juce::jmin (100, row.getWidth() - swatchRoom - 4));
    g.setFont (style.labelFont);
    g.setColour (style.labelColour.withMultipliedAlpha (alpha));
    g.drawText (text, row.withWidth (width), juce::Justification::centredLeft, true);
}

void ThemeOverlayPanel::paintValue (juce::Graphics& g, juce::Rectangle<int> row, float value, float alpha) const
{
    g.setFont (style.valueFont);
    g.setColour (style.valueColour.withMultipliedAlpha (alpha));
    g.drawText (juce::String (value, 2), row.withLeft (row.getRight() - (style.swatchWidth + 10)), juce::Justification::centredRight, false);
}

void ThemeOverlayPanel::paintTrack (juce::Graphics& g, const juce::Slider& slider, bool hue) const
{
    const auto bounds = slider.getBounds().toFloat();
    const auto x0 = bounds.getX() + 4.0f, length = bounds.getWidth() - 8.0f, cy = bounds.getCentreY();
    if (hue)
    {
        for (int i = 0; i < 36; ++i)
        {
            g.setColour (juce::Colour::fromHSV ((float) i / 36.0f, 0.7f, 0.85f, 1.0f));
            g.fillRect (x0 + (float) i * length / 36.0f, cy - 3.0f, length / 36.0f + 1.0f, 6.0f);
        }
    }
    else
    {
        g.setColour (style.trackColour);
        g.fillRoundedRectangle (x0, cy - 2.0f, length, 4.0f, 2.0f);
    }
    const auto range = slider.getMaximum() - slider.getMinimum();
    const auto x = x0 + (float) ((slider.getValue() - slider.getMinimum()) / (range > 0.0 ? range : 1.0)) * length;
    g.setColour (style.thumbColour);
    g.fillEllipse (x - 5.0f, cy - 5.0f, 10.0f, 10.0f);
    g.setColour (style.borderColour);
    g.drawEllipse (x - 5.0f, cy - 5.0f, 10.0f, 10.0f, 1.0f);
}

void ThemeOverlayPanel::paint (juce::Graphics& g)
{
    const auto card = cardBounds.toFloat();
    g.setColour (style.backgroundColour);
    g.fillRoundedRectangle (card, style.cornerRadius);
    g.setColour (style.borderColour);
    g.drawRoundedRectangle (card.reduced (style.borderThickness / 2.0f), style.cornerRadius, style.borderThickness);

    g.setFont (style.titleFont);
    g.setColour (style.titleColour);
    g.drawText ("Customize Colors", titleRow, juce::Justification::centredLeft, true);

    for (int i = 0; i < 2; ++i)
    {
        const auto row = labelRows[(size_t) i];
        paintLabel (g, row, labels[(size_t) i], style.swatchWidth, 1.0f);
        const juce::Rectangle<float> swatch ((float) (row.getRight() - style.swatchWidth + 1), (float) row.getY() + 1.0f,
                                             (float) style.swatchWidth - 2.0f, (float) style.rowHeight - 2.0f);
        g.setColour (juce::Colour::fromHSV (i == 0 ? primaryHue : secondaryHue, 0.6f, 0.9f, 1.0f));
        g.fillRoundedRectangle (swatch, style.swatchCornerRadius);
    }
    for (int i = 2; i < 4; ++i)
    {
        paintLabel (g, labelRows[(size_t) i], labels[(size_t) i], style.swatchWidth + 10, 1.0f);
        paintValue (g, labelRows[(size_t) i], i == 2 ? primarySaturationScale : secondarySaturationScale, 1.0f);
    }

    paintLabel (g, glowRow, "Glow", style.swatchWidth, 1.0f);
    const auto switchArea = glowSwitch.getBounds().toFloat().reduced (2.0f);
    g.setColour (style.trackColour);
    g.fillRoundedRectangle (switchArea, style.swatchCornerRadius);
    if (glowEnabled)
    {
        g.setColour (style.thumbColour);
        g.fillRoundedRectangle (switchArea.reduced (3.0f), 2.0f);
    }

    const auto dim = glowEnabled ? 1.0f : 76.0f / 255.0f;
    paintLabel (g, labelRows[4], labels[4], style.swatchWidth + 10, dim);
    paintValue (g, labelRows[4], glowIntensity, dim);

    paintTrack (g, primaryHueSlider, true);
    paintTrack (g, secondaryHueSlider, true);
    paintTrack (g, primarySaturationSlider, false);
    paintTrack (g, secondarySaturationSlider, false);
    if (glowEnabled)
        paintTrack (g, glowAmountSlider, false);
}

} // namespace ui_core
