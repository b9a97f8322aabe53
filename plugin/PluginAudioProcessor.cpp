#include "plugin/PluginAudioProcessor.h"

#include "dsp/CaptureAlignment.h"
#include "dsp/TransferFunctionEstimator.h"
#include "editor/PluginProcessorEditor.h"
#include "persistence/PlatformFolders.h"
#include "persistence/TransferFunctionPreset.h"
#include "persistence/UserSettings.h"
#include "persistence/ValueTreeStreamCheck.h"
#include "plugin/PluginParameters.h"

namespace
{
bool isMonoOrStereo (const juce::AudioChannelSet& set)
{
    return set == juce::AudioChannelSet::mono() || set == juce::AudioChannelSet::stereo();
}
} // namespace

juce::AudioProcessor::BusesProperties PluginAudioProcessor::makeBusesProperties()
{
    return BusesProperties()
        .withInput ("Input", juce::AudioChannelSet::stereo(), true)
        .withInput ("Sidechain", juce::AudioChannelSet::stereo(), true)
        .withOutput ("Output", juce::AudioChannelSet::stereo(), true);
}

PluginAudioProcessor::PluginAudioProcessor()
    : juce::AudioProcessor (makeBusesProperties()),
      parameters (*this, &undoManager, "PARAMETERS", createParameterLayout()),
      aliveFlag (std::make_shared<std::atomic<bool>> (true))
{
    presetManager = std::make_unique<PresetManager> (
        [this] (juce::MemoryBlock& block, const juce::File&) { exportTransferFunctionPreset (block); },
        [this] (const void* data, int size, const juce::File&) { restoreTransferFunction (data, size); },
        [] { return juce::String(); },
        [] (const juce::String&) {},
        "tfunc",
        PlatformFolders::factoryPresetFolder(),
        PlatformFolders::userPresetFolder());
}

PluginAudioProcessor::~PluginAudioProcessor()
{
    aliveFlag->store (false);
    for (auto* t : { &refitThread, &latencyThread })
        if (t->joinable())
            t->join();
}

int PluginAudioProcessor::currentCaptureLength() const
{
    return captureLengthSamples (readChoiceIndex (parameters, ParameterIds::captureLength));
}

bool PluginAudioProcessor::hasFullCapture() const
{
    return captureRing.getTotalWritten() >= currentCaptureLength();
}

void PluginAudioProcessor::snapshotCaptureAndRefit()
{
    captureX.resize (CaptureRing::capacity);
    captureY.resize (CaptureRing::capacity);
    captureRing.readLatest (captureX.data(), captureY.data(), CaptureRing::capacity);
    refitTransferFunction();
}

void PluginAudioProcessor::refitTransferFunction()
{
    if (captureX.empty())
        return;

    if (refitInProgress.load())
    {
        refitPending = true;
        return;
    }

    auto aligned = alignCapture (captureX, captureY,
                                 currentCaptureLength(),
                                 readFloat (parameters, ParameterIds::latencyX), readFloat (parameters, ParameterIds::latencyY));
    if (aligned.x.empty())
        return;

    const auto smoothing = readSmoothing (parameters);
    const auto algorithm = captureAlgorithmOf (readChoiceIndex (parameters, ParameterIds::captureAlgorithm));
    if (refitThread.joinable())
        refitThread.join();

    refitInProgress.store (true);
    refitPending = false;

    try
    {
        refitThread = std::thread ([this, alive = aliveFlag, capture = std::move (aligned), smoothing, algorithm]() mutable
                                   {
                                       auto result = estimateTransferFunction (capture.x, capture.y, smoothing, algorithm);
                                       auto verdict = judgeCapture (capture.x, capture.y, result, algorithm != CaptureAlgorithm::Auto);
                                       juce::MessageManager::callAsync ([this, alive, r = std::move (result), v = std::move (verdict)]() mutable
                                                                        {
                                                                            if (alive->load())
                                                                                completeRefit (std::move (r), std::move (v));
                                                                        });
                                   });
    }
    catch (const std::system_error&)
    {
        // No thread, no refit: the previous table stays and a later request may try again.
        refitInProgress.store (false);
    }
}

bool PluginAudioProcessor::canDetectLatency (bool frozenCapture) const
{
    const auto length = (size_t) currentCaptureLength();
    return ! latencyDetectionInProgress.load() && hasFullCapture() && (! frozenCapture || captureX.size() >= length);
}

bool PluginAudioProcessor::detectLatency (bool frozenCapture, std::function<void (const LatencySuggestion&)> done)
{
    if (! canDetectLatency (frozenCapture))
        return false;
    const auto length = (size_t) currentCaptureLength();

    std::vector<double> x (length), y (length);
    if (frozenCapture)
    {
        std::copy (captureX.end() - (std::ptrdiff_t) length, captureX.end(), x.begin());
        std::copy (captureY.end() - (std::ptrdiff_t) length, captureY.end(), y.begin());
    }
    else
    {
        captureRing.readLatest (x.data(), y.data(), (int) length);
    }

    if (latencyThread.joinable())
        latencyThread.join();
    latencyDetectionInProgress.store (true);
    try
    {
        latencyThread = std::thread ([this, alive = aliveFlag, x = std::move (x), y = std::move (y), done = std::move (done)]
                                     {
                                         auto found = ::detectLatency (x, y);
                                         juce::MessageManager::callAsync ([this, alive, found = std::move (found), done]
                                                                          {
                                                                              if (! alive->load())
                                                                                  return;
                                                                              latencyDetectionInProgress.store (false);
                                                                              if (done)
                                                                                  done (found);
                                                                          });
                                     });
    }
    catch (const std::system_error&)
    {
        latencyDetectionInProgress.store (false);
        return false;
    }
    return true;
}

void PluginAudioProcessor::applyLatency (const LatencySuggestion& found)
{
    if (! found.apply)
        return;
    for (const auto& [id, value] : { std::pair { ParameterIds::latencyX, found.latencyX }, std::pair { ParameterIds::latencyY, found.latencyY } })
    {
        auto* parameter = parameters.getParameter (id);
        parameter->beginChangeGesture();
        parameter->setValueNotifyingHost (parameter->convertTo0to1 ((float) value));
        parameter->endChangeGesture();
    }
}

void PluginAudioProcessor::completeRefit (FitResult result, CaptureVerdict verdict)
{
    refitInProgress.store (false);

    if (result.valid)
    {
        rawBins = std::move (result.bins);
        hasFit = true;
        fitVerdict = std::move (verdict);
        writeSmoothedBinsToTransferFunction (result.smoothedBins);
    }

    if (refitPending)
    {
        refitPending = false;
        refitTransferFunction();
    }
}

void PluginAudioProcessor::writeSmoothedBinsToTransferFunction (const std::vector<double>& bins)
{
    const auto count = juce::jmin ((int) bins.size(), (int) transferFunction.getSize(), 16384);
    for (int i = 0; i < count; ++i)
        transferFunction.store (i, bins[(size_t) i]);

    notifyTransferFunctionChanged();
}

// Always posted, so the callback runs on the message thread after the whole
// table is written, never from inside the write.
void PluginAudioProcessor::notifyTransferFunctionChanged()
{
    if (onTransferFunctionChanged)
        juce::MessageManager::callAsync ([callback = onTransferFunctionChanged]
                                         {
                                             if (callback)
                                                 callback();
                                         });
}

void PluginAudioProcessor::exportTransferFunctionPreset (juce::MemoryBlock& dest)
{
    dest.reset();
    std::vector<double> table (16384, 0.0);
    for (int i = 0; i < juce::jmin (16384, (int) transferFunction.getSize()); ++i)
        table[(size_t) i] = transferFunction.load (i);

    auto result = writeTransferFunctionPreset (table, loadArtistName());
    if (result.ok)
        dest = std::move (result.data);
}

void PluginAudioProcessor::restoreTransferFunction (const void* data, int size)
{
    if (data == nullptr || size <= 0)
        return;

    const auto tree = parsePresetBytes (data, (size_t) size);
    if (! tree.isValid() || ! tree.hasType ("Preset"))
        return;
    const auto version = presetFormatVersion (tree);
    if (version < 3 || version > 5)
        return;

    const auto result = readTransferFunctionPreset (tree);
    if (! result.ok)
        return;

    for (int i = 0; i < juce::jmin ((int) result.table.size(), (int) transferFunction.getSize()); ++i)
        transferFunction.store (i, result.table[(size_t) i]);
    notifyTransferFunctionChanged();
}

const juce::String PluginAudioProcessor::getName() const { return "Sonderlith"; }

void PluginAudioProcessor::prepareToPlay (double, int maximumExpectedSamplesPerBlock)
{
    // At least the two channels the float path converts, whatever the layout.
    const auto channels = juce::jmax (2, getTotalNumInputChannels(), getTotalNumOutputChannels());
    conversionBuffer.setSize (channels, juce::jmax (0, maximumExpectedSamplesPerBlock), false, false, true);
    captureRing.reset();
}

void PluginAudioProcessor::releaseResources() {}

void PluginAudioProcessor::appendUnpairedSamples (const double* y, int n) noexcept
{
    // X reads as silence without a sidechain; pushed in blocks like the
    // sidechain path, so the ring holds the same pairs at the same cost.
    static constexpr std::array<double, 512> noSidechain {};
    for (int done = 0; done < n;)
    {
        const auto run = juce::jmin (n - done, (int) noSidechain.size());
        captureRing.pushPairs (noSidechain.data(), y + done, run);
        done += run;
    }
}

void PluginAudioProcessor::capture (const double* side, const double* main, int numSamples) noexcept
{
    if (side != nullptr && main != nullptr)
        captureRing.pushPairs (side, main, numSamples);
    else if (main != nullptr)
        appendUnpairedSamples (main, numSamples);

    sidechainConnected.store (side != nullptr && main != nullptr, std::memory_order_release);
}

// Channel 0 of the main input and of the sidechain (when the host delivers one
// with channels), or null.
std::pair<int, int> PluginAudioProcessor::capturedChannels() const noexcept
{
    const auto mainChannels = getChannelCountOfBus (true, 0);
    const auto main = mainChannels > 0 ? getChannelIndexInProcessBlockBuffer (true, 0, 0) : -1;
    auto side = -1;
    if (getBusCount (true) > 1 && getChannelCountOfBus (true, 1) > 0 && main >= 0)
        side = getChannelIndexInProcessBlockBuffer (true, 1, 0);
    return { side, main };
}

void PluginAudioProcessor::processBlock (juce::AudioBuffer<double>& buffer, juce::MidiBuffer&)
{
    juce::ScopedNoDenormals noDenormals;
    const auto [side, main] = capturedChannels();
    auto channel = [&] (int index) { return index >= 0 && index < buffer.getNumChannels() ? buffer.getReadPointer (index) : nullptr; };
    capture (channel (side), channel (main), buffer.getNumSamples());
}

// The audio itself is never written, so only the two captured channels need
// converting; every other channel passes through untouched, bit for bit.
void PluginAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    juce::ScopedNoDenormals noDenormals;
    const auto samples = buffer.getNumSamples();
    conversionBuffer.setSize (juce::jmax (2, conversionBuffer.getNumChannels()), samples, false, false, true);

    const auto [side, main] = capturedChannels();
    auto converted = [&] (int index, int slot) -> const double*
    {
        if (index < 0 || index >= buffer.getNumChannels())
            return nullptr;
        const auto* in = buffer.getReadPointer (index);
        auto* out = conversionBuffer.getWritePointer (slot);
        for (int i = 0; i < samples; ++i)
            out[i] = (double) in[i];
        return out;
    };
    const auto* mainSamples = converted (main, 0);
    capture (converted (side, 1), mainSamples, samples);
}

bool PluginAudioProcessor::supportsDoublePrecisionProcessing() const { return true; }
double PluginAudioProcessor::getTailLengthSeconds() const { return 0.0; }
bool PluginAudioProcessor::acceptsMidi() const { return false; }
bool PluginAudioProcessor::producesMidi() const { return false; }

juce::AudioProcessorEditor* PluginAudioProcessor::createEditor() { return new PluginProcessorEditor (*this); }
bool PluginAudioProcessor::hasEditor() const { return true; }

int PluginAudioProcessor::getNumPrograms() { return 1; }
int PluginAudioProcessor::getCurrentProgram() { return 0; }
void PluginAudioProcessor::setCurrentProgram (int) {}

// VST3 hosts and the conformance suite reject a program without a name.
const juce::String PluginAudioProcessor::getProgramName (int index) { return index == 0 ? "Default" : ""; }
void PluginAudioProcessor::changeProgramName (int, const juce::String&) {}

void PluginAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    const auto state = parameters.copyState();
    juce::MemoryOutputStream stream (destData, true);
    state.writeToStream (stream);
}

void PluginAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 0 || ! isWellFormedValueTreeStream (data, (size_t) sizeInBytes))
        return;

    const auto tree = juce::ValueTree::readFromData (data, (size_t) sizeInBytes);
    if (tree.isValid() && stateValuesAreSane (tree))
        parameters.replaceState (tree);
}

bool PluginAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto mainOut = layouts.getMainOutputChannelSet();
    if (! isMonoOrStereo (mainOut))
        return false;

    if (layouts.getMainInputChannelSet() != mainOut)
        return false;

    if (layouts.inputBuses.size() >= 2 && layouts.inputBuses[1].size() >= 1)
        return isMonoOrStereo (layouts.inputBuses[1]);

    return true;
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new PluginAudioProcessor();
}
