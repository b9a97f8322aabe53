#include "tools/sonderlith/Subcommands.h"

#include "report/MeasurementDocuments.h"
#include "tools/sonderlith/MeasureOutputs.h"

#include <optional>

namespace
{
struct MeasureRequest
{
    MeasureOptions options;
    MeasureOutputs outputs;
    std::string xFile, yFile, xyFile, demoDevice, presetFile, csvFile, jsonFile, pngFile, algorithm = "auto", length = "all";
    int channel = 1;
    std::optional<double> noiseDecibels;
    double demoDelay = 0.0;
    bool latencyGiven[3] {};
};

// The plug-in's capture lengths, or every pair ("all").
std::optional<int> pairsOfLength (const std::string& name)
{
    for (const auto& [text, pairs] : { std::pair { "16k", 16384 }, std::pair { "32k", 32768 }, std::pair { "64k", 65536 }, std::pair { "128k", 131072 } })
        if (name == text)
            return pairs;
    return std::nullopt;
}

MeasureAlgorithm algorithmNamed (const std::string& name)
{
    return name == "mean" ? MeasureAlgorithm::mean : name == "odr" ? MeasureAlgorithm::odr : MeasureAlgorithm::automatic;
}

void addOptions (CLI::App& c, MeasureRequest& r)
{
    auto& o = r.options;
    once (c.add_option ("--x", r.xFile, "the device's input"))->type_name ("IN.wav");
    once (c.add_option ("--y", r.yFile, "the device's output, recorded with --x"))->type_name ("OUT.wav");
    once (c.add_option ("--channel", r.channel, "the channel of --x and --y to read (default 1)"))->check (wholeIn (1, 64));
    once (c.add_option ("--xy", r.xyFile, "one stereo file: X left, Y right"))->type_name ("FILE");
    once (c.add_option ("--demo", r.demoDevice, "a built-in device instead of recordings: a 0 dB sine through a known curve"))
        ->transform (oneOf (demoDeviceNames()))
        ->type_name ("DEVICE");
    once (c.add_option_function<double> ("--noise-db", [&r] (double db) { r.noiseDecibels = db; }, "noise added to the built-in device's output, RMS in dBFS"))
        ->check (numberIn (-200.0, 0.0))
        ->type_name ("DB");
    once (c.add_option ("--demo-delay", r.demoDelay, "the built-in device's own delay, Y behind X, samples"))
        ->check (numberIn (0.0, 100000.0))
        ->type_name ("SAMPLES");

    once (c.add_option ("--algorithm", r.algorithm, "auto (default) fits recordings of any material; mean and odr are the plug-in's estimators"))
        ->transform (oneOf ({ "auto", "mean", "odr" }));
    once (c.add_option ("--length", r.length, "all (default) uses every pair of the window; 16k..128k take the newest pairs, as a freeze does"))
        ->transform (oneOf ({ "all", "16k", "32k", "64k", "128k" }));
    once (c.add_option ("--start", o.start, "where the window of the recording begins, seconds"))->check (numberIn (0.0, 1.0e6))->type_name ("SECONDS");
    once (c.add_option_function<double> ("--duration", [&o] (double seconds) { o.duration = seconds; }, "how long the window is, seconds (default: to the end)"))
        ->check (numberIn (0.001, 1.0e6))
        ->type_name ("SECONDS");
    once (c.add_option ("--smoothing", o.smoothing, "the curve's smoothing, as the plug-in's knob (default 50)"))->check (wholeIn (1, 100));

    once (c.add_option_function<double> ("--delay", [&r] (double d) { r.options.delay = d; r.latencyGiven[0] = true; },
                                         "Y lags X by S samples (negative: Y leads); taken out before fitting"))
        ->check (numberIn (-1.0e7, 1.0e7))
        ->type_name ("S");
    once (c.add_option_function<double> ("--latency-x", [&r] (double d) { r.options.latencyX = d; r.latencyGiven[1] = true; },
                                         "the plug-in's parameter: delays X by S (0..512), the same as --delay S"))
        ->check (numberIn (0.0, 512.0))
        ->type_name ("S");
    once (c.add_option_function<double> ("--latency-y", [&r] (double d) { r.options.latencyY = d; r.latencyGiven[2] = true; },
                                         "the plug-in's parameter: delays Y by S (0..512), the same as --delay -S"))
        ->check (numberIn (0.0, 512.0))
        ->type_name ("S");
    once (c.add_flag ("--auto-latency", o.autoLatency, "finds that delay itself, within a second either way"));

    once (c.add_option ("-o,--output", r.presetFile, "the preset for the companion waveshaper"))->type_name ("FILE.tfunc");
    once (c.add_option ("--csv", r.csvFile, "the curve as a table"))->type_name ("FILE.csv");
    once (c.add_option ("--json", r.jsonFile, "the report for programs"))->type_name ("FILE.json");
    once (c.add_option ("--png", r.pngFile, "the report picture"))->type_name ("FILE.png");
    addPictureOptions (c, r.outputs.picture);
    once (c.add_flag ("--force", r.outputs.force, "write the preset and CSV even when the verdict is \"failed\""));
    once (c.add_option_function<std::string> ("--artist", [&r] (const std::string& name) { r.outputs.artist = juce::String::fromUTF8 (name.c_str()); },
                                              "the name the preset carries"))
        ->type_name ("NAME");
}

// What the options mean together, checked before any work is done.
juce::String complete (CLI::App& c, MeasureRequest& r)
{
    auto& o = r.options;
    o.xFile = r.xFile.empty() ? juce::File() : fileArgument (r.xFile);
    o.yFile = r.yFile.empty() ? juce::File() : fileArgument (r.yFile);
    o.xyFile = r.xyFile.empty() ? juce::File() : fileArgument (r.xyFile);
    o.channel = r.channel - 1;
    o.algorithm = algorithmNamed (r.algorithm);
    o.length = pairsOfLength (r.length);
    if (! r.demoDevice.empty())
    {
        o.demo = DemoSettings {};
        o.demo->device = r.demoDevice;
        o.demo->noiseDecibels = r.noiseDecibels;
        o.demo->delaySamples = r.demoDelay;
    }
    auto& out = r.outputs;
    out.presetFile = r.presetFile.empty() ? juce::File() : fileArgument (r.presetFile);
    out.csvFile = r.csvFile.empty() ? juce::File() : fileArgument (r.csvFile);
    out.jsonFile = r.jsonFile.empty() ? juce::File() : fileArgument (r.jsonFile);
    out.pngFile = r.pngFile.empty() ? juce::File() : fileArgument (r.pngFile);

    juce::StringArray latencyOptions; // as given
    for (const auto* option : c.parse_order())
        for (const auto* name : { "--delay", "--latency-x", "--latency-y" })
            if (option->check_name (name))
                latencyOptions.addIfNotAlreadyThere (name);
    if (! o.demo && (c.count ("--noise-db") > 0 || c.count ("--demo-delay") > 0))
        return "--noise-db and --demo-delay shape the built-in device: they go with --demo";
    if (o.autoLatency && ! latencyOptions.isEmpty())
        return "--auto-latency finds the delay itself: leave out --delay, --latency-x and --latency-y";
    if (latencyOptions.size() > 1)
        return latencyOptions.joinIntoString (" and ") + " each set the delay: give one of them (--delay S is Y behind X by S samples)";
    const auto fromFiles = o.xFile != juce::File() || o.yFile != juce::File();
    if ((fromFiles ? 1 : 0) + (o.xyFile != juce::File() ? 1 : 0) + (o.demo ? 1 : 0) != 1)
        return "Give exactly one input: --x and --y, --xy, or --demo";
    if (fromFiles && (o.xFile == juce::File() || o.yFile == juce::File()))
        return "--x and --y go together";
    if (fromFiles && o.xFile == o.yFile)
        return "--x and --y name the same file; for one file holding X (left) and Y (right) use --xy";
    if (c.count ("--channel") > 0 && ! fromFiles)
        return "--channel picks the channel of --x and --y; --xy reads X from the left channel and Y from the right";
    return checkOutputs ({ { "-o", out.presetFile, ".tfunc" }, { "--csv", out.csvFile, ".csv" }, { "--json", out.jsonFile, ".json" }, { "--png", out.pngFile, ".png" } },
                         { o.xFile, o.yFile, o.xyFile });
}

int run (const MeasureRequest& r, CommandStreams& s)
{
    const auto outcome = measure (r.options, s.progress);
    for (const auto& notice : outcome.notices)
        s.err << "note: " << notice << "\n";
    if (! outcome.ok)
    {
        s.err << outcome.error << "\n";
        return exitCodes::failure;
    }
    if (s.progress)
        s.progress ("writing");
    if (juce::String error; ! writeOutputs (r.options, r.outputs, outcome, error))
    {
        s.err << error << "\n";
        return exitCodes::failure;
    }
    s.out << reportAsText (r.options, outcome);
    const auto& out = r.outputs;
    const auto withheld = curveIsWithheld (out, outcome);
    for (const auto& file : { out.presetFile, out.pngFile, out.csvFile, out.jsonFile })
        if (file != juce::File() && ! (withheld && (file == out.presetFile || file == out.csvFile)))
            s.out << "wrote " << file.getFullPathName() << "\n";
    if (withheld && (out.presetFile != juce::File() || out.csvFile != juce::File()))
        s.err << "The measurement failed: no preset or CSV written (--force writes them anyway)\n";
    return outcome.judgement.verdict == Verdict::failed ? exitCodes::verdictFailed : exitCodes::ok;
}
} // namespace

CommandRun addMeasureCommand (CLI::App& app)
{
    auto* c = app.add_subcommand ("measure", "Measure a device's static curve y = f(x) from recordings of its input and output, or from a built-in device");
    auto request = std::make_shared<MeasureRequest>();
    addOptions (*c, *request);
    c->footer ("Exit codes: 0 good or doubtful, 1 cannot read, fit or write, 2 wrong usage, 3 verdict \"failed\".\n"
               "Example: sonderlith measure --x dry.wav --y wet.flac --delay 37 -o amp.tfunc\n");
    return [c, request] (CommandStreams& s)
    {
        if (const auto problem = complete (*c, *request); problem.isNotEmpty())
            throw UsageError { problem };
        return run (*request, s);
    };
}
