#pragma once

#include "engine/Measurement.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

// What the command tests share: running the command as the binary does, and
// recordings written the way a user's audio editor would write them.
namespace test
{
struct CommandRun
{
    int code;
    juce::String out, err;
};

// Every JSON a run writes is kept in test-output/reports for the schema check.
CommandRun sonderlith (const juce::StringArray& arguments);

// A run's JSON report, parsed.
juce::var runJson (const juce::File& json, juce::StringArray arguments, CommandRun& run);

void writeAudio (juce::AudioFormat& format, const juce::File& file, const std::vector<std::vector<double>>& channels, double sampleRate, int bits,
                 int quality = 0);
void writeWav (const juce::File& file, const std::vector<std::vector<double>>& channels, double sampleRate);

// A stereo WAV in an encoding no reader here takes: G.711 mu-law (format 7,
// 8 bits) or 64-bit floating point (format 3).
juce::MemoryBlock unreadableWav (short format = 7, short bits = 8);

// White noise X through a device, with Y delayed by a whole number of samples.
void writeNoiseCapture (const juce::File& file, size_t length, int delay, const std::function<double (double)>& device, double level = 0.9);

std::vector<double> through (const std::vector<double>& x, const std::function<double (double)>& f);
std::vector<double> scaled (std::vector<double> v, double gain);

// A 997 Hz tone rising evenly in dB from -40 dBFS to -1 dBFS.
std::vector<double> levelSweep (size_t length);

struct Files : ::testing::Test
{
    void SetUp() override { folder.createDirectory(); }
    void TearDown() override { folder.deleteRecursively(); }
    juce::File folder { juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("sonderlith-measure-" + juce::String (juce::Random().nextInt64())) };
};
} // namespace test
