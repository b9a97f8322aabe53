#include "tools/sonderlith/Subcommands.h"

#include "persistence/SafeFileWrite.h"
#include "report/ComparisonDocuments.h"
#include "report/ReportPicture.h"
#include "tools/sonderlith/CurveFiles.h"

namespace
{
struct CompareRequest
{
    std::vector<std::string> curves;
    std::string png, json;
    PictureOptions picture;
    bool matchGain = false;
    double tolerance = 0.01;
};

int run (const CompareRequest& r, CommandStreams& s)
{
    if (r.curves.size() < 2)
        throw UsageError { "compare needs two or more curves (presets or CSVs written by sonderlith measure)" };
    std::vector<juce::File> inputs;
    for (const auto& path : r.curves)
        inputs.push_back (fileArgument (path));
    const auto picture = r.png.empty() ? juce::File() : fileArgument (r.png);
    const auto json = r.json.empty() ? juce::File() : fileArgument (r.json);
    if (const auto problem = checkOutputs ({ { "--png", picture, ".png" }, { "--json", json, ".json" } }, inputs); problem.isNotEmpty())
        throw UsageError { problem };

    std::vector<LoadedCurve> curves;
    for (const auto& file : inputs)
    {
        juce::String error;
        curves.push_back (loadCurve (file, error));
        if (error.isNotEmpty())
        {
            s.err << error << "\n";
            return exitCodes::failure;
        }
        if (curves.back().kind != curves.front().kind)
            throw UsageError { "compare takes curves of one kind: " + curves.front().file.getFileName() + " is a " + curves.front().kind + ", "
                               + file.getFileName() + " a " + curves.back().kind };
    }
    const auto comparison = compareCurves (std::move (curves), r.matchGain, r.tolerance);
    s.out << comparisonAsText (comparison);
    const auto utf8 = comparisonAsJson (comparison).toStdString();
    if (const auto written = json == juce::File() ? juce::Result::ok() : replaceFileSafely (json, utf8.data(), utf8.size()); ! written)
    {
        s.err << "Cannot write " << json.getFullPathName() << ": " << written.getErrorMessage() << "\n";
        return exitCodes::failure;
    }
    if (const auto written = picture == juce::File() ? juce::Result::ok() : writePicture (drawComparisonPicture (comparison, r.picture), picture); ! written)
    {
        s.err << "Cannot write " << picture.getFullPathName() << ": " << written.getErrorMessage()
              << (json != juce::File() ? " (already written: " + json.getFullPathName() + ")" : juce::String()) << "\n";
        return exitCodes::failure;
    }
    for (const auto& file : { picture, json })
        if (file != juce::File())
            s.out << "wrote " << file.getFullPathName() << "\n";
    return comparison.allWithinTolerance() ? exitCodes::ok : exitCodes::beyondTolerance;
}
} // namespace

CommandRun addCompareCommand (CLI::App& app)
{
    auto* c = app.add_subcommand ("compare", "Compare two or more curves: presets (.tfunc) or CSVs written by sonderlith measure, all of one kind");
    auto request = std::make_shared<CompareRequest>();
    c->add_option ("curves", request->curves, "the curves; every pair is compared")->required()->expected (1, 1 << 20)->type_name ("FILE");
    once (c->add_flag ("--match-gain", request->matchGain, "scale the second of each pair onto the first before comparing"));
    once (c->add_option ("--tolerance", request->tolerance, "the largest difference that passes, of full scale (default 0.01)"))
        ->check (numberIn (0.0, 10.0))
        ->type_name ("T");
    once (c->add_option ("--json", request->json, "the differences for programs"))->type_name ("FILE.json");
    once (c->add_option ("--png", request->png, "the curves overlaid, with their differences"))->type_name ("FILE.png");
    addPictureOptions (*c, request->picture);
    c->footer ("Prints the largest and RMS difference of every pair. Exit codes: 0 every largest difference within the tolerance,\n"
               "4 beyond it, 1 cannot read or write, 2 wrong usage.\n");
    return [request] (CommandStreams& s) { return run (*request, s); };
}
