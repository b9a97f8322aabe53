#include "plugin/PluginAudioProcessor.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/ProcessorHarness.h"
#include "ui_panels/InlineComboBoxAttachment.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{
// A processor with one choice parameter of a single choice.
struct SingleChoiceProcessor : juce::AudioProcessor
{
    SingleChoiceProcessor()
        : state (*this, nullptr, "STATE",
                 { std::make_unique<juce::AudioParameterChoice> (juce::ParameterID { "only", 1 }, "Only", juce::StringArray { "One" }, 0) })
    {
    }
    const juce::String getName() const override { return "single"; }
    void prepareToPlay (double, int) override {}
    void releaseResources() override {}
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override {}
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}
    void getStateInformation (juce::MemoryBlock&) override {}
    void setStateInformation (const void*, int) override {}

    juce::AudioProcessorValueTreeState state;
};

struct SizeCombo
{
    explicit SizeCombo (PluginAudioProcessor& processor)
    {
        int id = 1;
        for (const auto* text : { "16k", "32k", "64k", "128k" })
            combo.addItem (text, id++);
        attachment = std::make_unique<ui_panels::InlineComboBoxAttachment> (processor.parameters, "captureLength", combo);
        auto bound = combo.onChange;
        combo.onChange = [this, bound] (int id)
        {
            ++changes;
            bound (id);
        };
    }

    ui_core::InlineComboBox combo { "Size" };
    std::unique_ptr<ui_panels::InlineComboBoxAttachment> attachment;
    int changes = 0;
};

float index (PluginAudioProcessor& processor)
{
    return processor.parameters.getRawParameterValue ("captureLength")->load();
}
} // namespace

TEST (InlineComboBoxAttachment, followsTheParameterWithoutCallingOnChange)
{
    PluginAudioProcessor processor;
    SizeCombo size (processor);
    EXPECT_EQ (size.combo.getSelectedId(), 3) << "initial update: the default 64k";

    auto* parameter = processor.parameters.getParameter ("captureLength");
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (0.0f));
    test::runMessageLoopUntil ([&] { return size.combo.getSelectedId() == 1; });
    EXPECT_EQ (size.combo.getSelectedId(), 1);

    std::thread automation ([&] { parameter->setValueNotifyingHost (parameter->convertTo0to1 (2.0f)); });
    automation.join();
    EXPECT_TRUE (test::runMessageLoopUntil ([&] { return size.combo.getSelectedId() == 3; }));
    EXPECT_EQ (size.combo.getShownText(), "64k");
    EXPECT_EQ (size.changes, 0);
}

TEST (InlineComboBoxAttachment, choicesBecomeCompleteGestures)
{
    PluginAudioProcessor processor;
    SizeCombo size (processor);

    struct Gestures : juce::AudioProcessorParameter::Listener
    {
        void parameterValueChanged (int, float) override { ++changes; }
        void parameterGestureChanged (int, bool starting) override { (starting ? begun : ended)++; }
        int begun = 0, ended = 0, changes = 0;
    } gestures;
    auto* parameter = processor.parameters.getParameter ("captureLength");
    parameter->addListener (&gestures);

    size.combo.onChange (4);
    EXPECT_EQ (index (processor), 3.0f);
    EXPECT_EQ (gestures.begun, 1);
    EXPECT_EQ (gestures.ended, 1);

    size.combo.onChange (4);
    EXPECT_EQ (index (processor), 3.0f) << "the same choice leaves the parameter as it was";
    EXPECT_EQ (gestures.changes, 1);
    EXPECT_EQ (gestures.begun, gestures.ended);
    parameter->removeListener (&gestures);

    size.attachment.reset();
    EXPECT_FALSE ((bool) size.combo.onChange) << "destroying the attachment clears the combo's callback";
}

TEST (InlineComboBoxAttachment, singleChoiceMapsEveryItemToIndexZero)
{
    SingleChoiceProcessor processor;
    ui_core::InlineComboBox combo ("Only");
    combo.addItem ("One", 1);
    combo.addItem ("Stray", 2);
    ui_panels::InlineComboBoxAttachment attachment (processor.state, "only", combo);
    EXPECT_EQ (combo.getSelectedId(), 1);
    // As the combo does when the user picks an item: select it, then report it.
    combo.setSelectedId (2);
    combo.onChange (2);
    EXPECT_EQ (processor.state.getRawParameterValue ("only")->load(), 0.0f);
    EXPECT_EQ (combo.getSelectedId(), 1) << "the combo shows what the parameter holds";
}

// An item past the parameter's choices clamps to the last one; when the
// parameter already holds it nothing changes, and the combo must still go
// back to showing it.
TEST (InlineComboBoxAttachment, anItemPastTheChoicesShowsTheChoiceTheParameterHolds)
{
    PluginAudioProcessor processor;
    SizeCombo size (processor);
    size.combo.addItem ("256k", 5);
    test::setParameter (processor, "captureLength", 3.0f);
    ASSERT_TRUE (test::runMessageLoopUntil ([&] { return size.combo.getSelectedId() == 4; }));

    size.combo.setSelectedId (5);
    size.combo.onChange (5);
    EXPECT_EQ (index (processor), 3.0f);
    EXPECT_EQ (size.combo.getSelectedId(), 4);
}
