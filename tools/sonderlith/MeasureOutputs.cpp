#include "tools/sonderlith/MeasureOutputs.h"

#include "persistence/SafeFileWrite.h"
#include "persistence/TransferFunctionPreset.h"
#include "report/MeasurementDocuments.h"
#include "report/ReportPicture.h"
#include "tools/sonderlith/Subcommands.h"

#include <optional>

bool curveIsWithheld (const MeasureOutputs& o, const MeasureOutcome& outcome)
{
    return outcome.judgement.verdict == Verdict::failed && ! o.force;
}

bool writeOutputs (const MeasureOptions& options, const MeasureOutputs& o, const MeasureOutcome& outcome, juce::String& error)
{
    juce::StringArray written;
    auto check = [&] (const juce::File& file, const juce::Result& result)
    {
        if (result.wasOk())
        {
            written.add (file.getFullPathName());
            return true;
        }
        error = "Cannot write " + file.getFullPathName() + ": " + result.getErrorMessage();
        if (! written.isEmpty())
            error << " (already written: " << written.joinIntoString (", ") << ")";
        return false;
    };
    auto writeText = [&] (const juce::File& file, const juce::String& text)
    {
        const auto utf8 = text.toStdString();
        return check (file, replaceFileSafely (file, utf8.data(), utf8.size()));
    };
    const auto withheld = curveIsWithheld (o, outcome);

    if (o.presetFile != juce::File() && ! withheld)
    {
        const auto preset = writeTransferFunctionPreset (outcome.fit.smoothedBins, o.artist);
        if (! preset.ok)
        {
            error = preset.error;
            return false;
        }
        if (! check (o.presetFile, replaceFileSafely (o.presetFile, preset.data.getData(), preset.data.getSize())))
            return false;
    }
    if (o.csvFile != juce::File() && ! withheld && ! writeText (o.csvFile, curveAsCsv (outcome)))
        return false;
    if (o.jsonFile != juce::File() && ! writeText (o.jsonFile, reportAsJson (options, outcome, o.force)))
        return false;
    if (o.pngFile != juce::File() && ! check (o.pngFile, writePicture (drawMeasurementReport (options, outcome, o.picture), o.pngFile)))
        return false;
    return true;
}

namespace
{
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

juce::File optionalFile (const std::string& path) { return path.empty() ? juce::File() : fileArgument (path); }
} // namespace

void addFitAndOutputOptions (CLI::App& c, FitAndOutputRequest& r, MeasureOptions& o, MeasureOutputs& out)
{
    once (c.add_option ("--algorithm", r.algorithm, "auto (default) fits recordings of any material; mean and odr are the plug-in's estimators"))
        ->transform (oneOf ({ "auto", "mean", "odr" }));
    once (c.add_option ("--length", r.length, "all (default) uses every pair of the window; 16k..128k take the newest pairs, as a freeze does"))
        ->transform (oneOf ({ "all", "16k", "32k", "64k", "128k" }));
    once (c.add_option ("--smoothing", o.smoothing, "the curve's smoothing, as the plug-in's knob (default 50)"))->check (wholeIn (1, 100));
    once (c.add_option ("-o,--output", r.presetFile, "the preset for the companion waveshaper"))->type_name ("FILE.tfunc");
    once (c.add_option ("--csv", r.csvFile, "the curve as a table"))->type_name ("FILE.csv");
    once (c.add_option ("--json", r.jsonFile, "the report for programs"))->type_name ("FILE.json");
    once (c.add_option ("--png", r.pngFile, "the report picture"))->type_name ("FILE.png");
    addPictureOptions (c, out.picture);
    once (c.add_flag ("--force", out.force, "write the preset and CSV even when the verdict is \"failed\""));
    once (c.add_option_function<std::string> ("--artist", [&out] (const std::string& name) { out.artist = juce::String::fromUTF8 (name.c_str()); },
                                              "the name the preset carries"))
        ->type_name ("NAME");
}

void completeFitAndOutputs (const FitAndOutputRequest& r, MeasureOptions& o, MeasureOutputs& out)
{
    o.algorithm = algorithmNamed (r.algorithm);
    o.length = pairsOfLength (r.length);
    out.presetFile = optionalFile (r.presetFile);
    out.csvFile = optionalFile (r.csvFile);
    out.jsonFile = optionalFile (r.jsonFile);
    out.pngFile = optionalFile (r.pngFile);
}

std::vector<OutputFile> outputFiles (const MeasureOutputs& out)
{
    return { { "-o", out.presetFile, ".tfunc" }, { "--csv", out.csvFile, ".csv" }, { "--json", out.jsonFile, ".json" }, { "--png", out.pngFile, ".png" } };
}

int measureAndReport (const MeasureOptions& options, const MeasureOutputs& out, CommandStreams& s)
{
    const auto outcome = measure (options, s.progress);
    for (const auto& notice : outcome.notices)
        s.err << "note: " << notice << "\n";
    if (! outcome.ok)
    {
        s.err << outcome.error << "\n";
        return exitCodes::failure;
    }
    if (s.progress)
        s.progress ("writing");
    if (juce::String error; ! writeOutputs (options, out, outcome, error))
    {
        s.err << error << "\n";
        return exitCodes::failure;
    }
    s.out << reportAsText (options, outcome);
    const auto withheld = curveIsWithheld (out, outcome);
    for (const auto& file : { out.presetFile, out.pngFile, out.csvFile, out.jsonFile })
        if (file != juce::File() && ! (withheld && (file == out.presetFile || file == out.csvFile)))
            s.out << "wrote " << file.getFullPathName() << "\n";
    if (withheld && (out.presetFile != juce::File() || out.csvFile != juce::File()))
        s.err << "The measurement failed: no preset or CSV written (--force writes them anyway)\n";
    return outcome.judgement.verdict == Verdict::failed ? exitCodes::verdictFailed : exitCodes::ok;
}
