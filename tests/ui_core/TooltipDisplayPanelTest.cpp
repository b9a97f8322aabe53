#include "tests/support/UserInput.h"
#include "ui_core/TooltipDisplayPanel.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
struct TipSource : juce::Component, juce::SettableTooltipClient
{
};

// A window with two tooltip-carrying children and the real pointer over the first.
struct Scene
{
    Scene()
    {
        editor.setSize (400, 100);
        first.setBounds (0, 0, 200, 100);
        second.setBounds (200, 0, 200, 100);
        editor.addAndMakeVisible (first);
        editor.addAndMakeVisible (second);
        panel.source = &editor;
        pointAt (first);
    }

    void pointAt (juce::Component& c)
    {
        test::movePointerTo (c.getScreenBounds().getCentre());
    }

    void fitTextWithSpare (const juce::String& text, int spare)
    {
        first.setTooltip (text);
        const auto width = juce::GlyphArrangement::getStringWidth (panel.getStyle().font, text);
        panel.setSize ((int) std::ceil (width) + 2 * panel.getStyle().marginX - spare, 20);
    }

    juce::Component editor;
    TipSource first, second;
    ui_core::TooltipDisplayPanel panel;
    test::OnScreen window { editor, { 20, 20 } };
};
} // namespace

TEST (TooltipDisplayPanel, showsTheTooltipUnderThePointer)
{
    Scene scene;
    scene.first.setTooltip ("Scale controls.");
    scene.second.setTooltip ("Another");
    scene.panel.setSize (400, 20);
    scene.panel.tick();
    EXPECT_EQ (scene.panel.getCurrentText(), "Scale controls.");
    scene.pointAt (scene.second);
    scene.panel.tick();
    EXPECT_EQ (scene.panel.getCurrentText(), "Another");
    test::movePointerTo ({ 600, 450 });
    scene.panel.tick();
    EXPECT_EQ (scene.panel.getCurrentText(), "") << "outside the source";
}

TEST (TooltipDisplayPanel, scrollsOnlyWhatDoesNotFitAfterAHold)
{
    Scene scene;
    scene.fitTextWithSpare ("Number of samples used to fit the curve.", 0);
    for (int i = 0; i < 100; ++i)
        scene.panel.tick();
    EXPECT_FALSE (scene.panel.isScrolling()) << "exactly as wide as the text area";
    EXPECT_EQ (scene.panel.getScrollOffset(), 0.0f);

    scene.fitTextWithSpare ("Number of samples used to fit the curve.", 1);
    scene.panel.tick();
    ASSERT_TRUE (scene.panel.isScrolling());
    EXPECT_EQ (scene.panel.getHoldTicks(), 60);
    for (int i = 0; i < 60; ++i)
        scene.panel.tick();
    EXPECT_EQ (scene.panel.getScrollOffset(), 0.0f) << "still holding";
    scene.panel.tick();
    const auto overflow = scene.panel.getScrollOffset();
    EXPECT_GT (overflow, 0.0f);
    EXPECT_LE (overflow, 1.0f) << "one pixel wider: one step, clamped to the overflow";
    EXPECT_EQ (scene.panel.getHoldTicks(), 60) << "holds at the end";
    for (int i = 0; i < 60; ++i)
        scene.panel.tick();
    EXPECT_EQ (scene.panel.getScrollOffset(), 0.0f) << "jumps back after the hold";
    EXPECT_EQ (scene.panel.getHoldTicks(), 60);

    for (int i = 0; i < 61; ++i)
        scene.panel.tick();
    EXPECT_GT (scene.panel.getScrollOffset(), 0.0f);
    scene.second.setTooltip ("Short");
    scene.pointAt (scene.second);
    scene.panel.tick();
    EXPECT_EQ (scene.panel.getCurrentText(), "Short");
    EXPECT_EQ (scene.panel.getScrollOffset(), 0.0f) << "a new tooltip resets at once";
    EXPECT_FALSE (scene.panel.isScrolling());
}

// An action's outcome stays in the strip while the pointer stays where it
// was, and gives way to the next control's tooltip.
TEST (TooltipDisplayPanel, aMessageHoldsUntilThePointerReachesAnotherTooltip)
{
    Scene scene;
    scene.first.setTooltip ("Plot");
    scene.second.setTooltip ("Another");
    scene.panel.setSize (400, 20);
    scene.panel.showMessage ("Y lags X by 37.25 samples: X LAG set to 37.25");
    EXPECT_EQ (scene.panel.getCurrentText(), "Y lags X by 37.25 samples: X LAG set to 37.25");
    for (int i = 0; i < 5; ++i)
        scene.panel.tick();
    EXPECT_EQ (scene.panel.getCurrentText(), "Y lags X by 37.25 samples: X LAG set to 37.25") << "the pointer has not moved on";
    scene.pointAt (scene.second);
    scene.panel.tick();
    EXPECT_EQ (scene.panel.getCurrentText(), "Another");
    scene.pointAt (scene.first);
    scene.panel.tick();
    EXPECT_EQ (scene.panel.getCurrentText(), "Plot") << "gone for good once it gave way";
}
