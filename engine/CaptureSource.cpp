#include "engine/CaptureSource.h"

#include "engine/AudioFileIntegrity.h"
#include "engine/InputFile.h"

#include <algorithm>

class CaptureSource::Channel
{
public:
    virtual ~Channel() = default;
    virtual void read (juce::int64 start, int count, double* out) = 0;
};

namespace
{
class MemoryChannel final : public CaptureSource::Channel
{
public:
    explicit MemoryChannel (std::vector<double> s) : samples (std::move (s)) {}

    void read (juce::int64 start, int count, double* out) override
    {
        for (int i = 0; i < count; ++i)
        {
            const auto n = start + i;
            out[i] = n >= 0 && n < (juce::int64) samples.size() ? samples[(size_t) n] : 0.0;
        }
    }

private:
    std::vector<double> samples;
};

class FileChannel final : public CaptureSource::Channel
{
public:
    FileChannel (std::unique_ptr<juce::AudioFormatReader> r, int c) : reader (std::move (r)), channel (c) {}

    void read (juce::int64 start, int count, double* out) override
    {
        if (scratch.size() < (size_t) count)
            scratch.resize ((size_t) count);
        std::vector<float*> destinations ((size_t) reader->numChannels, nullptr);
        destinations[(size_t) channel] = scratch.data();
        // The reader fills what lies outside the file with zeros.
        if (! reader->read (destinations.data(), (int) destinations.size(), start, count))
            std::fill (scratch.begin(), scratch.begin() + count, 0.0f);
        std::copy (scratch.begin(), scratch.begin() + count, out);
    }

private:
    std::unique_ptr<juce::AudioFormatReader> reader;
    int channel;
    std::vector<float> scratch;
};

juce::String formatList (juce::AudioFormatManager& formats)
{
    return formats.getWildcardForAllFormats().replace (";", ", ");
}
} // namespace

juce::String describeUnreadableAudio (const juce::File& file, juce::AudioFormatManager& formats, const juce::AudioFormatReader* reader)
{
    const auto prefix = "Cannot read audio file " + file.getFullPathName() + ": ";
    if (const auto why = whyUnreadable (file); why.isNotEmpty())
        return prefix + why;
    if (reader == nullptr)
    {
        const auto wav = readWavLayout (file);
        if (wav.headerCut)
            return prefix + whyIncomplete (file);
        if (wav.isWav && wav.formatTag != 0)
            return prefix + "its WAV encoding (format " + juce::String (wav.formatTag) + ", " + juce::String (wav.bits)
                   + " bits) is not supported; this command reads integer PCM (8, 16, 24 or 32 bits) and floating point (32 bits), "
                     "and the formats "
                   + formatList (formats);
        return prefix + "not audio in a format this command reads (" + formatList (formats) + ")";
    }
    if (const auto why = whyIncomplete (file); why.isNotEmpty())
        return prefix + why;
    if (reader->lengthInSamples <= 0)
        return prefix + "it holds no samples";
    return {};
}

namespace
{
struct OpenedChannel
{
    std::unique_ptr<CaptureSource::Channel> channel;
    SourceInfo info;
};

std::optional<OpenedChannel> openChannel (const juce::File& file, int channel, const juce::String& role, juce::String& error)
{
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    // Checked before any reader opens it: a pipe would hold the reader forever.
    if (const auto why = whyUnreadable (file); why.isNotEmpty())
    {
        error = "Cannot read audio file " + file.getFullPathName() + ": " + why;
        return std::nullopt;
    }
    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (file));
    error = describeUnreadableAudio (file, formats, reader.get());
    if (error.isNotEmpty())
        return std::nullopt;
    if (channel < 0 || channel >= (int) reader->numChannels)
    {
        error = file.getFileName() + " has no channel " + juce::String (channel + 1);
        return std::nullopt;
    }
    OpenedChannel opened;
    opened.info = { role, file.getFullPathName(), channel, reader->sampleRate, (int) reader->bitsPerSample, reader->lengthInSamples,
                    reader->getFormatName() };
    opened.channel = std::make_unique<FileChannel> (std::move (reader), channel);
    return opened;
}
} // namespace

CaptureSource::~CaptureSource() = default;

std::unique_ptr<CaptureSource> CaptureSource::openFiles (const juce::File& xFile, const juce::File& yFile, int channel, juce::String& error,
                                                         juce::StringArray& notices)
{
    auto cx = openChannel (xFile, channel, "X", error);
    if (! cx)
        return {};
    auto cy = openChannel (yFile, xFile == yFile ? channel + 1 : channel, "Y", error);
    if (! cy)
        return {};
    // Rates first: recordings at different rates are not one capture, whatever their lengths.
    if (! juce::exactlyEqual (cx->info.sampleRate, cy->info.sampleRate))
    {
        error = "X and Y differ in sample rate (" + juce::String (cx->info.sampleRate) + " and " + juce::String (cy->info.sampleRate) + " Hz)";
        return {};
    }
    std::unique_ptr<CaptureSource> source (new CaptureSource());
    // Both start together; a device's delay or a longer take leaves extra at the end.
    source->samples = std::min (cx->info.samples, cy->info.samples);
    if (cx->info.samples != cy->info.samples)
        notices.add ("X and Y differ in length (" + juce::String (cx->info.samples) + " and " + juce::String (cy->info.samples)
                     + " samples): using their common first " + juce::String (source->samples) + " samples");
    source->rate = cx->info.sampleRate;
    source->info = { cx->info, cy->info };
    source->x = std::move (cx->channel);
    source->y = std::move (cy->channel);
    return source;
}

std::unique_ptr<CaptureSource> CaptureSource::openStereo (const juce::File& xy, juce::String& error, juce::StringArray& notices)
{
    auto source = openFiles (xy, xy, 0, error, notices);
    if (source != nullptr)
    {
        source->info.resize (1);
        source->info[0].role = "X and Y";
    }
    return source;
}

std::unique_ptr<CaptureSource> CaptureSource::fromMemory (std::vector<double> xs, std::vector<double> ys, double sampleRate, const juce::String& name)
{
    std::unique_ptr<CaptureSource> source (new CaptureSource());
    source->samples = (juce::int64) std::min (xs.size(), ys.size());
    source->rate = sampleRate;
    source->info = { SourceInfo { "X and Y", {}, 0, sampleRate, 0, source->samples, name } };
    source->x = std::make_unique<MemoryChannel> (std::move (xs));
    source->y = std::make_unique<MemoryChannel> (std::move (ys));
    return source;
}

void CaptureSource::readX (juce::int64 start, int count, double* out) const { x->read (start, count, out); }
void CaptureSource::readY (juce::int64 start, int count, double* out) const { y->read (start, count, out); }
