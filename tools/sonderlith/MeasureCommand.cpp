#include "tools/sonderlith/Subcommands.h"

#include "report/MeasurementDocuments.h"
#include "tools/sonderlith/MeasureOutputs.h"
#include "persistence/SafeFileWrite.h"
#include "persistence/TransferFunctionPreset.h"
#include "report/ReportPicture.h"
#include "tools/sonderlith/PluginCapture.h"
#include "tools/sonderlith/PluginSweep.h"

#include <optional>

namespace
{
struct MeasureRequest
{
    MeasureOptions options;
    MeasureOutputs outputs;
    FitAndOutputRequest fit;
    std::string xFile, yFile, xyFile, demoDevice;
    int channel = 1;
    std::optional<double> noiseDecibels;
    double demoDelay = 0.0;
    bool latencyGiven[3] {};
    std::string plugin, signal = "stimulus";
    std::vector<std::string> sets, sweeps;
    PluginPlay play;
    std::vector<SweepAxis> axes;
};

void addOptions (CLI::App& c, MeasureRequest& r)
{
    auto& o = r.options;
    once (c.add_option ("--x", r.xFile, "the device's input"))->type_name ("IN.wav");
    once (c.add_option ("--y", r.yFile, "the device's output, recorded with --x"))->type_name ("OUT.wav");
    once (c.add_option ("--channel", r.channel, "the channel of --x and --y to read, or of the plug-in's output (default 1)"))->check (wholeIn (1, 64));
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

    once (c.add_option ("--plugin", r.plugin, "a plug-in instead of recordings (VST3, LV2, LADSPA; see sonderlith plugins): the signal is played through it offline"))
        ->type_name ("ID");
    c.add_option ("--set", r.sets, "with --plugin: a parameter, by name or identifier, in the plug-in's units or as its text (\"12 dB\"); repeat for more")
        ->type_name ("NAME=VALUE")
        ->check ([] (const std::string& v) { return v.find ('=') == std::string::npos || v.front() == '=' ? "--set takes NAME=VALUE, not '" + v + "'" : std::string(); });
    c.add_option ("--sweep", r.sweeps, "with --plugin: one measurement a point from FROM to TO in STEPS (a parameter, or level in dBFS); "
                                        "several make a grid; -o then takes a pattern with {index} or {NAME}")
        ->type_name ("NAME=FROM:TO:STEPS");
    once (c.add_flag ("--normalised", r.play.normalised, "with --set and --sweep: values are normalised, 0 to 1"));
    once (c.add_option ("--signal", r.signal, "with --plugin: stimulus (default), sine (997 Hz), noise (uniform white) or an audio file"))->type_name ("SIGNAL");
    once (c.add_option ("--level", r.play.signal.levelDbfs, "with --plugin: the signal's peak, dBFS (default 0)"))->check (numberIn (-120.0, 24.0))->type_name ("DBFS");
    once (c.add_option ("--rate", r.play.signal.sampleRate, "with --plugin: sample rate, Hz (default 48000; a file plays at its own)"))
        ->check (numberIn (8000.0, 384000.0))
        ->type_name ("R");
    once (c.add_option ("--seconds", r.play.signal.seconds, "with --plugin: how long the stimulus, sine or noise plays (default 30)"))
        ->check (numberIn (1.0, longestPlayedSeconds))
        ->type_name ("S");
    once (c.add_option ("--block", r.play.blockSize, "with --plugin: the block size the plug-in is run at (default 512)"))->check (wholeIn (1, 65536))->type_name ("N");
    once (c.add_option ("--timeout", r.play.timeoutSeconds, "with --plugin: seconds the plug-in may take to load and play before it is stopped (default 60)"))
        ->check (numberIn (1.0, 3600.0))
        ->type_name ("S");

    once (c.add_option ("--start", o.start, "where the window of the recording begins, seconds"))->check (numberIn (0.0, 1.0e6))->type_name ("SECONDS");
    once (c.add_option_function<double> ("--duration", [&o] (double seconds) { o.duration = seconds; }, "how long the window is, seconds (default: to the end)"))
        ->check (numberIn (0.001, 1.0e6))
        ->type_name ("SECONDS");

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

    addFitAndOutputOptions (c, r.fit, r.options, r.outputs);
}

bool isSignalFile (const MeasureRequest& r) { return r.signal != "stimulus" && r.signal != "sine" && r.signal != "noise"; }

juce::String completeSweep (CLI::App& c, MeasureRequest& r)
{
    size_t points = 1;
    for (const auto& text : r.sweeps)
    {
        juce::String error;
        const auto axis = parseSweepAxis (juce::String::fromUTF8 (text.c_str()), error);
        if (! axis)
            return error;
        for (const auto& [name, value] : r.play.parameters)
            if (name == axis->name)
                return "--set and --sweep both set " + name + ": give one of them";
        for (const auto& other : r.axes)
            if (other.name == axis->name)
                return "--sweep names " + axis->name + " twice";
        if (axis->name == "level" && c.count ("--level") > 0)
            return "--level and --sweep level both set the level: give one of them";
        points *= (size_t) axis->steps;
        r.axes.push_back (*axis);
    }
    if (points > (size_t) mostSweepPoints)
        return "the sweep has " + juce::String ((juce::int64) points) + " points, more than " + juce::String (mostSweepPoints);
    const auto preset = juce::String::fromUTF8 (r.fit.presetFile.c_str());
    if (! r.axes.empty() && preset.isNotEmpty() && ! preset.contains ("{index}"))
        for (const auto& a : r.axes)
            if (! preset.contains ("{" + a.name + "}"))
                return "with --sweep, -o names a file for each point: put {index} or {" + a.name + "} in it";
    return {};
}

// The plug-in's options, which go with --plugin alone.
juce::String completePlugin (CLI::App& c, MeasureRequest& r)
{
    static const std::vector<std::string> pluginOnly { "--set", "--sweep", "--normalised", "--signal", "--level", "--rate", "--seconds", "--block", "--timeout" };
    if (r.plugin.empty())
    {
        for (const auto& name : pluginOnly)
            if (c.count (name) > 0)
                return juce::String (name) + " goes with --plugin";
        return {};
    }
    for (const auto* name : { "--delay", "--latency-x", "--latency-y", "--auto-latency" })
        if (c.count (name) > 0)
            return juce::String (name) + " does not go with --plugin: the latency the plug-in reports is taken out and the rest of its delay found";
    if (r.play.normalised && r.sets.empty() && r.sweeps.empty())
        return "--normalised says how --set and --sweep values are given: it goes with them";
    if (isSignalFile (r) && c.count ("--seconds") > 0)
        return "--seconds sets how long the stimulus, sine or noise plays; a file plays whole";
    if (r.signal == "stimulus" && r.play.signal.seconds < stimulusMinimumSeconds)
        return "the stimulus lasts at least " + juce::String (stimulusMinimumSeconds, 0) + " s (--seconds)";
    r.play.id = juce::String::fromUTF8 (r.plugin.c_str());
    r.play.signal.kind = isSignalFile (r) ? fileArgument (r.signal).getFullPathName() : juce::String (r.signal);
    r.play.outputChannel = r.channel - 1;
    for (const auto& set : r.sets)
    {
        const auto text = juce::String::fromUTF8 (set.c_str());
        r.play.parameters.emplace_back (text.upToFirstOccurrenceOf ("=", false, false).trim(), text.fromFirstOccurrenceOf ("=", false, false).trim());
    }
    r.options.autoLatency = true;
    return completeSweep (c, r);
}

// What the options mean together, checked before any work is done.
juce::String complete (CLI::App& c, MeasureRequest& r)
{
    auto& o = r.options;
    o.xFile = r.xFile.empty() ? juce::File() : fileArgument (r.xFile);
    o.yFile = r.yFile.empty() ? juce::File() : fileArgument (r.yFile);
    o.xyFile = r.xyFile.empty() ? juce::File() : fileArgument (r.xyFile);
    o.channel = r.channel - 1;
    completeFitAndOutputs (r.fit, o, r.outputs);
    if (! r.demoDevice.empty())
    {
        o.demo = DemoSettings {};
        o.demo->device = r.demoDevice;
        o.demo->noiseDecibels = r.noiseDecibels;
        o.demo->delaySamples = r.demoDelay;
    }

    juce::StringArray latencyOptions; // as given
    for (const auto* option : c.parse_order())
        for (const auto* name : { "--delay", "--latency-x", "--latency-y" })
            if (option->check_name (name))
                latencyOptions.addIfNotAlreadyThere (name);
    if (const auto problem = completePlugin (c, r); problem.isNotEmpty())
        return problem;
    if (! o.demo && (c.count ("--noise-db") > 0 || c.count ("--demo-delay") > 0))
        return "--noise-db and --demo-delay shape the built-in device: they go with --demo";
    if (o.autoLatency && ! latencyOptions.isEmpty())
        return "--auto-latency finds the delay itself: leave out --delay, --latency-x and --latency-y";
    if (latencyOptions.size() > 1)
        return latencyOptions.joinIntoString (" and ") + " each set the delay: give one of them (--delay S is Y behind X by S samples)";
    const auto fromFiles = o.xFile != juce::File() || o.yFile != juce::File();
    if ((fromFiles ? 1 : 0) + (o.xyFile != juce::File() ? 1 : 0) + (o.demo ? 1 : 0) + (r.plugin.empty() ? 0 : 1) != 1)
        return "Give exactly one input: --x and --y, --xy, --demo or --plugin";
    if (fromFiles && (o.xFile == juce::File() || o.yFile == juce::File()))
        return "--x and --y go together";
    if (fromFiles && o.xFile == o.yFile)
        return "--x and --y name the same file; for one file holding X (left) and Y (right) use --xy";
    if (c.count ("--channel") > 0 && ! fromFiles && r.plugin.empty())
        return "--channel picks the channel of --x and --y, or of the plug-in's output; --xy reads X from the left channel and Y from the right";
    const auto signalFile = isSignalFile (r) ? fileArgument (r.signal) : juce::File();
    return checkOutputs (outputFiles (r.outputs), { o.xFile, o.yFile, o.xyFile, signalFile });
}

juce::String figureOf (const std::optional<double>& v, int decimals) { return v && std::isfinite (*v) ? juce::String (*v, decimals) : juce::String ("-"); }

bool writeSweepOutputs (const MeasureRequest& r, const Sweep& sweep, CommandStreams& s)
{
    const auto& out = r.outputs;
    auto written = [&] (const juce::File& file, const juce::Result& result)
    {
        if (result.failed())
            s.err << "Cannot write " << file.getFullPathName() << ": " << result.getErrorMessage() << "\n";
        return result.wasOk();
    };
    auto text = [&] (const juce::File& file, const juce::String& t)
    {
        const auto utf8 = t.toStdString();
        return written (file, replaceFileSafely (file, utf8.data(), utf8.size()));
    };
    bool ok = true;
    for (const auto& p : sweep.points)
        if (out.presetFile != juce::File() && p.outcome && (p.outcome->judgement.verdict != Verdict::failed || out.force))
        {
            const auto preset = writeTransferFunctionPreset (p.outcome->fit.smoothedBins, out.artist);
            const auto file = sweepPointFile (out.presetFile, p, (int) sweep.points.size());
            ok = (preset.ok ? written (file, replaceFileSafely (file, preset.data.getData(), preset.data.getSize())) : false) && ok;
        }
    if (out.jsonFile != juce::File())
        ok = text (out.jsonFile, sweepAsJson (r.options, sweep)) && ok;
    if (out.csvFile != juce::File())
        ok = text (out.csvFile, sweepAsCsv (sweep)) && ok;
    if (out.pngFile != juce::File())
        ok = written (out.pngFile, writePicture (drawFamilyPicture (sweep, out.picture), out.pngFile)) && ok;
    return ok;
}

int runSweepCommand (const MeasureRequest& r, CommandStreams& s)
{
    const auto points = (int) sweepGrid (r.axes).size();
    const auto sweep = runSweep (r.play, r.options, r.axes, [&] (const SweepPoint& p, int done)
                                 {
                                     if (s.progress)
                                         s.progress ("point " + juce::String (done) + " of " + juce::String (points) + " measured");
                                     juce::ignoreUnused (p);
                                 });
    s.out << "POINT  " << juce::String ("VALUES").paddedRight (' ', 30) << "VERDICT    ESR         GAIN dB   H3 dB\n";
    bool unmeasured = false, failed = false;
    for (const auto& p : sweep.points)
    {
        s.out << juce::String (p.index).paddedRight (' ', 7) << describeValues (p).paddedRight (' ', 30);
        if (p.outcome)
        {
            const auto& o = *p.outcome;
            const auto gain = o.levels.smallSignalGain && *o.levels.smallSignalGain != 0.0 ? std::optional (20.0 * std::log10 (std::abs (*o.levels.smallSignalGain)))
                                                                                          : std::nullopt;
            const auto h3 = o.harmonics && o.harmonics->measuredDb.size() > 2 ? std::optional (o.harmonics->measuredDb[2]) : std::nullopt;
            s.out << verdictName (o.judgement.verdict).paddedRight (' ', 11) << juce::String (o.report.esr, 6).paddedRight (' ', 12)
                  << figureOf (gain, 2).paddedRight (' ', 10) << figureOf (h3, 1) << "\n";
        }
        else
            s.out << "not measured: " << p.error.upToFirstOccurrenceOf ("\n", false, false) << "\n";
        unmeasured = unmeasured || p.exitCode == exitCodes::failure;
        failed = failed || p.exitCode == exitCodes::verdictFailed;
    }
    if (! writeSweepOutputs (r, sweep, s))
        return exitCodes::failure;
    for (const auto& file : { r.outputs.jsonFile, r.outputs.csvFile, r.outputs.pngFile })
        if (file != juce::File())
            s.out << "wrote " << file.getFullPathName() << "\n";
    // A point that could not be measured outweighs a failed verdict.
    return unmeasured ? exitCodes::failure : failed ? exitCodes::verdictFailed : exitCodes::ok;
}

int run (const MeasureRequest& request, CommandStreams& s)
{
    auto r = request;
    if (! r.axes.empty())
        return runSweepCommand (r, s);
    if (! r.plugin.empty())
    {
        if (s.progress)
            s.progress ("playing the signal through the plug-in");
        auto capture = playThroughPlugin (r.play);
        if (capture.error.isNotEmpty())
        {
            s.err << capture.error << "\n";
            return exitCodes::failure;
        }
        r.options.rendered = std::move (capture.device);
    }
    return measureAndReport (r.options, r.outputs, s);
}
} // namespace

CommandRun addMeasureCommand (CLI::App& app)
{
    auto* c = app.add_subcommand ("measure", "Measure a device's static curve y = f(x) from recordings of its input and output, or from a built-in device");
    auto request = std::make_shared<MeasureRequest>();
    addOptions (*c, *request);
    c->footer ("Exit codes: 0 good or doubtful, 1 cannot read, fit, play or write, 2 wrong usage, 3 verdict \"failed\".\n"
               "Example: sonderlith measure --x dry.wav --y wet.flac --delay 37 -o amp.tfunc\n"
               "Example: sonderlith measure --plugin foldover_1213.so:foldover --set Drive=0.5 -o fold.tfunc\n"
               "With --plugin the plug-in is loaded offline in a process of its own, reset, given 0.5 s of silence and then the signal on\n"
               "every channel of its main input (a sidechain stays silent); the latency it reports is taken out and the rest of its delay found.\n");
    return completeThenRun (*c, request, complete, run);
}
