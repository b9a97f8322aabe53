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

// The verdict and the model check as a user reads them in the report.

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
