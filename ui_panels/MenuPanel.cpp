#include "ui_panels/MenuPanel.h"

#include "ui_core/DesignTokens.h"
#include "ui_core/Fonts.h"

namespace ui_panels
{
MenuPanel::MenuPanel()
    : backgroundColour (ui_core::rampStep ('N', 1)), borderColour (ui_core::rampStep ('N', 3)), cornerRadius (ui_core::radiusTokens()[3])
{
    const std::array<std::pair<ui_core::TextButton*, const char*>, 4> entries {
        { { &artistButton, "Set Artist Name..." }, { &themeButton, "Customize Colors..." }, { &updateButton, "Check for Updates..." },
          { &manualButton, "Online Manual" } }
    };
    const auto style = menuEntryStyle();
    int y = 0;
    for (const auto& [button, text] : entries)
    {
        button->setStyle (style);
        button->setText (text);
        button->setBounds (0, y, 170, 28);
        addAndMakeVisible (*button);
        y += 28;
    }
    setSize (170, 112);
}

MenuPanel::~MenuPanel() = default;

void MenuPanel::paint (juce::Graphics& g)
{
    g.setColour (backgroundColour);
    g.fillRoundedRectangle (getLocalBounds().toFloat(), cornerRadius);
    const auto t = borderThickness;
    g.setColour (borderColour);
    g.drawRoundedRectangle (t / 2.0f, t / 2.0f, juce::jmax ((float) getWidth() - t, 0.0f), juce::jmax ((float) getHeight() - t, 0.0f), cornerRadius, t);
}

ui_core::TextButton::Style menuEntryStyle()
{
    using ui_core::rampStep;
    ui_core::TextButton::Style s;
    s.font = ui_core::makeTextStyle (ui_core::textMedium).font;
    s.justification = juce::Justification::centredLeft;
    s.upperCase = false;
    s.textColour = rampStep ('N', 8);
    s.textHoverColour = rampStep ('P', 6);
    s.textDownColour = rampStep ('N', 8);
    s.textDisabledColour = rampStep ('N', 4);
    s.textOnColour = juce::Colours::transparentBlack;
    s.backgroundColour = juce::Colours::transparentBlack;
    s.backgroundAlpha = 0.0f;
    s.hoverBackgroundColour = rampStep ('N', 0);
    s.downBackgroundColour = rampStep ('N', 0);
    s.hoverBackgroundAlpha = 1.0f;
    s.downBackgroundAlpha = 1.0f;
    s.cornerRadius = 0.0f;
    s.marginX = ui_core::spacingTokens()[1];
    s.marginY = ui_core::spacingTokens()[2];
    return s;
}
} // namespace ui_panels
