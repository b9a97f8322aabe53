#include "tools/measurement/CurveComparison.h"

#include "dsp/FitResult.h"
#include "tools/measurement/InputFile.h"
#include "tools/measurement/MeasurementReport.h"
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

bool CurveComparison::allWithinTolerance() const
{
    return std::all_of (pairs.begin(), pairs.end(), [] (const CurveDifference& d) { return d.withinTolerance; });
}

CurveComparison compareCurves (std::vector<LoadedCurve> curves, bool matchGain, double tolerance)
{
    CurveComparison comparison { std::move (curves), {}, matchGain, tolerance };
    const auto& c = comparison.curves;
    for (int i = 0; i < (int) c.size(); ++i)
        for (int j = i + 1; j < (int) c.size(); ++j)
        {
            const auto &a = c[(size_t) i].table, &b = c[(size_t) j].table;
            CurveDifference d { i, j };
            if (matchGain)
            {
                double cross = 0.0, squares = 0.0;
                for (size_t k = 0; k < a.size(); ++k)
                {
                    cross += a[k] * b[k];
                    squares += b[k] * b[k];
                }
                d.gain = squares > 0.0 ? cross / squares : 1.0;
            }
            d.difference.resize (a.size());
            double squares = 0.0;
            for (size_t k = 0; k < a.size(); ++k)
            {
                d.difference[k] = b[k] * d.gain - a[k];
                d.maxDifference = std::max (d.maxDifference, std::abs (d.difference[k]));
                squares += d.difference[k] * d.difference[k];
            }
            d.rmsDifference = std::sqrt (squares / (double) a.size());
            d.withinTolerance = d.maxDifference <= tolerance;
            comparison.pairs.push_back (std::move (d));
        }
    return comparison;
}

juce::String comparisonAsText (const CurveComparison& comparison)
{
    juce::String text;
    for (size_t i = 0; i < comparison.curves.size(); ++i)
        text << juce::String::charToString ((juce::juce_wchar) ('A' + i)) << "  " << comparison.curves[i].file.getFullPathName() << " ("
             << comparison.curves[i].kind << ")\n";
    for (const auto& d : comparison.pairs)
    {
        text << juce::String::charToString ((juce::juce_wchar) ('A' + d.first)) << " vs " << juce::String::charToString ((juce::juce_wchar) ('A' + d.second))
             << ": max difference " << juce::String (d.maxDifference, 6) << ", rms " << juce::String (d.rmsDifference, 6);
        if (comparison.matchGain)
            text << ", gain " << juce::String (d.gain, 6) << " (" << juce::String (20.0 * std::log10 (std::abs (d.gain) + 1e-300), 3) << " dB)";
        text << (d.withinTolerance ? ": within " : ": BEYOND ") << juce::String (comparison.tolerance) << "\n";
    }
    return text;
}

juce::String comparisonAsJson (const CurveComparison& comparison)
{
    auto object = std::make_unique<juce::DynamicObject>();
    juce::Array<juce::var> inputs, pairs;
    for (const auto& c : comparison.curves)
        inputs.add (c.file.getFullPathName());
    for (const auto& d : comparison.pairs)
    {
        auto pair = std::make_unique<juce::DynamicObject>();
        pair->setProperty ("first", comparison.curves[(size_t) d.first].file.getFullPathName());
        pair->setProperty ("second", comparison.curves[(size_t) d.second].file.getFullPathName());
        pair->setProperty ("gain", d.gain);
        pair->setProperty ("maxDifference", d.maxDifference);
        pair->setProperty ("rmsDifference", d.rmsDifference);
        pair->setProperty ("withinTolerance", d.withinTolerance);
        pairs.add (juce::var (pair.release()));
    }
    object->setProperty ("inputs", inputs);
    object->setProperty ("matchGain", comparison.matchGain);
    object->setProperty ("tolerance", comparison.tolerance);
    object->setProperty ("pairs", pairs);
    if (! comparison.pairs.empty())
    {
        // The first pair's figures at the top level too, for the common A/B case.
        object->setProperty ("maxDifference", comparison.pairs[0].maxDifference);
        object->setProperty ("rmsDifference", comparison.pairs[0].rmsDifference);
    }
    object->setProperty ("withinTolerance", comparison.allWithinTolerance());
    return juce::JSON::toString (juce::var (object.release())) + "\n";
}
