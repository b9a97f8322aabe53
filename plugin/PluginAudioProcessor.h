#pragma once

#include "engine/CaptureJudgement.h"
#include "engine/LatencyDetection.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include "persistence/PresetManager.h"
#include "plugin/CaptureRing.h"
#include "plugin/TransferFunctionTable.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

struct FitResult;

class PluginAudioProcessor final : public juce::AudioProcessor
{
public:
    PluginAudioProcessor();
    ~PluginAudioProcessor() override;

    const juce::String getName() const override;

    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    void releaseResources() override;

    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;
    void processBlock (juce::AudioBuffer<double>&, juce::MidiBuffer&) override;
    bool supportsDoublePrecisionProcessing() const override;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    // Refits run on their own thread; these are called on the message thread.
    bool hasFullCapture() const;
    void snapshotCaptureAndRefit();
    void refitTransferFunction();
    void writeSmoothedBinsToTransferFunction (const std::vector<double>& bins);

    // "Detect latency" on the newest capture of the current length (the frozen
    // snapshot's, when `frozenCapture`), off the message thread; `done` gets
    // the finding on the message thread. False, and nothing started, while a
    // detection runs or the capture is not full.
    bool detectLatency (bool frozenCapture, std::function<void (const LatencySuggestion&)> done);
    bool canDetectLatency (bool frozenCapture) const;
    // Sets the latency parameters as a user gesture, so the host records it.
    void applyLatency (const LatencySuggestion&);

    // Preset file bytes of the current table, and loading a table from them.
    void exportTransferFunctionPreset (juce::MemoryBlock& dest);
    void restoreTransferFunction (const void* data, int size);

    juce::AudioProcessorValueTreeState parameters;
    juce::UndoManager undoManager;
    std::unique_ptr<PresetManager> presetManager;
    CaptureRing captureRing;
    TransferFunctionTable transferFunction;
    std::function<void()> onTransferFunctionChanged;
    std::atomic<bool> sidechainConnected { false };

private:
    juce::AudioBuffer<double> conversionBuffer;

public:
    std::vector<double> captureX, captureY;
    std::vector<double> rawBins;
    bool hasFit = false;
    CaptureVerdict fitVerdict; // of the last fit, judged with it on the refit thread; message thread

private:
    std::thread refitThread, latencyThread;
    std::atomic<bool> latencyDetectionInProgress { false };
    std::atomic<bool> refitInProgress { false };
    bool refitPending = false;
    std::shared_ptr<std::atomic<bool>> aliveFlag;

    static BusesProperties makeBusesProperties();
    int currentCaptureLength() const; // pairs, as "captureLength" chooses
    void appendUnpairedSamples (const double* y, int n) noexcept;
    void capture (const double* side, const double* main, int numSamples) noexcept;
    std::pair<int, int> capturedChannels() const noexcept;
    void completeRefit (FitResult result, CaptureVerdict verdict);
    void notifyTransferFunctionChanged();

public:
    bool isRefitInProgress() const noexcept { return refitInProgress.load(); }

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PluginAudioProcessor)
};
