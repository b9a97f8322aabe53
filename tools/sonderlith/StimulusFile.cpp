#include "tools/sonderlith/StimulusFile.h"

#include "dsp/Stimulus.h"

#include <juce_audio_formats/juce_audio_formats.h>

juce::Result writeStimulusFile (const juce::File& file, double rate, double seconds, bool floatingPoint)
{
    if (file.isDirectory())
        return juce::Result::fail ("it is a folder");
    const auto signal = makeStimulus (rate, seconds);
    juce::AudioBuffer<float> buffer (1, (int) signal.size());
    for (size_t i = 0; i < signal.size(); ++i)
        buffer.setSample (0, (int) i, (float) signal[i]);
    juce::TemporaryFile part (file, juce::TemporaryFile::useHiddenFile);
    {
        juce::WavAudioFormat wav;
        auto stream = std::make_unique<juce::FileOutputStream> (part.getFile());
        if (stream->openedOk())
        {
            stream->setPosition (0);
            stream->truncate();
        }
        std::unique_ptr<juce::AudioFormatWriter> writer (
            stream->openedOk() ? wav.createWriterFor (stream.get(), rate, 1, floatingPoint ? 32 : 24, {}, 0) : nullptr);
        if (writer != nullptr)
            stream.release(); // the writer owns it now
        if (writer == nullptr || ! writer->writeFromAudioSampleBuffer (buffer, 0, buffer.getNumSamples()))
            return juce::Result::fail (file.getParentDirectory().isDirectory() ? "the write failed (permission, or a full disk)" : "its folder does not exist");
    }
    if (! part.overwriteTargetFileWithTemporary())
        return juce::Result::fail ("it could not be replaced");
    return juce::Result::ok();
}
