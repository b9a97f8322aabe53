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

// The command as a user meets it: help, version, and refusals that name the
// real reason and write nothing.

TEST (CommandLine, everySubcommandHasHelp)
{
    // An option each command has and one only another has: a help that lost
    // its options, or showed another command's, fails.
    struct Case
    {
        const char* command;
        const char* own;
        const char* foreign;
    };
    for (const auto& c : { Case { "measure", "--auto-latency", "--match-gain" }, Case { "inspect", "--png", "--auto-latency" },
                           Case { "compare", "--match-gain", "--seconds" }, Case { "stimulus", "--seconds", "--tolerance" },
                           Case { "host-check", "BUNDLE", "--png" } })
        for (const auto& arguments : { juce::StringArray { c.command, "--help" }, juce::StringArray { c.command, "-h" }, juce::StringArray { "help", c.command } })
        {
            const auto run = sonderlith (arguments);
            const auto where = arguments.joinIntoString (" ");
            EXPECT_EQ (run.code, 0) << where << ": " << run.err;
            EXPECT_TRUE (run.out.contains (juce::String ("Usage: sonderlith ") + c.command)) << where << ": " << run.out;
            EXPECT_TRUE (run.out.contains (c.own)) << where;
            EXPECT_FALSE (run.out.contains (c.foreign)) << where << ": only that command's options";
        }
    const auto all = sonderlith ({ "--help" });
    EXPECT_EQ (all.code, 0);
    for (const auto* command : { "measure", "inspect", "compare", "stimulus", "host-check" })
        EXPECT_TRUE (all.out.contains (juce::String ("  ") + command + " ")) << command << " missing from: " << all.out;
}

// Usage errors: exit code 2, the problem named, and the usage when nothing
// was asked at all.
TEST (CommandLine, usageErrorsExitTwoAndSayWhy)
{
    struct Case
    {
        juce::StringArray arguments;
        const char* message;
    };
    for (const auto& c : { Case { {}, "Usage: sonderlith" },
                           Case { { "frobnicate" }, "Unknown command 'frobnicate'" },
                           Case { { "--frobnicate" }, "Unknown option '--frobnicate'" },
                           Case { { "measure", "--demo", "fuzz" }, "--demo: fuzz not in {tanh,hardclip,asym,hysteresis}" },
                           Case { { "measure", "--demo", "tanh", "--force", "--force" }, "--force is given twice" },
                           Case { { "measure", "--demo", "tanh", "--theme", "sepia" }, "--theme: sepia not in {dark,light}" },
                           Case { { "measure", "--demo", "tanh", "--size", "100x100" }, "--size: expects WIDTHxHEIGHT in pixels, 320x240 to 8000x8000, not '100x100'" },
                           Case { { "measure", "--demo", "tanh", "--delay", "nan" }, "--delay: expects a number" },
                           Case { { "measure", "--demo", "tanh", "--start" }, "--start" },
                           Case { { "inspect", "a.tfunc", "b.tfunc" }, "not expected: b.tfunc" },
                           Case { { "inspect" }, "preset is required" },
                           Case { { "stimulus", "a.wav", "b.wav" }, "not expected: b.wav" },
                           Case { { "stimulus", "a.wav", "--bits", "16" }, "--bits: 16 not in {24,32f}" },
                           Case { { "stimulus", "a.flac" }, "stimulus writes a .wav file, not 'a.flac'" },
                           Case { { "compare", "a.tfunc" }, "compare needs two or more curves" },
                           Case { { "host-check" }, "bundle is required" } })
    {
        const auto run = sonderlith (c.arguments);
        const auto where = c.arguments.joinIntoString (" ");
        EXPECT_EQ (run.code, 2) << where << ": " << run.err;
        EXPECT_TRUE (run.err.contains (c.message)) << where << ": " << run.err;
        EXPECT_TRUE (run.out.isEmpty()) << where << ": " << run.out;
    }
}

// Choices are taken in any case, the same for every option; "--" ends the
// options, so a file may begin with a dash (or be named like a command).
TEST_F (Files, choicesInAnyCaseAndFilesAfterDoubleDash)
{
    const auto preset = folder.getChildFile ("tanh.tfunc");
    const auto measured = sonderlith ({ "measure", "--demo", "TanH", "--algorithm", "MEAN", "--length", "16K", "--theme", "Light", "-o",
                                        preset.getFullPathName() });
    ASSERT_EQ (measured.code, 0) << measured.err;
    EXPECT_TRUE (measured.out.contains ("mean, smoothing 50, length 16k")) << measured.out;
    EXPECT_EQ (sonderlith ({ "stimulus", folder.getChildFile ("s.wav").getFullPathName(), "--bits", "32F", "--seconds", "10" }).code, 0);

    ASSERT_TRUE (preset.copyFileTo (folder.getChildFile ("-dash.tfunc")));
    ASSERT_TRUE (preset.copyFileTo (folder.getChildFile ("measure")));
    const auto previous = juce::File::getCurrentWorkingDirectory();
    folder.setAsCurrentWorkingDirectory();
    const auto compared = sonderlith ({ "compare", "tanh.tfunc", "--", "-dash.tfunc", "measure" });
    const auto inspected = sonderlith ({ "inspect", "--", "-dash.tfunc" });
    previous.setAsCurrentWorkingDirectory();
    EXPECT_EQ (compared.code, 0) << compared.err;
    EXPECT_TRUE (compared.out.contains (folder.getChildFile ("-dash.tfunc").getFullPathName() + " (preset)")) << compared.out;
    EXPECT_TRUE (compared.out.contains ("A vs C: max difference 0.000000")) << compared.out;
    EXPECT_EQ (inspected.code, 0) << inspected.err;
    EXPECT_TRUE (inspected.out.contains ("16384")) << inspected.out;
}

TEST (CommandLine, versionIsTheProductRelease)
{
    const auto run = sonderlith ({ "--version" });
    EXPECT_EQ (run.code, 0);
    EXPECT_EQ (run.out, juce::String ("sonderlith ") + currentReleaseVersion + "\n");
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
                           Case { { "measure", "--demo", "tanh", "--bogus", "-o", out }, 2, "The following argument was not expected: --bogus" },
                           Case { { "measure", "-o", out }, 2, "exactly one input" },
                           Case { { "measure", "--xy", path ("x.wav"), "--xy", path ("few.wav"), "-o", out }, 2, "--xy is given twice" },
                           Case { { "measure", "--demo", "tanh", "-o", out, "--output", path ("b.tfunc") }, 2, "--output is given twice" },
                           Case { { "measure", "--xy", path ("x.wav"), "--noise-db", "-40", "-o", out }, 2, "go with --demo" },
                           Case { { "measure", "--xy", path ("x.wav"), "--demo-delay", "4", "-o", out }, 2, "go with --demo" },
                           Case { { "measure", "--demo", "tanh", "--auto-latency", "--delay", "3", "-o", out }, 2, "leave out --delay" },
                           Case { { "measure", "--demo", "tanh", "--auto-latency", "--latency-x", "3", "-o", out }, 2, "leave out --delay" },
                           Case { { "measure", "--demo", "tanh", "--algorithm", "median", "-o", out }, 2, "--algorithm: median not in {auto,mean,odr}" },
                           Case { { "measure", "--demo", "tanh", "--length", "1k", "-o", out }, 2, "--length: 1k not in {all,16k,32k,64k,128k}" },
                           Case { { "measure", "--demo", "tanh", "--start", "10", "-o", out }, 1, "--start 10.000 s is past the end of the recording (2.731 s)" },
                           Case { { "measure", "--xy", path ("truncated.wav"), "-o", out }, 1, "truncated: its header promises 70000 samples, the file holds 30000" },
                           Case { { "measure", "--xy", path ("mulaw.wav"), "-o", out }, 1, "WAV encoding (format 7, 8 bits) is not supported" },
                           Case { { "measure", "--xy", path ("double.wav"), "-o", out }, 1,
                                  "(format 3, 64 bits) is not supported; this command reads integer PCM (8, 16, 24 or 32 bits) and floating point (32 bits)" },
                           Case { { "measure", "--xy", path ("x.wav"), "--latency-x", "600", "-o", out }, 2, "--latency-x: expects a number from 0 to 512, not '600'" },
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
    EXPECT_TRUE (inspected.err.contains ("broken.tfunc is not a Sonderlith preset (.tfunc): no preset data in it")) << inspected.err;

    const auto wav = sonderlith ({ "inspect", path ("x.wav") });
    EXPECT_EQ (wav.code, 1);
    EXPECT_TRUE (wav.err.contains ("x.wav is not a Sonderlith preset")) << wav.err;
    EXPECT_FALSE (wav.err.contains ("ValueTree")) << "no toolkit internals";
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
    for (const auto& c : { Case { { "--xy", path ("xy.wav"), "--smoothing", "50.5" }, 2, "--smoothing: expects a whole number from 1 to 100, not '50.5'" },
                           Case { { "--x", path ("xy.wav"), "--y", path ("bad.wav"), "--channel", "1.5" }, 2, "--channel: expects a whole number from 1 to 64, not '1.5'" },
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
