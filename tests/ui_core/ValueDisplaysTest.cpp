#include "plugin/PluginAudioProcessor.h"
#include "tests/support/ImageOutput.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/UserInput.h"
#include "ui_core/DesignTokens.h"
#include "ui_core/ScaleDisplay.h"
#include "ui_core/SmoothingDisplay.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace
{
void setPlain (PluginAudioProcessor& processor, const juce::String& id, float value)
{
    auto* parameter = processor.parameters.getParameter (id);
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
}

void expectColourNear (juce::Colour actual, juce::Colour expected, const char* what)
{
    EXPECT_EQ (actual.getAlpha(), expected.getAlpha()) << what;
    EXPECT_NEAR (actual.getRed(), expected.getRed(), 3) << what;
    EXPECT_NEAR (actual.getGreen(), expected.getGreen(), 3) << what;
    EXPECT_NEAR (actual.getBlue(), expected.getBlue(), 3) << what;
}

struct Displays : ::testing::Test
{
    void SetUp() override
    {
        test::movePointerTo ({ 600, 450 });
        scale.setStyle (ui_core::defaultDisplayStyle());
        scale.setSize (122, 50);
        smoothing.setStyle (ui_core::defaultDisplayStyle());
        smoothing.setSize (72, 50);
    }

    PluginAudioProcessor processor;
    ui_core::ScaleDisplay scale { processor.parameters, "scaleX", "scaleY" };
    ui_core::SmoothingDisplay smoothing { processor.parameters, "smoothing" };
};
} // namespace

TEST_F (Displays, valuesAndTheirTexts)
{
    EXPECT_EQ (smoothing.getValue(), 50) << "the default smoothing";
    setPlain (processor, "scaleX", 6.5f);
    setPlain (processor, "scaleY", -12.0f);
    EXPECT_EQ (ui_core::ScaleDisplay::formatDecibels (scale.getValueX()), "6.5 dB");
    EXPECT_EQ (ui_core::ScaleDisplay::formatDecibels (scale.getValueY()), "-12.0 dB");

    const auto cells = scale.cells();
    EXPECT_EQ (cells.labelX, juce::Rectangle<int> (2, 2, 59, 23));
    EXPECT_EQ (cells.labelY, juce::Rectangle<int> (61, 2, 59, 23));
    EXPECT_EQ (cells.valueX, juce::Rectangle<int> (2, 27, 59, 21));
    EXPECT_EQ (cells.valueY, juce::Rectangle<int> (61, 27, 59, 21));
    test::savePng (test::render (scale), "display-scale");
    test::savePng (test::render (smoothing), "display-smoothing");
}

TEST_F (Displays, parameterChangesFromAnyThreadOnlyStoreAndScheduleARepaint)
{
    std::thread automation ([this] {
        scale.parameterChanged ("scaleX", 3.25f);
        smoothing.parameterChanged ("smoothing", 77.9f);
        smoothing.parameterChanged ("scaleX", 1.0f);
    });
    automation.join();
    EXPECT_EQ (scale.getValueX(), 3.25f);
    EXPECT_EQ (smoothing.getValue(), 77) << "truncated";
    EXPECT_TRUE (scale.isUpdatePending());
    EXPECT_TRUE (test::runMessageLoopUntil ([this] { return ! scale.isUpdatePending() && ! smoothing.isUpdatePending(); }));
}

namespace
{
// Host automation that lands while a display is still being built: a member
// initialised after the base moves the parameter, as another thread might.
struct HalfBuiltProbe : ui_core::ValueDisplay
{
    explicit HalfBuiltProbe (PluginAudioProcessor& p)
        : ValueDisplay (p.parameters, { "scaleX" }), moved ((setPlain (p, "scaleX", 4.0f), true))
    {
        startFollowing();
        complete = true;
    }
    ~HalfBuiltProbe() override { stopFollowing(); }

    void parameterChanged (const juce::String&, float) override { (complete ? callsWhenComplete : callsWhileBuilding)++; }
    void paintTexts (juce::Graphics&, float) override {}

    // Declared before `moved`, so they already hold their values when it runs.
    bool complete = false;
    int callsWhileBuilding = 0, callsWhenComplete = 0;
    bool moved;
};
} // namespace

TEST_F (Displays, parameterChangesReachOnlyACompleteDisplay)
{
    HalfBuiltProbe probe (processor);
    EXPECT_EQ (probe.callsWhileBuilding, 0);
    setPlain (processor, "scaleX", -4.0f);
    EXPECT_EQ (probe.callsWhenComplete, 1);

    // The real displays opened and closed while the host automates from its
    // own thread (the thread-sanitized run checks the callbacks race nothing).
    std::atomic<bool> running { true };
    std::thread automation ([&] {
        for (int i = 0; running; ++i)
        {
            setPlain (processor, "scaleX", (float) (i % 20) - 10.0f);
            setPlain (processor, "smoothing", (float) (i % 100 + 1));
        }
    });
    for (int i = 0; i < 200; ++i)
    {
        ui_core::ScaleDisplay s { processor.parameters, "scaleX", "scaleY" };
        ui_core::SmoothingDisplay m { processor.parameters, "smoothing" };
        // Whatever moment it opened at, a display holds a value the host set
        // (or the default), never a half-built one.
        EXPECT_TRUE (s.getValueX() >= -10.0f && s.getValueX() <= 9.0f) << s.getValueX();
        EXPECT_TRUE (m.getValue() >= 1 && m.getValue() <= 100) << m.getValue();
    }
    running = false;
    automation.join();
}

TEST_F (Displays, hoverAndPressDrawThePanel)
{
    const auto& style = scale.getStyle();
    const juce::Point<int> inside (60, 25), topEdge (60, 0);
    EXPECT_EQ (test::render (scale).getPixelAt (inside.x, inside.y).getAlpha(), 0) << "idle: text only";

    test::Pointer pointer (scale);
    pointer.enter ({ 60, 25 });
    auto image = test::render (scale);
    expectColourNear (image.getPixelAt (inside.x, inside.y), ui_core::withAlphaLevel (style.hoverBackgroundColour, 0.3f), "hover fill");
    const auto edge = image.getPixelAt (topEdge.x, topEdge.y);
    EXPECT_GT (edge.getAlpha(), ui_core::withAlphaLevel (style.hoverBackgroundColour, 0.3f).getAlpha()) << "the outline over the fill";

    pointer.press ({ 60, 25 });
    expectColourNear (test::render (scale).getPixelAt (inside.x, inside.y), ui_core::withAlphaLevel (style.pressedBackgroundColour, 0.5f),
                      "pressed fill");
    pointer.release ({ 60, 25 });
    pointer.exit ({ 300, 300 });
}

TEST_F (Displays, companionKeepsTheDisplayHovered)
{
    bool companionHovered = true;
    int starts = 0, ends = 0;
    scale.isCompanionHovered = [&] { return companionHovered; };
    scale.onHoverStart = [&] { ++starts; };
    scale.onHoverEnd = [&] { ++ends; };

    test::Pointer pointer (scale);
    pointer.enter ({ 60, 25 });
    EXPECT_TRUE (scale.isHovered());
    pointer.exit ({ 300, 300 });
    test::runMessageLoopFor (300);
    EXPECT_TRUE (scale.isHovered()) << "the companion panel is under the mouse";

    companionHovered = false;
    EXPECT_TRUE (test::runMessageLoopUntil ([this] { return ! scale.isHovered(); }));
    EXPECT_EQ (starts, 1);
    EXPECT_EQ (ends, 1);
}

TEST_F (Displays, disabledDisplayIsFadedAndIgnoresHover)
{
    auto style = ui_core::defaultDisplayStyle();
    style.valueColour = juce::Colours::white;
    style.labelColour = juce::Colours::white;
    smoothing.setStyle (style);
    const auto enabled = test::brightestAlpha (test::render (smoothing));

    juce::Component parent;
    parent.addAndMakeVisible (smoothing);
    parent.setEnabled (false);
    EXPECT_NEAR (test::brightestAlpha (test::render (smoothing)), 0.4 * enabled, 2.0) << "a disabled parent disables the display";

    test::Pointer (smoothing).enter ({ 10, 10 });
    EXPECT_FALSE (smoothing.isHovered());
    EXPECT_FALSE (smoothing.isMouseOverDisplay());
    parent.removeChildComponent (&smoothing);
}
