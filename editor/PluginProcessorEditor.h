#pragma once

#include "ui_core/VerdictLine.h"

#include "dialogs/ArtistNameDialogOverlay.h"
#include "dialogs/UpdateCheckOverlay.h"
#include "dialogs/UpdateCheckThread.h"
#include "persistence/UserSettings.h"
#include "ui_core/ComboBoxPopupLookAndFeel.h"
#include "ui_core/OpenMenuTracker.h"
#include "ui_core/GlowSpillOverlay.h"
#include "ui_core/IconButton.h"
#include "ui_core/InlineComboBox.h"
#include "ui_core/MultiLayerLogoButton.h"
#include "ui_core/NumberBox.h"
#include "ui_core/ScaleDisplay.h"
#include "ui_core/SmoothingDisplay.h"
#include "ui_core/ThemeOverlayPanel.h"
#include "ui_core/TooltipDisplayPanel.h"
#include "ui_core/WarningOverlayPanel.h"
#include "ui_core/WaveformVisualizer.h"
#include "ui_panels/HorizontalStrip.h"
#include "ui_panels/InlineComboBoxAttachment.h"
#include "ui_panels/MenuPanel.h"
#include "ui_panels/ScaleControlsPanel.h"
#include "ui_panels/SmoothingControlsPanel.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>
#include <cstdint>

class PluginAudioProcessor;

// The plug-in window: the plot above a 68-pixel bar with the logo, the
// transport buttons, the tooltip strip and the parameter controls. Freezing
// is a state of the window only; the processor is asked for snapshots,
// refits and re-smoothing.
class PluginProcessorEditor final : public juce::AudioProcessorEditor,
                                    public juce::KeyListener,
                                    public juce::ChangeListener,
                                    public juce::Timer,
                                    public juce::AudioProcessorValueTreeState::Listener
{
public:
    explicit PluginProcessorEditor (PluginAudioProcessor&);
    ~PluginProcessorEditor() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void timerCallback() override;
    void parameterChanged (const juce::String& parameterID, float newValue) override;
    void changeListenerCallback (juce::ChangeBroadcaster*) override;
    bool keyPressed (const juce::KeyPress&, juce::Component*) override;
    using juce::Component::keyPressed;

    void updateControlStates();
    void showFitVerdict();
    ui_core::WaveformVisualizer::Style plotStyle() const;
    void updateTimeWindowEnabled();
    void showVisualizerContextMenu();
    bool canDetectLatency() const;
    void detectLatency();
    void applyGridStrength (int choice);
    void applyDisplayMode (int mode);
    void applyThemeStyles();

    // Saving: the artist name first when none is stored and the user has not
    // opted out, then the file chooser.
    void requestSave();
    void showSaveDialog();
    void showArtistNameDialog (bool saveAfterwards);
    void dismissArtistNameDialog();
    ArtistNameDialogOverlay* getArtistNameOverlay() const noexcept { return artistNameOverlay.get(); }

    void showThemeOverlay();
    ui_core::ThemeOverlayPanel* getThemeOverlay() const noexcept { return themeOverlay.get(); }

    void checkForUpdates();
    void showUpdateOverlay();
    void dismissUpdateOverlay();
    void handleUpdateCheckResult (const juce::String& reply, const juce::String& currentVersion);
    UpdateCheckOverlay* getUpdateOverlay() const noexcept { return updateOverlay.get(); }
    bool isUpdateCheckRunning() const { return updateThread != nullptr && updateThread->isThreadRunning(); }

    void showLogoMenu();
    void closeLogoMenu();
    ui_panels::MenuPanel* getLogoMenu() const noexcept { return logoMenu.get(); }
    void mouseEnter (const juce::MouseEvent&) override;

    // Seams for tests and other front ends; unset, the native save dialog and
    // the default browser are used.
    std::function<void (const juce::File& folder, const juce::String& pattern, std::function<void (const juce::File&)> chosen)> onChooseSaveFile;
    std::function<void (const juce::URL&)> onOpenUrl;

    // The maker's web server; the manual and the update check live under it.
    static const char* const makerWebsite;
    // Where the update check asks; tests point it at a local server.
    juce::String updateServer { makerWebsite };

    bool isFrozen() const noexcept { return frozen; }
    bool isAwaitingCapture() const noexcept { return awaitingCapture; }
    int getGridStrengthChoice() const noexcept { return gridStrengthChoice; }
    int getDisplayMode() const noexcept { return displayMode; }
    // The context menu as it would open now.
    juce::PopupMenu buildVisualizerContextMenu() const;

private:
    void createTopPanel();
    void wireCallbacks();
    void wireDisplay (ui_core::ValueDisplay& display, ui_panels::ControlsPanel& panel);
    void layoutRightHandControls (int barTop);
    void feedLiveView();
    void resmoothIfSettled();

    PluginAudioProcessor& processor;

public:
    ui_core::ComboBoxPopupLookAndFeel popupLookAndFeel;
    ui_core::OpenMenuTracker contextMenu;

private:
    bool frozen = false, awaitingCapture = false;
    std::uint8_t gridStrengthChoice = 0;
    std::uint8_t displayMode = 0;
    bool smoothingDirty = false;
    int smoothingChangedAt = 0;
    std::atomic<bool> refitRequested { false };

public:
    ui_core::WaveformVisualizer visualizer;
    ui_core::VerdictLine verdictLine; // the last fit's verdict, over the frozen plot
    ui_panels::HorizontalStrip bottomBar;
    ui_core::MultiLayerLogoButton logoButton { "logo" };
    ui_core::IconButton continueButton { "play" }, freezeButton { "freeze" }, saveButton { "saveTransferFunction" };
    ui_core::ScaleDisplay scaleDisplay;
    ui_panels::ScaleControlsPanel scaleControls;
    ui_core::NumberBox xLagBox { "X Lag" }, yLagBox { "Y Lag" };
    ui_core::SmoothingDisplay smoothingDisplay;
    ui_panels::SmoothingControlsPanel smoothingControls;
    ui_core::InlineComboBox algorithmCombo { "Algo" }, captureLengthCombo { "Size" }, modeCombo { "Mode" }, timeWindowCombo { "Size" };

private:
    using SliderAttachment = juce::AudioProcessorValueTreeState::SliderAttachment;
    std::unique_ptr<SliderAttachment> scaleXAttachment, scaleYAttachment, latencyXAttachment, latencyYAttachment, smoothingAttachment;
    std::unique_ptr<ui_panels::InlineComboBoxAttachment> algorithmAttachment, captureLengthAttachment, modeAttachment, timeWindowAttachment;

public:
    ui_core::GlowSpillOverlay glowOverlay;
    ui_core::TooltipDisplayPanel tooltipPanel;
    ui_core::WarningOverlayPanel warningOverlay;

private:
    std::unique_ptr<ArtistNameDialogOverlay> artistNameOverlay;
    std::unique_ptr<ui_core::ThemeOverlayPanel> themeOverlay;
    ThemeSettings themeRevertValues;
    std::unique_ptr<ui_panels::MenuPanel> logoMenu;
    bool logoMenuOpen = false;
    std::unique_ptr<UpdateCheckOverlay> updateOverlay;
    std::unique_ptr<UpdateCheckThread> updateThread;

    std::vector<double> liveX, liveY; // the ring's copy, reused every tick
    std::unique_ptr<juce::FileChooser> saveChooser;
    void closeLogoMenuIfMouseLeft();
    void closeThemeOverlay();
    void stopUpdateCheck();
    void openUrl (const juce::URL&);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PluginProcessorEditor)
};
