#include "tools/sonderlith/WavFileWrite.h"

#include <juce_audio_formats/juce_audio_formats.h>

juce::Result writeWavSafely (const juce::File& file, double rate, const std::vector<const float*>& channels, size_t samples, bool floatingPoint)
{
    if (file.isDirectory())
        return juce::Result::fail ("it is a folder");
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
            stream->openedOk() ? wav.createWriterFor (stream.get(), rate, (unsigned int) channels.size(), floatingPoint ? 32 : 24, {}, 0) : nullptr);
        if (writer != nullptr)
            stream.release(); // the writer owns it now
        auto written = writer != nullptr;
        // In blocks, so no copy of a long take is made.
        constexpr size_t block = 65536;
        std::vector<const float*> at (channels);
        for (size_t done = 0; written && done < samples; done += block)
        {
            for (size_t c = 0; c < channels.size(); ++c)
                at[c] = channels[c] + done;
            written = writer->writeFromFloatArrays (at.data(), (int) at.size(), (int) std::min (block, samples - done));
        }
        if (! written)
            return juce::Result::fail (file.getParentDirectory().isDirectory() ? "the write failed (permission, or a full disk)" : "its folder does not exist");
    }
    if (! part.overwriteTargetFileWithTemporary())
        return juce::Result::fail ("it could not be replaced");
    return juce::Result::ok();
}
