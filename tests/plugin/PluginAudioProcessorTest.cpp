#include "plugin/PluginAudioProcessor.h"
#include "plugin/PluginParameters.h"
#include "tests/support/ProcessorHarness.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using Set = juce::AudioChannelSet;

TEST (PluginAudioProcessor, busLayoutRule)
{
    struct Case
    {
        const char* name;
        Set mainIn, side, mainOut;
        bool accepted;
    };

    const Case cases[] = {
        { "stereo, sidechain disabled", Set::stereo(), Set::disabled(), Set::stereo(), true },
        { "mono with stereo sidechain", Set::mono(), Set::stereo(), Set::mono(), true },
        { "stereo with mono sidechain", Set::stereo(), Set::mono(), Set::stereo(), true },
        { "stereo in, mono out", Set::stereo(), Set::stereo(), Set::mono(), false },
        { "mono in, stereo out", Set::mono(), Set::stereo(), Set::stereo(), false },
        { "main 5.1", Set::create5point1(), Set::stereo(), Set::create5point1(), false },
        { "main LCR", Set::createLCR(), Set::disabled(), Set::createLCR(), false },
        { "sidechain LCR", Set::stereo(), Set::createLCR(), Set::stereo(), false },
        { "output disabled", Set::disabled(), Set::stereo(), Set::disabled(), false },
    };

    PluginAudioProcessor processor;
    for (const auto& c : cases)
    {
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (c.mainIn);
        layout.inputBuses.add (c.side);
        layout.outputBuses.add (c.mainOut);
        EXPECT_EQ (processor.isBusesLayoutSupported (layout), c.accepted) << c.name;
    }

    juce::AudioProcessor::BusesLayout withoutSidechainBus;
    withoutSidechainBus.inputBuses.add (Set::stereo());
    withoutSidechainBus.outputBuses.add (Set::stereo());
    EXPECT_TRUE (processor.isBusesLayoutSupported (withoutSidechainBus));
}

TEST (PluginAudioProcessor, identityAndFixedAnswers)
{
    PluginAudioProcessor p;
    EXPECT_EQ (p.getName(), "Sonderlith");
    EXPECT_TRUE (p.supportsDoublePrecisionProcessing());
    EXPECT_EQ (p.getTailLengthSeconds(), 0.0);
    EXPECT_FALSE (p.acceptsMidi());
    EXPECT_FALSE (p.producesMidi());
    EXPECT_TRUE (p.hasEditor());
    EXPECT_EQ (p.getNumPrograms(), 1);
    EXPECT_EQ (p.getCurrentProgram(), 0);
    EXPECT_EQ (p.getProgramName (0), "Default");
    EXPECT_EQ (p.getLatencySamples(), 0);

    ASSERT_EQ (p.getBusCount (true), 2);
    ASSERT_EQ (p.getBusCount (false), 1);
    EXPECT_EQ (p.getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (p.getBus (true, 1)->getName(), "Sidechain");
    EXPECT_EQ (p.getBus (false, 0)->getName(), "Output");
    for (auto* bus : { p.getBus (true, 0), p.getBus (true, 1), p.getBus (false, 0) })
    {
        EXPECT_EQ (bus->getDefaultLayout(), Set::stereo());
        EXPECT_TRUE (bus->isEnabledByDefault());
    }
}

TEST (PluginAudioProcessor, parametersInOrderWithRangesAndDefaults)
{
    struct Expected
    {
        const char* id;
        const char* name;
        const char* kind;
        float min, max, step, defaultValue;
        juce::StringArray choices;
    };

    const Expected expected[] = {
        { "scaleX", "Scale X", "float", -36, 36, 0.01f, 0, {} },
        { "scaleY", "Scale Y", "float", -36, 36, 0.01f, 0, {} },
        { "latencyX", "Latency X", "float", 0, 512, 0.01f, 0, {} },
        { "latencyY", "Latency Y", "float", 0, 512, 0.01f, 0, {} },
        { "smoothing", "Smoothing", "int", 1, 100, 1, 50, {} },
        { "captureAlgorithm", "Capture Algorithm", "choice", 0, 2, 1, 1, { "ODR", "Mean", "Auto" } },
        { "captureLength", "Capture Length", "choice", 0, 3, 1, 2, { "16k", "32k", "64k", "128k" } },
        { "visualizationMode", "Visualization Mode", "choice", 0, 1, 1, 0, { "tfunc", "time" } },
        { "timeWindow", "Time Window", "choice", 0, 4, 1, 2, { "500", "1k", "2k", "4k", "8k" } },
    };

    PluginAudioProcessor p;
    const auto& params = p.getParameters();
    ASSERT_EQ (params.size(), (int) std::size (expected));

    for (int i = 0; i < params.size(); ++i)
    {
        const auto& e = expected[i];
        SCOPED_TRACE (e.id);
        auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (params[i]);
        ASSERT_NE (ranged, nullptr);
        EXPECT_EQ (ranged->getParameterID(), e.id);
        EXPECT_EQ (ranged->getVersionHint(), 0);
        EXPECT_EQ (ranged->getName (100), e.name);
        EXPECT_EQ (ranged->getLabel(), "");
        EXPECT_TRUE (ranged->isAutomatable());
        EXPECT_EQ (ranged->getNormalisableRange().start, e.min);
        EXPECT_EQ (ranged->getNormalisableRange().end, e.max);
        EXPECT_FLOAT_EQ (ranged->getNormalisableRange().interval, e.step);
        EXPECT_EQ (ranged->getNormalisableRange().skew, 1.0f);
        EXPECT_FLOAT_EQ (ranged->convertFrom0to1 (ranged->getDefaultValue()), e.defaultValue);
        EXPECT_FLOAT_EQ (test::getParameter (p, e.id), e.defaultValue);

        const juce::String kind = dynamic_cast<juce::AudioParameterFloat*> (ranged) != nullptr  ? "float"
                                  : dynamic_cast<juce::AudioParameterInt*> (ranged) != nullptr  ? "int"
                                  : dynamic_cast<juce::AudioParameterChoice*> (ranged) != nullptr ? "choice"
                                                                                                   : "other";
        EXPECT_EQ (kind, e.kind);
        if (auto* choice = dynamic_cast<juce::AudioParameterChoice*> (ranged))
            EXPECT_EQ (choice->choices, e.choices);
    }
}

TEST (PluginAudioProcessor, choiceValuesAreRoundedAndClamped)
{
    struct Case
    {
        float value;
        int numChoices;
        int index;
    };

    for (const auto& c : { Case { 3.4f, 4, 3 }, Case { -0.2f, 4, 0 }, Case { -3.0f, 4, 0 }, Case { 2.5f, 4, 3 },
                           Case { 2.49f, 4, 2 }, Case { 9.0f, 4, 3 }, Case { 0.6f, 2, 1 }, Case { 4.7f, 5, 4 },
                           Case { std::nanf (""), 4, 0 } })
        EXPECT_EQ (choiceIndexFromValue (c.value, c.numChoices), c.index) << c.value;

    EXPECT_EQ (captureLengthSamples (3), 131072);
    EXPECT_EQ (captureLengthSamples (choiceIndexFromValue (3.4f, 4)), 131072);
    EXPECT_EQ (captureLengthSamples (choiceIndexFromValue (-1.0f, 4)), 16384);

    PluginAudioProcessor p;
    p.getParameters()[2]->setValue (std::numeric_limits<float>::quiet_NaN()); // a misbehaving host
    EXPECT_EQ (readFloat (p.parameters, "latencyX"), 0.0f) << "non-finite automation reads as the default";

    test::setParameter (p, "smoothing", 73.0f);
    EXPECT_EQ (readSmoothing (p.parameters), 73);
    test::setParameter (p, "captureLength", 0.0f);
    EXPECT_EQ (readChoiceIndex (p.parameters, "captureLength"), 0);
}

TEST (PluginAudioProcessor, tableStartsAsTheIdentity)
{
    PluginAudioProcessor p;
    const auto& table = p.transferFunction;
    ASSERT_EQ (table.getSize(), 16384);
    EXPECT_EQ (table.getXMin(), -1.0);
    EXPECT_EQ (table.getXMax(), 1.0);
    EXPECT_EQ (table.load (0), -1.0);
    EXPECT_EQ (table.load (16383), 1.0);
    EXPECT_NEAR (table.load (8191), -1.0 / 16383.0, 1.0e-15);
    EXPECT_DOUBLE_EQ (table.load (12000), -1.0 + 2.0 * 12000 / 16383.0);
}

namespace
{
struct BlockCase
{
    const char* name;
    test::Sidechain sidechain;
    bool doublePrecision;
    int blockSize = 256;
};

// Main input channel 0/1 and sidechain channel 0/1 carry distinct ramps, so the
// test can tell which channel was captured.
template <typename Sample>
juce::AudioBuffer<Sample> makeBlock (int channels, int samples, int blockIndex, test::Sidechain sidechain)
{
    juce::AudioBuffer<Sample> buffer (channels, samples);
    for (int ch = 0; ch < channels; ++ch)
        for (int i = 0; i < samples; ++i)
        {
            const auto isSide = ch >= 2;
            const auto silent = isSide && sidechain == test::Sidechain::silent;
            const auto value = silent ? 0.0 : (ch + 1) * 0.1 + (blockIndex * samples + i) * 1.0e-4;
            buffer.setSample (ch, i, (Sample) value);
        }
    return buffer;
}

template <typename Sample>
void runBlockCase (const BlockCase& c)
{
    SCOPED_TRACE (c.name);
    const int blockSize = c.blockSize;
    PluginAudioProcessor p;
    test::prepareProcessor (p, c.sidechain, blockSize);
    const auto channels = p.getTotalNumInputChannels();
    ASSERT_EQ (channels, c.sidechain == test::Sidechain::absent ? 2 : 4);

    juce::MidiBuffer midi;
    std::vector<juce::AudioBuffer<Sample>> sent;
    for (int block = 0; block < 3; ++block)
    {
        auto buffer = makeBlock<Sample> (channels, blockSize, block, c.sidechain);
        const auto original = buffer;
        p.processBlock (buffer, midi);
        for (int ch = 0; ch < channels; ++ch)
            ASSERT_EQ (0, std::memcmp (buffer.getReadPointer (ch), original.getReadPointer (ch), sizeof (Sample) * (size_t) blockSize))
                << "channel " << ch << " changed";
        sent.push_back (original);
        EXPECT_EQ (p.captureRing.getTotalWritten(), (block + 1) * blockSize);
    }

    EXPECT_EQ (p.sidechainConnected.load(), c.sidechain != test::Sidechain::absent);

    const int n = 3 * blockSize;
    std::vector<double> x ((size_t) n), y ((size_t) n);
    p.captureRing.readLatest (x.data(), y.data(), n);
    for (int i = 0; i < n; ++i)
    {
        const auto& block = sent[(size_t) (i / blockSize)];
        const auto expectedX = c.sidechain == test::Sidechain::absent ? 0.0 : (double) block.getSample (2, i % blockSize);
        ASSERT_EQ (x[(size_t) i], expectedX) << "pair " << i;
        ASSERT_EQ (y[(size_t) i], (double) block.getSample (0, i % blockSize)) << "pair " << i;
    }
}
} // namespace

TEST (PluginAudioProcessor, processBlockCapturesChannelZeroAndPassesAudioThrough)
{
    const BlockCase cases[] = {
        { "float, sidechain", test::Sidechain::present, false },
        { "double, sidechain", test::Sidechain::present, true },
        { "float, no sidechain", test::Sidechain::absent, false },
        { "double, no sidechain", test::Sidechain::absent, true },
        { "float, no sidechain, long blocks", test::Sidechain::absent, false, 1300 },
        { "double, no sidechain, long blocks", test::Sidechain::absent, true, 1300 },
        { "float, silent sidechain", test::Sidechain::silent, false },
        { "double, silent sidechain", test::Sidechain::silent, true },
    };

    for (const auto& c : cases)
    {
        if (c.doublePrecision)
            runBlockCase<double> (c);
        else
            runBlockCase<float> (c);
    }
}

TEST (PluginAudioProcessor, prepareToPlayEmptiesTheRing)
{
    PluginAudioProcessor p;
    test::prepareProcessor (p, test::Sidechain::present, 64);
    auto buffer = makeBlock<float> (4, 64, 0, test::Sidechain::present);
    juce::MidiBuffer midi;
    p.processBlock (buffer, midi);
    ASSERT_EQ (p.captureRing.getTotalWritten(), 64);

    p.prepareToPlay (48000.0, 64);
    EXPECT_EQ (p.captureRing.getTotalWritten(), 0);
}

TEST (PluginAudioProcessor, editorOpensAtDefaultSizeWithHostResizeLimits)
{
    PluginAudioProcessor p;
    std::unique_ptr<juce::AudioProcessorEditor> editor (p.createEditor());
    ASSERT_NE (editor, nullptr);
    EXPECT_EQ (editor->getWidth(), 700);
    EXPECT_EQ (editor->getHeight(), 550);
    EXPECT_TRUE (editor->isResizable());
    auto* constrainer = editor->getConstrainer();
    ASSERT_NE (constrainer, nullptr);
    EXPECT_EQ (constrainer->getMinimumWidth(), 600);
    EXPECT_EQ (constrainer->getMinimumHeight(), 400);
    EXPECT_EQ (constrainer->getMaximumWidth(), 1600);
    EXPECT_EQ (constrainer->getMaximumHeight(), 2000);
}
