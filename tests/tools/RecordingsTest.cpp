#include "tests/tools/CommandFixture.h"

#include "ReleaseNumber.h"
#include "dsp/Stimulus.h"
#include "persistence/TransferFunctionPreset.h"
#include "tests/support/Images.h"
#include "tests/support/ProcessMemory.h"
#include "tests/support/Sanitizers.h"
#include "tests/support/TestSignals.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <random>

#include <sys/stat.h>
#include <unistd.h>

using namespace test;

// Recordings of every format measured through the command: outputs, windows,
// delays, levels and memory.

TEST_F (Files, filesInAndEveryOutputOut)
{
    const auto capture = playDemoDevice ({ "tanh", 48000.0, 997.0, 70000 });
    writeWav (folder.getChildFile ("xy.wav"), { capture.x, capture.y }, 48000.0);
    writeWav (folder.getChildFile ("x.wav"), { capture.x }, 48000.0);
    writeWav (folder.getChildFile ("y.wav"), { capture.y }, 48000.0);

    const auto preset = folder.getChildFile ("curve.tfunc"), csv = folder.getChildFile ("curve.csv"), json = folder.getChildFile ("report.json"),
               png = folder.getChildFile ("curve.png");
    const auto stereo = sonderlith ({ "measure", "--xy", folder.getChildFile ("xy.wav").getFullPathName(), "--artist", "Ada", "-o",
                                      preset.getFullPathName(), "--csv", csv.getFullPathName(), "--json", json.getFullPathName(), "--png",
                                      png.getFullPathName() });
    ASSERT_EQ (stereo.code, 0) << stereo.err;
    EXPECT_TRUE (stereo.out.contains ("pairs used"));

    juce::MemoryBlock bytes;
    ASSERT_TRUE (preset.loadFileAsData (bytes));
    const auto tree = parsePresetBytes (bytes.getData(), bytes.getSize());
    const auto read = readTransferFunctionPreset (tree);
    ASSERT_TRUE (read.ok) << read.error;
    EXPECT_EQ (tree.getChildWithName ("metadata").getProperty ("artist").toString(), "Ada");
    EXPECT_NEAR (read.table[12000], demoDeviceCurve ("tanh", grid::xAt (12000)), 0.02);

    juce::StringArray lines;
    lines.addLines (csv.loadFileAsString().trimEnd());
    EXPECT_EQ (lines.size(), grid::size + 1);
    EXPECT_EQ (lines[0], "x,y,x_input,y_output");
    const auto report = juce::JSON::parse (json.loadFileAsString());
    EXPECT_EQ ((int) report.getProperty ("pairsUsed", 0), 70000) << "every pair of the files";
    EXPECT_TRUE (report.hasProperty ("repeatability"));

    const auto picture = juce::ImageFileFormat::loadFrom (png);
    EXPECT_EQ (picture.getWidth(), 1600);
    EXPECT_EQ (picture.getHeight(), 1000);
    png.copyFileTo (test::outputFolder().getChildFile ("measure-tanh.png"));

    const auto mono = sonderlith ({ "measure", "--x", folder.getChildFile ("x.wav").getFullPathName(), "--y",
                                    folder.getChildFile ("y.wav").getFullPathName(), "--json", folder.getChildFile ("mono.json").getFullPathName() });
    ASSERT_EQ (mono.code, 0) << mono.err;
    EXPECT_EQ (juce::JSON::parse (folder.getChildFile ("mono.json").loadFileAsString()).getProperty ("residualRms", -1.0),
               report.getProperty ("residualRms", -2.0))
        << "two mono files measure as the stereo file does";

    const auto curvePicture = folder.getChildFile ("inspected.png");
    const auto inspected = sonderlith ({ "inspect", preset.getFullPathName(), "--png", curvePicture.getFullPathName() });
    EXPECT_EQ (inspected.code, 0);
    EXPECT_EQ (juce::ImageFileFormat::loadFrom (curvePicture).getWidth(), 1600);
    EXPECT_TRUE (inspected.out.contains ("Ada"));
    EXPECT_TRUE (inspected.out.contains ("16384"));
    EXPECT_TRUE (inspected.out.contains ("monotonic     yes (non-decreasing)")) << inspected.out;
}

// FLAC and Ogg Vorbis recordings are read through the system's codecs; the
// lossless one measures as the WAV does.
TEST_F (Files, flacAndOggRecordingsAreMeasured)
{
    const auto capture = playDemoDevice ({ "tanh", 48000.0, 997.0, 70000 });
    juce::FlacAudioFormat flac;
    juce::OggVorbisAudioFormat ogg;
    writeAudio (flac, folder.getChildFile ("xy.flac"), { capture.x, capture.y }, 48000.0, 24);
    writeAudio (ogg, folder.getChildFile ("xy.ogg"), { capture.x, capture.y }, 48000.0, 16, ogg.getQualityOptions().size() - 1);
    writeWav (folder.getChildFile ("xy.wav"), { capture.x, capture.y }, 48000.0);

    auto residual = [this] (const char* name)
    {
        const auto json = folder.getChildFile (juce::String (name) + ".json");
        const auto run = sonderlith ({ "measure", "--xy", folder.getChildFile (name).getFullPathName(), "--json", json.getFullPathName() });
        EXPECT_EQ (run.code, 0) << name << ": " << run.err;
        const auto report = juce::JSON::parse (json.loadFileAsString());
        EXPECT_EQ ((int) report.getProperty ("pairsUsed", 0), 70000) << name;
        return (double) report.getProperty ("residualRms", 1.0);
    };
    const auto fromWav = residual ("xy.wav");
    EXPECT_NEAR (residual ("xy.flac"), fromWav, 1.0e-4) << "24-bit FLAC is as good as the float WAV here";
    EXPECT_LT (residual ("xy.ogg"), 0.05) << "lossy, but the curve is there";
}

// Damaged files of every format are refused as damaged, not measured as if
// their missing end were silence; and a header cut short is named as such.
TEST_F (Files, truncatedFilesOfEveryFormatAreRefused)
{
    const auto capture = playDemoDevice ({ "tanh", 48000.0, 997.0, 70000 });
    juce::WavAudioFormat wav;
    juce::AiffAudioFormat aiff;
    juce::FlacAudioFormat flac;
    juce::OggVorbisAudioFormat ogg;
    struct Case
    {
        juce::AudioFormat& format;
        const char* name;
        int bits;
        juce::int64 keptBytes; // negative: cut so many from the end
        const char* message;
    };
    for (const auto& c : { Case { aiff, "cut.aiff", 24, -4000, "it is truncated: its header promises 70000 samples" },
                           Case { flac, "cut.flac", 24, -4000, "it is truncated: its header promises 70000 samples, and the file ends before" },
                           Case { ogg, "cut.ogg", 16, -2000, "it is truncated: its last page does not end the stream" },
                           Case { wav, "header.wav", 24, 30, "its header is cut short" },
                           Case { wav, "emptydata.wav", 24, 44, "it holds no samples" } })
    {
        const auto whole = folder.getChildFile (juce::String ("whole-") + c.name), cut = folder.getChildFile (c.name);
        writeAudio (c.format, whole, { capture.x, capture.y }, 48000.0, c.bits);
        juce::MemoryBlock bytes;
        ASSERT_TRUE (whole.loadFileAsData (bytes));
        ASSERT_EQ (sonderlith ({ "measure", "--xy", whole.getFullPathName() }).code, 0) << "the whole file measures: " << c.name;
        cut.replaceWithData (bytes.getData(), (size_t) (c.keptBytes < 0 ? (juce::int64) bytes.getSize() + c.keptBytes : c.keptBytes));
        if (juce::String (c.name) == "emptydata.wav") // a whole header whose data chunk holds nothing
        {
            juce::MemoryOutputStream header;
            header.write ("RIFF", 4);
            header.writeInt (36);
            header.write ("WAVEfmt ", 8);
            header.writeInt (16);
            header.writeShort (1); // PCM
            header.writeShort (2);
            header.writeInt (48000);
            header.writeInt (48000 * 6);
            header.writeShort (6);
            header.writeShort (24);
            header.write ("data", 4);
            header.writeInt (0);
            cut.replaceWithData (header.getData(), header.getDataSize());
        }
        const auto run = sonderlith ({ "measure", "--xy", cut.getFullPathName(), "-o", folder.getChildFile ("out.tfunc").getFullPathName() });
        EXPECT_EQ (run.code, 1) << c.name;
        EXPECT_TRUE (run.err.contains (c.message)) << c.name << ": " << run.err;
        EXPECT_FALSE (folder.getChildFile ("out.tfunc").exists()) << c.name;
    }
}

// The window of a recording, and the plug-in's lengths taking the newest pairs as a freeze does.
TEST_F (Files, windowsAndLengths)
{
    const auto file = folder.getChildFile ("long.wav");
    writeNoiseCapture (file, 48000 * 4, 0, [] (double v) { return std::tanh (2.0 * v); });
    struct Case
    {
        juce::StringArray options;
        int pairs, code = 0;
    };
    // A fractional delay costs a freeze its ends; here it also misaligns a capture that had none.
    for (const auto& c : { Case { {}, 48000 * 4 }, Case { { "--start", "1", "--duration", "2" }, 96000 }, Case { { "--start", "3.5" }, 24000 },
                           Case { { "--length", "16k" }, 16384 }, Case { { "--length", "16k", "--delay", "2.5" }, 16384 - 3 - 2 - 4, 3 },
                           Case { { "--start", "1", "--duration", "1", "--length", "32k", "--algorithm", "odr" }, 32768 } })
    {
        auto arguments = juce::StringArray { "measure", "--xy", file.getFullPathName() };
        arguments.addArray (c.options);
        CommandRun run;
        const auto report = runJson (folder.getChildFile ("window.json"), arguments, run);
        EXPECT_EQ (run.code, c.code) << c.options.joinIntoString (" ") << ": " << run.err;
        EXPECT_EQ ((int) report.getProperty ("pairsUsed", 0), c.pairs) << c.options.joinIntoString (" ");
    }
}

// Delays far beyond the plug-in's latency range, found by the command and
// taken out before fitting; the report says what was set.
TEST_F (Files, autoLatencyTakesOutDelaysOfAnySize)
{
    for (const auto delay : { 0, 600, 1500, 5000 })
    {
        const auto file = folder.getChildFile ("delay" + juce::String (delay) + ".wav");
        writeNoiseCapture (file, 144000, delay, [] (double v) { return std::tanh (2.0 * v) + 0.1 * v * v; });
        CommandRun run;
        const auto report = runJson (folder.getChildFile ("delay.json"), { "measure", "--xy", file.getFullPathName(), "--auto-latency" }, run);
        EXPECT_EQ (run.code, 0) << delay << ": " << run.err;
        EXPECT_NEAR ((double) report.getProperty ("estimatedDelaySamples", -1.0), delay, 0.05);
        EXPECT_GT ((double) report.getProperty ("delayConfidence", 0.0), 0.5) << delay;
        EXPECT_EQ (report.getProperty ("verdict", {}).toString(), "good") << delay;
        EXPECT_TRUE (run.out.contains ("set: --delay " + juce::String (delay) + ".000")) << run.out;
        const auto equivalent = delay > 512 ? juce::String ("beyond the plug-in's latencies (0..512): compensate it in the host")
                                            : "the plug-in's latency X " + juce::String (delay) + ".00)";
        EXPECT_TRUE (run.out.contains (equivalent)) << run.out;
    }

    // Beyond the second searched either way: nothing is claimed, and the user learns what was searched.
    const auto far = folder.getChildFile ("far.wav");
    writeNoiseCapture (far, 200000, 60000, [] (double v) { return std::tanh (2.0 * v); });
    const auto run = sonderlith ({ "measure", "--xy", far.getFullPathName(), "--auto-latency" });
    EXPECT_EQ (run.code, 1);
    EXPECT_TRUE (run.err.contains ("no clear correlation between X and Y within 48000 samples either way (1.000 s); if Y lags further, give the delay with --delay")) << run.err;
}

// Ten minutes at 48 kHz are read a block at a time: the peak resident
// memory while measuring (the process's own counter, reset first) stays
// far below the 230 MB the two signals would take as doubles.
TEST_F (Files, tenMinutesMeasureInLittleMemory)
{
#ifdef SONDERLITH_SANITIZED
    GTEST_SKIP() << "the sanitizers' shadow memory would be measured too";
#endif
    constexpr int seconds = 600, rate = 48000;
    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatWriter> writer (
        wav.createWriterFor (new juce::FileOutputStream (folder.getChildFile ("ten.wav")), rate, 2, 16, {}, 0));
    ASSERT_NE (writer, nullptr);
    std::mt19937 random (3);
    std::normal_distribution<float> noise (0.0f, 0.25f);
    juce::AudioBuffer<float> block (2, rate);
    for (int s = 0; s < seconds; ++s)
    {
        for (int i = 0; i < rate; ++i)
        {
            const auto x = juce::jlimit (-1.0f, 1.0f, noise (random));
            block.setSample (0, i, x);
            block.setSample (1, i, 0.8f * std::tanh (2.0f * x));
        }
        writer->writeFromAudioSampleBuffer (block, 0, rate);
    }
    writer.reset();

    MeasureOptions options;
    options.xyFile = folder.getChildFile ("ten.wav");
    if (! test::resetPeakResidentMemory())
        GTEST_SKIP() << "this system cannot reset the peak resident memory";
    const auto outcome = measure (options);
    const auto peak = test::peakResidentMemoryBytes();
    ASSERT_TRUE (outcome.ok) << outcome.error;
    EXPECT_EQ (outcome.report.pairsUsed, seconds * rate);
    EXPECT_EQ (outcome.judgement.verdict, Verdict::good);
    EXPECT_LT (peak, 160'000'000) << "peak resident memory " << peak / 1'000'000 << " MB";
    std::cout << "ten minutes measured with a peak of " << peak / 1'000'000 << " MB resident\n";
}

// The table is normalised, but the device's levels are kept beside it: a
// -6 dB linear device at -1.9 dBFS input.
TEST_F (Files, levelsOfALinearDeviceAreKept)
{
    writeNoiseCapture (folder.getChildFile ("half.wav"), 48000, 0, [] (double v) { return 0.5 * v; }, 0.8);
    const auto csv = folder.getChildFile ("half.csv");
    CommandRun run;
    const auto report = runJson (folder.getChildFile ("half.json"),
                                 { "measure", "--xy", folder.getChildFile ("half.wav").getFullPathName(), "--csv", csv.getFullPathName() }, run);
    ASSERT_EQ (run.code, 0) << run.err;
    EXPECT_NEAR ((double) report.getProperty ("xPeak", 0.0), 0.8, 1.0e-6);
    EXPECT_NEAR ((double) report.getProperty ("yPeak", 0.0), 0.4, 1.0e-6);
    EXPECT_NEAR ((double) report.getProperty ("xPeakDbfs", 0.0), 20.0 * std::log10 (0.8), 1.0e-4);
    EXPECT_NEAR ((double) report.getProperty ("smallSignalGain", 0.0), 0.5, 1.0e-3);
    EXPECT_NEAR ((double) report.getProperty ("smallSignalGainDb", 0.0), -6.02, 0.01);
    EXPECT_NEAR ((double) report.getProperty ("dcOffset", 1.0), 0.0, 1.0e-4);
    EXPECT_NEAR ((double) report.getProperty ("yAtXPeak", 0.0), 0.4, 1.0e-3);
    EXPECT_TRUE (report.getProperty ("yAtFullScale", 1.0).isVoid()) << "X never reached full scale";
    EXPECT_TRUE (run.out.contains ("(-6.02 dB)")) << run.out;

    const auto source = report.getProperty ("sources", {})[0];
    EXPECT_EQ ((double) source.getProperty ("sampleRate", 0.0), 48000.0);
    EXPECT_EQ ((int) source.getProperty ("bitDepth", 0), 32);
    EXPECT_NEAR ((double) source.getProperty ("durationSeconds", 0.0), 1.0, 1.0e-9);
    EXPECT_EQ (report.getProperty ("version", {}).toString(), juce::String (currentReleaseVersion));
    EXPECT_EQ (report.getProperty ("settings", {}).getProperty ("algorithm", {}).toString(), "auto");
    EXPECT_EQ (report.getProperty ("settings", {}).getProperty ("length", {}).toString(), "all");
    EXPECT_TRUE (juce::Time::fromISO8601 (report.getProperty ("date", {}).toString()).toMilliseconds() > 0);

    // The table stays y = x; the last two columns are in the files' units.
    juce::StringArray lines;
    lines.addLines (csv.loadFileAsString().trimEnd());
    for (const auto index : { 3000, 8192, 14000 })
    {
        juce::StringArray cells;
        cells.addTokens (lines[index + 1], ",", "");
        EXPECT_NEAR (cells[1].getDoubleValue(), cells[0].getDoubleValue(), 2.0e-3) << lines[index + 1];
        EXPECT_NEAR (cells[2].getDoubleValue(), 0.8 * cells[0].getDoubleValue(), 1.0e-6) << lines[index + 1];
        EXPECT_NEAR (cells[3].getDoubleValue(), 0.5 * cells[2].getDoubleValue(), 1.0e-3) << lines[index + 1];
    }
}

// A quiet sine through a smooth curve: the X range is reported in full-scale
// units, and the CSV's x columns are where each value belongs, so the curve
// read from it matches the device's to the estimator's own accuracy.
TEST_F (Files, levelsAndCsvPositionsAreTheDevices)
{
    const auto x = scaled (test::makeSignal (test::Signal::sine, 1 << 17, 1), 0.1);
    const auto device = [] (double v) { return std::tanh (3.0 * v); };
    const auto file = folder.getChildFile ("quiet.wav"), csv = folder.getChildFile ("quiet.csv");
    writeWav (file, { x, through (x, device) }, 48000.0);
    CommandRun run;
    const auto report = runJson (folder.getChildFile ("quiet.json"), { "measure", "--xy", file.getFullPathName(), "--csv", csv.getFullPathName(), "--smoothing", "1" }, run);
    ASSERT_EQ (run.code, 0) << run.err;
    EXPECT_NEAR ((double) report.getProperty ("xMinimum", 0.0), -0.1, 1.0e-4);
    EXPECT_NEAR ((double) report.getProperty ("xMaximum", 0.0), 0.1, 1.0e-4);
    EXPECT_NEAR ((double) report.getProperty ("xMaximumTableUnits", 0.0), 1.0, 1.0e-4);
    EXPECT_TRUE (run.out.contains ("-0.100 .. 0.100 of full scale")) << run.out;
    juce::StringArray lines;
    lines.addLines (csv.loadFileAsString().trim());
    double largest = 0.0;
    for (int i = 1; i < lines.size(); ++i)
    {
        juce::StringArray cells;
        cells.addTokens (lines[i], ",", "");
        const auto input = cells[2].getDoubleValue(), output = cells[3].getDoubleValue();
        if (std::abs (input) < 0.095)
            largest = std::max (largest, std::abs (output - device (input)));
    }
    EXPECT_LT (largest, 2.0e-5) << "the curve read from the CSV against the device's";
}
