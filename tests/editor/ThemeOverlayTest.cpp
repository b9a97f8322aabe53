#include "editor/EditorStyles.h"
#include "editor/PluginProcessorEditor.h"
#include "persistence/UserSettings.h"
#include "plugin/PluginAudioProcessor.h"
#include "tests/support/ImageOutput.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/UserInput.h"
#include "ui_core/DesignTokens.h"
#include "ui_core/ThemeColours.h"

#include <gtest/gtest.h>

namespace
{
void click (juce::Button& button) { test::Pointer (button).click (button.getLocalBounds().getCentre().toFloat()); }

struct Colours : ::testing::Test
{
    void SetUp() override
    {
        settingsFile ("theme-settings").deleteFile();
        editor.reset (static_cast<PluginProcessorEditor*> (processor.createEditor()));
        editor->setVisible (true);
        editor->showLogoMenu();
        click (editor->getLogoMenu()->themeButton);
    }

    void TearDown() override
    {
        editor.reset();
        test::runMessageLoopFor (10);
        const ThemeSettings defaults;
        ui_core::setTheme (defaults.primaryHue, defaults.secondaryHue, defaults.primarySaturationScale, defaults.secondarySaturationScale,
                           defaults.glowEnabled, defaults.glowIntensity);
    }

    ui_core::ThemeOverlayPanel& panel() { return *editor->getThemeOverlay(); }
    static float primaryHue() { return ui_core::getTheme().primaryHue; }

    PluginAudioProcessor processor;
    std::unique_ptr<PluginProcessorEditor> editor;
};
} // namespace

TEST_F (Colours, cardLayoutAndLivePreviewThenCancelRestores)
{
    ASSERT_NE (editor->getThemeOverlay(), nullptr);
    EXPECT_EQ (editor->getLogoMenu(), nullptr);
    EXPECT_EQ (panel().getBounds(), editor->getLocalBounds());
    EXPECT_EQ (panel().getCardBounds(), juce::Rectangle<int> (190, 80, 320, 390));
    EXPECT_EQ (panel().primaryHueSlider.getWidth(), 272);
    test::savePng (editor->createComponentSnapshot (editor->getLocalBounds()), "editor-colour-overlay");

    const auto before = primaryHue();
    const auto barBefore = editor->bottomBar.getStyle();
    panel().primaryHueSlider.setValue (0.6, juce::sendNotificationSync); // as a drag does
    EXPECT_FLOAT_EQ (primaryHue(), 0.6f);
    EXPECT_EQ (editor->continueButton.getStyle(), transportButtonStyle()) << "restyled from the new theme";
    EXPECT_FALSE (editor->continueButton.getStyle().iconColour == ui_core::IconButton::Style {}.iconColour);

    click (panel().cancelButton);
    EXPECT_EQ (editor->getThemeOverlay(), nullptr);
    EXPECT_FLOAT_EQ (primaryHue(), before);
    EXPECT_EQ (editor->bottomBar.getStyle(), barBefore);
    EXPECT_FALSE (settingsFile ("theme-settings").exists()) << "cancel stores nothing";
}

TEST_F (Colours, resetPreviewsDefaultsAndCancelStillRestores)
{
    panel().primaryHueSlider.setValue (0.3, juce::sendNotificationSync);
    panel().primarySaturationSlider.setValue (2.0, juce::sendNotificationSync);
    click (panel().okButton);
    ASSERT_FLOAT_EQ (primaryHue(), 0.3f);

    editor->showThemeOverlay();
    panel().secondaryHueSlider.setValue (0.9, juce::sendNotificationSync);
    click (panel().resetButton);
    EXPECT_FLOAT_EQ (primaryHue(), 0.011f) << "reset previews the defaults";
    EXPECT_FLOAT_EQ ((float) panel().primarySaturationSlider.getValue(), 1.0f);
    EXPECT_FLOAT_EQ ((float) panel().glowAmountSlider.getValue(), 0.716f);
    EXPECT_EQ (juce::String (panel().glowIntensity, 2), "0.72");
    EXPECT_TRUE (panel().glowSwitch.getToggleState());

    test::Pointer (panel()).press ({ 5.0f, 5.0f }); // beside the card: cancel
    EXPECT_EQ (editor->getThemeOverlay(), nullptr);
    EXPECT_FLOAT_EQ (primaryHue(), 0.3f) << "back to the values from before the card opened";
    EXPECT_FLOAT_EQ (ui_core::getTheme().primarySaturationScale, 2.0f);
}

TEST_F (Colours, okStoresAllSixAndANewEditorShowsThem)
{
    panel().primaryHueSlider.setValue (0.42, juce::sendNotificationSync);
    panel().secondaryHueSlider.setValue (0.77, juce::sendNotificationSync);
    panel().primarySaturationSlider.setValue (0.25, juce::sendNotificationSync);
    panel().secondarySaturationSlider.setValue (1.5, juce::sendNotificationSync);
    click (panel().glowSwitch);
    EXPECT_FALSE (panel().glowAmountSlider.isEnabled()) << "glow off: the amount ignores the mouse";
    click (panel().glowSwitch);
    EXPECT_TRUE (panel().glowAmountSlider.isEnabled());
    panel().glowAmountSlider.setValue (0.25, juce::sendNotificationSync);
    click (panel().glowSwitch);

    const auto inside = panel().getCardBounds().getTopLeft().toFloat() + juce::Point<float> (30.0f, 5.0f);
    test::Pointer (panel()).press (inside);
    ASSERT_NE (editor->getThemeOverlay(), nullptr) << "a press inside the card does nothing";

    click (panel().okButton);
    EXPECT_EQ (editor->getThemeOverlay(), nullptr);
    const auto stored = loadThemeSettings();
    EXPECT_NEAR (stored.primaryHue, 0.42f, 1e-6);
    EXPECT_NEAR (stored.secondaryHue, 0.77f, 1e-6);
    EXPECT_NEAR (stored.primarySaturationScale, 0.25f, 1e-6);
    EXPECT_NEAR (stored.secondarySaturationScale, 1.5f, 1e-6);
    EXPECT_FALSE (stored.glowEnabled);
    EXPECT_NEAR (stored.glowIntensity, 0.25f, 1e-6);

    const ThemeSettings defaults;
    ui_core::setTheme (defaults.primaryHue, defaults.secondaryHue, 1.0f, 1.0f, true, 0.716f);
    editor.reset();
    editor.reset (static_cast<PluginProcessorEditor*> (processor.createEditor()));
    EXPECT_FLOAT_EQ (primaryHue(), 0.42f) << "a new editor reads the stored theme";
    EXPECT_FALSE (editor->visualizer.getStyle().glowEnabled);
}

TEST_F (Colours, logoMenuStaysShutWhileTheCardShows)
{
    editor->mouseEnter (test::Pointer (editor->logoButton).event ({ 30, 30 }));
    EXPECT_EQ (editor->getLogoMenu(), nullptr);
}
