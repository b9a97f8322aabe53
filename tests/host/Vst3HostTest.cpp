#include "tools/host_check/HostCheck.h"
#include "tools/hosting/Vst3Host.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using Set = juce::AudioChannelSet;

namespace
{
// The same tests for the VST3 and the LV2: which one comes from the environment.
juce::File bundlePath()
{
    return juce::File (juce::SystemStats::getEnvironmentVariable ("SONDERLITH_BUNDLE", {}));
}

bool isLv2() { return bundlePath().hasFileExtension (".lv2"); }

class Vst3Host : public ::testing::Test
{
protected:
    void SetUp() override
    {
        loaded = vst3host::loadBundle (bundlePath(), 48000.0, 512);
        ASSERT_NE (loaded.instance, nullptr) << loaded.error;
    }

    juce::AudioPluginInstance& plugin() { return *loaded.instance; }

    juce::AudioProcessorParameter* parameterNamed (juce::AudioPluginInstance& p, const juce::String& name)
    {
        for (auto* param : p.getParameters())
            if (param->getName (100) == name)
                return param;
        return nullptr;
    }

    vst3host::LoadResult loaded;
};
} // namespace

TEST_F (Vst3Host, identity)
{
    const auto& d = loaded.description;
    EXPECT_EQ (d.name, "Sonderlith");
    EXPECT_EQ (d.manufacturerName, "Veltrasonic");
    EXPECT_EQ (d.pluginFormatName, isLv2() ? "LV2" : "VST3");
    if (! isLv2())
    {
        // An LV2 description carries neither; its URI is its identity.
        EXPECT_EQ (d.version, "0.1.0") << "the module carries its interface version, not the product release";
        EXPECT_EQ (d.category, "Fx");
    }
    else
    {
        EXPECT_EQ (d.fileOrIdentifier, SONDERLITH_LV2_URI);
    }
    EXPECT_FALSE (d.isInstrument);
    EXPECT_EQ (plugin().getLatencySamples(), 0);
    EXPECT_FALSE (plugin().acceptsMidi());
    EXPECT_FALSE (plugin().producesMidi());
    EXPECT_TRUE (plugin().hasEditor());
    EXPECT_EQ (plugin().getName(), "Sonderlith");
}

TEST_F (Vst3Host, busesAndLayouts)
{
    ASSERT_EQ (plugin().getBusCount (true), 2);
    ASSERT_EQ (plugin().getBusCount (false), 1);
    EXPECT_EQ (plugin().getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (plugin().getBus (true, 1)->getName(), "Sidechain");
    EXPECT_EQ (plugin().getBus (false, 0)->getName(), "Output");

    struct Case
    {
        const char* name;
        Set mainIn, side, mainOut;
        bool accepted, acceptedAsLv2;
    };

    // An LV2's ports are fixed in its description: the stereo layout only
    // (a host leaves an unused sidechain silent).
    const Case cases[] = {
        { "stereo, stereo sidechain", Set::stereo(), Set::stereo(), Set::stereo(), true, true },
        { "stereo, sidechain disabled", Set::stereo(), Set::disabled(), Set::stereo(), true, false },
        { "mono with stereo sidechain", Set::mono(), Set::stereo(), Set::mono(), true, false },
        { "stereo in, mono out", Set::stereo(), Set::stereo(), Set::mono(), false, false },
        { "main 5.1", Set::create5point1(), Set::stereo(), Set::create5point1(), false, false },
        { "sidechain LCR", Set::stereo(), Set::createLCR(), Set::stereo(), false, false },
    };

    for (const auto& c : cases)
    {
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (c.mainIn);
        layout.inputBuses.add (c.side);
        layout.outputBuses.add (c.mainOut);
        EXPECT_EQ (plugin().checkBusesLayoutSupported (layout), isLv2() ? c.acceptedAsLv2 : c.accepted) << c.name;
    }
}

TEST_F (Vst3Host, parametersInOrderWithRangesAndDefaults)
{
    struct Expected
    {
        const char* name;
        float defaultNormalised;
        const char* defaultText;
        const char* minText;
        const char* maxText;
    };

    const Expected expected[] = {
        { "Scale X", 0.5f, "0.00", "-36.00", "36.00" },
        { "Scale Y", 0.5f, "0.00", "-36.00", "36.00" },
        { "Latency X", 0.0f, "0.00", "0.00", "512.00" },
        { "Latency Y", 0.0f, "0.00", "0.00", "512.00" },
        { "Smoothing", 49.0f / 99.0f, "50", "1", "100" },
        { "Capture Algorithm", 0.5f, "Mean", "ODR", "Auto" },
        { "Capture Length", 2.0f / 3.0f, "64k", "16k", "128k" },
        { "Visualization Mode", 0.0f, "tfunc", "tfunc", "time" },
        { "Time Window", 0.5f, "2k", "500", "8k" },
    };

    // JUCE's wrapper may append its own bypass parameter after the plug-in's.
    // An LV2 host lists the parameters in its own order (by their URIs), so
    // there they are found by name.
    const auto& params = plugin().getParameters();
    ASSERT_GE (params.size(), (int) std::size (expected));
    for (int i = 0; i < (int) std::size (expected); ++i)
    {
        const auto& e = expected[i];
        auto* p = isLv2() ? parameterNamed (plugin(), e.name) : params[i];
        SCOPED_TRACE (e.name);
        ASSERT_NE (p, nullptr);
        EXPECT_EQ (p->getName (100), e.name);
        EXPECT_NEAR (p->getDefaultValue(), e.defaultNormalised, 1.0e-6f);
        EXPECT_NEAR (p->getValue(), e.defaultNormalised, 1.0e-6f);
        if (isLv2())
            continue; // LV2 has no way for a plug-in to word its values: hosts print the numbers
        EXPECT_EQ (p->getText (p->getDefaultValue(), 100), e.defaultText);
        EXPECT_EQ (p->getText (0.0f, 100), e.minText);
        EXPECT_EQ (p->getText (1.0f, 100), e.maxText);
    }
}

TEST_F (Vst3Host, passesAudioThroughBitExactWithAndWithoutSidechain)
{
    // An LV2's ports are fixed; its sidechain is never disabled, only silent.
    for (bool sidechain : isLv2() ? std::initializer_list<bool> { true } : std::initializer_list<bool> { true, false })
    {
        SCOPED_TRACE (sidechain ? "with sidechain" : "sidechain disabled");
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (Set::stereo());
        layout.inputBuses.add (sidechain ? Set::stereo() : Set::disabled());
        layout.outputBuses.add (Set::stereo());
        plugin().releaseResources();
        ASSERT_TRUE (plugin().setBusesLayout (layout));
        plugin().prepareToPlay (48000.0, 512);

        std::mt19937 rng (7);
        std::uniform_real_distribution<float> dist (-1.0f, 1.0f);
        juce::AudioBuffer<float> buffer (juce::jmax (plugin().getTotalNumInputChannels(), plugin().getTotalNumOutputChannels()), 512);
        juce::MidiBuffer midi;
        for (int block = 0; block < 20; ++block)
        {
            for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
                for (int i = 0; i < buffer.getNumSamples(); ++i)
                    buffer.setSample (ch, i, i % 31 == 0 ? std::numeric_limits<float>::denorm_min() : dist (rng));
            const auto original = buffer;
            plugin().processBlock (buffer, midi);
            for (int ch = 0; ch < 2; ++ch)
                ASSERT_EQ (0, std::memcmp (buffer.getReadPointer (ch), original.getReadPointer (ch), sizeof (float) * 512))
                    << "block " << block << " channel " << ch;
        }
        EXPECT_EQ (plugin().getLatencySamples(), 0);
    }
}

// A session saved with release 1.1.5 (two algorithms) reopens with the same
// algorithm now that there are three: the state keeps the choice's index,
// not its normalised value (which moved from 1 to 0.5 for "Mean").
TEST_F (Vst3Host, stateOfTheLastReleaseRestoresItsAlgorithm)
{
    for (const auto* algorithm : { "ODR", "Mean" })
    {
        const auto file = juce::File (SONDERLITH_TEST_DATA_DIR).getChildFile ("states-1.1.5")
                              .getChildFile (juce::String (algorithm) + (isLv2() ? ".lv2.state" : ".vst3.state"));
        juce::MemoryBlock state;
        ASSERT_TRUE (file.loadFileAsData (state)) << file.getFullPathName();
        auto restored = vst3host::loadBundle (bundlePath(), 48000.0, 512);
        ASSERT_NE (restored.instance, nullptr) << restored.error;
        restored.instance->setStateInformation (state.getData(), (int) state.getSize());
        restored.instance->prepareToPlay (48000.0, 512);
        juce::AudioBuffer<float> buffer (juce::jmax (restored.instance->getTotalNumInputChannels(), restored.instance->getTotalNumOutputChannels()), 512);
        buffer.clear();
        juce::MidiBuffer midi;
        restored.instance->processBlock (buffer, midi);

        auto* choice = parameterNamed (*restored.instance, "Capture Algorithm");
        ASSERT_NE (choice, nullptr);
        EXPECT_EQ (choice->getText (choice->getValue(), 20), algorithm);
        auto* smoothing = parameterNamed (*restored.instance, "Smoothing");
        EXPECT_EQ (smoothing->getText (smoothing->getValue(), 20), "26") << "the rest of the state comes back too";
    }
}

TEST_F (Vst3Host, stateRoundTripThroughTheHostInterface)
{
    const std::pair<const char*, float> plainValues[] = {
        { "Scale X", -12.5f }, { "Latency X", 10.37f }, { "Latency Y", 0.5f }, { "Smoothing", 13.0f },
        { "Capture Length", 3.0f },
    };
    const std::pair<const char*, std::pair<float, float>> ranges[] = {
        { "Scale X", { -36.0f, 36.0f } }, { "Latency X", { 0.0f, 512.0f } }, { "Latency Y", { 0.0f, 512.0f } },
        { "Smoothing", { 1.0f, 100.0f } }, { "Capture Length", { 0.0f, 3.0f } },
    };

    auto normalise = [&] (const juce::String& name, float plain)
    {
        for (const auto& [n, r] : ranges)
            if (name == n)
                return (plain - r.first) / (r.second - r.first);
        return 0.0f;
    };

    for (const auto& [name, plain] : plainValues)
    {
        auto* p = parameterNamed (plugin(), name);
        ASSERT_NE (p, nullptr) << name;
        p->setValueNotifyingHost (normalise (name, plain));
    }

    // An LV2 hears of parameter changes, and tells of its own, in the
    // messages that travel with audio: a host runs a block before saving and
    // after restoring, as a running session does.
    auto runABlock = [] (juce::AudioPluginInstance& instance)
    {
        instance.prepareToPlay (48000.0, 512);
        juce::AudioBuffer<float> buffer (juce::jmax (instance.getTotalNumInputChannels(), instance.getTotalNumOutputChannels()), 512);
        buffer.clear();
        juce::MidiBuffer midi;
        instance.processBlock (buffer, midi);
    };
    runABlock (plugin());

    juce::MemoryBlock state;
    plugin().getStateInformation (state);
    ASSERT_GT (state.getSize(), 0u);

    auto other = vst3host::loadBundle (bundlePath(), 48000.0, 512);
    ASSERT_NE (other.instance, nullptr) << other.error;
    other.instance->setStateInformation (state.getData(), (int) state.getSize());
    runABlock (*other.instance);

    for (const auto& [name, plain] : plainValues)
    {
        auto* p = parameterNamed (*other.instance, name);
        ASSERT_NE (p, nullptr) << name;
        EXPECT_NEAR (p->getValue(), normalise (name, plain), 1.0e-6f) << name;
    }
    if (! isLv2())
        EXPECT_EQ (parameterNamed (*other.instance, "Latency X")->getText (parameterNamed (*other.instance, "Latency X")->getValue(), 20),
                   "10.37");
}

TEST_F (Vst3Host, hostCheckStreamsTheDemoDeviceOnAnAudioThread)
{
    const auto check = streamDemoDevice (plugin(), 1.0);
    EXPECT_TRUE (check.sidechainActive);
    EXPECT_TRUE (check.passedThrough) << check.problem;
    EXPECT_GE (check.samples, 47000);
}
