#include "tests/support/ImageOutput.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/UserInput.h"
#include "ui_core/Rotary3DKnob.h"

#include <gtest/gtest.h>

using ui_core::Rotary3DKnob;

namespace
{
struct KnobWithNeighbour : juce::Component
{
    KnobWithNeighbour()
    {
        knob.setRange (-36.0, 36.0, 0.1);
        knob.setValue (0.0, juce::dontSendNotification);
        knob.setBounds (0, 0, 80, 80);
        neighbour.setBounds (100, 0, 60, 24);
        neighbour.setWantsKeyboardFocus (true);
        addAndMakeVisible (knob);
        addAndMakeVisible (neighbour);
        setSize (200, 100);
    }

    int editorCount() const
    {
        int n = 0;
        for (auto* c : knob.getChildren())
            n += dynamic_cast<juce::TextEditor*> (c) != nullptr ? 1 : 0;
        return n;
    }

    Rotary3DKnob knob;
    juce::Component neighbour;
};

int bodyRendersAt (Rotary3DKnob& knob, float scale)
{
    juce::Image image (juce::Image::ARGB, 200, 200, true, juce::SoftwareImageType());
    juce::Graphics g (image);
    g.addTransform (juce::AffineTransform::scale (scale));
    knob.paintEntireComponent (g, false);
    return knob.getBodyRenderCount();
}
} // namespace

TEST (Rotary3DKnob, typedValuesSnapClampAndRespectLengthLimits)
{
    struct Case
    {
        double interval;
        const char* typed;
        double expected;
        const char* note;
    };
    for (const auto& c : { Case { 0.1, "12.345", 12.3, "snapped to the interval" }, Case { 0.1, "99", 36.0, "clamped to the maximum" },
                           Case { 0.1, "-99", -36.0, "clamped to the minimum" }, Case { 0.1, "abc", 0.0, "not a number reads 0" },
                           Case { 1.0, "1234567", 36.0, "integer mode takes six characters" },
                           Case { 0.1, "-12.3456789", -12.3, "eight characters otherwise" } })
    {
        KnobWithNeighbour scene;
        test::OnScreen window (scene);
        scene.knob.setRange (-36.0, 36.0, c.interval);
        test::Pointer (scene.knob).doubleClick ({ 40, 40 });
        auto* field = scene.knob.textEntry.getEditor();
        ASSERT_NE (field, nullptr) << c.note;
        test::typeText (*field, c.typed);
        const auto typed = field->getText();
        test::pressKey (*field, juce::KeyPress::returnKey);
        test::runMessageLoopUntil ([&] { return ! scene.knob.textEntry.isActive(); });
        EXPECT_FALSE (scene.knob.textEntry.isActive()) << c.note;
        EXPECT_NEAR (scene.knob.getValue(), c.expected, 1e-9) << c.note;
        if (c.interval >= 1.0)
            EXPECT_EQ (typed, "123456") << c.note;
        if (juce::String (c.typed).startsWith ("-12.3456789"))
            EXPECT_EQ (typed, "-12.3456") << c.note;
    }
}

TEST (Rotary3DKnob, doubleClickOpensOneFieldEscapeKeepsFocusLossCommits)
{
    KnobWithNeighbour scene;
    test::OnScreen window (scene);
    scene.knob.setValue (5.0, juce::dontSendNotification);

    test::Pointer pointer (scene.knob);
    pointer.doubleClick ({ 40, 40 });
    ASSERT_TRUE (scene.knob.textEntry.isActive());
    EXPECT_EQ (scene.knob.textEntry.getEditor()->getText(), "5.00");
    EXPECT_EQ (scene.knob.textEntry.getEditor()->getHighlightedRegion().getLength(), 4) << "the whole value is selected";
    pointer.doubleClick ({ 40, 40 });
    EXPECT_FALSE (scene.knob.textEntry.tryStart());
    EXPECT_EQ (scene.editorCount(), 1);
    EXPECT_EQ (scene.knob.getValue(), 5.0) << "a press while editing starts no drag";

    auto* field = scene.knob.textEntry.getEditor();
    test::typeText (*field, "20");
    test::pressKey (*field, juce::KeyPress::escapeKey);
    test::runMessageLoopUntil ([&] { return ! scene.knob.textEntry.isActive(); });
    EXPECT_EQ (scene.knob.getValue(), 5.0);
    EXPECT_EQ (scene.editorCount(), 0);

    pointer.doubleClick ({ 40, 40 });
    field = scene.knob.textEntry.getEditor();
    ASSERT_NE (field, nullptr);
    EXPECT_TRUE (field->hasKeyboardFocus (false));
    test::typeText (*field, "-7.25");
    scene.neighbour.grabKeyboardFocus(); // clicking elsewhere
    test::runMessageLoopUntil ([&] { return ! scene.knob.textEntry.isActive(); });
    EXPECT_NEAR (scene.knob.getValue(), -7.3, 1e-9) << "halves snap away from zero";
}

TEST (Rotary3DKnob, fieldCoversSmallKnobsAndIntegerModeShowsWholeNumbers)
{
    Rotary3DKnob knob;
    knob.setRange (0.0, 512.0, 1.0);
    knob.setValue (50.0, juce::dontSendNotification);
    knob.setSize (40, 20);
    ASSERT_TRUE (knob.textEntry.tryStart());
    EXPECT_EQ (knob.textEntry.getEditor()->getBounds(), juce::Rectangle<int> (-5, -2, 50, 24));
    EXPECT_EQ (knob.textEntry.getEditor()->getText(), "50");
    knob.setSize (100, 60);
    EXPECT_EQ (knob.textEntry.getEditor()->getBounds(), juce::Rectangle<int> (0, 0, 100, 60));
    knob.textEntry.finish (false);
    EXPECT_EQ (knob.textEntry.getEditor(), nullptr);
}

TEST (Rotary3DKnob, smallKnobsUseTheSmallPointerAndRim)
{
    struct Case
    {
        int size;
        float pointerWidth, pointer, rim;
    };
    for (const auto& c : { Case { 40, 2.0f, 3.0f, 0.8f }, Case { 60, 2.0f, 3.0f, 0.8f }, Case { 80, 2.0f, 4.0f, 1.0f },
                           Case { 80, 0.5f, 2.0f, 1.0f }, Case { 20, 4.0f, 3.6f, 0.8f } })
    {
        Rotary3DKnob knob;
        auto style = knob.getStyle();
        style.pointerWidth = c.pointerWidth;
        knob.setStyle (style);
        knob.setSize (c.size, c.size);
        EXPECT_FLOAT_EQ (knob.pointerBarWidth(), c.pointer) << c.size << " px, width " << c.pointerWidth;
        EXPECT_FLOAT_EQ (knob.rimThickness(), c.rim) << c.size << " px";
    }
}

TEST (Rotary3DKnob, emptyRangeDrawsLikeTheMinimum)
{
    Rotary3DKnob empty, atMinimum;
    for (auto* knob : { &empty, &atMinimum })
    {
        knob->setStyle (ui_core::defaultKnobStyle());
        knob->setSize (80, 80);
    }
    empty.setRange (5.0, 5.0, 0.0);
    atMinimum.setRange (0.0, 10.0, 0.0);
    atMinimum.setValue (0.0, juce::dontSendNotification);

    EXPECT_EQ (test::countDifferingPixels (test::render (empty), test::render (atMinimum)), 0);
}

TEST (Rotary3DKnob, bodyCacheFollowsTheDisplayScale)
{
    Rotary3DKnob knob;
    knob.setSize (60, 60);
    EXPECT_EQ (bodyRendersAt (knob, 1.0f), 1);
    EXPECT_EQ (bodyRendersAt (knob, 1.0f), 1) << "reused";
    EXPECT_EQ (bodyRendersAt (knob, 1.005f), 1) << "less than 0.01 apart";
    EXPECT_EQ (bodyRendersAt (knob, 1.5f), 2);
    EXPECT_FLOAT_EQ (knob.getCachedScale(), 1.5f);
    EXPECT_EQ (bodyRendersAt (knob, 1.5f), 2);
    EXPECT_EQ (bodyRendersAt (knob, 1.0f), 3);

    knob.setStyle (knob.getStyle());
    EXPECT_EQ (bodyRendersAt (knob, 1.0f), 3) << "an equal style keeps the cache";
    auto style = knob.getStyle();
    style.bodyColour = juce::Colours::red;
    knob.setStyle (style);
    EXPECT_EQ (bodyRendersAt (knob, 1.0f), 4);
    knob.setSize (70, 70);
    EXPECT_EQ (bodyRendersAt (knob, 1.0f), 5);

    knob.setSize (0, 0);
    EXPECT_EQ (bodyRendersAt (knob, 1.0f), 5) << "no render without a size";
}

TEST (Rotary3DKnob, dragMovesTheValueAndHoverFlagsFollowTheMouse)
{
    Rotary3DKnob knob;
    knob.setRange (0.0, 1.0, 0.0);
    knob.setValue (0.5, juce::dontSendNotification);
    knob.setSize (80, 80);
    test::Pointer pointer (knob);
    pointer.enter ({ 40, 40 });
    EXPECT_TRUE (knob.isHovered());
    pointer.press ({ 40, 40 });
    EXPECT_TRUE (knob.isDragging());
    pointer.drag ({ 40, 0 });
    EXPECT_GT (knob.getValue(), 0.5);
    pointer.release ({ 40, 0 });
    EXPECT_FALSE (knob.isDragging());
    pointer.exit ({ 200, 200 });
    EXPECT_FALSE (knob.isHovered());
}
