#include "tools/sonderlith/MeasureOutputs.h"

#include "persistence/SafeFileWrite.h"
#include "persistence/TransferFunctionPreset.h"
#include "report/MeasurementDocuments.h"
#include "report/ReportPicture.h"

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
