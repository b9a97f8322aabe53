#include "tools/sonderlith/Subcommands.h"

#include "engine/InputFile.h"
#include "persistence/TransferFunctionPreset.h"
#include "report/ReportPicture.h"

#include <algorithm>

namespace
{
struct InspectRequest
{
    std::string preset, png;
    PictureOptions picture;
};

int run (const InspectRequest& r, CommandStreams& s)
{
    const auto file = fileArgument (r.preset);
    const auto picture = r.png.empty() ? juce::File() : fileArgument (r.png);
    if (const auto problem = checkOutputs ({ { "--png", picture, ".png" } }, { file }); problem.isNotEmpty())
        throw UsageError { problem };
    juce::MemoryBlock bytes;
    if (juce::String error; ! readSmallFile (file, largestPresetFileBytes, "a preset", bytes, error))
    {
        s.err << error << "\n";
        return exitCodes::failure;
    }
    const auto tree = parsePresetBytes (bytes.getData(), bytes.getSize());
    if (! tree.isValid())
    {
        s.err << file.getFileName() << " is not a Sonderlith preset (.tfunc): no preset data in it\n";
        return exitCodes::failure;
    }
    const auto read = readTransferFunctionPreset (tree);
    if (! read.ok)
    {
        s.err << read.error << "\n";
        return exitCodes::failure;
    }
    const auto [lowest, highest] = std::minmax_element (read.table.begin(), read.table.end());
    const auto rising = std::is_sorted (read.table.begin(), read.table.end());
    const auto artist = tree.getChildWithName ("metadata").getProperty ("artist").toString();
    auto row = [&s] (const char* name, const juce::String& value) { s.out << juce::String (name).paddedRight (' ', 14) << value << "\n"; };
    row ("version", juce::String (presetFormatVersion (tree)));
    row ("artist", printable (artist));
    row ("table size", juce::String ((int) read.table.size()));
    row ("range", juce::String (*lowest, 4) + " .. " + juce::String (*highest, 4));
    row ("monotonic", rising ? "yes (non-decreasing)" : "no");
    if (picture == juce::File())
        return exitCodes::ok;
    const auto subtitle = (artist.isEmpty() ? juce::String ("no artist") : "by " + artist) + ", preset format " + juce::String (presetFormatVersion (tree));
    if (const auto written = writePicture (drawPresetPicture ("Preset " + file.getFileName(), subtitle, read.table, r.picture), picture); ! written)
    {
        s.err << "Cannot write " << picture.getFullPathName() << ": " << written.getErrorMessage() << "\n";
        return exitCodes::failure;
    }
    s.out << "wrote " << picture.getFullPathName() << "\n";
    return exitCodes::ok;
}
} // namespace

CommandRun addInspectCommand (CLI::App& app)
{
    auto* c = app.add_subcommand ("inspect", "Show what a preset (.tfunc) holds, and draw its curve");
    auto request = std::make_shared<InspectRequest>();
    c->add_option ("preset", request->preset, "the preset to read")->required()->type_name ("FILE.tfunc");
    once (c->add_option ("--png", request->png, "draw the preset's curve"))->type_name ("FILE.png");
    addPictureOptions (*c, request->picture);
    return [request] (CommandStreams& s) { return run (*request, s); };
}
