#include "tools/sonderlith/CurveFiles.h"

#include "dsp/FitResult.h"
#include "engine/InputFile.h"
#include "engine/MeasurementReport.h"
#include "persistence/TransferFunctionPreset.h"

#include <cmath>

namespace
{
std::vector<double> tableFromCsv (const juce::String& text)
{
    juce::StringArray lines;
    lines.addLines (text.trimEnd());
    if (lines.size() != grid::size + 1 || ! lines[0].startsWith ("x,y"))
        return {};
    std::vector<double> table ((size_t) grid::size);
    for (int c = 0; c < grid::size; ++c)
    {
        juce::StringArray cells;
        cells.addTokens (lines[c + 1], ",", "");
        // x is where each entry's value belongs, half a grid step below the
        // entry's point; CSVs of earlier releases gave the point itself.
        const auto x = cells.size() >= 2 ? cells[0].getDoubleValue() : std::nan ("");
        if (! (std::abs (x - curvePositionOf (c)) <= 1.0e-6 || std::abs (x - grid::xAt (c)) <= 1.0e-6))
            return {};
        table[(size_t) c] = cells[1].getDoubleValue();
        if (! std::isfinite (table[(size_t) c]) || ! cells[1].trim().containsOnly ("0123456789.-+eE"))
            return {};
    }
    return table;
}
} // namespace

LoadedCurve loadCurve (const juce::File& file, juce::String& error)
{
    LoadedCurve curve { file, {}, {} };
    juce::MemoryBlock bytes;
    // A curve CSV of 16384 rows, or a preset, fits in far less than this.
    constexpr juce::int64 largestCurveFile = 8 << 20;
    if (! readSmallFile (file, largestCurveFile, "a preset or curve CSV", bytes, error))
        return curve;
    if (file.hasFileExtension (".csv"))
    {
        curve.kind = "CSV";
        curve.table = tableFromCsv (bytes.toString());
        if (curve.table.empty())
            error = file.getFileName() + " is not a curve CSV written by sonderlith measure (x,y on the 16384-point grid)";
        return curve;
    }
    curve.kind = "preset";
    const auto tree = parsePresetBytes (bytes.getData(), bytes.getSize());
    const auto read = tree.isValid() ? readTransferFunctionPreset (tree) : PresetReadResult {};
    if (! tree.isValid() || ! read.ok)
    {
        error = file.getFileName() + " is neither a Sonderlith preset (.tfunc) nor a curve CSV";
        return curve;
    }
    curve.table = read.table;
    return curve;
}
