#include "editor/PluginProcessorEditor.h"
#include "plugin/PluginAudioProcessor.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace
{
// A processor whose ring holds a full second of a 0 dB sine through tanh(3x),
// with the sidechain connected, and its editor.
struct LiveEditor
{
    LiveEditor()
    {
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (juce::AudioChannelSet::stereo());
        layout.inputBuses.add (juce::AudioChannelSet::stereo());
        layout.outputBuses.add (juce::AudioChannelSet::stereo());
        processor.setBusesLayout (layout);
        processor.setRateAndBufferSizeDetails (48000.0, 512);
        processor.prepareToPlay (48000.0, 512);

        juce::AudioBuffer<float> buffer (4, 512);
        juce::MidiBuffer midi;
        for (int block = 0; block < 300; ++block)
        {
            for (int i = 0; i < 512; ++i)
            {
                const auto x = (float) std::sin (2.0 * M_PI * 997.0 / 48000.0 * (block * 512 + i));
                buffer.setSample (0, i, std::tanh (3.0f * x));
                buffer.setSample (1, i, std::tanh (3.0f * x));
                buffer.setSample (2, i, x);
                buffer.setSample (3, i, x);
            }
            processor.processBlock (buffer, midi);
        }
        editor.reset (static_cast<PluginProcessorEditor*> (processor.createEditor()));
        editor->stopTimer(); // the benchmark drives the ticks
        editor->setVisible (true);
    }

    PluginAudioProcessor processor;
    std::unique_ptr<PluginProcessorEditor> editor;
};

void editorTickWhileLive (benchmark::State& state)
{
    LiveEditor live;
    for (auto _ : state)
        live.editor->timerCallback();
}

void editorPaint700x550 (benchmark::State& state)
{
    LiveEditor live;
    live.editor->timerCallback();
    juce::Image image (juce::Image::ARGB, 700, 550, true, juce::SoftwareImageType());
    juce::Graphics g (image);
    live.editor->paintEntireComponent (g, false);
    for (auto _ : state)
    {
        state.PauseTiming();
        live.editor->timerCallback(); // fresh points and glow frames, as live
        state.ResumeTiming();
        live.editor->paintEntireComponent (g, false);
    }
}
} // namespace

BENCHMARK (editorTickWhileLive)->Unit (benchmark::kMillisecond);
BENCHMARK (editorPaint700x550)->Unit (benchmark::kMillisecond);
