#include "engine/AudioFileIntegrity.h"

#include <FLAC/stream_decoder.h>

#include <memory>
#include <string>

namespace
{
juce::MemoryBlock headOf (const juce::File& file, size_t bytes)
{
    juce::MemoryBlock head;
    juce::FileInputStream in (file);
    if (in.openedOk())
        in.readIntoMemoryBlock (head, (ssize_t) bytes);
    return head;
}

std::string idAt (const juce::MemoryBlock& b, size_t at)
{
    return at + 4 <= b.getSize() ? std::string (static_cast<const char*> (b.getData()) + at, 4) : std::string();
}

juce::uint32 littleEndian32 (const juce::MemoryBlock& b, size_t at)
{
    return at + 4 <= b.getSize() ? juce::ByteOrder::littleEndianInt (static_cast<const char*> (b.getData()) + at) : 0;
}

juce::uint16 littleEndian16 (const juce::MemoryBlock& b, size_t at)
{
    return at + 2 <= b.getSize() ? juce::ByteOrder::littleEndianShort (static_cast<const char*> (b.getData()) + at) : 0;
}

juce::uint32 bigEndian32 (const juce::MemoryBlock& b, size_t at)
{
    return at + 4 <= b.getSize() ? juce::ByteOrder::bigEndianInt (static_cast<const char*> (b.getData()) + at) : 0;
}

juce::uint16 bigEndian16 (const juce::MemoryBlock& b, size_t at)
{
    return at + 2 <= b.getSize() ? juce::ByteOrder::bigEndianShort (static_cast<const char*> (b.getData()) + at) : 0;
}

constexpr size_t headerBytes = 1 << 16;

juce::String truncatedTo (juce::int64 promised, juce::int64 held)
{
    return "it is truncated: its header promises " + juce::String (promised) + " samples, the file holds " + juce::String (std::max<juce::int64> (0, held));
}

juce::String wavIncompleteness (const juce::File& file, const WavLayout& wav)
{
    if (wav.headerCut)
        return "its header is cut short (the file ends before its audio data begins)";
    // A streaming writer that never went back to fill in the size leaves 0 or
    // the largest value: those mean "up to the end of the file".
    if (wav.dataOffset > 0 && wav.blockAlign > 0 && wav.declaredDataBytes != 0 && wav.declaredDataBytes != 0xffffffff)
        if (const auto held = file.getSize() - wav.dataOffset; held < wav.declaredDataBytes)
            return truncatedTo (wav.declaredDataBytes / wav.blockAlign, held / wav.blockAlign);
    return {};
}

// FORM/AIFF: COMM gives the frames, SSND holds them (after an offset and a block size).
juce::String aiffIncompleteness (const juce::File& file, const juce::MemoryBlock& head)
{
    juce::int64 frames = -1, frameBytes = 0, dataStart = -1;
    for (size_t at = 12; at + 8 <= head.getSize();)
    {
        const auto id = idAt (head, at);
        const auto size = bigEndian32 (head, at + 4);
        if (id == "COMM")
        {
            frameBytes = (juce::int64) bigEndian16 (head, at + 8) * ((bigEndian16 (head, at + 14) + 7) / 8);
            frames = bigEndian32 (head, at + 10);
        }
        else if (id == "SSND")
        {
            dataStart = (juce::int64) at + 16 + bigEndian32 (head, at + 8);
            break;
        }
        at += 8 + size + (size & 1);
    }
    if (dataStart < 0 || frames < 0)
        return head.getSize() < headerBytes ? "its header is cut short (the file ends before its audio data begins)" : juce::String();
    if (frameBytes > 0)
        if (const auto held = (file.getSize() - dataStart) / frameBytes; held < frames)
            return truncatedTo (frames, held);
    return {};
}

struct FlacDecoderDeleter
{
    void operator() (FLAC__StreamDecoder* d) const { FLAC__stream_decoder_delete (d); }
};

FLAC__StreamDecoderWriteStatus acceptFrame (const FLAC__StreamDecoder*, const FLAC__Frame*, const FLAC__int32* const[], void*)
{
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
}

void ignoreError (const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus, void*) {}

// A FLAC stream's header gives its length; a stream cut short cannot reach its last sample.
juce::String flacIncompleteness (const juce::File& file)
{
    std::unique_ptr<FLAC__StreamDecoder, FlacDecoderDeleter> decoder (FLAC__stream_decoder_new());
    if (decoder == nullptr
        || FLAC__stream_decoder_init_file (decoder.get(), file.getFullPathName().toRawUTF8(), acceptFrame, nullptr, ignoreError, nullptr)
               != FLAC__STREAM_DECODER_INIT_STATUS_OK
        || ! FLAC__stream_decoder_process_until_end_of_metadata (decoder.get()))
        return {};
    const auto total = FLAC__stream_decoder_get_total_samples (decoder.get());
    if (total > 0 && ! FLAC__stream_decoder_seek_absolute (decoder.get(), total - 1))
        return "it is truncated: its header promises " + juce::String ((juce::int64) total) + " samples, and the file ends before the last of them";
    return {};
}

// An Ogg stream ends with a page marked end-of-stream; a file cut short ends on another.
juce::String oggIncompleteness (const juce::File& file)
{
    juce::FileInputStream in (file);
    if (! in.openedOk())
        return {};
    const auto tail = std::min<juce::int64> (in.getTotalLength(), 1 << 16);
    in.setPosition (in.getTotalLength() - tail);
    juce::MemoryBlock end;
    in.readIntoMemoryBlock (end, (ssize_t) tail);
    const auto* bytes = static_cast<const char*> (end.getData());
    for (auto at = (juce::int64) end.getSize() - 27; at >= 0; --at)
        if (std::string (bytes + at, 4) == "OggS")
            return (bytes[at + 5] & 0x04) != 0 ? juce::String() : juce::String ("it is truncated: its last page does not end the stream");
    return "it is truncated: no complete page at its end";
}
} // namespace

WavLayout readWavLayout (const juce::File& file)
{
    WavLayout layout;
    const auto head = headOf (file, headerBytes);
    if (idAt (head, 0) != "RIFF" || idAt (head, 8) != "WAVE")
        return layout;
    layout.isWav = true;
    layout.headerCut = true;
    for (size_t at = 12; at + 8 <= head.getSize();)
    {
        const auto id = idAt (head, at);
        const auto size = littleEndian32 (head, at + 4);
        if (id == "fmt ")
        {
            if (at + 8 + std::min<size_t> (size, 16) > head.getSize())
                return layout; // the format itself is cut
            layout.formatTag = littleEndian16 (head, at + 8);
            layout.blockAlign = littleEndian16 (head, at + 20);
            layout.bits = littleEndian16 (head, at + 22);
            if (layout.formatTag == 0xfffe && size >= 26)
                layout.formatTag = littleEndian16 (head, at + 32); // the sub-format's tag
        }
        else if (id == "data")
        {
            layout.dataOffset = (juce::int64) at + 8;
            layout.declaredDataBytes = size;
            layout.headerCut = layout.formatTag == 0;
            return layout;
        }
        at += 8 + size + (size & 1);
    }
    // No data chunk in the first 64 kB of a longer file is a header we cannot judge.
    layout.headerCut = head.getSize() < headerBytes;
    return layout;
}

juce::String whyIncomplete (const juce::File& file)
{
    const auto head = headOf (file, headerBytes);
    if (idAt (head, 0) == "RIFF" && idAt (head, 8) == "WAVE")
        return wavIncompleteness (file, readWavLayout (file));
    if (idAt (head, 0) == "FORM" && (idAt (head, 8) == "AIFF" || idAt (head, 8) == "AIFC"))
        return aiffIncompleteness (file, head);
    if (idAt (head, 0) == "fLaC")
        return flacIncompleteness (file);
    if (idAt (head, 0) == "OggS")
        return oggIncompleteness (file);
    return {};
}
