#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// One recorded signal as the report describes it.
struct SourceInfo
{
    juce::String role;     // "X", "Y" or "X and Y"
    juce::String path;     // empty for the built-in device
    int channel = 0;       // zero-based
    double sampleRate = 0.0;
    int bitDepth = 0;      // 0 when the format has none (lossy)
    juce::int64 samples = 0;
    juce::String format;   // "WAV file", "built-in device" ...
};

// X and Y of a capture, read a block at a time from files or from memory, so a
// recording of any length is never held whole.
class CaptureSource
{
public:
    // X and Y from two files (a channel of each) or from one file's first two
    // channels. Empty with `error` set on any refusal; `notices` says what was
    // adapted (different lengths are cut to their common first part).
    static std::unique_ptr<CaptureSource> openFiles (const juce::File& x, const juce::File& y, int channel, juce::String& error,
                                                     juce::StringArray& notices);
    static std::unique_ptr<CaptureSource> openStereo (const juce::File& xy, juce::String& error, juce::StringArray& notices);
    static std::unique_ptr<CaptureSource> fromMemory (std::vector<double> x, std::vector<double> y, double sampleRate, const juce::String& name);

    ~CaptureSource();

    juce::int64 length() const noexcept { return samples; }
    double sampleRate() const noexcept { return rate; }
    const std::vector<SourceInfo>& sources() const noexcept { return info; }

    // Samples start .. start + count of X or Y; zeros outside the recording.
    void readX (juce::int64 start, int count, double* out) const;
    void readY (juce::int64 start, int count, double* out) const;

    class Channel;

private:
    CaptureSource() = default;
    std::unique_ptr<Channel> x, y;
    juce::int64 samples = 0;
    double rate = 0.0;
    std::vector<SourceInfo> info;
};

// Why a file cannot be read, in the command's words: missing, not audio, an
// encoding no reader takes, or cut short. Empty when nothing is wrong with it.
juce::String describeUnreadableAudio (const juce::File&, juce::AudioFormatManager&, const juce::AudioFormatReader*);
