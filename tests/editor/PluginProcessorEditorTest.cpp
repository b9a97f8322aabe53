#include "editor/EditorStyles.h"
#include "tests/support/TanhDevice.h"
#include "plugin/PluginParameters.h"
#include "tests/support/TestSignals.h"
#include "editor/PluginProcessorEditor.h"
#include "persistence/UserSettings.h"
#include "plugin/PluginAudioProcessor.h"
#include "tests/support/ImageOutput.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/ProcessorHarness.h"
#include "tests/support/TanhDevice.h"
#include "tests/support/UserInput.h"
#include "ui_core/DesignTokens.h"
#include "ui_core/PlotFeedBuilders.h"
#include "ui_core/ThemeColours.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

#include <tuple>

#include <thread>

namespace
{
constexpr int tickMs = 50;

struct Editor : ::testing::Test
{
    void SetUp() override
    {
        settingsFile ("plugin-preferences").deleteFile();
        test::prepareProcessor (processor, test::Sidechain::present, 512);
    }

    std::unique_ptr<PluginProcessorEditor> open()
    {
        auto editor = std::unique_ptr<PluginProcessorEditor> (static_cast<PluginProcessorEditor*> (processor.createEditor()));
        editor->setVisible (true); // as a host's window shows it
        // Counts every table the processor publishes, then hands it to the editor.
        auto toEditor = processor.onTransferFunctionChanged;
        processor.onTransferFunctionChanged = [this, toEditor]
        {
            ++publications;
            toEditor();
        };
        return editor;
    }

    // The editor's timer ticks, run here rather than waited for (an
    // instrumented build on a busy machine may miss any fixed budget), then
    // whatever they posted is dispatched.
    static void ticks (PluginProcessorEditor& editor, int n)
    {
        for (int i = 0; i < n; ++i)
            editor.timerCallback();
        test::runMessageLoopFor (10);
    }

    bool settled() { return test::runMessageLoopUntil ([this] { return ! processor.isRefitInProgress(); }); }

    void setFromHost (const char* id, float value)
    {
        std::thread automation ([&] { test::setParameter (processor, id, value); });
        automation.join();
    }

    PluginAudioProcessor processor;
    int publications = 0;
};

struct ControlStates
{
    bool continueEnabled, freezeEnabled, saveEnabled, smoothingEnabled, scaleEnabled, lagsEnabled, algoVisible, modeVisible;
};

ControlStates statesOf (const PluginProcessorEditor& e)
{
    return { e.continueButton.isEnabled(), e.freezeButton.isEnabled(), e.saveButton.isEnabled(), e.smoothingDisplay.isEnabled(),
             e.scaleDisplay.isEnabled(),   e.xLagBox.isEnabled() && e.yLagBox.isEnabled(),
             e.algorithmCombo.isVisible() && e.captureLengthCombo.isVisible(), e.modeCombo.isVisible() && e.timeWindowCombo.isVisible() };
}

void expectStates (const PluginProcessorEditor& e, const ControlStates& expected, const char* state)
{
    const auto s = statesOf (e);
    EXPECT_EQ (s.continueEnabled, expected.continueEnabled) << state;
    EXPECT_EQ (s.freezeEnabled, expected.freezeEnabled) << state;
    EXPECT_EQ (s.saveEnabled, expected.saveEnabled) << state;
    EXPECT_EQ (s.smoothingEnabled, expected.smoothingEnabled) << state;
    EXPECT_EQ (s.scaleEnabled, expected.scaleEnabled) << state;
    EXPECT_EQ (s.lagsEnabled, expected.lagsEnabled) << state;
    EXPECT_EQ (s.algoVisible, expected.algoVisible) << state;
    EXPECT_EQ (s.modeVisible, expected.modeVisible) << state;
}

constexpr ControlStates liveStates { false, true, false, false, true, true, false, true };
constexpr ControlStates frozenStates { true, false, true, true, false, false, true, false };

void click (juce::Button& button) { test::Pointer (button).click (button.getLocalBounds().getCentre().toFloat()); }

// The window the most recent menu opened, once it is showing.
juce::Component* newestMenuWindow (const juce::Component* besides, int alreadyOpen)
{
    juce::Component* menu = nullptr;
    test::runMessageLoopUntil ([&]
                               {
                                   auto& desktop = juce::Desktop::getInstance();
                                   if (desktop.getNumComponents() <= alreadyOpen)
                                       return false;
                                   menu = desktop.getComponent (desktop.getNumComponents() - 1);
                                   return menu != besides && menu->isShowing();
                               });
    return menu;
}

// Opens the plot's context menu with a right press and picks an item of one
// of its two submenus by keyboard, as a user could (opening a submenu with the
// right arrow highlights its first item).
void chooseFromContextMenu (PluginProcessorEditor& editor, int submenu, int item)
{
    const auto before = juce::Desktop::getInstance().getNumComponents();
    test::Pointer (editor.visualizer).press ({ 100, 100 }, juce::ModifierKeys::rightButtonModifier);
    auto* menu = newestMenuWindow (&editor, before);
    ASSERT_NE (menu, nullptr);
    for (int i = 0; i <= submenu; ++i)
        test::pressKey (*menu, juce::KeyPress::downKey);
    test::pressKey (*menu, juce::KeyPress::rightKey);
    auto* sub = newestMenuWindow (menu, before + 1);
    ASSERT_NE (sub, nullptr);
    for (int i = 0; i < item; ++i)
        test::pressKey (*sub, juce::KeyPress::downKey);
    test::pressKey (*sub, juce::KeyPress::returnKey);
    test::runMessageLoopUntil ([before] { return juce::Desktop::getInstance().getNumComponents() < before + 1; });
    test::runMessageLoopFor (50);
}
} // namespace

TEST_F (Editor, layoutAtTheDefaultAndSmallestSizes)
{
    auto editor = open();
    EXPECT_EQ (editor->getBounds(), juce::Rectangle<int> (0, 0, 700, 550));
    EXPECT_EQ (editor->bottomBar.getBounds(), juce::Rectangle<int> (0, 482, 700, 68));
    EXPECT_EQ (editor->logoButton.getBounds(), juce::Rectangle<int> (0, 482, 68, 68));
    EXPECT_EQ (editor->tooltipPanel.getBounds(), juce::Rectangle<int> (72, 532, 556, 14));
    EXPECT_EQ (editor->continueButton.getPosition(), juce::Point<int> (92, 485));
    EXPECT_EQ (editor->freezeButton.getPosition(), juce::Point<int> (139, 485));
    EXPECT_EQ (editor->saveButton.getPosition(), juce::Point<int> (186, 485));
    EXPECT_EQ (editor->smoothingDisplay.getX(), 620);
    EXPECT_EQ (editor->smoothingDisplay.getRight(), 692);
    EXPECT_EQ (editor->visualizer.getBounds(), juce::Rectangle<int> (0, 0, 700, 482));
    EXPECT_LT (editor->scaleDisplay.getRight(), editor->xLagBox.getX() + 1);
    EXPECT_EQ (editor->xLagBox.getRight(), editor->yLagBox.getX());

    editor->setSize (600, 400);
    EXPECT_EQ (editor->bottomBar.getBounds(), juce::Rectangle<int> (0, 332, 600, 68));
    EXPECT_EQ (editor->visualizer.getBounds(), juce::Rectangle<int> (0, 0, 600, 332));

    // Windows shorter than the bar: the bar takes what there is, the plot the
    // rest, and the tooltip strip keeps inside the bar.
    for (const auto [height, bar, tooltip] : { std::tuple { 100, 68, 14 }, std::tuple { 68, 68, 14 }, std::tuple { 50, 50, 0 },
                                               std::tuple { 20, 20, 0 }, std::tuple { 0, 0, 0 } })
    {
        SCOPED_TRACE (testing::Message() << "height " << height);
        editor->setSize (600, height);
        EXPECT_EQ (editor->bottomBar.getBounds(), juce::Rectangle<int> (0, height - bar, 600, bar));
        EXPECT_EQ (editor->visualizer.getHeight(), height - bar);
        EXPECT_EQ (editor->tooltipPanel.getHeight(), tooltip);
        if (tooltip > 0)
            EXPECT_TRUE (editor->bottomBar.getBounds().contains (editor->tooltipPanel.getBounds()));
        test::render (*editor);
    }
}

// Each knob panel stands on its display, 100 px tall and as wide as it, with
// knobs of the size the panel's layout gives; a disabled display opens none.
TEST_F (Editor, knobPanelsOpenOverTheirDisplaysOnlyWhenEnabled)
{
    test::setParameter (processor, "captureLength", 3.0f); // freezing waits: no refit needed
    auto editor = open();
    ticks (*editor, 1);
    struct Case
    {
        const char* name;
        ui_core::ValueDisplay& display;
        ui_panels::ControlsPanel& panel;
        std::vector<ui_core::Rotary3DKnob*> knobs;
        int knobSide;
        bool enabledWhileLive;
    };
    const std::vector<Case> cases {
        { "scale", editor->scaleDisplay, editor->scaleControls, { &editor->scaleControls.scaleXKnob, &editor->scaleControls.scaleYKnob }, 51, true },
        { "smoothing", editor->smoothingDisplay, editor->smoothingControls, { &editor->smoothingControls.smoothingKnob }, 60, false },
    };
    for (const auto frozen : { false, true })
    {
        if (frozen)
            click (editor->freezeButton);
        for (const auto& c : cases)
        {
            SCOPED_TRACE (testing::Message() << c.name << (frozen ? " while frozen" : " while live"));
            const auto enabled = c.enabledWhileLive != frozen;
            ASSERT_EQ (c.display.isEnabled(), enabled);
            c.display.onHoverStart();
            EXPECT_EQ (c.panel.isVisible(), enabled);
            if (enabled)
            {
                const auto d = c.display.getBounds();
                EXPECT_EQ (c.panel.getBounds(), juce::Rectangle<int> (d.getX(), d.getY() - 100, d.getWidth(), 100));
                for (auto* knob : c.knobs)
                {
                    EXPECT_EQ (knob->getWidth(), c.knobSide);
                    EXPECT_EQ (knob->getHeight(), c.knobSide);
                    EXPECT_TRUE (c.panel.getLocalBounds().contains (knob->getBounds()));
                }
            }
            c.display.onHoverEnd();
            EXPECT_FALSE (c.panel.isVisible());
        }
    }
}

TEST_F (Editor, liveWaitingFrozenAndBack)
{
    test::setParameter (processor, "captureLength", 3.0f); // 128k
    auto editor = open();
    ticks (*editor, 1);
    expectStates (*editor, liveStates, "live");

    test::playThroughTanh (processor, 20000);
    click (editor->freezeButton);
    EXPECT_TRUE (editor->isFrozen());
    EXPECT_TRUE (editor->isAwaitingCapture()) << "the ring does not hold 128k pairs yet";
    expectStates (*editor, frozenStates, "waiting");
    ticks (*editor, 2);
    EXPECT_TRUE (editor->isAwaitingCapture());
    EXPECT_EQ (publications, 0);

    test::playThroughTanh (processor, 131072);
    ticks (*editor, 1);
    EXPECT_FALSE (editor->isAwaitingCapture()) << "the first tick with a full ring takes the snapshot";
    ASSERT_TRUE (settled());
    EXPECT_TRUE (test::runMessageLoopUntil ([this] { return publications == 1; }));
    EXPECT_EQ (editor->visualizer.getPoints(), ui_core::tablePoints (processor.transferFunction)) << "the plot shows the published table";

    click (editor->continueButton);
    expectStates (*editor, liveStates, "live again");
    ticks (*editor, 1);
    EXPECT_EQ (editor->visualizer.getPoints().size(), 2048u) << "the live feed is back";

    click (editor->freezeButton);
    EXPECT_FALSE (editor->isAwaitingCapture()) << "full ring: frozen at once";
    ASSERT_TRUE (settled());
    EXPECT_TRUE (test::runMessageLoopUntil ([this] { return publications == 2; }));
}

TEST_F (Editor, refitsCoalesceWhileFrozenAndSmoothingNeverRefits)
{
    test::setParameter (processor, "captureLength", 0.0f); // 16k
    auto editor = open();
    test::playThroughTanh (processor, 20000);

    setFromHost ("captureAlgorithm", 1.0f);
    ticks (*editor, 2);
    EXPECT_FALSE (processor.isRefitInProgress());
    EXPECT_EQ (publications, 0) << "while live a capture setting starts nothing";

    click (editor->freezeButton);
    ASSERT_TRUE (settled());
    test::runMessageLoopUntil ([this] { return publications == 1; });
    ASSERT_EQ (publications, 1);

    editor->stopTimer(); // two switches land between the same two ticks
    setFromHost ("captureAlgorithm", 0.0f);
    setFromHost ("captureAlgorithm", 1.0f);
    editor->timerCallback();
    editor->timerCallback();
    ASSERT_TRUE (settled());
    test::runMessageLoopFor (200);
    EXPECT_EQ (publications, 2) << "one refit for both switches";

    const auto bins = processor.rawBins;
    auto& knob = editor->smoothingControls.smoothingKnob;
    bool refitSeen = false;
    // A sweep whose moves come faster than the rest time: ticks in between
    // (run here, so a slow machine cannot stretch the gaps) re-smooth nothing.
    auto lastMove = juce::Time::getMillisecondCounter();
    for (int step = 0; step < 5; ++step)
    {
        knob.setValue (10.0 + 15.0 * step, juce::sendNotificationSync);
        lastMove = juce::Time::getMillisecondCounter();
        ticks (*editor, 1);
    }
    EXPECT_EQ (publications, 2) << "nothing while the knob moves";
    editor->startTimer (tickMs);
    ASSERT_TRUE (test::runMessageLoopUntil ([&]
                                            {
                                                refitSeen = refitSeen || processor.isRefitInProgress();
                                                return publications == 3;
                                            }));
    const auto after = juce::Time::getMillisecondCounter() - lastMove;
    EXPECT_GE (after, 95u) << "re-smoothed only once the knob has rested about 100 ms";
    test::runMessageLoopFor (300);
    EXPECT_EQ (publications, 3) << "one re-smoothing for the whole sweep";
    EXPECT_FALSE (refitSeen);
    EXPECT_EQ (processor.rawBins, bins) << "no refit";
}

TEST_F (Editor, sidechainWarning)
{
    PluginAudioProcessor unrouted;
    test::prepareProcessor (unrouted, test::Sidechain::absent, 512);
    auto editor = std::unique_ptr<PluginProcessorEditor> (static_cast<PluginProcessorEditor*> (unrouted.createEditor()));
    editor->setVisible (true);
    test::playThroughTanh (unrouted, 4096, false);
    ticks (*editor, 1);
    auto& warning = editor->warningOverlay;
    ASSERT_TRUE (warning.isVisible());
    EXPECT_EQ (warning.getBounds(), juce::Rectangle<int> (150, 241 - warning.getHeight() / 2, 400, warning.getPreferredHeight()));

    editor->setSize (1000, 800);
    EXPECT_EQ (warning.getWidth(), 400);
    EXPECT_EQ (warning.getX(), 300);
    EXPECT_EQ (warning.getY(), 366 - warning.getHeight() / 2);
    const auto insideCard = warning.getBounds().getCentre();
    EXPECT_EQ (editor->getComponentAt (insideCard), &editor->visualizer) << "presses pass through the card";

    const auto& s = warning.getStyle();
    const auto w = 400 - 2 * s.padding;
    EXPECT_EQ (warning.getPreferredHeight(), 48 + warning.titleHeight() + 8 + warning.paragraphHeight (
                   "Sonderlith (SLT) extracts nonlinear transfer functions by probing before/after the device under test (DUT). "
                   "Sidechain must be connected to use the probe.", w) + 12 + 100 + 12
                   + warning.paragraphHeight ("- Place SLT immediately after the DUT to read the output.\n- Route SLT sidechain to read the DUT input.\n"
                                              "- Pass audio (e.g. a 0dB sine wave) through the device to begin probing.", w));

    test::setParameter (unrouted, "visualizationMode", 1.0f);
    ticks (*editor, 1);
    EXPECT_FALSE (warning.isVisible()) << "time mode";
    test::setParameter (unrouted, "visualizationMode", 0.0f);
    ticks (*editor, 1);
    EXPECT_TRUE (warning.isVisible());
    click (editor->freezeButton);
    ticks (*editor, 1);
    EXPECT_FALSE (warning.isVisible()) << "frozen";
    click (editor->continueButton);
    ticks (*editor, 1);
    EXPECT_TRUE (warning.isVisible());

    auto routedEditor = open();
    test::playThroughTanh (processor, 4096);
    ticks (*routedEditor, 1);
    EXPECT_FALSE (routedEditor->warningOverlay.isVisible()) << "a connected sidechain hides it within one tick";
    editor.reset();
}

TEST_F (Editor, contextMenuGridStrengthIsRememberedDisplayModeIsNot)
{
  {
    auto editor = open();
    test::OnScreen window (*editor);
    const auto menu = editor->buildVisualizerContextMenu();
    juce::PopupMenu::MenuItemIterator top (menu);
    ASSERT_TRUE (top.next());
    EXPECT_EQ (top.getItem().text, "Grid Strength");
    juce::PopupMenu::MenuItemIterator grid (*top.getItem().subMenu);
    ASSERT_TRUE (grid.next());
    EXPECT_TRUE (grid.getItem().isTicked) << "Faint without a stored choice";

    const auto before = juce::Desktop::getInstance().getNumComponents();
    test::Pointer (editor->visualizer).press ({ 100, 100 });
    test::runMessageLoopFor (200);
    EXPECT_EQ (juce::Desktop::getInstance().getNumComponents(), before) << "a left press opens nothing";

    chooseFromContextMenu (*editor, 0, 2);
    EXPECT_EQ (editor->getGridStrengthChoice(), 2);
    EXPECT_EQ (loadGridStrength(), 2);
    settingsFile ("plugin-preferences").deleteFile();
    chooseFromContextMenu (*editor, 0, 2);
    EXPECT_FALSE (settingsFile ("plugin-preferences").exists()) << "choosing the same strength writes nothing";
    saveGridStrength (2);

    chooseFromContextMenu (*editor, 1, 1);
    EXPECT_EQ (editor->getDisplayMode(), 1);
    EXPECT_TRUE (editor->visualizer.isScatterMode());

  }
    auto reopened = open();
    EXPECT_EQ (reopened->getGridStrengthChoice(), 2) << "a new editor starts strong";
    EXPECT_EQ (reopened->visualizer.getGridStrength(), 6.0f);
    EXPECT_EQ (reopened->getDisplayMode(), 0) << "scatter is forgotten";
}

// A theme change reaches every widget but the combos, and what is drawn: each
// style differs from the one it had, and the rendered editor with it.
TEST_F (Editor, themeChangeRestylesAllButTheCombos)
{
    auto editor = open();
    struct Before
    {
        std::decay_t<decltype (editor->bottomBar.getStyle())> bar;
        std::decay_t<decltype (editor->continueButton.getStyle())> transport;
        std::decay_t<decltype (editor->saveButton.getStyle())> save;
        std::decay_t<decltype (editor->xLagBox.getStyle())> latency;
        std::decay_t<decltype (editor->scaleControls.scaleXKnob.getStyle())> scaleKnob, smoothingKnob;
        std::decay_t<decltype (editor->visualizer.getStyle())> visualizer;
        std::decay_t<decltype (editor->tooltipPanel.getStyle())> tooltip;
    };
    const Before before { editor->bottomBar.getStyle(),        editor->continueButton.getStyle(), editor->saveButton.getStyle(),
                          editor->xLagBox.getStyle(),          editor->scaleControls.scaleXKnob.getStyle(),
                          editor->smoothingControls.smoothingKnob.getStyle(), editor->visualizer.getStyle(), editor->tooltipPanel.getStyle() };
    const auto comboStyle = editor->algorithmCombo.getStyle();
    const auto drawnBefore = test::render (*editor);

    ui_core::setTheme (0.6f, 0.3f, 1.4f, 0.8f, true, 0.5f);
    editor->applyThemeStyles();
    EXPECT_FALSE (editor->bottomBar.getStyle() == before.bar);
    EXPECT_FALSE (editor->continueButton.getStyle() == before.transport);
    EXPECT_FALSE (editor->saveButton.getStyle() == before.save);
    EXPECT_FALSE (editor->xLagBox.getStyle() == before.latency);
    EXPECT_FALSE (editor->scaleControls.scaleXKnob.getStyle() == before.scaleKnob);
    EXPECT_FALSE (editor->smoothingControls.smoothingKnob.getStyle() == before.smoothingKnob);
    EXPECT_FALSE (editor->visualizer.getStyle() == before.visualizer);
    EXPECT_FALSE (editor->tooltipPanel.getStyle() == before.tooltip);
    EXPECT_EQ (editor->algorithmCombo.getStyle(), comboStyle) << "combos keep the style they were built with";
    const auto drawnAfter = test::render (*editor);
    test::savePng (drawnAfter, "editor-after-theme-change");
    EXPECT_GT (test::countDifferingPixels (drawnBefore, drawnAfter), drawnAfter.getWidth() * drawnAfter.getHeight() / 20)
        << "the new hues are drawn, not only stored";

    const auto theme = ThemeSettings {};
    ui_core::setTheme (theme.primaryHue, theme.secondaryHue, theme.primarySaturationScale, theme.secondarySaturationScale, theme.glowEnabled,
                       theme.glowIntensity);
}

TEST_F (Editor, openAndCloseWhileAudioRunsAndARefitIsInFlight)
{
    test::setParameter (processor, "captureLength", 0.0f);
    test::HostAudioThread audio (processor, true, false);
    test::runMessageLoopUntil ([this] { return processor.hasFullCapture(); });
    for (int i = 0; i < 100; ++i)
    {
        auto editor = std::unique_ptr<juce::AudioProcessorEditor> (processor.createEditor());
        auto* pluginEditor = static_cast<PluginProcessorEditor*> (editor.get());
        if (i % 2 == 0)
            click (pluginEditor->freezeButton);
        test::runMessageLoopFor (i % 10 == 0 ? 60 : 5);
        editor.reset();
        test::runMessageLoopFor (2);
    }
    ASSERT_TRUE (settled());
    test::runMessageLoopFor (100); // publications posted after the last editor went
    EXPECT_FALSE ((bool) processor.onTransferFunctionChanged) << "the last editor cleared its callback";
}

namespace
{
// What a broken render would lose: a trace on the plot, and the bottom bar's
// own colour where the layout leaves it bare (right of the save button).
void expectRendered (PluginProcessorEditor& editor, const juce::String& name, int minimumTracePixels)
{
    SCOPED_TRACE (name.toStdString());
    const auto image = editor.createComponentSnapshot (editor.getLocalBounds());
    test::savePng (image, name);
    EXPECT_GT (test::brightPixels (image, editor.visualizer.getBounds(), 0.35f), minimumTracePixels) << "the plot is blank";
    const auto bare = juce::Point<int> (editor.saveButton.getRight() + 6, editor.saveButton.getBounds().getCentreY());
    const auto expected = ui_core::palette()[0], seen = test::pixel (image, bare.x, bare.y);
    EXPECT_NEAR (seen.getRed(), expected.getRed(), 12) << "bar colour at " << bare.toString();
    EXPECT_NEAR (seen.getGreen(), expected.getGreen(), 12) << "bar colour at " << bare.toString();
    EXPECT_NEAR (seen.getBlue(), expected.getBlue(), 12) << "bar colour at " << bare.toString();
}
} // namespace

TEST_F (Editor, screenshots)
{
    PluginAudioProcessor unrouted;
    test::prepareProcessor (unrouted, test::Sidechain::absent, 512);
    {
        auto warned = std::unique_ptr<juce::AudioProcessorEditor> (unrouted.createEditor());
        test::playThroughTanh (unrouted, 4096, false);
        ticks (*static_cast<PluginProcessorEditor*> (warned.get()), 1);
        expectRendered (*static_cast<PluginProcessorEditor*> (warned.get()), "editor-live-warning", 200);
    }

    test::setParameter (processor, "captureLength", 0.0f);
    auto editor = open();
    test::playThroughTanh (processor, 8192);
    ticks (*editor, 1);
    expectRendered (*editor, "editor-live-xy", 1000);

    test::setParameter (processor, "visualizationMode", 1.0f);
    ticks (*editor, 2);
    expectRendered (*editor, "editor-live-scope", 500);
    test::setParameter (processor, "visualizationMode", 0.0f);

    test::setParameter (processor, "captureLength", 3.0f);
    click (editor->freezeButton);
    ticks (*editor, 1);
    expectRendered (*editor, "editor-waiting", 1000);
    click (editor->continueButton);
    test::setParameter (processor, "captureLength", 0.0f);

    test::playThroughTanh (processor, 20000);
    click (editor->freezeButton);
    ASSERT_TRUE (settled());
    test::runMessageLoopUntil ([this] { return publications >= 1; });
    ticks (*editor, 1);
    expectRendered (*editor, "editor-frozen", 300);

    editor->smoothingDisplay.onHoverStart();
    expectRendered (*editor, "editor-smoothing-panel", 300);
    editor->smoothingDisplay.onHoverEnd();
    click (editor->continueButton);
    editor->scaleDisplay.onHoverStart();
    expectRendered (*editor, "editor-scale-panel", 1000);
    editor->scaleDisplay.onHoverEnd();

    editor->setSize (1600, 2000);
    ticks (*editor, 1);
    expectRendered (*editor, "editor-1600x2000", 1000);
}

// A host may close the window while a menu is open: the menu draws with a
// look-and-feel the editor (or its combo) owns, so it must close first.
TEST_F (Editor, closingWithAMenuOpenClosesTheMenuFirst)
{
    using Opener = std::function<void (PluginProcessorEditor&)>;
    const std::vector<std::pair<const char*, Opener>> menus {
        { "plot context menu", [] (PluginProcessorEditor& e) { test::Pointer (e.visualizer).press ({ 100, 100 }, juce::ModifierKeys::rightButtonModifier); } },
        { "display mode combo", [] (PluginProcessorEditor& e) { test::Pointer (e.modeCombo).press (e.modeCombo.getLocalBounds().getCentre().toFloat()); } },
    };
    for (const auto& [name, openMenu] : menus)
    {
        SCOPED_TRACE (name);
        juce::Component hostWindow;
        auto editor = open();
        hostWindow.setSize (editor->getWidth(), editor->getHeight());
        hostWindow.addAndMakeVisible (*editor);
        test::OnScreen window (hostWindow);
        const auto before = juce::Desktop::getInstance().getNumComponents();
        openMenu (*editor);
        ASSERT_NE (newestMenuWindow (&hostWindow, before), nullptr);
        ASSERT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 1);

        editor.reset();
        EXPECT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0) << "the menu outlived the editor";
        EXPECT_TRUE (test::runMessageLoopUntil ([before] { return juce::Desktop::getInstance().getNumComponents() == before; }));
    }
}

// After a freeze the plot carries the fit's verdict: the word in its colour,
// the residual, the first reason briefly, every reason in its tooltip; a
// failed fit's curve is dimmed; the line is gone when live again.
TEST_F (Editor, verdictLineOnTheFrozenPlot)
{
    struct Case
    {
        const char* name;
        test::Signal material;
        int algorithm;
        std::function<double (double)> device;
        ui_core::VerdictLine::Kind kind;
        const char* brief;
    };
    std::mt19937 random (5);
    std::normal_distribution<double> unrelated (0.0, 0.3);
    using Kind = ui_core::VerdictLine::Kind;
    const Case cases[] = {
        { "good", test::Signal::pinkNoise, 2, [] (double x) { return std::tanh (3.0 * x); }, Kind::good, "" },
        { "doubtful", test::Signal::whiteNoise, 1, [] (double x) { return std::tanh (3.0 * x); }, Kind::doubtful, "try Auto" },
        { "failed", test::Signal::whiteNoise, 2, [&] (double) { return juce::jlimit (-1.0, 1.0, unrelated (random)); }, Kind::failed, "not a function of X" },
    };
    for (const auto hue : { 0.011f, 0.6f })
        for (const auto& c : cases)
        {
            SCOPED_TRACE (c.name);
            ui_core::setTheme (hue, 0.086f, 1.0f, 1.0f, true, 0.716f);
            auto editor = open();
            test::setParameter (processor, ParameterIds::captureLength, 0.0f);
            test::setParameter (processor, ParameterIds::captureAlgorithm, (float) c.algorithm);
            test::playThrough (processor, test::makeSignal (c.material, 20000), c.device);
            click (editor->freezeButton);
            ASSERT_TRUE (settled());
            test::runMessageLoopUntil ([&] { return editor->verdictLine.isVisible(); });
            ASSERT_TRUE (editor->verdictLine.isVisible());
            EXPECT_EQ (editor->verdictLine.kind(), c.kind);
            const auto word = juce::String (c.name);
            EXPECT_TRUE (editor->verdictLine.text().startsWith (word + "  ")) << editor->verdictLine.text();
            EXPECT_TRUE (editor->verdictLine.text().contains (" %")) << editor->verdictLine.text();
            if (c.kind == Kind::good)
                EXPECT_TRUE (editor->verdictLine.text().endsWith (" %")) << "a good fit has no reason to give: " << editor->verdictLine.text();
            else
                EXPECT_TRUE (editor->verdictLine.text().contains (c.brief)) << editor->verdictLine.text();
            EXPECT_TRUE (editor->verdictLine.getTooltip().contains (c.kind == Kind::good ? "good" : processor.fitVerdict.judgement.reasons[0]))
                << editor->verdictLine.getTooltip();
            EXPECT_EQ (editor->visualizer.getStyle().traceColour.getAlpha() < ui_core::defaultVisualizerStyle().traceColour.getAlpha(),
                       c.kind == Kind::failed);

            const auto drawn = test::render (*editor);
            test::savePng (drawn, juce::String ("verdict-line-") + c.name + (hue > 0.5f ? "-hue-0.6" : "-default-theme"));
            const auto line = editor->verdictLine.getBounds();
            int wordPixels = 0;
            for (int y = line.getY(); y < line.getBottom(); ++y)
                for (int x = line.getX(); x < line.getX() + line.getHeight() * 4; ++x)
                {
                    const auto p = drawn.getPixelAt (x, y), w = ui_core::VerdictLine::colourOf (c.kind);
                    wordPixels += std::abs (p.getRed() - w.getRed()) + std::abs (p.getGreen() - w.getGreen()) + std::abs (p.getBlue() - w.getBlue()) < 60;
                }
            EXPECT_GT (wordPixels, 10) << "the verdict word in its colour";

            click (editor->continueButton);
            EXPECT_FALSE (editor->verdictLine.isVisible());
        }
    const auto theme = ThemeSettings {};
    ui_core::setTheme (theme.primaryHue, theme.secondaryHue, theme.primarySaturationScale, theme.secondarySaturationScale, theme.glowEnabled,
                       theme.glowIntensity);
}

namespace
{
// Counts the gestures the host is told of, per parameter index.
struct GestureLog : juce::AudioProcessorListener
{
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int index) override { ++begun[index]; }
    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int index) override { ++ended[index]; }
    std::map<int, int> begun, ended;
};

int indexOf (PluginAudioProcessor& processor, const char* id)
{
    return processor.parameters.getParameter (id)->getParameterIndex();
}

float valueOf (PluginAudioProcessor& processor, const char* id) { return processor.parameters.getRawParameterValue (id)->load(); }

const juce::PopupMenu::Item* detectLatencyItem (const juce::PopupMenu& menu)
{
    for (juce::PopupMenu::MenuItemIterator items (menu); items.next();)
        if (items.getItem().text == "Detect latency")
            return &items.getItem();
    return nullptr;
}

void chooseDetectLatency (PluginProcessorEditor& editor)
{
    const auto before = juce::Desktop::getInstance().getNumComponents();
    test::Pointer (editor.visualizer).press ({ 100, 100 }, juce::ModifierKeys::rightButtonModifier);
    auto* menu = newestMenuWindow (&editor, before);
    ASSERT_NE (menu, nullptr);
    for (int i = 0; i < 3; ++i) // after the two submenus
        test::pressKey (*menu, juce::KeyPress::downKey);
    test::pressKey (*menu, juce::KeyPress::returnKey);
    test::runMessageLoopUntil ([before] { return juce::Desktop::getInstance().getNumComponents() <= before; });
}
} // namespace

// "Detect latency" from the plot's menu: the delay found in the newest capture
// set through the parameters as a gesture the host records, the frozen
// capture refitted with it; or nothing changed, and the strip says why.
TEST_F (Editor, detectLatencyFromTheContextMenu)
{
    struct Case
    {
        const char* name;
        test::Signal material;
        double delay; // Y behind X
        bool frozen;
        bool applies;
        float latencyX, latencyY;
        const char* message;
    };
    const Case cases[] = {
        { "Y lags, frozen", test::Signal::whiteNoise, 37.0, true, true, 37.0f, 0.0f, "X LAG set to 37.00" },
        { "Y lags a fraction, live", test::Signal::whiteNoise, 37.25, false, true, 37.25f, 0.0f, "X LAG set to 37.25" },
        { "Y leads, live", test::Signal::whiteNoise, -12.5, false, true, 0.0f, 12.5f, "Y LAG set to 12.50" },
        { "a tone", test::Signal::sine, 37.25, false, false, 5.0f, 0.0f, "play noise or music" },
        { "beyond the controls", test::Signal::whiteNoise, 1500.0, false, false, 5.0f, 0.0f, "compensate it in the host" },
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        test::prepareProcessor (processor, test::Sidechain::present, 512);
        auto editor = open();
        test::setParameter (processor, ParameterIds::captureLength, 0.0f);
        test::setParameter (processor, ParameterIds::captureAlgorithm, 2.0f);
        test::setParameter (processor, ParameterIds::latencyX, c.applies ? 0.0f : 5.0f);
        test::setParameter (processor, ParameterIds::latencyY, 0.0f);
        ASSERT_FALSE (detectLatencyItem (editor->buildVisualizerContextMenu())->isEnabled) << "disabled until the capture is full";

        const auto x = test::makeSignal (c.material, 20480, 3);
        auto y = test::delayedIdeally (x, c.delay);
        for (auto& v : y)
            v = std::tanh (3.0 * v);
        test::playPairs (processor, x, y);
        ASSERT_TRUE (detectLatencyItem (editor->buildVisualizerContextMenu())->isEnabled);

        if (c.frozen)
        {
            click (editor->freezeButton);
            ASSERT_TRUE (settled());
            test::runMessageLoopUntil ([&] { return editor->verdictLine.isVisible(); });
            EXPECT_NE (editor->verdictLine.kind(), ui_core::VerdictLine::Kind::good) << "misaligned before";
        }
        const auto publishedBefore = publications;
        GestureLog gestures;
        processor.addListener (&gestures);
        chooseDetectLatency (*editor);
        EXPECT_TRUE (test::runMessageLoopUntil ([&] { return editor->tooltipPanel.getCurrentText().contains (c.message); }))
            << editor->tooltipPanel.getCurrentText();
        processor.removeListener (&gestures);

        EXPECT_NEAR (valueOf (processor, ParameterIds::latencyX), c.latencyX, 0.05);
        EXPECT_NEAR (valueOf (processor, ParameterIds::latencyY), c.latencyY, 0.05);
        for (const auto* id : { ParameterIds::latencyX, ParameterIds::latencyY })
        {
            EXPECT_EQ (gestures.begun[indexOf (processor, id)], c.applies ? 1 : 0) << id;
            EXPECT_EQ (gestures.ended[indexOf (processor, id)], c.applies ? 1 : 0) << id;
        }
        if (c.frozen)
        {
            test::runMessageLoopUntil ([&] { return publications > publishedBefore && ! processor.isRefitInProgress(); });
            test::runMessageLoopFor (50);
            EXPECT_GT (publications, publishedBefore) << "refitted with the latency found";
            EXPECT_EQ (editor->verdictLine.kind(), ui_core::VerdictLine::Kind::good) << editor->verdictLine.text();
        }
    }
}
