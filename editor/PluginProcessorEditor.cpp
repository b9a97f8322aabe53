#include "editor/PluginProcessorEditor.h"

#include "dsp/Smoothing.h"
#include "editor/EditorIcons.h"
#include "dialogs/DialogStyles.h"
#include "dialogs/ReleaseVersion.h"
#include "editor/EditorStyles.h"
#include "plugin/PluginAudioProcessor.h"
#include "ui_core/DesignTokens.h"
#include "ui_core/PlotFeedBuilders.h"
#include "ui_core/ThemeColours.h"

namespace
{
constexpr int barHeight = 68;
constexpr int rowHeight = 50;
constexpr int buttonSize = 43;
constexpr int panelHeight = 100;

int roundedChoice (const juce::AudioProcessorValueTreeState& parameters, const char* id)
{
    return juce::roundToInt (parameters.getRawParameterValue (id)->load());
}

int textWidth (const juce::Font& font, const juce::String& text)
{
    return (int) std::ceil (juce::GlyphArrangement::getStringWidth (font, text));
}
} // namespace

PluginProcessorEditor::PluginProcessorEditor (PluginAudioProcessor& p)
    : juce::AudioProcessorEditor (p),
      processor (p),
      scaleDisplay (p.parameters, "scaleX", "scaleY"),
      smoothingDisplay (p.parameters, "smoothing")
{
    const auto theme = loadThemeSettings();
    ui_core::setTheme (theme.primaryHue, theme.secondaryHue, theme.primarySaturationScale, theme.secondarySaturationScale, theme.glowEnabled,
                       theme.glowIntensity);

    createTopPanel();

    visualizer.setStyle (ui_core::defaultVisualizerStyle());
    addAndMakeVisible (visualizer);
    addChildComponent (verdictLine);

    addAndMakeVisible (glowOverlay);
    glowOverlay.setVisualizer (&visualizer);
    tooltipPanel.setStyle (tooltipStripStyle());
    tooltipPanel.source = this;
    addAndMakeVisible (tooltipPanel);

    warningOverlay.setStyle (ui_core::editorWarningStyle());
    warningOverlay.setTitle ("Sidechain Disconnected");
    warningOverlay.setBody ("Sonderlith (SLT) extracts nonlinear transfer functions by probing before/after the device under test (DUT). "
                            "Sidechain must be connected to use the probe.");
    warningOverlay.setFooter ("- Place SLT immediately after the DUT to read the output.\n- Route SLT sidechain to read the DUT input.\n"
                              "- Pass audio (e.g. a 0dB sine wave) through the device to begin probing.");
    warningOverlay.setVisible (false);
    warningOverlay.setAlwaysOnTop (true);
    warningOverlay.setVisible (true);
    addChildComponent (warningOverlay);

    wireCallbacks();

    applyGridStrength (juce::jlimit (0, 2, loadGridStrength()));

    setResizable (true, false);
    setResizeLimits (600, 400, 1600, 2000);
    setSize (700, 550);

    addKeyListener (this);
    setWantsKeyboardFocus (true);
    startTimer (50);
}

PluginProcessorEditor::~PluginProcessorEditor()
{
    // An open context menu still draws with the editor's look-and-feel.
    contextMenu.dismiss();
    stopTimer();
    stopUpdateCheck();
    logoMenu.reset();
    themeOverlay.reset();
    if (artistNameOverlay != nullptr)
        if (auto* parent = artistNameOverlay->getParentComponent())
            parent->removeChildComponent (artistNameOverlay.get());
    artistNameOverlay.reset();
    logoButton.removeMouseListener (this);
    updateOverlay.reset();
    for (const auto* id : { "captureAlgorithm", "captureLength", "visualizationMode" })
        processor.parameters.removeParameterListener (id, this);
    glowOverlay.setVisualizer (nullptr);
    for (auto* display : { static_cast<ui_core::ValueDisplay*> (&scaleDisplay), static_cast<ui_core::ValueDisplay*> (&smoothingDisplay) })
    {
        display->onHoverStart = nullptr;
        display->onHoverEnd = nullptr;
        display->isCompanionHovered = nullptr;
        display->isCompanionActive = nullptr;
    }
    processor.onTransferFunctionChanged = nullptr;
    removeKeyListener (this);
}

void PluginProcessorEditor::createTopPanel()
{
    bottomBar.setStyle (bottomBarStyle());
    bottomBar.setSize (600, 40);
    addAndMakeVisible (bottomBar);

    logoButton.setLayers (logoLayerSvgs());
    logoButton.setStyle (logoStyle());
    logoButton.setSize (barHeight, barHeight);
    logoButton.setTooltip (juce::String ("Veltrasonic Sonderlith v") + currentReleaseVersion);
    addAndMakeVisible (logoButton);

    struct Transport
    {
        ui_core::IconButton& button;
        juce::String icon;
        const char* tooltip;
    };
    for (const auto& t : { Transport { continueButton, playIconSvg(), "Continuously plot the distortion visualization." },
                           Transport { freezeButton, pauseIconSvg(), "Capture snapshot of the distortion." },
                           Transport { saveButton, saveIconSvg(), "Save the snapshot and reuse the cloned distortion in other effects." } })
    {
        t.button.setStyle (&t.button == &saveButton ? saveButtonStyle() : transportButtonStyle());
        t.button.setIcon (t.icon);
        t.button.setSize (buttonSize, buttonSize);
        t.button.setTooltip (t.tooltip);
        addAndMakeVisible (t.button);
    }

    scaleDisplay.setStyle (scaleDisplayStyle());
    scaleDisplay.setTooltip ("Scale controls.");
    scaleDisplay.setSize (122, rowHeight);
    addAndMakeVisible (scaleDisplay);
    scaleControls.setStyle (controlsPanelStyle());
    scaleControls.setAlwaysOnTop (true);
    addChildComponent (scaleControls);
    wireDisplay (scaleDisplay, scaleControls);

    for (auto* box : { &xLagBox, &yLagBox })
    {
        box->setStyle (latencyBoxStyle());
        box->setRange (0.0, 512.0, 0.01);
        const auto& s = box->getStyle();
        box->setSize (juce::jmax (textWidth (s.labelFont, "X LAG"), textWidth (s.valueFont, "512.00")) + 2 * s.marginX, rowHeight);
        addAndMakeVisible (*box);
    }
    xLagBox.setTooltip ("Sample delay amount - latency compensation for sidechain input.");
    yLagBox.setTooltip ("Sample delay amount - latency compensation for main input.");

    smoothingDisplay.setStyle (ui_core::defaultDisplayStyle());
    smoothingDisplay.setTooltip ("Apply a smoothing window to tame noisy captures.");
    smoothingDisplay.setSize (72, rowHeight);
    addAndMakeVisible (smoothingDisplay);
    smoothingControls.setStyle (controlsPanelStyle());
    smoothingControls.setAlwaysOnTop (true);
    addChildComponent (smoothingControls);
    wireDisplay (smoothingDisplay, smoothingControls);

    struct Choice
    {
        ui_core::InlineComboBox& combo;
        juce::StringArray items;
        const char* reference;
        const char* tooltip;
    };
    const Choice choices[] = {
        { algorithmCombo, { "ODR", "Mean", "Auto" }, "Mean",
          "ODR fits a sine sweep closely, Mean averages Y at each X, Auto fits any material (noise, music, drums) by windows chosen from the data." },
        { captureLengthCombo, { "16k", "32k", "64k", "128k" }, "128k",
          "Number of samples used to fit the curve. More samples takes longer to capture but considers more context." },
        { modeCombo, { "tfunc", "time" }, "tfunc", "tfunc: X vs Y transfer function plot. time: time-domain scope of both inputs." },
        { timeWindowCombo, { "500", "1k", "2k", "4k", "8k" }, "500", "Time-domain window length in samples (only used in time mode)." },
    };
    for (const auto& c : choices)
    {
        c.combo.setStyle (ui_core::defaultComboStyle());
        for (int i = 0; i < c.items.size(); ++i)
            c.combo.addItem (c.items[i], i + 1);
        c.combo.setTooltip (c.tooltip);
        c.combo.setSize (c.combo.preferredWidth (c.reference), rowHeight);
        addAndMakeVisible (c.combo);
    }
    for (auto pair : { std::pair { &algorithmCombo, &modeCombo }, std::pair { &captureLengthCombo, &timeWindowCombo } })
    {
        const auto width = juce::jmax (pair.first->getWidth(), pair.second->getWidth());
        pair.first->setSize (width, rowHeight);
        pair.second->setSize (width, rowHeight);
    }

    updateControlStates();
}

void PluginProcessorEditor::wireDisplay (ui_core::ValueDisplay& display, ui_panels::ControlsPanel& panel)
{
    display.onHoverStart = [this, &display, &panel]
    {
        if (display.isEnabled())
        {
            panel.setVisible (true);
            resized();
        }
    };
    display.onHoverEnd = [this, &panel]
    {
        panel.setVisible (false);
        resized();
    };
    display.isCompanionHovered = [&panel]
    {
        if (! panel.isVisible())
            return false;
        const auto mouse = panel.getMouseXYRelative();
        return mouse.x >= 0 && mouse.y >= 0 && mouse.x < panel.getWidth() && mouse.y < panel.getHeight();
    };
    display.isCompanionActive = [&panel] { return panel.isVisible() && panel.isKnobInUse(); };
}

void PluginProcessorEditor::wireCallbacks()
{
    continueButton.onClick = [this]
    {
        frozen = false;
        awaitingCapture = false;
        updateControlStates();
    };
    freezeButton.onClick = [this]
    {
        frozen = true;
        refitRequested = false; // settings changed while live are in this snapshot's fit already
        if (processor.hasFullCapture())
            processor.snapshotCaptureAndRefit();
        else
            awaitingCapture = true;
        updateControlStates();
    };
    saveButton.onClick = [this] { requestSave(); };
    logoButton.addMouseListener (this, false);

    // The processor copies this callback into a posted call, so clearing it in
    // the destructor is not enough on its own: the weak reference drops a
    // call that arrives after the editor has gone.
    processor.onTransferFunctionChanged = [safeThis = juce::Component::SafePointer<PluginProcessorEditor> (this)]
    {
        if (safeThis != nullptr)
        {
            ui_core::buildTablePoints (safeThis->visualizer, safeThis->processor.transferFunction);
            safeThis->showFitVerdict();
        }
    };

    auto& parameters = processor.parameters;
    scaleXAttachment = std::make_unique<SliderAttachment> (parameters, "scaleX", scaleControls.scaleXKnob);
    scaleYAttachment = std::make_unique<SliderAttachment> (parameters, "scaleY", scaleControls.scaleYKnob);
    latencyXAttachment = std::make_unique<SliderAttachment> (parameters, "latencyX", xLagBox);
    latencyYAttachment = std::make_unique<SliderAttachment> (parameters, "latencyY", yLagBox);
    algorithmAttachment = std::make_unique<ui_panels::InlineComboBoxAttachment> (parameters, "captureAlgorithm", algorithmCombo);
    captureLengthAttachment = std::make_unique<ui_panels::InlineComboBoxAttachment> (parameters, "captureLength", captureLengthCombo);
    modeAttachment = std::make_unique<ui_panels::InlineComboBoxAttachment> (parameters, "visualizationMode", modeCombo);
    timeWindowAttachment = std::make_unique<ui_panels::InlineComboBoxAttachment> (parameters, "timeWindow", timeWindowCombo);

    for (const auto* id : { "captureAlgorithm", "captureLength", "visualizationMode" })
        parameters.addParameterListener (id, this);

    visualizer.onMouseEvent = [this] (const juce::MouseEvent& e, const juce::String& kind)
    {
        if (kind == "mouseDown" && e.mods.isRightButtonDown())
            showVisualizerContextMenu();
    };

    smoothingAttachment = std::make_unique<SliderAttachment> (parameters, "smoothing", smoothingControls.smoothingKnob);
    smoothingControls.smoothingKnob.onValueChange = [this]
    {
        if (! frozen)
            return;
        smoothingDirty = true;
        smoothingChangedAt = (int) juce::Time::getMillisecondCounter();
    };
}

void PluginProcessorEditor::updateControlStates()
{
    continueButton.setEnabled (frozen);
    freezeButton.setEnabled (! frozen);
    saveButton.setEnabled (frozen);

    smoothingDisplay.setEnabled (frozen);
    if (! frozen)
        smoothingControls.setVisible (false);
    scaleDisplay.setEnabled (! frozen);
    if (frozen)
        scaleControls.setVisible (false);
    xLagBox.setEnabled (! frozen);
    yLagBox.setEnabled (! frozen);

    algorithmCombo.setVisible (frozen);
    captureLengthCombo.setVisible (frozen);
    if (! frozen)
        verdictLine.setVisible (false);
    visualizer.setStyle (plotStyle());
    modeCombo.setVisible (! frozen);
    timeWindowCombo.setVisible (! frozen);

    updateTimeWindowEnabled();
    resized();
}

void PluginProcessorEditor::updateTimeWindowEnabled()
{
    timeWindowCombo.setEnabled (roundedChoice (processor.parameters, "visualizationMode") == 1);
}

void PluginProcessorEditor::parameterChanged (const juce::String& parameterID, float)
{
    if (parameterID == "visualizationMode")
    {
        juce::MessageManager::callAsync ([safeThis = juce::Component::SafePointer<PluginProcessorEditor> (this)]
                                         {
                                             if (safeThis != nullptr)
                                                 safeThis->updateTimeWindowEnabled();
                                         });
        return;
    }
    // May arrive on the audio thread, so only the atomic flag is touched; the
    // timer acts on it only while frozen and drops it while live.
    refitRequested = true;
}

void PluginProcessorEditor::changeListenerCallback (juce::ChangeBroadcaster*) {}

bool PluginProcessorEditor::keyPressed (const juce::KeyPress& key, juce::Component*)
{
    // Platforms differ in the text character they give a Ctrl+letter (0x13 on
    // X11, none on Windows), and in the key code's case; the key code and the
    // command modifier (Ctrl, or Cmd on macOS) are what they agree on.
    const auto modifiers = key.getModifiers();
    const auto isS = juce::CharacterFunctions::toLowerCase ((juce::juce_wchar) key.getKeyCode()) == 's';
    if (! isS || ! modifiers.isCommandDown() || modifiers.isAltDown())
        return false;
    if (frozen)
        requestSave();
    return true; // consumed even while live, so the host never sees it
}

const char* const PluginProcessorEditor::makerWebsite = "https://veltrasonic.com";

void PluginProcessorEditor::requestSave()
{
    if (loadArtistName().isNotEmpty() || loadDoNotAskAgain())
        showSaveDialog();
    else
        showArtistNameDialog (true);
}

void PluginProcessorEditor::showSaveDialog()
{
    auto* presets = processor.presetManager.get();
    if (presets == nullptr)
        return;
    const auto folder = presets->getUserFolder();
    const auto pattern = "*." + presets->getExtension();
    auto save = [safeThis = juce::Component::SafePointer<PluginProcessorEditor> (this)] (const juce::File& chosen)
    {
        if (safeThis == nullptr || chosen == juce::File())
            return;
        auto* manager = safeThis->processor.presetManager.get();
        if (manager == nullptr)
            return;
        const auto extension = manager->getExtension();
        manager->savePreset (chosen.hasFileExtension (extension) ? chosen : chosen.withFileExtension (extension));
    };

    if (onChooseSaveFile)
    {
        onChooseSaveFile (folder, pattern, save);
        return;
    }
    // Plug-ins must not run modal loops inside a host: the chooser reports back.
    saveChooser = std::make_unique<juce::FileChooser> ("Save Transfer Function", folder, pattern, true);
    saveChooser->launchAsync (juce::FileBrowserComponent::saveMode | juce::FileBrowserComponent::canSelectFiles
                                  | juce::FileBrowserComponent::warnAboutOverwriting,
                              [save] (const juce::FileChooser& chooser) { save (chooser.getResult()); });
}

void PluginProcessorEditor::showArtistNameDialog (bool saveAfterwards)
{
    dismissArtistNameDialog();
    artistNameOverlay = std::make_unique<ArtistNameDialogOverlay>();
    auto& dialog = artistNameOverlay->dialog;
    dialog.setFirstSaveVariant (saveAfterwards);
    if (const auto name = loadArtistName(); name.isNotEmpty())
        dialog.nameEditor.setText (name, juce::dontSendNotification);

    auto finish = [this, saveAfterwards]
    {
        dismissArtistNameDialog();
        if (saveAfterwards)
            showSaveDialog();
    };
    dialog.onSave = [finish] (const juce::String& name)
    {
        if (name.isNotEmpty())
            saveArtistName (name);
        finish();
    };
    dialog.onCancel = finish;
    dialog.onDontAskAgain = [finish]
    {
        setDoNotAskAgain();
        finish();
    };

    auto* top = getTopLevelComponent();
    artistNameOverlay->setBounds (0, 0, top->getWidth(), top->getHeight());
    artistNameOverlay->setVisible (true);
    top->addChildComponent (*artistNameOverlay);
    dialog.grabKeyboardFocus();
}

void PluginProcessorEditor::dismissArtistNameDialog()
{
    if (artistNameOverlay == nullptr)
        return;
    std::unique_ptr<juce::Component> closing (artistNameOverlay.release());
    if (auto* parent = closing->getParentComponent())
        parent->removeChildComponent (closing.get());
    destroyLater (std::move (closing));
}

void PluginProcessorEditor::mouseEnter (const juce::MouseEvent& e)
{
    if (e.eventComponent == &logoButton && themeOverlay == nullptr && logoMenu == nullptr)
        showLogoMenu();
}

void PluginProcessorEditor::showLogoMenu()
{
    closeLogoMenu();
    logoMenu = std::make_unique<ui_panels::MenuPanel>();
    // Each entry closes the menu (destroying its own button) before acting, so
    // the handler captures only the editor.
    auto entry = [this] (ui_core::TextButton& button, std::function<void (PluginProcessorEditor&)> action)
    {
        button.onClick = [this, action]
        {
            auto& editor = *this;
            editor.closeLogoMenu();
            action (editor);
        };
    };
    entry (logoMenu->artistButton, [] (PluginProcessorEditor& e) { e.showArtistNameDialog (false); });
    entry (logoMenu->themeButton, [] (PluginProcessorEditor& e) { e.showThemeOverlay(); });
    entry (logoMenu->updateButton, [] (PluginProcessorEditor& e) { e.checkForUpdates(); });
    entry (logoMenu->manualButton, [] (PluginProcessorEditor& e) { e.openUrl (juce::URL (juce::String (makerWebsite) + "/plugins/sonderlith/manual/")); });
    logoMenu->setVisible (true);
    addChildComponent (*logoMenu);
    logoMenu->setAlwaysOnTop (true);
    logoMenuOpen = true;
    resized();
}

void PluginProcessorEditor::closeLogoMenu()
{
    logoMenuOpen = false;
    if (logoMenu == nullptr)
        return;
    std::unique_ptr<juce::Component> closing (logoMenu.release());
    removeChildComponent (closing.get());
    destroyLater (std::move (closing));
}

void PluginProcessorEditor::closeLogoMenuIfMouseLeft()
{
    if (logoMenu == nullptr)
        return;
    auto inside = [] (const juce::Component& c)
    {
        const auto p = c.getMouseXYRelative();
        return p.x >= 0 && p.y >= 0 && p.x < c.getWidth() && p.y < c.getHeight();
    };
    if (! inside (logoButton) && ! inside (*logoMenu))
        closeLogoMenu();
}

void PluginProcessorEditor::openUrl (const juce::URL& url)
{
    if (onOpenUrl)
        onOpenUrl (url);
    else
        url.launchInDefaultBrowser();
}

void PluginProcessorEditor::timerCallback()
{
    closeLogoMenuIfMouseLeft();

    const auto show = ! processor.sidechainConnected.load() && ! frozen
                      && (int) processor.parameters.getRawParameterValue ("visualizationMode")->load() != 1;
    if (show != warningOverlay.isVisible())
    {
        warningOverlay.setVisible (show);
        if (show)
            resized();
    }

    if (awaitingCapture && frozen && processor.hasFullCapture())
    {
        awaitingCapture = false;
        processor.snapshotCaptureAndRefit();
    }

    if (refitRequested.exchange (false) && frozen)
        processor.refitTransferFunction();

    resmoothIfSettled();

    if (! frozen)
        feedLiveView();
}

void PluginProcessorEditor::resmoothIfSettled()
{
    if (! smoothingDirty || (int) juce::Time::getMillisecondCounter() - smoothingChangedAt <= 99)
        return;
    smoothingDirty = false;
    if (processor.hasFit && ! processor.rawBins.empty())
    {
        const auto window = (int) processor.parameters.getRawParameterValue ("smoothing")->load();
        processor.writeSmoothedBinsToTransferFunction (smoothTransferFunction (processor.rawBins, window));
    }
}

void PluginProcessorEditor::feedLiveView()
{
    const auto n = CaptureRing::capacity;
    liveX.resize ((size_t) n);
    liveY.resize ((size_t) n);
    processor.captureRing.readLatest (liveX.data(), liveY.data(), n);
    if (roundedChoice (processor.parameters, "visualizationMode") == 1)
        ui_core::buildScopeSignals (visualizer, liveX.data(), liveY.data(), n, processor.parameters);
    else
        ui_core::buildLivePoints (visualizer, liveX.data(), liveY.data(), n, processor.parameters);
}

juce::PopupMenu PluginProcessorEditor::buildVisualizerContextMenu() const
{
    juce::PopupMenu grid, mode, menu;
    grid.addItem (101, "Faint", true, gridStrengthChoice == 0);
    grid.addItem (102, "Medium", true, gridStrengthChoice == 1);
    grid.addItem (103, "Strong", true, gridStrengthChoice == 2);
    mode.addItem (201, "Segments", true, displayMode == 0);
    mode.addItem (202, "Scatter", true, displayMode == 1);
    menu.addSubMenu ("Grid Strength", grid);
    menu.addSubMenu ("Display Mode", mode);
    menu.addItem (301, "Detect latency", canDetectLatency());
    return menu;
}

void PluginProcessorEditor::showVisualizerContextMenu()
{
    auto menu = buildVisualizerContextMenu();
    popupLookAndFeel.setStyle (contextMenuStyle());
    menu.setLookAndFeel (&popupLookAndFeel);
    contextMenu.show (menu, juce::PopupMenu::Options().withTargetComponent (&visualizer).withMousePosition(),
                      [safeThis = juce::Component::SafePointer<PluginProcessorEditor> (this)] (int result)
                      {
                          if (safeThis == nullptr)
                              return;
                          if (result >= 101 && result <= 103)
                              safeThis->applyGridStrength (result - 101);
                          else if (result == 201 || result == 202)
                              safeThis->applyDisplayMode (result - 201);
                          else if (result == 301)
                              safeThis->detectLatency();
                      });
}

bool PluginProcessorEditor::canDetectLatency() const
{
    return processor.canDetectLatency (frozen);
}

// While frozen the snapshot on the plot is what the latency is found in, and
// what is refitted with it.
void PluginProcessorEditor::detectLatency()
{
    auto done = [safeThis = juce::Component::SafePointer<PluginProcessorEditor> (this)] (const LatencySuggestion& found)
    {
        if (safeThis == nullptr)
            return;
        safeThis->processor.applyLatency (found);
        if (found.apply && safeThis->frozen)
            safeThis->processor.refitTransferFunction();
        safeThis->tooltipPanel.showMessage (found.message);
    };
    if (processor.detectLatency (frozen, done))
        tooltipPanel.showMessage ("Detecting latency...");
}

void PluginProcessorEditor::applyGridStrength (int choice)
{
    const auto previous = gridStrengthChoice;
    gridStrengthChoice = (std::uint8_t) juce::jlimit (0, 2, choice);
    visualizer.setGridStrength (choice == 2 ? 6.0f : choice == 1 ? 3.0f : 1.0f);
    if (gridStrengthChoice != previous)
        saveGridStrength (juce::jmin (choice, 2));
}

void PluginProcessorEditor::applyDisplayMode (int mode)
{
    displayMode = (std::uint8_t) mode;
    visualizer.setScatterMode (mode == 1);
}

void PluginProcessorEditor::applyThemeStyles()
{
    bottomBar.setStyle (bottomBarStyle());
    logoButton.setStyle (logoStyle());
    continueButton.setStyle (transportButtonStyle());
    freezeButton.setStyle (transportButtonStyle());
    saveButton.setStyle (saveButtonStyle());
    scaleDisplay.setStyle (scaleDisplayStyle());
    scaleControls.setStyle (controlsPanelStyle());
    xLagBox.setStyle (latencyBoxStyle());
    yLagBox.setStyle (latencyBoxStyle());
    smoothingDisplay.setStyle (ui_core::defaultDisplayStyle());
    smoothingControls.setStyle (controlsPanelStyle());
    visualizer.setStyle (plotStyle());
    verdictLine.themeChanged();
    tooltipPanel.setStyle (tooltipStripStyle());
    if (themeOverlay != nullptr)
        themeOverlay->setStyle (themeOverlayStyle());
    repaint();
}

void PluginProcessorEditor::showThemeOverlay()
{
    const auto& theme = ui_core::getTheme();
    themeRevertValues = static_cast<const ThemeSettings&> (theme);

    themeOverlay.reset();
    themeOverlay = std::make_unique<ui_core::ThemeOverlayPanel>();
    themeOverlay->setStyle (themeOverlayStyle());
    const auto& r = themeRevertValues;
    themeOverlay->setValues (r.primaryHue, r.secondaryHue, r.primarySaturationScale, r.secondarySaturationScale, r.glowEnabled, r.glowIntensity);

    auto apply = [this] (float pHue, float sHue, float pSat, float sSat, bool glow, float amount)
    {
        ui_core::setTheme (pHue, sHue, pSat, sSat, glow, amount);
        applyThemeStyles();
    };
    themeOverlay->onChange = apply;
    // The overlay goes from inside its own button handler: released later.
    themeOverlay->onOk = [this, apply] (float pHue, float sHue, float pSat, float sSat, bool glow, float amount)
    {
        apply (pHue, sHue, pSat, sSat, glow, amount);
        saveThemeSettings (pHue, sHue, pSat, sSat, glow, amount);
        closeThemeOverlay();
        applyThemeStyles();
    };
    themeOverlay->onCancel = [this, apply]
    {
        const auto saved = themeRevertValues;
        closeThemeOverlay();
        apply (saved.primaryHue, saved.secondaryHue, saved.primarySaturationScale, saved.secondarySaturationScale, saved.glowEnabled, saved.glowIntensity);
    };

    themeOverlay->setVisible (true);
    addChildComponent (*themeOverlay);
    themeOverlay->setBounds (getLocalBounds());
    themeOverlay->setAlwaysOnTop (true);
}

void PluginProcessorEditor::closeThemeOverlay()
{
    if (themeOverlay == nullptr)
        return;
    std::unique_ptr<juce::Component> closing (themeOverlay.release());
    removeChildComponent (closing.get());
    destroyLater (std::move (closing));
}

void PluginProcessorEditor::paint (juce::Graphics& g)
{
    g.fillAll (getLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId));
}

void PluginProcessorEditor::resized()
{
    const auto w = getWidth(), h = getHeight();
    const auto bar = juce::jmin (h, barHeight);
    const auto top = h - bar;
    bottomBar.setBounds (0, top, w, bar);

    const auto logoWidth = juce::jmin (w, barHeight);
    logoButton.setBounds (0, top, logoWidth, bar);
    const auto rest = w - logoWidth;

    const auto row = juce::jmin (bar, rowHeight);
    tooltipPanel.setBounds (logoWidth + 4, top + row, juce::jmax (rest - juce::jmin (rest, 68) - 8, 0),
                            juce::jmax (bar - row - juce::jmin (bar - row, 4), 0));

    auto x = logoWidth + 24;
    for (auto* button : { &continueButton, &freezeButton, &saveButton })
    {
        button->setBounds (x, top + (row - buttonSize) / 2, buttonSize, buttonSize);
        x += buttonSize + 4;
    }

    layoutRightHandControls (top);

    visualizer.setBounds (0, 0, w, top);
    const auto lineHeight = juce::jlimit (18, 32, top / 20);
    verdictLine.setBounds (12, 10, juce::jmin (w - 24, lineHeight * 18), lineHeight);

    if (warningOverlay.isVisible())
    {
        const auto height = warningOverlay.getPreferredHeight();
        warningOverlay.setBounds (w / 2 - 200, top / 2 - height / 2, ui_core::WarningOverlayPanel::preferredWidth, height);
    }
    if (logoMenu != nullptr)
        logoMenu->setTopLeftPosition (logoButton.getX(), logoButton.getY() - logoMenu->getHeight());
    for (auto* overlay : { static_cast<juce::Component*> (themeOverlay.get()), static_cast<juce::Component*> (updateOverlay.get()) })
        if (overlay != nullptr)
            overlay->setBounds (0, 0, w, h);

    if (scaleControls.isVisible())
        scaleControls.setBounds (scaleDisplay.getX(), scaleDisplay.getY() - panelHeight, scaleDisplay.getWidth(), panelHeight);
    if (smoothingControls.isVisible())
        smoothingControls.setBounds (smoothingDisplay.getX(), smoothingDisplay.getY() - panelHeight, smoothingDisplay.getWidth(), panelHeight);
}

void PluginProcessorEditor::layoutRightHandControls (int barTop)
{
    auto right = getWidth() - 8;
    auto place = [&] (juce::Component& c)
    {
        right -= c.getWidth();
        c.setBounds (right, barTop, c.getWidth(), rowHeight);
    };
    place (smoothingDisplay);
    for (auto* combo : { &captureLengthCombo, &timeWindowCombo, &modeCombo, &algorithmCombo })
        if (combo->isVisible())
            place (*combo);
    place (yLagBox);
    place (xLagBox);
    place (scaleDisplay);
}

void PluginProcessorEditor::checkForUpdates()
{
    if (isUpdateCheckRunning())
        return;
    showUpdateOverlay();
    auto deliver = [safeThis = juce::Component::SafePointer<PluginProcessorEditor> (this)] (const juce::String& reply, const juce::String& version)
    {
        if (safeThis != nullptr)
            safeThis->handleUpdateCheckResult (reply, version);
    };
    updateThread = std::make_unique<UpdateCheckThread> (updateServer + "/api/plugins/sonderlith/version", currentReleaseVersion,
                                                        deliver);
    updateThread->startThread();
}

// A host may unload the module right after closing the editor, so the
// request under way is cancelled and the thread waited for. Should it still
// run after 500 ms, it is handed to a helper that waits for it and deletes
// it: it holds only its own copies and a weak reference, so it can never
// reach the editor.
void PluginProcessorEditor::stopUpdateCheck()
{
    if (updateThread == nullptr)
        return;
    updateThread->cancelRequest();
    if (updateThread->waitForThreadToExit (500))
    {
        updateThread.reset();
        return;
    }
    auto* straggler = updateThread.release();
    juce::Thread::launch ([straggler] { delete straggler; });
}

void PluginProcessorEditor::showUpdateOverlay()
{
    if (updateOverlay != nullptr)
        removeChildComponent (updateOverlay.get());
    updateOverlay = std::make_unique<UpdateCheckOverlay>();
    auto& dialog = updateOverlay->dialog;
    dialog.setTitle ("Update Check");
    dialog.setMessage ("Checking for updates...");
    dialog.onClose = [this] { dismissUpdateOverlay(); };
    updateOverlay->setVisible (true);
    addChildComponent (*updateOverlay);
    updateOverlay->setAlwaysOnTop (true);
    updateOverlay->setBounds (getLocalBounds());
}

void PluginProcessorEditor::dismissUpdateOverlay()
{
    if (updateOverlay == nullptr)
        return;
    std::unique_ptr<juce::Component> closing (updateOverlay.release());
    removeChildComponent (closing.get());
    destroyLater (std::move (closing));
}

void PluginProcessorEditor::handleUpdateCheckResult (const juce::String& reply, const juce::String& currentVersion)
{
    if (updateOverlay == nullptr)
        return;
    auto& dialog = updateOverlay->dialog;
    if (reply.isEmpty())
    {
        dialog.setTitle ("Update Check");
        dialog.setMessage ("Unable to check for updates.\nPlease check your internet connection.");
        return;
    }

    const auto parsed = juce::JSON::parse (reply);
    const auto latest = parsed.isObject() ? parsed.getProperty ("version", {}).toString() : juce::String();
    if (latest.isEmpty())
    {
        dialog.setTitle ("Update Check");
        dialog.setMessage ("Unable to parse update information from server.");
        return;
    }

    // Only a web address may be opened: a reply could name a local program
    // or any other scheme the system would hand to a handler.
    auto url = parsed.getProperty ("downloadWindows", {}).toString().trim();
    if (! isWebAddress (url))
        url = {};
    juce::StringArray lines;
    if (const auto* changes = parsed.getProperty ("changes", {}).getArray())
        for (const auto& change : *changes)
            lines.add (change.toString());

    dialog.setDownloadUrl (url);
    dialog.onDownload = [safeThis = juce::Component::SafePointer<PluginProcessorEditor> (this)] (const juce::String& address)
    {
        if (safeThis != nullptr && isWebAddress (address))
            safeThis->openUrl (juce::URL (address));
    };

    if (currentVersion.startsWith ("dev-"))
    {
        dialog.setTitle ("Development Build");
        dialog.setMessage ("You are running a development build.\n\nLatest release: v" + latest);
        dialog.setChanges (lines);
    }
    else if (isNewerVersion (latest, currentVersion))
    {
        dialog.setTitle ("Update Available");
        dialog.setMessage ("A new version is available: v" + latest + "\nYou have: v" + currentVersion);
        dialog.setChanges (lines);
    }
    else
    {
        dialog.setTitle ("You're Up to Date");
        dialog.setMessage ("You are running the latest version. (v" + currentVersion + ")");
    }
    updateOverlay->resized();
}

// A failed fit's curve is drawn dimmed: it is there to be seen, not trusted.
ui_core::WaveformVisualizer::Style PluginProcessorEditor::plotStyle() const
{
    auto style = ui_core::defaultVisualizerStyle();
    if (frozen && verdictLine.isVisible() && verdictLine.kind() == ui_core::VerdictLine::Kind::failed)
    {
        style.traceColour = style.traceColour.withMultipliedAlpha (0.35f);
        style.coreColour = style.coreColour.withMultipliedAlpha (0.35f);
        style.glowEnabled = false;
    }
    return style;
}

void PluginProcessorEditor::showFitVerdict()
{
    const auto& v = processor.fitVerdict;
    if (! frozen || ! v.judged)
    {
        verdictLine.setVisible (false);
        visualizer.setStyle (plotStyle());
        return;
    }
    using Kind = ui_core::VerdictLine::Kind;
    const auto kind = v.judgement.verdict == Verdict::good ? Kind::good : v.judgement.verdict == Verdict::doubtful ? Kind::doubtful : Kind::failed;
    verdictLine.show (kind, v.report.normalisedResidual * 100.0, v.judgement.briefs[0], v.judgement.reasons);
    verdictLine.setVisible (true);
    visualizer.setStyle (plotStyle());
}
