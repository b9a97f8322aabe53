#include "tests/support/ImageOutput.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/UserInput.h"
#include "ui_core/NumberBox.h"

#include <gtest/gtest.h>

using ui_core::NumberBox;

namespace
{
NumberBox& withoutSuffix (NumberBox& box)
{
    auto style = box.getStyle();
    style.suffix = {};
    box.setStyle (style);
    return box;
}

struct BoxWithNeighbour : juce::Component
{
    BoxWithNeighbour()
    {
        withoutSuffix (box);
        box.setBounds (0, 0, 80, 40);
        neighbour.setBounds (100, 0, 60, 24);
        neighbour.setWantsKeyboardFocus (true);
        addAndMakeVisible (box);
        addAndMakeVisible (neighbour);
        setSize (200, 60);
    }

    NumberBox box { "X Lag" };
    juce::Component neighbour;
};

} // namespace

TEST (NumberBox, dragThresholdSpeedAndFineMode)
{
    NumberBox box ("X Lag");
    box.setRange (0.0, 1024.0, 1.0);
    test::Pointer pointer (box);

    pointer.press ({ 40, 200 });
    pointer.drag ({ 40, 198 });
    EXPECT_FALSE (box.isDragging());
    EXPECT_EQ (box.getValue(), 0.0) << "two pixels change nothing";
    pointer.drag ({ 40, 197 });
    EXPECT_TRUE (box.isDragging()) << "three pixels start the drag";
    EXPECT_EQ (box.getValue(), 8.0) << "3/400 of the range, snapped to the interval";
    pointer.drag ({ 40, 100 });
    EXPECT_EQ (box.getValue(), 256.0);

    pointer.drag ({ 40, 100 }, juce::ModifierKeys::shiftModifier);
    EXPECT_EQ (box.getValue(), 256.0) << "switching precision never jumps";
    pointer.drag ({ 40, 60 }, juce::ModifierKeys::shiftModifier);
    EXPECT_EQ (box.getValue(), 266.0) << "one tenth of the speed from the new anchor";
    pointer.drag ({ 40, 60 });
    pointer.drag ({ 40, -400 });
    EXPECT_EQ (box.getValue(), 1024.0) << "clamped at the top";
    pointer.release ({ 40, -400 });
    EXPECT_FALSE (box.isDragging());
    EXPECT_FALSE (box.isEditing()) << "a drag opens no editor";

    pointer.press ({ 40, 200 });
    pointer.drag ({ 40, 600 });
    EXPECT_EQ (box.getValue(), 0.0) << "400 pixels cover the whole range";
    pointer.release ({ 40, 600 });
}

TEST (NumberBox, clickOpensTheEditorOnlyWithoutMovement)
{
    NumberBox box ("X Lag");
    test::Pointer pointer (box);
    pointer.press ({ 40, 20 });
    pointer.drag ({ 40, 18 });
    pointer.release ({ 40, 18 });
    EXPECT_FALSE (box.isEditing()) << "the mouse moved";
    EXPECT_EQ (box.getValue(), 0.0);

    pointer.click ({ 40, 20 });
    EXPECT_TRUE (box.isEditing());
    ASSERT_NE (box.getEditor(), nullptr);
    pointer.click ({ 40, 20 });
    pointer.doubleClick ({ 40, 20 });
    EXPECT_EQ (box.getNumChildComponents(), 1) << "the mouse does nothing while editing";
}

TEST (NumberBox, typedTextRulesAndCommits)
{
    struct Case
    {
        double minimum, maximum, interval;
        const char* typed;
        const char* shown;
        double committed;
    };
    for (const auto& c : { Case { 0.0, 512.0, 0.01, "-1234.567", "1234.56", 512.0 }, Case { 0.0, 512.0, 1.0, "600", "600", 512.0 },
                           Case { 0.0, 512.0, 1.0, "123456", "12345", 512.0 }, Case { -10.0, 10.0, 0.5, "-2.26", "-2.26", -2.5 },
                           Case { 0.0, 512.0, 0.01, "12.346", "12.346", 12.35 } })
    {
        BoxWithNeighbour scene;
        test::OnScreen window (scene);
        scene.box.setRange (c.minimum, c.maximum, c.interval);
        test::Pointer (scene.box).click ({ 40, 20 });
        auto* editor = scene.box.getEditor();
        ASSERT_NE (editor, nullptr) << c.typed;
        test::typeText (*editor, c.typed);
        EXPECT_EQ (editor->getText(), c.shown) << c.typed;
        test::pressKey (*editor, juce::KeyPress::returnKey);
        test::runMessageLoopUntil ([&] { return ! scene.box.isEditing(); });
        EXPECT_FALSE (scene.box.isEditing());
        EXPECT_NEAR (scene.box.getValue(), c.committed, 1e-9) << c.typed;
    }
}

TEST (NumberBox, escapeCancelsAndFocusLossCommits)
{
    BoxWithNeighbour scene;
    test::OnScreen window (scene);
    scene.box.setValue (100.0, juce::dontSendNotification);

    scene.box.startTextEditing();
    EXPECT_EQ (scene.box.getEditor()->getText(), "100");
    test::typeText (*scene.box.getEditor(), "7");
    test::pressKey (*scene.box.getEditor(), juce::KeyPress::escapeKey);
    test::runMessageLoopUntil ([&] { return ! scene.box.isEditing(); });
    EXPECT_EQ (scene.box.getValue(), 100.0);

    scene.box.startTextEditing();
    ASSERT_TRUE (scene.box.getEditor()->hasKeyboardFocus (false));
    test::typeText (*scene.box.getEditor(), "7");
    scene.neighbour.grabKeyboardFocus();
    test::runMessageLoopUntil ([&] { return ! scene.box.isEditing(); });
    EXPECT_EQ (scene.box.getValue(), 7.0);
}

TEST (NumberBox, valueTexts)
{
    struct Case
    {
        double interval, value;
        const char* text;
    };
    for (const auto& c : { Case { 0.001, 0.5, "0.50" }, Case { 0.0001, 0.05, "0.050" }, Case { 0.001, 12.345, "12.3" }, Case { 0.01, 0.0, "0.0" },
                           Case { 0.001, -0.5, "-0.50" }, Case { 1.0, 12.0, "12" }, Case { 1e-12, 1e-11, "0.000000000" } })
    {
        NumberBox box ("Y Lag");
        withoutSuffix (box);
        box.setRange (-100.0, 100.0, c.interval);
        box.setValue (c.value, juce::dontSendNotification);
        EXPECT_EQ (box.getValueText(), c.text) << c.value;
    }

    NumberBox withSuffix ("X Lag");
    withSuffix.setValue (64.0, juce::dontSendNotification);
    EXPECT_EQ (withSuffix.getValueText(), "64 samples");
}

TEST (NumberBox, narrowAndDisabledBoxes)
{
    NumberBox narrow ("X Lag");
    narrow.setSize (15, 40);
    EXPECT_EQ (test::brightestAlpha (test::render (narrow)), 0) << "no room for text";
    narrow.startTextEditing();
    ASSERT_NE (narrow.getEditor(), nullptr);
    EXPECT_EQ (narrow.getEditor()->getWidth(), 0);
    narrow.finishTextEditing (true);

    NumberBox enabled ("X Lag"), disabled ("X Lag");
    for (auto* box : { &enabled, &disabled })
    {
        auto style = ui_core::defaultNumberBoxStyle();
        style.valueColour = juce::Colours::white;
        style.labelColour = juce::Colours::white;
        box->setStyle (style);
        box->setSize (80, 40);
    }
    disabled.setEnabled (false);
    EXPECT_NEAR (test::brightestAlpha (test::render (disabled)), 0.4 * test::brightestAlpha (test::render (enabled)), 2.0);

    test::Pointer pointer (disabled);
    pointer.press ({ 40, 20 });
    pointer.drag ({ 40, 0 });
    pointer.release ({ 40, 20 });
    pointer.click ({ 40, 20 });
    EXPECT_EQ (disabled.getValue(), 0.0);
    EXPECT_FALSE (disabled.isEditing());
}
