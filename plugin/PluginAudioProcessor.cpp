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
    if (refitThread.joinable())
        refitThread.join();
}

bool PluginAudioProcessor::hasFullCapture() const
{
    return captureRing.getTotalWritten() >= captureLengthSamples (readChoiceIndex (parameters, ParameterIds::captureLength));
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
                                 captureLengthSamples (readChoiceIndex (parameters, ParameterIds::captureLength)),
                                 readFloat (parameters, ParameterIds::latencyX), readFloat (parameters, ParameterIds::latencyY));
    if (aligned.x.empty())
        return;

    const auto smoothing = readSmoothing (parameters);
    const auto algorithm = readChoiceIndex (parameters, ParameterIds::captureAlgorithm) == 0 ? CaptureAlgorithm::ODR
                                                                                             : CaptureAlgorithm::Mean;
    if (refitThread.joinable())
        refitThread.join();

    refitInProgress.store (true);
    refitPending = false;

    try
    {
        refitThread = std::thread ([this, alive = aliveFlag, capture = std::move (aligned), smoothing, algorithm]() mutable
                                   {
                                       auto result = estimateTransferFunction (capture.x, capture.y, smoothing, algorithm);
                                       juce::MessageManager::callAsync ([this, alive, r = std::move (result)]() mutable
                                                                        {
                                                                            if (alive->load())
                                                                                completeRefit (std::move (r));
                                                                        });
                                   });
    }
    catch (const std::system_error&)
    {
        // No thread, no refit: the previous table stays and a later request may try again.
        refitInProgress.store (false);
    }
}

void PluginAudioProcessor::completeRefit (FitResult result)
{
    refitInProgress.store (false);

    if (result.valid)
    {
        rawBins = std::move (result.bins);
        hasFit = true;
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
    const auto channels = juce::jmax (getTotalNumInputChannels(), getTotalNumOutputChannels());
    conversionBuffer.setSize (channels, juce::jmax (0, maximumExpectedSamplesPerBlock), false, false, true);
    captureRing.reset();
}

void PluginAudioProcessor::releaseResources() {}

void PluginAudioProcessor::appendUnpairedSamples (const double* y, int n) noexcept
{
    // One write per sample, so each pair is its own step of the sequence lock.
    static constexpr double noSidechain = 0.0;
    for (int i = 0; i < n; ++i)
        captureRing.pushPairs (&noSidechain, y + i, 1);
}

void PluginAudioProcessor::processBlock (juce::AudioBuffer<double>& buffer, juce::MidiBuffer&)
{
    juce::ScopedNoDenormals noDenormals;

    const auto main = getBusBuffer (buffer, true, 0);
    auto connected = false;

    if (getBusCount (true) > 1)
    {
        const auto side = getBusBuffer (buffer, true, 1);
        if (side.getNumChannels() > 0 && main.getNumChannels() > 0)
        {
            captureRing.pushPairs (side.getReadPointer (0), main.getReadPointer (0), main.getNumSamples());
            connected = true;
        }
    }

    if (! connected && main.getNumChannels() > 0)
        appendUnpairedSamples (main.getReadPointer (0), main.getNumSamples());

    sidechainConnected.store (connected, std::memory_order_release);
}

void PluginAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    const auto channels = buffer.getNumChannels();
    const auto samples = buffer.getNumSamples();
    conversionBuffer.setSize (channels, samples, false, false, true);

    for (int ch = 0; ch < channels; ++ch)
    {
        const auto* in = buffer.getReadPointer (ch);
        auto* out = conversionBuffer.getWritePointer (ch);
        for (int i = 0; i < samples; ++i)
            out[i] = (double) in[i];
    }

    processBlock (conversionBuffer, midi);

    for (int ch = 0; ch < channels; ++ch)
    {
        const auto* in = conversionBuffer.getReadPointer (ch);
        auto* out = buffer.getWritePointer (ch);
        for (int i = 0; i < samples; ++i)
            out[i] = (float) in[i];
    }
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
