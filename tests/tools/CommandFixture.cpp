#include "tests/tools/CommandFixture.h"

#include "tools/sonderlith/CommandLine.h"

#include "tests/support/Images.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <random>

namespace test
{
namespace
{
void keepJsonReport (const juce::StringArray& arguments)
{
    static std::atomic<int> count { 0 };
    const auto at = arguments.indexOf ("--json");
    const juce::File json (at >= 0 ? arguments[at + 1] : juce::String());
    if (at < 0 || ! juce::File::isAbsolutePath (arguments[at + 1]) || ! json.existsAsFile())
        return;
    const auto folder = outputFolder().getChildFile ("reports");
    folder.createDirectory();
    const auto name = juce::String (::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" + juce::String (++count) + ".json";
    json.copyFileTo (folder.getChildFile (name));
}
} // namespace

CommandRun sonderlith (const juce::StringArray& arguments)
{
    CommandRun run {};
    run.code = runCommandLine (arguments, run.out, run.err);
    keepJsonReport (arguments);
    return run;
}

void writeAudio (juce::AudioFormat& format, const juce::File& file, const std::vector<std::vector<double>>& channels, double sampleRate,
                 int bits, int quality)
{
    file.deleteFile();
    juce::AudioBuffer<float> buffer ((int) channels.size(), (int) channels[0].size());
    for (size_t c = 0; c < channels.size(); ++c)
        for (size_t i = 0; i < channels[c].size(); ++i)
            buffer.setSample ((int) c, (int) i, (float) channels[c][i]);
    auto* stream = new juce::FileOutputStream (file);
    std::unique_ptr<juce::AudioFormatWriter> writer (format.createWriterFor (stream, sampleRate, (unsigned int) channels.size(), bits, {}, quality));
    ASSERT_NE (writer, nullptr) << file.getFileName(); // owns the stream from here
    writer->writeFromAudioSampleBuffer (buffer, 0, buffer.getNumSamples());
}

void writeWav (const juce::File& file, const std::vector<std::vector<double>>& channels, double sampleRate)
{
    juce::WavAudioFormat wav;
    writeAudio (wav, file, channels, sampleRate, 32);
}

juce::MemoryBlock unreadableWav (short format, short bits)
{
    juce::MemoryOutputStream out;
    const int samples = 4000, bytes = samples * 2 * bits / 8;
    out.write ("RIFF", 4);
    out.writeInt (36 + bytes);
    out.write ("WAVEfmt ", 8);
    out.writeInt (16);
    out.writeShort (format);
    out.writeShort (2);                         // channels
    out.writeInt (8000);                        // rate
    out.writeInt (8000 * 2 * bits / 8);         // bytes per second
    out.writeShort ((short) (2 * bits / 8));    // block align
    out.writeShort (bits);
    out.write ("data", 4);
    out.writeInt (bytes);
    for (int i = 0; i < bytes; ++i)
        out.writeByte ((char) (i * 7));
    return out.getMemoryBlock();
}

void writeNoiseCapture (const juce::File& file, size_t length, int delay, const std::function<double (double)>& device, double level)
{
    std::mt19937 random (17);
    std::normal_distribution<double> noise (0.0, 0.3 * level);
    std::vector<double> x (length), y (length, 0.0);
    for (auto& v : x)
        v = juce::jlimit (-level, level, noise (random));
    for (size_t n = (size_t) std::max (0, delay); n < length; ++n)
        y[n] = device (x[n - (size_t) delay]);
    writeWav (file, { x, y }, 48000.0);
}

juce::var runJson (const juce::File& json, juce::StringArray arguments, CommandRun& run)
{
    arguments.addArray ({ "--json", json.getFullPathName() });
    run = sonderlith (arguments);
    return juce::JSON::parse (json.loadFileAsString());
}

std::vector<double> through (const std::vector<double>& x, const std::function<double (double)>& f)
{
    std::vector<double> y (x.size());
    for (size_t i = 0; i < x.size(); ++i)
        y[i] = f (x[i]);
    return y;
}

std::vector<double> scaled (std::vector<double> v, double gain)
{
    for (auto& s : v)
        s *= gain;
    return v;
}

std::vector<double> levelSweep (size_t length)
{
    std::vector<double> out (length);
    for (size_t n = 0; n < length; ++n)
        out[n] = std::pow (10.0, (-40.0 + 39.0 * (double) n / (double) length) / 20.0) * std::sin (2.0 * juce::MathConstants<double>::pi * 997.0 * (double) n / 48000.0);
    return out;
}

} // namespace test
