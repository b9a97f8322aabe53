#include "dialogs/ReleaseVersion.h"
#include "persistence/TransferFunctionPreset.h"
#include "tests/support/ImageOutput.h"
#include "tools/measurement/CommandLine.h"
#include "tools/measurement/Measurement.h"

#include <juce_audio_formats/juce_audio_formats.h>
#include <juce_graphics/juce_graphics.h>

#include <gtest/gtest.h>

#include <cmath>

namespace
{
struct Run
{
    int code;
    juce::String out, err;
};

Run sonderlith (const juce::StringArray& arguments)
{
    Run run {};
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
        CaptureAlgorithm algorithm;
        double peak, tolerance, hysteresis;
    };
    // The published table peaks at 1, so each ideal curve is divided by its
    // own peak; the smoothing window rounds the hard clip's corners. The
    // hysteresis device's fit is the curve midway between its branches, which
    // are 0.2 apart in its own units.
    for (const auto& c : { Case { "tanh", CaptureAlgorithm::Mean, 1.0, 0.02, 0.0 }, Case { "tanh", CaptureAlgorithm::ODR, 1.0, 0.02, 0.0 },
                           Case { "hardclip", CaptureAlgorithm::Mean, 1.0, 0.05, 0.0 }, Case { "asym", CaptureAlgorithm::ODR, 0.95, 0.02, 0.0 },
                           Case { "hysteresis", CaptureAlgorithm::Mean, 1.0, 0.02, 0.2 }, Case { "hysteresis", CaptureAlgorithm::ODR, 1.0, 0.02, 0.2 } })
    {
        auto options = demo (c.device);
        options.algorithm = c.algorithm;
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
        EXPECT_NEAR (*outcome.estimatedDelay, c.delay, 0.05) << c.device << " " << c.delay;
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
    EXPECT_EQ (lines[0], "x,y");
    const auto report = juce::JSON::parse (json.loadFileAsString());
    EXPECT_EQ ((int) report.getProperty ("pairsUsed", 0), 65536);
    EXPECT_TRUE (report.hasProperty ("repeatability"));

    const auto picture = juce::ImageFileFormat::loadFrom (png);
    EXPECT_EQ (picture.getWidth(), 800);
    EXPECT_EQ (picture.getHeight(), 800);
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
    EXPECT_EQ (juce::ImageFileFormat::loadFrom (curvePicture).getWidth(), 800);
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
    const auto out = folder.getChildFile ("out.tfunc").getFullPathName();
    auto path = [this] (const char* name) { return folder.getChildFile (name).getFullPathName(); };

    struct Case
    {
        juce::StringArray arguments;
        int code;
        const char* message;
    };
    for (const auto& c : { Case { { "measure", "--x", path ("x.wav"), "--y", path ("y44.wav"), "-o", out }, 1, "differ in sample rate" },
                           Case { { "measure", "--xy", path ("silent.wav"), "-o", out }, 1, "No signal at the device input" },
                           Case { { "measure", "--xy", path ("few.wav"), "-o", out }, 1, "Too few pairs" },
                           Case { { "measure", "--xy", path ("junk.wav"), "-o", out }, 1, "not audio in a format this command reads (*.wav" },
                           Case { { "measure", "--xy", path ("missing.wav"), "-o", out }, 1, "there is no such file" },
                           Case { { "measure", "--xy", path ("x.wav"), "-o", out }, 1, "has no channel 2" },
                           Case { { "measure", "--demo", "tanh", "--smoothing", "500", "-o", out }, 2, "--smoothing" },
                           Case { { "measure", "--demo", "tanh", "--bogus", "-o", out }, 2, "Unknown option" },
                           Case { { "measure", "-o", out }, 2, "exactly one input" },
                           Case { { "measure", "--xy", path ("x.wav"), "--xy", path ("few.wav"), "-o", out }, 2, "--xy is given twice" },
                           Case { { "measure", "--demo", "tanh", "-o", out, "--output", path ("b.tfunc") }, 2, "--output is given twice" },
                           Case { { "measure", "--xy", path ("x.wav"), "--noise-db", "-40", "-o", out }, 2, "go with --demo" },
                           Case { { "measure", "--xy", path ("x.wav"), "--png", path ("x.wav"), "-o", out }, 2, "--png writes a .png file" },
                           Case { { "measure", "--demo", "tanh", "-o", path ("curve.png") }, 2, "-o writes a .tfunc file" },
                           Case { { "measure", "--demo", "tanh", "-o", out, "--json", path ("curve.csv") }, 2, "--json writes a .json file" },
                           Case { { "measure", "--x", path ("x.png"), "--y", path ("short.wav"), "--png", path ("x.png"), "-o", out }, 2,
                                  "would overwrite" },
                           Case { { "measure", "--demo", "tanh", "--csv", path ("a.csv"), "--png", path ("a.png"), "-o", out,
                                    "--json", path ("a.json"), "--artist", "x", "--artist", "y" }, 2, "--artist is given twice" },
                           Case { { "frobnicate" }, 2, "Unknown command" } })
    {
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
    for (const auto* command : { "measure", "inspect", "host-check" })
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
        EXPECT_EQ ((int) report.getProperty ("pairsUsed", 0), 65536) << name;
        return (double) report.getProperty ("residualRms", 1.0);
    };
    const auto fromWav = residual ("xy.wav");
    EXPECT_NEAR (residual ("xy.flac"), fromWav, 1.0e-4) << "24-bit FLAC is as good as the float WAV here";
    EXPECT_LT (residual ("xy.ogg"), 0.05) << "lossy, but the curve is there";
}
