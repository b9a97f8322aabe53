#include "dialogs/ReleaseVersion.h"
#include "dsp/Stimulus.h"
#include "persistence/TransferFunctionPreset.h"
#include "tests/support/ImageOutput.h"
#include "tests/support/ProcessMemory.h"
#include "tests/support/Sanitizers.h"
#include "tests/support/TestSignals.h"
#include "tools/measurement/CommandLine.h"
#include "tools/measurement/Measurement.h"

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_graphics/juce_graphics.h>

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <random>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
struct CommandRun
{
    int code;
    juce::String out, err;
};

CommandRun sonderlith (const juce::StringArray& arguments)
{
    CommandRun run {};
    run.code = runCommandLine (arguments, run.out, run.err);
    return run;
}

MeasureOptions demo (const std::string& device, double delay = 0.0)
{
    MeasureOptions o;
    o.demo = DemoSettings {};
    o.demo->device = device;
    o.demo->delaySamples = delay;
    return o;
}

double largestError (const std::vector<double>& table, const std::function<double (double)>& ideal, double within)
{
    double largest = 0.0;
    for (int c = 0; c < grid::size; ++c)
        if (std::abs (grid::xAt (c)) <= within)
            largest = std::max (largest, std::abs (table[(size_t) c] - ideal (grid::xAt (c))));
    return largest;
}

void writeAudio (juce::AudioFormat& format, const juce::File& file, const std::vector<std::vector<double>>& channels, double sampleRate,
                 int bits, int quality = 0)
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

// A stereo WAV in an encoding no reader here takes: G.711 mu-law (format 7,
// 8 bits) or 64-bit floating point (format 3).
juce::MemoryBlock unreadableWav (short format = 7, short bits = 8)
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

struct Files : ::testing::Test
{
    void SetUp() override { folder.createDirectory(); }
    void TearDown() override { folder.deleteRecursively(); }
    juce::File folder { juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("sonderlith-measure-" + juce::String (juce::Random().nextInt64())) };
};
} // namespace

TEST (Measure, demoDevicesAreFittedToTheirCurves)
{
    struct Case
    {
        std::string device;
        MeasureAlgorithm algorithm;
        double peak, tolerance, hysteresis;
    };
    // The published table peaks at 1, so each ideal curve is divided by its
    // own peak; the smoothing window rounds the hard clip's corners. The
    // hysteresis device's fit is the curve midway between its branches, which
    // are 0.2 apart in its own units. The plug-in's estimators on a freeze's
    // 64k pairs; the recording estimator is held to a tighter limit.
    using enum MeasureAlgorithm;
    for (const auto& c : { Case { "tanh", mean, 1.0, 0.02, 0.0 }, Case { "tanh", odr, 1.0, 0.02, 0.0 }, Case { "hardclip", mean, 1.0, 0.05, 0.0 },
                           Case { "asym", odr, 0.95, 0.02, 0.0 }, Case { "hysteresis", mean, 1.0, 0.02, 0.2 }, Case { "hysteresis", odr, 1.0, 0.02, 0.2 },
                           Case { "tanh", automatic, 1.0, 0.002, 0.0 }, Case { "hardclip", automatic, 1.0, 0.005, 0.0 },
                           Case { "asym", automatic, 0.95, 0.002, 0.0 }, Case { "hysteresis", automatic, 1.0, 0.02, 0.2 } })
    {
        auto options = demo (c.device);
        options.algorithm = c.algorithm;
        options.length = 65536;
        const auto outcome = measure (options);
        ASSERT_TRUE (outcome.ok) << outcome.error;
        const auto ideal = [&] (double x) { return demoDeviceCurve (c.device, x) / c.peak; };
        EXPECT_LT (largestError (outcome.fit.smoothedBins, ideal, 0.9), c.tolerance) << c.device;
        EXPECT_EQ (outcome.report.pairsUsed, 65536);
        EXPECT_GT (outcome.report.coverage, 0.9) << c.device;
        EXPECT_NEAR (outcome.report.hysteresisWidth, c.hysteresis, 0.02) << c.device;
        EXPECT_LT (outcome.report.repeatability, 0.01) << c.device;
    }
}

TEST (Measure, latenciesUndoADelayedDevice)
{
    const auto reference = measure (demo ("tanh"));
    for (const auto delay : { 7.0, 3.5 })
    {
        auto options = demo ("tanh", delay);
        const auto misaligned = measure (options);
        ASSERT_TRUE (misaligned.ok);
        EXPECT_GT (misaligned.report.hysteresisWidth, 0.1) << "a delay opens the curve into a loop";
        options.latencyX = delay;
        const auto aligned = measure (options);
        ASSERT_TRUE (aligned.ok);
        double largest = 0.0;
        for (int c = 0; c < grid::size; ++c)
            largest = std::max (largest, std::abs (aligned.fit.smoothedBins[(size_t) c] - reference.fit.smoothedBins[(size_t) c]));
        EXPECT_LT (largest, 2e-3) << "delay " << delay;
        EXPECT_EQ (aligned.report.latencyX, delay);
    }
}

TEST (Measure, autoLatencyRecoversTheDelayWhateverTheCurve)
{
    const auto reference = measure (demo ("tanh"));
    struct Case
    {
        const char* device;
        double delay;
    };
    for (const auto& c : { Case { "tanh", 7.0 }, Case { "tanh", 3.5 }, Case { "asym", 12.25 }, Case { "hardclip", 0.0 } })
    {
        auto options = demo (c.device, c.delay);
        options.autoLatency = true;
        const auto outcome = measure (options);
        ASSERT_TRUE (outcome.ok) << outcome.error;
        ASSERT_TRUE (outcome.estimatedDelay.has_value());
        EXPECT_NEAR (outcome.estimatedDelay->samples, c.delay, 0.05) << c.device << " " << c.delay;
        EXPECT_NEAR (outcome.report.latencyX, c.delay, 0.05);
        if (std::string (c.device) == "tanh")
        {
            double largest = 0.0;
            for (int i = 0; i < grid::size; ++i)
                largest = std::max (largest, std::abs (outcome.fit.smoothedBins[(size_t) i] - reference.fit.smoothedBins[(size_t) i]));
            EXPECT_LT (largest, 3e-3) << "the fit matches the fit without delay";
        }
    }
}

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
    EXPECT_TRUE (inspected.out.contains ("yes"));
}

TEST_F (Files, badInputsFailClearlyAndWriteNothing)
{
    const auto capture = playDemoDevice ({ "tanh", 48000.0, 997.0, 70000 });
    const std::vector<double> silence (70000, 0.0);
    writeWav (folder.getChildFile ("x.wav"), { capture.x }, 48000.0);
    writeWav (folder.getChildFile ("short.wav"), { std::vector<double> (capture.y.begin(), capture.y.begin() + 60000) }, 48000.0);
    writeWav (folder.getChildFile ("y44.wav"), { std::vector<double> (capture.y.begin(), capture.y.begin() + 65000) }, 44100.0);
    writeWav (folder.getChildFile ("silent.wav"), { silence, capture.y }, 48000.0);
    writeWav (folder.getChildFile ("few.wav"), { std::vector<double> (capture.x.begin(), capture.x.begin() + 20000),
                                                 std::vector<double> (capture.y.begin(), capture.y.begin() + 20000) },
              48000.0);
    folder.getChildFile ("junk.wav").replaceWithText ("this is not audio");
    writeWav (folder.getChildFile ("whole.wav"), { capture.x, capture.y }, 48000.0);
    // Cut short, as a crashed recorder or an interrupted copy leaves it: the
    // header still promises every sample.
    juce::MemoryBlock whole;
    folder.getChildFile ("whole.wav").loadFileAsData (whole);
    folder.getChildFile ("truncated.wav").replaceWithData (whole.getData(), whole.getSize() - 40000 * 8);
    folder.getChildFile ("mulaw.wav").replaceWithData (unreadableWav().getData(), unreadableWav().getSize());
    folder.getChildFile ("double.wav").replaceWithData (unreadableWav (3, 64).getData(), unreadableWav (3, 64).getSize());
    const auto out = folder.getChildFile ("out.tfunc").getFullPathName();
    auto path = [this] (const char* name) { return folder.getChildFile (name).getFullPathName(); };
    // A pipe nobody writes to would hold a reader forever; sparse files as
    // large as a disk would fill the memory.
    ASSERT_EQ (mkfifo (path ("pipe.wav").toRawUTF8(), 0600), 0);
    folder.getChildFile ("whole.wav").copyFileTo (folder.getChildFile ("locked.wav"));
    folder.getChildFile ("locked.wav").setReadOnly (true);
    chmod (path ("locked.wav").toRawUTF8(), 0);
    const auto unreadableAsRoot = juce::FileInputStream (folder.getChildFile ("locked.wav")).openedOk();
    for (const auto* name : { "huge.tfunc", "huge.csv" })
    {
        ASSERT_TRUE (folder.getChildFile (name).create());
        ASSERT_EQ (truncate (path (name).toRawUTF8(), (off_t) 5 << 30), 0);
    }

    struct Case
    {
        juce::StringArray arguments;
        int code;
        const char* message;
    };
    for (const auto& c : { Case { { "measure", "--x", path ("x.wav"), "--y", path ("y44.wav"), "-o", out }, 1, "differ in sample rate" },
                           Case { { "measure", "--xy", path ("silent.wav"), "-o", out }, 1, "No signal at the device input" },
                           Case { { "measure", "--xy", path ("few.wav"), "--length", "64k", "-o", out }, 1, "Too few pairs" },
                           Case { { "measure", "--xy", path ("junk.wav"), "-o", out }, 1, "not audio in a format this command reads (*.wav" },
                           Case { { "measure", "--xy", path ("missing.wav"), "-o", out }, 1, "there is no such file" },
                           Case { { "measure", "--xy", path ("x.wav"), "-o", out }, 1, "has no channel 2" },
                           Case { { "measure", "--demo", "tanh", "--smoothing", "500", "-o", out }, 2, "--smoothing" },
                           Case { { "measure", "--demo", "tanh", "--bogus", "-o", out }, 2, "Unknown option" },
                           Case { { "measure", "-o", out }, 2, "exactly one input" },
                           Case { { "measure", "--xy", path ("x.wav"), "--xy", path ("few.wav"), "-o", out }, 2, "--xy is given twice" },
                           Case { { "measure", "--demo", "tanh", "-o", out, "--output", path ("b.tfunc") }, 2, "--output is given twice" },
                           Case { { "measure", "--xy", path ("x.wav"), "--noise-db", "-40", "-o", out }, 2, "go with --demo" },
                           Case { { "measure", "--xy", path ("x.wav"), "--demo-delay", "4", "-o", out }, 2, "go with --demo" },
                           Case { { "measure", "--demo", "tanh", "--auto-latency", "--delay", "3", "-o", out }, 2, "leave out --delay" },
                           Case { { "measure", "--demo", "tanh", "--auto-latency", "--latency-x", "3", "-o", out }, 2, "leave out --delay" },
                           Case { { "measure", "--demo", "tanh", "--algorithm", "median", "-o", out }, 2, "--algorithm is auto, mean or odr" },
                           Case { { "measure", "--demo", "tanh", "--length", "1k", "-o", out }, 2, "--length is all, 16k" },
                           Case { { "measure", "--demo", "tanh", "--start", "10", "-o", out }, 1, "--start 10.000 s is past the end of the recording (2.731 s)" },
                           Case { { "measure", "--xy", path ("truncated.wav"), "-o", out }, 1, "truncated: its header promises 70000 samples, the file holds 30000" },
                           Case { { "measure", "--xy", path ("mulaw.wav"), "-o", out }, 1, "WAV encoding (format 7, 8 bits) is not supported" },
                           Case { { "measure", "--xy", path ("double.wav"), "-o", out }, 1,
                                  "(format 3, 64 bits) is not supported; this command reads integer PCM (8, 16, 24 or 32 bits) and floating point (32 bits)" },
                           Case { { "measure", "--xy", path ("x.wav"), "--latency-x", "600", "-o", out }, 2, "--latency-x expects a number from 0 to 512" },
                           Case { { "measure", "--xy", path ("x.wav"), "--png", path ("x.wav"), "-o", out }, 2, "--png writes a .png file" },
                           Case { { "measure", "--demo", "tanh", "-o", path ("curve.png") }, 2, "-o writes a .tfunc file" },
                           Case { { "measure", "--demo", "tanh", "-o", out, "--json", path ("curve.csv") }, 2, "--json writes a .json file" },
                           Case { { "measure", "--x", path ("x.png"), "--y", path ("short.wav"), "--png", path ("x.png"), "-o", out }, 2,
                                  "would overwrite" },
                           Case { { "measure", "--demo", "tanh", "--csv", path ("a.csv"), "--png", path ("a.png"), "-o", out,
                                    "--json", path ("a.json"), "--artist", "x", "--artist", "y" }, 2, "--artist is given twice" },
                           Case { { "measure", "--xy", folder.getFullPathName(), "-o", out }, 1, "it is a folder, not a file" },
                           Case { { "measure", "--xy", path ("pipe.wav"), "-o", out }, 1, "it is not a regular file (a pipe or a device)" },
                           Case { { "measure", "--xy", path ("locked.wav"), "-o", out }, 1, "permission denied" },
                           Case { { "inspect", "/dev/zero" }, 1, "it is not a regular file" },
                           Case { { "inspect", path ("huge.tfunc") }, 1, "larger than a preset can be" },
                           Case { { "compare", path ("huge.tfunc"), path ("huge.csv") }, 1, "larger than a preset or curve CSV can be" },
                           Case { { "frobnicate" }, 2, "Unknown command" } })
    {
        if (unreadableAsRoot && c.arguments.contains (path ("locked.wav")))
            continue; // root reads anything
        const auto run = sonderlith (c.arguments);
        EXPECT_EQ (run.code, c.code) << c.arguments.joinIntoString (" ");
        EXPECT_TRUE (run.err.contains (c.message)) << run.err;
        EXPECT_FALSE (juce::File (out).exists()) << c.arguments.joinIntoString (" ");
    }

    // Different lengths: the common part is measured, and the user is told.
    const auto cut = sonderlith ({ "measure", "--x", path ("x.wav"), "--y", path ("short.wav"), "--length", "32k" });
    EXPECT_EQ (cut.code, 0) << cut.err;
    EXPECT_TRUE (cut.err.contains ("note: X and Y differ in length (70000 and 60000 samples): using their common first 60000 samples")) << cut.err;

    folder.getChildFile ("broken.tfunc").replaceWithData ("\x01\x02\x03", 3);
    const auto inspected = sonderlith ({ "inspect", path ("broken.tfunc") });
    EXPECT_EQ (inspected.code, 1);
    EXPECT_TRUE (inspected.err.isNotEmpty());

    const auto wav = sonderlith ({ "inspect", path ("x.wav") });
    EXPECT_EQ (wav.code, 1);
    EXPECT_TRUE (wav.err.contains ("x.wav is not a Sonderlith preset")) << wav.err;
    EXPECT_FALSE (wav.err.contains ("ValueTree")) << "no toolkit internals";
}

TEST (CommandLine, everySubcommandHasHelp)
{
    for (const auto* command : { "measure", "inspect", "compare", "stimulus", "host-check" })
        for (const auto& arguments : { juce::StringArray { command, "--help" }, juce::StringArray { command, "-h" }, juce::StringArray { "help", command } })
        {
            const auto run = sonderlith (arguments);
            EXPECT_EQ (run.code, 0) << arguments.joinIntoString (" ") << ": " << run.err;
            EXPECT_TRUE (run.out.contains (juce::String ("sonderlith ") + command)) << arguments.joinIntoString (" ");
            EXPECT_FALSE (run.out.contains (juce::String (command) == "measure" ? "inspect FILE" : "measure (")) << "only that command's usage";
        }
}

TEST (Inspect, goldenPresetFiles)
{
    for (const auto& file : juce::File (SONDERLITH_TEST_DATA_DIR).findChildFiles (juce::File::findFiles, false, "*.tfunc"))
    {
        const auto run = sonderlith ({ "inspect", file.getFullPathName() });
        EXPECT_EQ (run.code, 0) << file.getFileName() << ": " << run.err;
        EXPECT_TRUE (run.out.contains ("16384")) << file.getFileName();
    }
}

TEST (CommandLine, versionIsTheProductRelease)
{
    const auto run = sonderlith ({ "--version" });
    EXPECT_EQ (run.code, 0);
    EXPECT_EQ (run.out, juce::String ("sonderlith ") + currentReleaseVersion + "\n");
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

namespace
{
// White noise X through a device, with Y delayed by a whole number of samples.
void writeNoiseCapture (const juce::File& file, size_t length, int delay, const std::function<double (double)>& device, double level = 0.9)
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
} // namespace

// Every measurement ends in a verdict; "failed" exits 3 and keeps the
// curve unwritten unless forced, while the report is still written.
TEST_F (Files, verdictOnCleanNoisyAndMisalignedCaptures)
{
    writeNoiseCapture (folder.getChildFile ("late.wav"), 96000, 37, [] (double v) { return std::tanh (2.0 * v); });
    struct Case
    {
        const char* name;
        juce::StringArray arguments;
        const char* verdict;
        int code;
        const char* reason;
        const char* notReason = nullptr;
    };
    const auto late = folder.getChildFile ("late.wav").getFullPathName();
    for (const auto& c : { Case { "clean", { "--demo", "tanh" }, "good", 0, "" },
                           Case { "noisy", { "--demo", "tanh", "--noise-db", "-20" }, "doubtful", 0, "unexplained", "has memory" },
                           Case { "hysteretic", { "--demo", "hysteresis" }, "doubtful", 0, "memory" },
                           Case { "misaligned sine", { "--demo", "tanh", "--demo-delay", "37" }, "failed", 3, "not a function of X" },
                           Case { "misaligned noise", { "--xy", late }, "failed", 3, "check the delay" },
                           Case { "aligned noise", { "--xy", late, "--delay", "37" }, "good", 0, "" },
                           Case { "wrong latency flag", { "--xy", late, "--latency-y", "37" }, "failed", 3, "not a function of X" },
                           Case { "right latency flag", { "--xy", late, "--latency-x", "37" }, "good", 0, "" } })
    {
        const auto preset = folder.getChildFile (juce::String (c.name).replace (" ", "-") + ".tfunc");
        CommandRun run;
        auto arguments = c.arguments;
        arguments.insert (0, "measure");
        arguments.addArray ({ "-o", preset.getFullPathName() });
        const auto report = runJson (folder.getChildFile ("report.json"), arguments, run);
        EXPECT_EQ (run.code, c.code) << c.name << ": " << run.err;
        EXPECT_EQ (report.getProperty ("verdict", {}).toString(), c.verdict) << c.name << ": " << run.out;
        EXPECT_TRUE (run.out.contains (juce::String ("verdict               ") + c.verdict)) << c.name;
        const auto reasons = report.getProperty ("verdictReasons", {});
        EXPECT_EQ (reasons.size() == 0, juce::String (c.reason).isEmpty()) << c.name << ": " << juce::JSON::toString (reasons);
        EXPECT_TRUE (juce::JSON::toString (reasons).contains (c.reason)) << c.name << ": " << juce::JSON::toString (reasons);
        if (c.notReason != nullptr)
            EXPECT_FALSE (juce::JSON::toString (reasons).contains (c.notReason)) << c.name << ": " << juce::JSON::toString (reasons);
        EXPECT_EQ (preset.existsAsFile(), c.code == 0) << c.name;
        if (c.code == 3)
        {
            EXPECT_TRUE (run.err.contains ("--force")) << c.name;
            arguments.add ("--force");
            EXPECT_EQ (sonderlith (arguments).code, 3) << c.name;
            EXPECT_TRUE (preset.existsAsFile()) << c.name << ": forced";
        }
    }
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
    EXPECT_EQ (report.getProperty ("algorithm", {}).toString(), "auto");
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

// The model check: X through the fitted curve against Y. A memoryless
// device is modelled (tiny ESR, harmonics as measured); a filter before the
// nonlinearity or an envelope-driven gain is not, and the verdict says so.
TEST_F (Files, staticModelCheckFindsDevicesWithMemory)
{
    constexpr double rate = 48000.0, pi = 3.14159265358979323846;
    const size_t length = 96000;
    auto tone = [&] (double hz, const std::function<double (size_t)>& level)
    {
        std::vector<double> x (length);
        for (size_t n = 0; n < length; ++n)
            x[n] = level (n) * std::sin (2.0 * pi * hz * (double) n / rate);
        return x;
    };
    auto memoryless = [] (const std::vector<double>& x)
    {
        std::vector<double> y (x.size());
        for (size_t n = 0; n < x.size(); ++n)
            y[n] = std::tanh (2.0 * x[n]);
        return y;
    };
    // A one-pole high-pass at 100 Hz before the nonlinearity: at 50 Hz it shifts the phase.
    auto highPassFirst = [&] (const std::vector<double>& x)
    {
        const auto c = std::exp (-2.0 * pi * 100.0 / rate);
        std::vector<double> y (x.size());
        double previousIn = 0.0, out = 0.0;
        for (size_t n = 0; n < x.size(); ++n)
        {
            out = c * (out + x[n] - previousIn);
            previousIn = x[n];
            y[n] = std::tanh (4.0 * out);
        }
        return y;
    };
    // Gain riding on the level: an envelope follower (5 ms attack, 50 ms release) turning it down.
    auto envelope = [&] (const std::vector<double>& x)
    {
        const auto attack = std::exp (-1.0 / (0.005 * rate)), release = std::exp (-1.0 / (0.05 * rate));
        std::vector<double> y (x.size());
        double env = 0.0;
        for (size_t n = 0; n < x.size(); ++n)
        {
            const auto level = std::abs (x[n]);
            env = level > env ? attack * env + (1.0 - attack) * level : release * env + (1.0 - release) * level;
            y[n] = x[n] / (1.0 + 2.0 * env);
        }
        return y;
    };
    const auto steady = [] (size_t) { return 0.9; };
    const auto swelling = [&] (size_t n) { return 0.1 + 0.8 * (0.5 - 0.5 * std::cos (2.0 * pi * (double) n / (double) length * 4.0)); };

    struct Case
    {
        const char* name;
        std::vector<double> x;
        std::function<std::vector<double> (const std::vector<double>&)> device;
        bool static_;
    };
    for (const auto& c : { Case { "memoryless", tone (997.0, steady), memoryless, true },
                           Case { "high-pass before tanh at 50 Hz", tone (50.0, steady), highPassFirst, false },
                           Case { "envelope follower", tone (997.0, swelling), envelope, false } })
    {
        const auto file = folder.getChildFile ("device.wav");
        writeWav (file, { c.x, c.device (c.x) }, rate);
        CommandRun run;
        const auto report = runJson (folder.getChildFile ("model.json"), { "measure", "--xy", file.getFullPathName() }, run);
        const auto esr = (double) report.getProperty ("esr", -1.0);
        const auto reasons = juce::JSON::toString (report.getProperty ("verdictReasons", {}));
        if (c.static_)
        {
            EXPECT_EQ (run.code, 0) << run.err;
            EXPECT_LT (esr, 1.0e-3) << c.name;
            EXPECT_EQ (report.getProperty ("verdict", {}).toString(), "good") << c.name << ": " << reasons;
            const auto harmonics = report.getProperty ("harmonics", {});
            EXPECT_NEAR ((double) harmonics.getProperty ("fundamentalHz", 0.0), 997.0, 0.05);
            for (int k = 0; k < 9; ++k)
                if ((double) harmonics["measuredDb"][k] > -100.0)
                    EXPECT_NEAR ((double) harmonics["predictedDb"][k], (double) harmonics["measuredDb"][k], 0.5) << "H" << k + 1;
        }
        else
        {
            EXPECT_NE (report.getProperty ("verdict", {}).toString(), "good") << c.name << ": ESR " << esr;
            EXPECT_TRUE (reasons.contains ("one static curve does not model")) << c.name << ": " << reasons;
        }
    }
}

// compare: a regression check between measured curves.
TEST_F (Files, compareChecksCurvesAgainstATolerance)
{
    auto path = [this] (const char* name) { return folder.getChildFile (name).getFullPathName(); };
    for (const auto* device : { "tanh", "hardclip" })
        ASSERT_EQ (sonderlith ({ "measure", "--demo", device, "-o", path ((juce::String (device) + ".tfunc").toRawUTF8()), "--csv",
                                 path ((juce::String (device) + ".csv").toRawUTF8()) })
                       .code,
                   0);
    // The same curve at 0.8 of the level, as a CSV: the shape is equal, the gain is not.
    juce::StringArray lines, quieter;
    lines.addLines (folder.getChildFile ("tanh.csv").loadFileAsString().trimEnd());
    quieter.add (lines[0]);
    for (int i = 1; i < lines.size(); ++i)
    {
        juce::StringArray cells;
        cells.addTokens (lines[i], ",", "");
        quieter.add (cells[0] + "," + juce::String (0.8 * cells[1].getDoubleValue(), 9));
    }
    folder.getChildFile ("quieter.csv").replaceWithText (quieter.joinIntoString ("\n") + "\n");
    folder.getChildFile ("junk.csv").replaceWithText ("a,b\n1,2\n");

    struct Case
    {
        juce::StringArray arguments;
        int code;
        const char* message;
    };
    for (const auto& c : { Case { { path ("tanh.tfunc"), path ("tanh.tfunc") }, 0, "max difference 0.000000" },
                           Case { { path ("tanh.tfunc"), path ("hardclip.tfunc") }, 4, "BEYOND" },
                           Case { { path ("tanh.tfunc"), path ("hardclip.tfunc"), "--tolerance", "0.5" }, 0, "within 0.5" },
                           Case { { path ("tanh.csv"), path ("quieter.csv") }, 4, "BEYOND" },
                           Case { { path ("tanh.csv"), path ("quieter.csv"), "--match-gain" }, 0, "gain 1.25" },
                           Case { { path ("tanh.tfunc"), path ("tanh.csv") }, 2, "curves of one kind" },
                           Case { { path ("tanh.csv"), path ("junk.csv") }, 1, "not a curve CSV" },
                           Case { { path ("tanh.tfunc"), path ("missing.tfunc") }, 1, "no such file" },
                           Case { { path ("tanh.tfunc") }, 2, "two or more curves" },
                           Case { { path ("tanh.tfunc"), path ("hardclip.tfunc"), "--png", path ("tanh.tfunc") }, 2, "--png writes a .png file" } })
    {
        auto arguments = c.arguments;
        arguments.insert (0, "compare");
        const auto run = sonderlith (arguments);
        EXPECT_EQ (run.code, c.code) << arguments.joinIntoString (" ") << ": " << run.err;
        EXPECT_TRUE ((run.out + run.err).contains (c.message)) << run.out << run.err;
    }

    // Three inputs: every pair in the JSON, and a picture.
    const auto json = folder.getChildFile ("compare.json"), png = folder.getChildFile ("compare.png");
    const auto run = sonderlith ({ "compare", path ("tanh.tfunc"), path ("hardclip.tfunc"), path ("tanh.tfunc"), "--json", json.getFullPathName(), "--png",
                                   png.getFullPathName() });
    EXPECT_EQ (run.code, 4);
    const auto report = juce::JSON::parse (json.loadFileAsString());
    ASSERT_EQ (report.getProperty ("pairs", {}).size(), 3);
    EXPECT_GT ((double) report["pairs"][0].getProperty ("maxDifference", 0.0), 0.05);
    EXPECT_EQ ((double) report["pairs"][1].getProperty ("maxDifference", 1.0), 0.0) << "A and C are the same file";
    EXPECT_GT ((double) report["pairs"][0].getProperty ("rmsDifference", 0.0), 0.0);
    EXPECT_FALSE ((bool) report.getProperty ("withinTolerance", true));
    EXPECT_EQ (juce::ImageFileFormat::loadFrom (png).getWidth(), 1600);
    png.copyFileTo (test::outputFolder().getChildFile ("compare.png"));
}

// The stimulus played through a device and recorded with an interface's
// delay: recognised, the delay found, its parts compared.
TEST_F (Files, stimulusRoundTrip)
{
    const auto stimulusFile = folder.getChildFile ("stimulus.wav");
    const auto written = sonderlith ({ "stimulus", stimulusFile.getFullPathName(), "--seconds", "12" });
    ASSERT_EQ (written.code, 0) << written.err;
    EXPECT_TRUE (written.out.contains ("pink noise"));

    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (stimulusFile));
    ASSERT_NE (reader, nullptr);
    EXPECT_EQ (reader->sampleRate, 48000.0);
    EXPECT_EQ (reader->bitsPerSample, 24u);
    juce::AudioBuffer<float> buffer (1, (int) reader->lengthInSamples);
    reader->read (&buffer, 0, buffer.getNumSamples(), 0, true, false);

    // Recorded with a little silence first, as a recorder started early leaves it.
    constexpr int lead = 12000, delay = 800;
    std::vector<double> x ((size_t) (lead + buffer.getNumSamples() + 4000), 0.0);
    for (int i = 0; i < buffer.getNumSamples(); ++i)
        x[(size_t) (lead + i)] = buffer.getSample (0, i);
    auto through = [&] (const std::function<double (double)>& curve, double lowPassHz)
    {
        // The curve, then (for a device with memory) a one-pole low-pass, then the interface's delay.
        const auto c = lowPassHz > 0.0 ? std::exp (-2.0 * 3.14159265358979323846 * lowPassHz / 48000.0) : 0.0;
        std::vector<double> y (x.size(), 0.0);
        double state = 0.0;
        for (size_t n = delay; n < x.size(); ++n)
        {
            state = c * state + (1.0 - c) * curve (x[n - delay]);
            y[n] = state;
        }
        return y;
    };
    struct Case
    {
        const char* name;
        double lowPassHz;
    };
    for (const auto& c : { Case { "memoryless", 0.0 }, Case { "low-pass after the curve", 6000.0 } })
    {
        const auto file = folder.getChildFile ("recorded.wav");
        writeWav (file, { x, through ([] (double v) { return std::tanh (1.5 * v); }, c.lowPassHz) }, 48000.0);
        CommandRun run;
        const auto report = runJson (folder.getChildFile ("stimulus.json"), { "measure", "--xy", file.getFullPathName(), "--auto-latency" }, run);
        const auto verdict = report.getProperty ("verdict", {}).toString();
        EXPECT_EQ (verdict == "good", c.lowPassHz == 0.0) << c.name << ": " << juce::JSON::toString (report.getProperty ("verdictReasons", {}));
        EXPECT_EQ (run.code, verdict == "failed" ? 3 : 0) << c.name << ": " << run.err;
        const auto stimulus = report.getProperty ("stimulus", {});
        ASSERT_TRUE (stimulus.isObject()) << c.name << ": not recognised";
        EXPECT_NEAR ((double) stimulus.getProperty ("startSeconds", 0.0), lead / 48000.0, 1.0e-3) << c.name;
        EXPECT_EQ (stimulus.getProperty ("parts", {}).size(), 5) << c.name;
        if (c.lowPassHz == 0.0)
        {
            EXPECT_NEAR ((double) report.getProperty ("estimatedDelaySamples", 0.0), delay, 0.05);
            EXPECT_LT ((double) stimulus.getProperty ("spread", 1.0), 0.005);
        }
        else
        {
            EXPECT_GT ((double) stimulus.getProperty ("spread", 0.0), 0.02) << "the 5 kHz sine is turned down, the 100 Hz one is not";
            EXPECT_TRUE (juce::JSON::toString (report.getProperty ("verdictReasons", {})).contains ("stimulus's parts"));
        }
        EXPECT_TRUE (run.out.contains ("stimulus")) << run.out;
    }

    const auto bad = sonderlith ({ "stimulus", folder.getChildFile ("s.flac").getFullPathName() });
    EXPECT_EQ (bad.code, 2);
    EXPECT_TRUE (bad.err.contains ("stimulus writes a .wav file")) << bad.err;
    EXPECT_EQ (sonderlith ({ "stimulus", stimulusFile.getFullPathName(), "--seconds", "3" }).code, 2) << "shorter than its parts need";
}

namespace
{
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

// A 997 Hz tone rising evenly in dB from -40 dBFS to -1 dBFS.
std::vector<double> levelSweep (size_t length)
{
    std::vector<double> out (length);
    for (size_t n = 0; n < length; ++n)
        out[n] = std::pow (10.0, (-40.0 + 39.0 * (double) n / (double) length) / 20.0) * std::sin (2.0 * juce::MathConstants<double>::pi * 997.0 * (double) n / 48000.0);
    return out;
}
} // namespace

// The verdict on sound, memoryless devices is "good" whatever the material
// (level sweeps, speech, drums, folding curves); a constant Y and a
// misaligned capture fail, the latter pointing to the remedy; an ideal wire
// with half a sample of delay is measured as one, given or found.
TEST_F (Files, verdictIsRightAboutSoundDevicesAndHonestAboutOthers)
{
    const auto& curves = test::staticCurves();
    const auto tanh = curves[0].f, foldBack = curves[3].f;
    constexpr size_t length = 1 << 18;
    const auto white = scaled (test::makeSignal (test::Signal::whiteNoise, length, 2), 0.9);
    const auto pink = scaled (test::makeSignal (test::Signal::pinkNoise, length, 2), 0.9);
    const auto drums = scaled (test::makeSignal (test::Signal::drumLike, length, 2), 0.9);
    const auto tone = scaled (test::makeSignal (test::Signal::sine, length, 2), 0.9);
    const auto stimulus = makeStimulus (48000.0, 10.0);
    struct Case
    {
        const char* name;
        std::vector<double> x, y;
        juce::StringArray arguments;
        const char* verdict;
        const char* reason = "";
        double esrBelow = 1.0;
    };
    const std::vector<Case> cases {
        { "level sweep through tanh", levelSweep (length), through (levelSweep (length), tanh), {}, "good" },
        { "speech through fold-back", scaled (test::makeSignal (test::Signal::speechLike, length, 2), 0.9),
          through (scaled (test::makeSignal (test::Signal::speechLike, length, 2), 0.9), foldBack), {}, "doubtful",
          "X covers only" }, // its troughs are shallower than its peaks: honest, and the only reason
        { "drums through tanh", drums, through (drums, tanh), {}, "good" },
        { "noise through fold-back", white, through (white, foldBack), {}, "good" },
        { "constant Y", white, std::vector<double> (length, 0.5), {}, "failed", "does not follow X" },
        { "drums through fold-back, Y 37 late", drums, through (test::delayed (drums, 37), foldBack), {}, "failed", "try --auto-latency" },
        { "tone through fold-back, found", tone, through (test::delayedIdeally (tone, 12.0), foldBack), { "--auto-latency" }, "good" },
        { "stimulus through tanh, Y 37.3 late, found", stimulus, through (test::delayedIdeally (stimulus, 37.3), tanh), { "--auto-latency" }, "good" },
        { "level sweep, found", levelSweep (length), through (test::delayedIdeally (levelSweep (length), 300.0), tanh), { "--auto-latency" },
          "doubtful", "cannot be told" },
        { "half-sample wire, given", white, test::delayedIdeally (white, 0.5), { "--delay", "0.5" }, "good", "", 1.0e-3 },
        { "half-sample wire, found", white, test::delayedIdeally (white, 0.5), { "--auto-latency" }, "good", "", 1.0e-3 },
        { "half-sample wire on pink noise", pink, test::delayedIdeally (pink, 0.5), { "--delay", "0.5" }, "good", "", 1.0e-5 },
    };
    const auto file = folder.getChildFile ("capture.wav");
    for (const auto& c : cases)
    {
        writeWav (file, { c.x, c.y }, 48000.0);
        CommandRun run;
        auto arguments = juce::StringArray { "measure", "--xy", file.getFullPathName() };
        arguments.addArray (c.arguments);
        const auto report = runJson (folder.getChildFile ("report.json"), arguments, run);
        const auto reasons = juce::JSON::toString (report.getProperty ("verdictReasons", {}));
        EXPECT_EQ (report.getProperty ("verdict", {}).toString(), c.verdict) << c.name << ": " << reasons << run.err;
        EXPECT_TRUE (reasons.contains (c.reason)) << c.name << ": " << reasons;
        if (juce::String (c.verdict) != "failed")
            EXPECT_LE (report.getProperty ("verdictReasons", {}).size(), 1) << c.name << ": no false alarm beside it: " << reasons;
        EXPECT_LT ((double) report.getProperty ("esr", 1.0), c.esrBelow) << c.name;
        double ySquares = 0.0;
        for (const auto v : c.y)
            ySquares += v * v;
        EXPECT_LE ((double) report.getProperty ("residualRms", 1.0e9), 1.0001 * std::sqrt (ySquares / (double) c.y.size()))
            << c.name << ": the residual cannot exceed Y itself";
        if (juce::String (c.name).startsWith ("half-sample wire, found"))
            EXPECT_NEAR ((double) report.getProperty ("estimatedDelaySamples", 0.0), 0.5, 0.02) << c.name;
        if (juce::String (c.name).startsWith ("stimulus"))
            EXPECT_NEAR ((double) report.getProperty ("estimatedDelaySamples", 0.0), 37.3, 0.02) << c.name;
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

// Outputs: a folder of the output's name is never replaced, "Cannot write"
// says why and which outputs were already written, a stale temporary left by
// an interrupted run is not appended to, and text from a preset reaches the
// terminal with its control characters shown, not obeyed.
TEST_F (Files, outputsAreWrittenWholeOrExplained)
{
    auto path = [this] (const char* name) { return folder.getChildFile (name).getFullPathName(); };
    folder.getChildFile ("taken.tfunc").createDirectory();
    const auto intoFolder = sonderlith ({ "measure", "--demo", "tanh", "-o", path ("ok.tfunc"), "--json", path ("taken.json"), "--csv", path ("a.csv") });
    ASSERT_EQ (intoFolder.code, 0) << intoFolder.err;
    const auto folderOutput = sonderlith ({ "measure", "--demo", "tanh", "-o", path ("taken.tfunc") });
    EXPECT_EQ (folderOutput.code, 1);
    EXPECT_TRUE (folderOutput.err.contains ("Cannot write " + path ("taken.tfunc") + ": it is a folder")) << folderOutput.err;
    EXPECT_TRUE (folder.getChildFile ("taken.tfunc").isDirectory());

    const auto missingFolder = sonderlith ({ "measure", "--demo", "tanh", "-o", path ("fine.tfunc"), "--json", path ("no/such/folder.json") });
    EXPECT_EQ (missingFolder.code, 1);
    EXPECT_TRUE (missingFolder.err.contains ("does not exist")) << missingFolder.err;
    EXPECT_TRUE (missingFolder.err.contains ("already written: " + path ("fine.tfunc"))) << missingFolder.err;

    folder.getChildFile (".stimulus.wav.part").replaceWithText (juce::String::repeatedString ("stale ", 10000));
    ASSERT_EQ (sonderlith ({ "stimulus", path ("stimulus.wav"), "--seconds", "10" }).code, 0);
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (folder.getChildFile ("stimulus.wav")));
    ASSERT_NE (reader, nullptr);
    EXPECT_EQ (reader->lengthInSamples, 480000);

    const auto bell = sonderlith ({ "measure", "--demo", "tanh", "-o", path ("bell.tfunc"), "--artist", "a\x1b[2Jb\x07" });
    ASSERT_EQ (bell.code, 0) << bell.err;
    const auto shown = sonderlith ({ "inspect", path ("bell.tfunc") });
    EXPECT_TRUE (shown.out.contains ("a\\x1b[2Jb\\x07")) << shown.out;
    EXPECT_FALSE (shown.out.containsChar (0x1b));
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

// What the command adapts is said, and what it cannot mean is refused: a
// setting in steps given a fraction, two flags for one delay, one file as
// both inputs, a channel for a stereo file; bad samples dropped, levels
// beyond full scale and a window cut at the end are announced; a delay or
// content that leaves nothing to measure is named for what it is.
TEST_F (Files, adaptationsAreAnnouncedAndAmbiguitiesRefused)
{
    const auto capture = playDemoDevice ({ "tanh", 48000.0, 997.0, 96000 });
    auto path = [this] (const char* name) { return folder.getChildFile (name).getFullPathName(); };
    writeWav (folder.getChildFile ("xy.wav"), { capture.x, capture.y }, 48000.0);
    auto withBad = capture;
    for (size_t i = 0; i < 96000; i += 1000)
        withBad.x[i] = std::nan ("");
    writeWav (folder.getChildFile ("bad.wav"), { scaled (withBad.x, 3.5), withBad.y }, 48000.0);
    writeWav (folder.getChildFile ("nan.wav"), { std::vector<double> (96000, std::nan ("")), capture.y }, 48000.0);
    writeWav (folder.getChildFile ("one.wav"), { { 0.5 }, { 0.25 } }, 48000.0);
    const auto longTone = playDemoDevice ({ "tanh", 48000.0, 997.0, (1 << 20) + 4096 });
    writeWav (folder.getChildFile ("long.wav"), { longTone.x, longTone.y }, 48000.0);

    struct Case
    {
        juce::StringArray arguments;
        int code;
        const char* message;
    };
    for (const auto& c : { Case { { "--xy", path ("xy.wav"), "--smoothing", "50.5" }, 2, "--smoothing expects a whole number from 1 to 100" },
                           Case { { "--x", path ("xy.wav"), "--y", path ("bad.wav"), "--channel", "1.5" }, 2, "--channel expects a whole number" },
                           Case { { "--xy", path ("xy.wav"), "--latency-x", "5", "--delay", "5" }, 2, "--latency-x and --delay each set the delay" },
                           Case { { "--xy", path ("xy.wav"), "--latency-x", "5", "--latency-y", "5" }, 2, "give one of them" },
                           Case { { "--x", path ("xy.wav"), "--y", path ("xy.wav") }, 2, "name the same file" },
                           Case { { "--xy", path ("xy.wav"), "--channel", "2" }, 2, "--channel picks the channel of --x and --y" },
                           Case { { "--xy", path ("nan.wav") }, 1, "every pair holds a sample that is not a number" },
                           Case { { "--xy", path ("xy.wav"), "--delay", "96000" }, 1, "X and Y do not overlap in the window of 2.000 s" },
                           Case { { "--xy", path ("one.wav") }, 1, "Too few pairs: 1" },
                           Case { { "--xy", path ("long.wav"), "--algorithm", "odr" }, 1, "--algorithm odr holds every pair in memory" },
                           Case { { "--xy", path ("long.wav"), "--algorithm", "mean", "--duration", "20" }, 0, "" },
                           Case { { "--xy", path ("bad.wav") }, 0, "96 of 96000 pairs hold a sample that is not a number" },
                           Case { { "--xy", path ("bad.wav") }, 0, "X peaks at +10.9 dBFS, beyond full scale" },
                           Case { { "--xy", path ("xy.wav"), "--start", "1.9", "--duration", "5" }, 0,
                                  "ends after the recording; measured 1.900 s to its end at 2.000 s" } })
    {
        auto arguments = c.arguments;
        arguments.insert (0, "measure");
        const auto run = sonderlith (arguments);
        EXPECT_EQ (run.code, c.code) << arguments.joinIntoString (" ") << ": " << run.err;
        EXPECT_TRUE (run.err.contains (c.message)) << arguments.joinIntoString (" ") << ": " << run.err;
    }

    CommandRun run;
    const auto report = runJson (folder.getChildFile ("freeze.json"), { "measure", "--xy", path ("xy.wav"), "--length", "16k" }, run);
    ASSERT_EQ (run.code, 0) << run.err;
    EXPECT_NEAR ((double) report.getProperty ("windowDurationSeconds", 0.0), 16384.0 / 48000.0, 1.0e-9) << "the pairs a freeze takes";
    EXPECT_NEAR ((double) report.getProperty ("windowStartSeconds", 0.0), (96000.0 - 16384.0) / 48000.0, 1.0e-9);
    const auto bad = runJson (folder.getChildFile ("bad.json"), { "measure", "--xy", path ("bad.wav") }, run);
    EXPECT_TRUE (juce::JSON::toString (bad.getProperty ("notices", {})).contains ("beyond full scale")) << "notices reach the JSON too";
}
