#include "plugin/PluginAudioProcessor.h"
#include "tests/support/ProcessorHarness.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{
const std::pair<const char*, float> nonDefaultValues[] = {
    { "scaleX", -12.5f },         { "scaleY", 7.25f },       { "latencyX", 10.37f },
    { "latencyY", 0.5f },         { "smoothing", 13.0f },    { "captureAlgorithm", 0.0f },
    { "captureLength", 3.0f },    { "visualizationMode", 1.0f }, { "timeWindow", 4.0f },
};

juce::MemoryBlock stateOf (PluginAudioProcessor& p)
{
    juce::MemoryBlock block;
    p.getStateInformation (block);
    return block;
}
} // namespace

TEST (PluginState, roundTripRestoresAllNineValues)
{
    PluginAudioProcessor source;
    for (const auto& [id, value] : nonDefaultValues)
        test::setParameter (source, id, value);

    const auto blob = stateOf (source);
    PluginAudioProcessor restored;
    restored.setStateInformation (blob.getData(), (int) blob.getSize());

    for (const auto& [id, value] : nonDefaultValues)
        EXPECT_NEAR (test::getParameter (restored, id), value, 1.0e-6f) << id;
}

TEST (PluginState, blobIsExactlyTheParameterTree)
{
    PluginAudioProcessor p;
    const auto blob = stateOf (p);
    const auto tree = juce::ValueTree::readFromData (blob.getData(), blob.getSize());

    ASSERT_TRUE (tree.isValid());
    EXPECT_EQ (tree.getType().toString(), "PARAMETERS");
    EXPECT_EQ (tree.getNumProperties(), 0);
    ASSERT_EQ (tree.getNumChildren(), 9);
    for (const auto& child : tree)
    {
        EXPECT_EQ (child.getType().toString(), "PARAM");
        EXPECT_EQ (child.getNumProperties(), 2);
        EXPECT_TRUE (child.hasProperty ("id"));
        EXPECT_TRUE (child.hasProperty ("value"));
    }
}

TEST (PluginState, unreadableBlobsChangeNothing)
{
    const auto validBlob = [] { PluginAudioProcessor p; return stateOf (p); }();
    const char garbage[] = "\x01\x02 definitely not a value tree \xff\xfe";
    const unsigned char hugeChildCount[] = { 'P', 0, 0, 4, 0xff, 0xff, 0xff, 0x7f };
    // One parameter whose id and value are given, serialised as a host would store it.
    auto stateWith = [] (juce::var id, juce::var value)
    {
        juce::ValueTree state ("PARAMETERS"), param ("PARAM");
        param.setProperty ("id", id, nullptr);
        param.setProperty ("value", value, nullptr);
        state.appendChild (param, nullptr);
        juce::MemoryBlock block;
        juce::MemoryOutputStream out (block, false);
        state.writeToStream (out);
        out.flush();
        return block;
    };
    const auto nan = std::numeric_limits<double>::quiet_NaN();
    const auto nanValue = stateWith ("latencyX", nan);
    const auto hugeValue = stateWith ("latencyX", 1.0e300);
    const auto nanText = stateWith ("latencyX", "nan");
    const auto nanId = stateWith (nan, 1.0);

    struct Case
    {
        const char* name;
        const void* data;
        int size;
    };

    for (const auto& c : { Case { "null", nullptr, 0 },
                           Case { "empty", garbage, 0 },
                           Case { "negative size", garbage, -5 },
                           Case { "garbage", garbage, (int) sizeof (garbage) },
                           Case { "truncated", validBlob.getData(), 3 },
                           Case { "truncated late", validBlob.getData(), (int) validBlob.getSize() - 1 },
                           Case { "two billion children", hugeChildCount, (int) sizeof (hugeChildCount) },
                           Case { "NaN value", nanValue.getData(), (int) nanValue.getSize() },
                           Case { "1e300 value", hugeValue.getData(), (int) hugeValue.getSize() },
                           Case { "\"nan\" text value", nanText.getData(), (int) nanText.getSize() },
                           Case { "NaN id", nanId.getData(), (int) nanId.getSize() } })
    {
        SCOPED_TRACE (c.name);
        PluginAudioProcessor p;
        for (const auto& [id, value] : nonDefaultValues)
            test::setParameter (p, id, value);

        p.setStateInformation (c.data, c.size);

        for (const auto& [id, value] : nonDefaultValues)
            EXPECT_NEAR (test::getParameter (p, id), value, 1.0e-6f) << id;
    }
}

TEST (PluginState, restoringLeavesTheTableAloneAndClearsUndoHistory)
{
    PluginAudioProcessor source;
    test::setParameter (source, "latencyX", 3.5f);
    const auto blob = stateOf (source);

    PluginAudioProcessor p;
    p.transferFunction.store (100, 0.25);
    p.undoManager.beginNewTransaction();
    p.parameters.state.setProperty ("marker", 1, &p.undoManager);
    ASSERT_TRUE (p.undoManager.canUndo());

    p.setStateInformation (blob.getData(), (int) blob.getSize());

    EXPECT_FALSE (p.undoManager.canUndo());
    EXPECT_EQ (p.transferFunction.load (100), 0.25);
    EXPECT_FLOAT_EQ (test::getParameter (p, "latencyX"), 3.5f);

    PluginAudioProcessor fresh;
    fresh.setStateInformation (blob.getData(), (int) blob.getSize());
    for (int i : { 0, 100, 8191, 16383 })
        EXPECT_DOUBLE_EQ (fresh.transferFunction.load (i), -1.0 + 2.0 * i / 16383.0);
}
