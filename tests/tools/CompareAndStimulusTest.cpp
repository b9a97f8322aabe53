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

// compare and stimulus, end to end.

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
