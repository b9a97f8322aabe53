#include "tools/measurement/CommandLine.h"

#include "dialogs/ReleaseVersion.h"
#include "persistence/TransferFunctionPreset.h"
#include "tools/measurement/InputFile.h"
#include "tools/measurement/Measurement.h"
#include "dsp/Stimulus.h"
#include "tools/measurement/ReportPicture.h"
#include "persistence/SafeFileWrite.h"

#include <cmath>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace
{
struct Arguments
{
    juce::StringArray words;
    int next = 0;
    juce::String error;

    bool more() const { return next < words.size(); }
    juce::String take() { return words[next++]; }

    juce::String value (const juce::String& option)
    {
        if (! more())
            error = option + " needs a value";
        return more() ? take() : juce::String();
    }

    std::optional<double> number (const juce::String& option, double minimum, double maximum)
    {
        const auto text = value (option);
        const auto v = text.getDoubleValue();
        if (error.isEmpty() && (! text.containsOnly ("0123456789.-+e") || text.isEmpty() || ! std::isfinite (v) || v < minimum || v > maximum))
            error = option + " expects a number from " + juce::String (minimum) + " to " + juce::String (maximum) + ", not '" + text + "'";
        return error.isEmpty() ? std::optional<double> (v) : std::nullopt;
    }

    // A count or a setting in steps: 1.5 is refused, not taken as 1.
    std::optional<int> whole (const juce::String& option, int minimum, int maximum)
    {
        const auto v = number (option, minimum, maximum);
        if (v && *v != std::floor (*v))
            error = option + " expects a whole number from " + juce::String (minimum) + " to " + juce::String (maximum) + ", not '"
                    + juce::String (*v) + "'";
        return error.isEmpty() && v ? std::optional<int> ((int) *v) : std::nullopt;
    }
};

// The plug-in's capture lengths, or "all" (an empty length).
std::optional<std::optional<int>> lengthFromText (const juce::String& text)
{
    if (text == "all")
        return std::optional<int>();
    for (const auto& [name, pairs] : { std::pair { "16k", 16384 }, std::pair { "32k", 32768 }, std::pair { "64k", 65536 }, std::pair { "128k", 131072 } })
        if (text == name)
            return std::optional<int> (pairs);
    return std::nullopt;
}

juce::File fileArgument (const juce::String& path)
{
    return juce::File::isAbsolutePath (path) ? juce::File (path) : juce::File::getCurrentWorkingDirectory().getChildFile (path);
}

// --size WxH and --theme dark|light, for every command that draws. False
// when the option is not one of them.
bool takePictureOption (const juce::String& option, Arguments& a, PictureOptions& picture)
{
    if (option == "--size")
    {
        const auto text = a.value (option);
        const auto width = text.upToFirstOccurrenceOf ("x", false, false), height = text.fromFirstOccurrenceOf ("x", false, false);
        const auto w = width.getIntValue(), h = height.getIntValue();
        if (a.error.isEmpty() && (! width.containsOnly ("0123456789") || ! height.containsOnly ("0123456789") || w < 320 || h < 240 || w > 8000 || h > 8000))
            a.error = "--size is WIDTHxHEIGHT in pixels, 320x240 to 8000x8000, not '" + text + "'";
        picture.width = w;
        picture.height = h;
        return true;
    }
    if (option == "--theme")
    {
        const auto name = a.value (option);
        if (a.error.isEmpty() && name != "dark" && name != "light")
            a.error = "--theme is dark or light, not '" + name + "'";
        picture.light = name == "light";
        return true;
    }
    return false;
}

// Each output has one kind of file; an output may not replace an input (the
// recording) or another output. Checked before any work is done.
juce::String checkOutputs (const MeasureOptions& o)
{
    struct Output
    {
        const char* option;
        juce::File file;
        const char* extension;
    };
    const Output outputs[] = { { "-o", o.presetFile, ".tfunc" }, { "--csv", o.csvFile, ".csv" }, { "--json", o.jsonFile, ".json" },
                               { "--png", o.pngFile, ".png" } };
    std::vector<juce::File> taken { o.xFile, o.yFile, o.xyFile };
    for (const auto& output : outputs)
    {
        if (output.file == juce::File())
            continue;
        if (! output.file.hasFileExtension (output.extension))
            return juce::String (output.option) + " writes a " + output.extension + " file, not '" + output.file.getFileName() + "'";
        for (const auto& other : taken)
            if (other != juce::File() && other == output.file)
                return juce::String (output.option) + " would overwrite " + output.file.getFullPathName() + ", which is already an input or another output";
        taken.push_back (output.file);
    }
    return {};
}

bool parseMeasure (Arguments& a, MeasureOptions& o)
{
    juce::StringArray seen;
    bool demoSettingGiven = false;
    juce::StringArray latencyOptions;
    std::optional<std::string> demoDevice;
    DemoSettings demoSettings;
    while (a.more() && a.error.isEmpty())
    {
        const auto option = a.take();
        const auto canonical = option == "--output" ? juce::String ("-o") : option;
        if (seen.contains (canonical))
        {
            a.error = option + " is given twice";
            break;
        }
        seen.add (canonical);
        demoSettingGiven = demoSettingGiven || option == "--noise-db" || option == "--demo-delay";
        if (option == "--delay" || option == "--latency-x" || option == "--latency-y")
            latencyOptions.add (option);
        if (option == "--x")
            o.xFile = fileArgument (a.value (option));
        else if (option == "--y")
            o.yFile = fileArgument (a.value (option));
        else if (option == "--xy")
            o.xyFile = fileArgument (a.value (option));
        else if (option == "--channel")
        {
            if (auto n = a.whole (option, 1, 64))
                o.channel = *n - 1;
        }
        else if (option == "--demo")
        {
            demoDevice = a.value (option).toStdString();
        }
        else if (option == "--noise-db")
        {
            demoSettings.noiseDecibels = a.number (option, -200.0, 0.0);
        }
        else if (option == "--demo-delay")
        {
            if (auto d = a.number (option, 0.0, 100000.0))
                demoSettings.delaySamples = *d;
        }
        else if (option == "--delay")
        {
            o.delay = a.number (option, -1.0e7, 1.0e7);
        }
        else if (option == "--start")
        {
            if (auto t = a.number (option, 0.0, 1.0e6))
                o.start = *t;
        }
        else if (option == "--duration")
        {
            o.duration = a.number (option, 0.001, 1.0e6);
        }
        else if (option == "--force")
            o.force = true;
        else if (option == "--algorithm")
        {
            const auto name = a.value (option).toLowerCase();
            if (name == "auto" || name == "mean" || name == "odr")
                o.algorithm = name == "auto" ? MeasureAlgorithm::automatic : name == "mean" ? MeasureAlgorithm::mean : MeasureAlgorithm::odr;
            else if (a.error.isEmpty())
                a.error = "--algorithm is auto, mean or odr, not '" + name + "'";
        }
        else if (option == "--length")
        {
            const auto text = a.value (option);
            if (auto pairs = lengthFromText (text))
                o.length = *pairs;
            else if (a.error.isEmpty())
                a.error = "--length is all, 16k, 32k, 64k or 128k, not '" + text + "'";
        }
        else if (option == "--smoothing")
        {
            if (auto s = a.whole (option, 1, 100))
                o.smoothing = *s;
        }
        else if (option == "--latency-x")
        {
            if (auto l = a.number (option, 0, 512))
                o.latencyX = *l;
        }
        else if (option == "--latency-y")
        {
            if (auto l = a.number (option, 0, 512))
                o.latencyY = *l;
        }
        else if (option == "--auto-latency")
            o.autoLatency = true;
        else if (option == "--artist")
            o.artist = a.value (option);
        else if (option == "-o" || option == "--output")
            o.presetFile = fileArgument (a.value (option));
        else if (option == "--csv")
            o.csvFile = fileArgument (a.value (option));
        else if (option == "--json")
            o.jsonFile = fileArgument (a.value (option));
        else if (option == "--png")
            o.pngFile = fileArgument (a.value (option));
        else if (! takePictureOption (option, a, o.picture))
            a.error = "Unknown option '" + option + "'";
    }
    if (a.error.isNotEmpty())
        return false;
    if (demoDevice)
    {
        o.demo = demoSettings;
        o.demo->device = *demoDevice;
    }
    else if (demoSettingGiven)
    {
        a.error = "--noise-db and --demo-delay shape the built-in device: they go with --demo";
        return false;
    }
    if (o.autoLatency && ! latencyOptions.isEmpty())
    {
        a.error = "--auto-latency finds the delay itself: leave out --delay, --latency-x and --latency-y";
        return false;
    }
    if (latencyOptions.size() > 1)
    {
        a.error = latencyOptions.joinIntoString (" and ") + " each set the delay: give one of them (--delay S is Y behind X by S samples)";
        return false;
    }

    const auto fromFiles = o.xFile != juce::File() || o.yFile != juce::File();
    const auto sources = (fromFiles ? 1 : 0) + (o.xyFile != juce::File() ? 1 : 0) + (o.demo ? 1 : 0);
    if (sources != 1)
        a.error = "Give exactly one input: --x and --y, --xy, or --demo";
    else if (fromFiles && (o.xFile == juce::File() || o.yFile == juce::File()))
        a.error = "--x and --y go together";
    else if (fromFiles && o.xFile == o.yFile)
        a.error = "--x and --y name the same file; for one file holding X (left) and Y (right) use --xy";
    else if (seen.contains ("--channel") && ! fromFiles)
        a.error = "--channel picks the channel of --x and --y; --xy reads X from the left channel and Y from the right";
    else
        a.error = checkOutputs (o);
    return a.error.isEmpty();
}

bool asksForHelp (const Arguments& a) { return a.words.contains ("--help") || a.words.contains ("-h"); }

int measureCommand (Arguments& a, juce::String& out, juce::String& err, std::function<void (const juce::String&)> progress)
{
    MeasureOptions options;
    options.onStage = std::move (progress);
    if (! parseMeasure (a, options))
    {
        err << a.error << "\n";
        return 2;
    }
    const auto outcome = measure (options);
    for (const auto& notice : outcome.notices)
        err << "note: " << notice << "\n";
    if (! outcome.ok)
    {
        err << outcome.error << "\n";
        return 1;
    }
    if (options.onStage)
        options.onStage ("writing");
    juce::String writeError;
    if (! writeOutputs (options, outcome, writeError))
    {
        err << writeError << "\n";
        return 1;
    }
    out << reportAsText (options, outcome);
    const auto withheld = curveIsWithheld (options, outcome);
    for (const auto& file : { options.presetFile, options.pngFile, options.csvFile, options.jsonFile })
        if (file != juce::File() && ! (withheld && (file == options.presetFile || file == options.csvFile)))
            out << "wrote " << file.getFullPathName() << "\n";
    if (withheld && (options.presetFile != juce::File() || options.csvFile != juce::File()))
        err << "The measurement failed: no preset or CSV written (--force writes them anyway)\n";
    return outcome.judgement.verdict == Verdict::failed ? 3 : 0;
}

int inspectCommand (Arguments& a, juce::String& out, juce::String& err)
{
    if (! a.more())
    {
        err << "inspect needs a preset file\n";
        return 2;
    }
    const auto file = fileArgument (a.take());
    juce::File picture;
    PictureOptions pictureOptions;
    while (a.more() && a.error.isEmpty())
    {
        const auto option = a.take();
        if (option == "--png")
            picture = fileArgument (a.value (option));
        else if (! takePictureOption (option, a, pictureOptions))
            a.error = "Unknown option '" + option + "'";
    }
    if (a.error.isEmpty() && picture != juce::File() && ! picture.hasFileExtension (".png"))
        a.error = "--png writes a .png file, not '" + picture.getFileName() + "'";
    if (a.error.isNotEmpty())
    {
        err << a.error << "\n";
        return 2;
    }
    juce::MemoryBlock bytes;
    if (juce::String error; ! readSmallFile (file, largestPresetFileBytes, "a preset", bytes, error))
    {
        err << error << "\n";
        return 1;
    }
    const auto tree = parsePresetBytes (bytes.getData(), bytes.getSize());
    if (! tree.isValid())
    {
        err << file.getFileName() << " is not a Sonderlith preset (.tfunc): no preset data in it\n";
        return 1;
    }
    const auto read = readTransferFunctionPreset (tree);
    if (! read.ok)
    {
        err << read.error << "\n";
        return 1;
    }
    const auto [lowest, highest] = std::minmax_element (read.table.begin(), read.table.end());
    const auto rising = std::is_sorted (read.table.begin(), read.table.end());
    const auto artist = tree.getChildWithName ("metadata").getProperty ("artist").toString();
    auto row = [&out] (const char* name, const juce::String& value) { out << juce::String (name).paddedRight (' ', 14) << value << "\n"; };
    row ("version", juce::String (presetFormatVersion (tree)));
    row ("artist", printable (artist));
    row ("table size", juce::String ((int) read.table.size()));
    row ("range", juce::String (*lowest, 4) + " .. " + juce::String (*highest, 4));
    row ("monotonic", rising ? "yes (non-decreasing)" : "no");
    if (picture != juce::File())
    {
        const auto subtitle = (artist.isEmpty() ? juce::String ("no artist") : "by " + artist) + ", preset format " + juce::String (presetFormatVersion (tree));
        if (const auto written = writePicture (drawPresetPicture ("Preset " + file.getFileName(), subtitle, read.table, pictureOptions), picture); ! written)
        {
            err << "Cannot write " << picture.getFullPathName() << ": " << written.getErrorMessage() << "\n";
            return 1;
        }
        out << "wrote " << picture.getFullPathName() << "\n";
    }
    return 0;
}

// Two or more curves (presets or CSVs of one kind) against each other: 0
// within the tolerance, 4 beyond it.
int compareCommand (Arguments& a, juce::String& out, juce::String& err)
{
    juce::Array<juce::File> inputs;
    juce::File picture, json;
    PictureOptions pictureOptions;
    bool matchGain = false;
    double tolerance = 0.01;
    juce::StringArray seen;
    while (a.more() && a.error.isEmpty())
    {
        const auto option = a.take();
        if (! option.startsWith ("-"))
        {
            inputs.add (fileArgument (option));
            continue;
        }
        if (seen.contains (option))
        {
            a.error = option + " is given twice";
            break;
        }
        seen.add (option);
        if (option == "--png")
            picture = fileArgument (a.value (option));
        else if (option == "--json")
            json = fileArgument (a.value (option));
        else if (option == "--match-gain")
            matchGain = true;
        else if (option == "--tolerance")
        {
            if (auto t = a.number (option, 0.0, 10.0))
                tolerance = *t;
        }
        else if (! takePictureOption (option, a, pictureOptions))
            a.error = "Unknown option '" + option + "'";
    }
    if (a.error.isEmpty() && inputs.size() < 2)
        a.error = "compare needs two or more curves (presets or CSVs written by sonderlith measure)";
    for (const auto& [option, file, extension] : { std::tuple { "--png", picture, ".png" }, std::tuple { "--json", json, ".json" } })
        if (a.error.isEmpty() && file != juce::File() && ! file.hasFileExtension (extension))
            a.error = juce::String (option) + " writes a " + extension + " file, not '" + file.getFileName() + "'";
    for (const auto& output : { picture, json })
        if (a.error.isEmpty() && output != juce::File() && (inputs.contains (output) || (output == picture && output == json)))
            a.error = "An output would overwrite " + output.getFullPathName() + ", which is already an input or another output";
    if (a.error.isNotEmpty())
    {
        err << a.error << "\n";
        return 2;
    }

    std::vector<LoadedCurve> curves;
    for (const auto& file : inputs)
    {
        juce::String error;
        curves.push_back (loadCurve (file, error));
        if (error.isNotEmpty())
        {
            err << error << "\n";
            return 1;
        }
        if (curves.back().kind != curves.front().kind)
        {
            err << "compare takes curves of one kind: " << curves.front().file.getFileName() << " is a " << curves.front().kind << ", "
                << file.getFileName() << " a " << curves.back().kind << "\n";
            return 2;
        }
    }
    const auto comparison = compareCurves (std::move (curves), matchGain, tolerance);
    out << comparisonAsText (comparison);
    const auto utf8 = comparisonAsJson (comparison).toStdString();
    if (const auto written = json == juce::File() ? juce::Result::ok() : replaceFileSafely (json, utf8.data(), utf8.size()); ! written)
    {
        err << "Cannot write " << json.getFullPathName() << ": " << written.getErrorMessage() << "\n";
        return 1;
    }
    if (const auto written = picture == juce::File() ? juce::Result::ok() : writePicture (drawComparisonPicture (comparison, pictureOptions), picture); ! written)
    {
        err << "Cannot write " << picture.getFullPathName() << ": " << written.getErrorMessage()
            << (json != juce::File() ? " (already written: " + json.getFullPathName() + ")" : juce::String()) << "\n";
        return 1;
    }
    for (const auto& file : { picture, json })
        if (file != juce::File())
            out << "wrote " << file.getFullPathName() << "\n";
    return comparison.allWithinTolerance() ? 0 : 4;
}

// Writes the recommended test signal for re-amping hardware.
int stimulusCommand (Arguments& a, juce::String& out, juce::String& err)
{
    juce::File file;
    double rate = 48000.0, seconds = 30.0;
    bool floatingPoint = false;
    juce::StringArray seen;
    while (a.more() && a.error.isEmpty())
    {
        const auto option = a.take();
        if (! option.startsWith ("-"))
        {
            if (file != juce::File())
                a.error = "stimulus writes one file";
            file = fileArgument (option);
            continue;
        }
        if (seen.contains (option))
        {
            a.error = option + " is given twice";
            break;
        }
        seen.add (option);
        if (option == "--rate")
        {
            if (auto r = a.number (option, 8000.0, 384000.0))
                rate = *r;
        }
        else if (option == "--seconds")
        {
            if (auto s = a.number (option, stimulusMinimumSeconds, 600.0))
                seconds = *s;
        }
        else if (option == "--bits")
        {
            const auto bits = a.value (option);
            if (a.error.isEmpty() && bits != "24" && bits != "32f")
                a.error = "--bits is 24 or 32f, not '" + bits + "'";
            floatingPoint = bits == "32f";
        }
        else
            a.error = "Unknown option '" + option + "'";
    }
    if (a.error.isEmpty() && file == juce::File())
        a.error = "stimulus needs the WAV file to write";
    if (a.error.isEmpty() && ! file.hasFileExtension (".wav"))
        a.error = "stimulus writes a .wav file, not '" + file.getFileName() + "'";
    if (a.error.isNotEmpty())
    {
        err << a.error << "\n";
        return 2;
    }

    const auto signal = makeStimulus (rate, seconds);
    juce::AudioBuffer<float> buffer (1, (int) signal.size());
    for (size_t i = 0; i < signal.size(); ++i)
        buffer.setSample (0, (int) i, (float) signal[i]);
    if (file.isDirectory())
    {
        err << "Cannot write " << file.getFullPathName() << ": it is a folder\n";
        return 1;
    }
    // Written beside the target under a fresh name and moved over it, so a
    // failed write leaves no half file and a stale one is never appended to.
    juce::TemporaryFile part (file, juce::TemporaryFile::useHiddenFile);
    const auto temporary = part.getFile();
    {
        juce::WavAudioFormat wav;
        auto* stream = new juce::FileOutputStream (temporary);
        if (stream->openedOk())
        {
            stream->setPosition (0);
            stream->truncate();
        }
        std::unique_ptr<juce::AudioFormatWriter> writer (
            stream->openedOk() ? wav.createWriterFor (stream, rate, 1, floatingPoint ? 32 : 24, {}, 0) : nullptr);
        if (writer == nullptr)
            delete stream;
        if (writer == nullptr || ! writer->writeFromAudioSampleBuffer (buffer, 0, buffer.getNumSamples()))
        {
            err << "Cannot write " << file.getFullPathName() << ": "
                << (file.getParentDirectory().isDirectory() ? "the write failed (permission, or a full disk)" : "its folder does not exist") << "\n";
            return 1;
        }
    }
    if (! part.overwriteTargetFileWithTemporary())
    {
        err << "Cannot write " << file.getFullPathName() << ": it could not be replaced\n";
        return 1;
    }
    const auto layout = stimulusLayout (seconds);
    out << "wrote " << file.getFullPathName() << " (" << juce::String (layout.seconds, 1) << " s at " << juce::String (rate, 0) << " Hz, "
        << (floatingPoint ? "32-bit float" : "24-bit") << ")\n";
    for (const auto& s : layout.segments)
        out << "  " << juce::String (s.start, 2).paddedLeft (' ', 7) << " s  " << s.name << "\n";
    return 0;
}

// The bundle is loaded by a companion program built with the toolkit's VST3
// hosting, which cannot share a process with the plug-in's own code.
int hostCheckCommand (Arguments& a, juce::String& out, juce::String& err)
{
    if (! a.more())
    {
        err << "host-check needs a path to Sonderlith.vst3 or Sonderlith.lv2\n";
        return 2;
    }
    const auto helper = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getSiblingFile ("sonderlith-host-check");
    juce::ChildProcess process;
    if (! helper.existsAsFile() || ! process.start (juce::StringArray { helper.getFullPathName(), fileArgument (a.take()).getFullPathName() }))
    {
        err << "Cannot run " << helper.getFullPathName() << "\n";
        return 1;
    }
    // The helper marks its errors; they go to standard error like every other command's.
    juce::StringArray lines;
    lines.addLines (process.readAllProcessOutput());
    for (const auto& line : lines)
        (line.startsWith ("host-check: ") || line.startsWith ("problem: ") ? err : out) << line << "\n";
    // Its output ends before it has exited; the exit code is only known once it has.
    if (! process.waitForProcessToFinish (60000))
    {
        process.kill();
        err << "host-check: the helper did not finish\n";
        return 1;
    }
    const auto code = (int) process.getExitCode();
    if (code != 0 && ! err.contains ("host-check: ") && ! err.contains ("problem: "))
        err << "host-check: the bundle could not be loaded and streamed (helper exit code " << code << ")\n";
    return code;
}
} // namespace

juce::String usageText (const juce::String& command)
{
    const std::pair<const char*, const char*> usages[] = {
        { "measure",
          "  sonderlith measure (--x IN.wav --y OUT.wav [--channel N] | --xy FILE | --demo tanh|hardclip|asym|hysteresis\n"
          "                     [--noise-db DB] [--demo-delay SAMPLES]) [--algorithm auto|mean|odr] [--length all|16k|32k|64k|128k]\n"
          "                     [--start SECONDS] [--duration SECONDS] [--smoothing 1..100] [--delay SAMPLES | --auto-latency]\n"
          "                     [--latency-x S] [--latency-y S] [--force] [--artist NAME]\n"
          "                     [-o FILE.tfunc] [--csv FILE.csv] [--json FILE.json] [--png FILE.png]\n"
          "    X is the device's input, Y its output (WAV, AIFF, FLAC or Ogg Vorbis; --xy: left X, right Y).\n"
          "    --algorithm    auto (default) fits recordings of any material; mean and odr are the plug-in's estimators\n"
          "    --length       all (default) uses every pair of the window; 16k..128k take the newest pairs, as a freeze does\n"
          "    --start, --duration  the window of the recording to measure, in seconds\n"
          "    --delay S      Y lags X by S samples (negative: Y leads); taken out before fitting\n"
          "    --auto-latency finds that delay itself, within a second either way\n"
          "    --latency-x S  the plug-in's parameter: delays X by S (0..512), the same as --delay S\n"
          "    --latency-y S  the plug-in's parameter: delays Y by S (0..512), the same as --delay -S\n"
          "    --demo-delay S the built-in device's own delay (Y behind X)\n"
          "    --force        write the preset and CSV even when the verdict is \"failed\"\n"
          "    --png FILE     the report picture; --size WxH (default 1600x1000), --theme dark|light (light prints well)\n"
          "    Exit codes: 0 good or doubtful, 1 cannot read, fit or write, 2 wrong usage, 3 verdict \"failed\".\n"
          "    Example: sonderlith measure --x dry.wav --y wet.flac --delay 37 -o amp.tfunc\n" },
        { "inspect", "  sonderlith inspect FILE.tfunc [--png FILE.png] [--size WxH] [--theme dark|light]\n" },
        { "compare", "  sonderlith compare A B [C ...] [--match-gain] [--tolerance T] [--json FILE.json] [--png FILE.png] [--size WxH]\n"
                     "                     [--theme dark|light]\n"
                     "    A, B ... are presets (.tfunc) or CSVs written by sonderlith measure, all of one kind. Prints the largest and RMS\n"
                     "    difference of every pair (--match-gain: after scaling the second onto the first); exit code 0 when every\n"
                     "    largest difference is within the tolerance (default 0.01 of full scale), 4 beyond it.\n" },
        { "stimulus", "  sonderlith stimulus OUT.wav [--rate R] [--seconds S] [--bits 24|32f]\n"
                      "    The test signal for re-amping hardware (default 48000 Hz, 30 s, 24-bit): a chirp marking its start, full-scale\n"
                      "    sines at 100 Hz, 1 kHz and 5 kHz, a 1 kHz ramp from -40 dBFS to full scale, and a pink noise burst. Play it\n"
                      "    through the device, record what went in (X) and what came out (Y), and measure with --auto-latency: the\n"
                      "    parts are recognised and their curves compared.\n" },
        { "host-check", "  sonderlith host-check PATH/Sonderlith.vst3 | PATH/Sonderlith.lv2\n" },
        { "--version", "  sonderlith --version\n" },
    };
    juce::String text = "usage:\n";
    for (const auto& [name, usage] : usages)
        if (command.isEmpty() || command == name)
            text << usage;
    return text;
}

int runCommandLine (const juce::StringArray& arguments, juce::String& out, juce::String& err, std::function<void (const juce::String&)> progress)
{
    Arguments a { arguments };
    const auto command = a.more() ? a.take() : juce::String();
    if (command == "help" && a.more())
        return runCommandLine ({ a.take(), "--help" }, out, err, std::move (progress));
    if ((command == "measure" || command == "inspect" || command == "compare" || command == "stimulus" || command == "host-check") && asksForHelp (a))
    {
        out << usageText (command);
        return 0;
    }
    if (command == "measure")
        return measureCommand (a, out, err, std::move (progress));
    if (command == "inspect")
        return inspectCommand (a, out, err);
    if (command == "compare")
        return compareCommand (a, out, err);
    if (command == "stimulus")
        return stimulusCommand (a, out, err);
    if (command == "host-check")
        return hostCheckCommand (a, out, err);
    if (command == "--version")
    {
        out << "sonderlith " << currentReleaseVersion << "\n";
        return 0;
    }
    if (command == "--help" || command == "-h" || command == "help")
    {
        out << usageText();
        return 0;
    }
    err << (command.isEmpty() ? juce::String() : "Unknown command '" + command + "'\n") << usageText();
    return 2;
}
