#pragma once

#include "ui_core/TextButton.h"

#include <array>

namespace ui_panels
{
// The logo menu: four flat entries stacked in a rounded panel above the logo.
class MenuPanel : public juce::Component
{
public:
    MenuPanel();
    ~MenuPanel() override;

    void paint (juce::Graphics&) override;

    juce::Colour backgroundColour, borderColour;
    float cornerRadius = 6.0f;
    float borderThickness = 1.0f;

    ui_core::TextButton artistButton { "logoMenuArtist" }, themeButton { "logoMenuTheme" }, updateButton { "logoMenuUpdate" },
        manualButton { "logoMenuManual" };
};

ui_core::TextButton::Style menuEntryStyle();
} // namespace ui_panels
