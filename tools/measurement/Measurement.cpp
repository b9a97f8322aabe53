#include "tools/measurement/Measurement.h"

#include "tools/measurement/MeasurementPicture.h"

#include "dsp/CaptureAlignment.h"
#include "dsp/TransferFunctionEstimator.h"
#include "persistence/SafeFileWrite.h"
#include "tools/measurement/DelayEstimate.h"
#include "persistence/TransferFunctionPreset.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <algorithm>
#include <cmath>

namespace
{
struct Channel
{
    std::vector<double> samples;
    double sampleRate = 0.0;
    juce::String error;
};

Channel readChannel (const juce::File& file, int channel)
{
    Channel result;
    juce::AudioFormatManager formats;
    formats.registerBasicFormats();
    std::unique_ptr<juce::AudioFormatReader> reader (formats.createReaderFor (file));
    if (reader == nullptr)
    {
        if (! file.existsAsFile())
            result.error = "Cannot read audio file " + file.getFullPathName() + ": there is no such file";
        else
            result.error = "Cannot read audio file " + file.getFullPathName() + ": not audio in a format this command reads ("
                           + formats.getWildcardForAllFormats().replace (";", ", ") + ")";
        return result;
    }
    if (channel < 0 || channel >= (int) reader->numChannels)
    {
        result.error = file.getFileName() + " has no channel " + juce::String (channel + 1);
        return result;
    }
    if (reader->lengthInSamples > (juce::int64) 100'000'000)
    {
        result.error = file.getFileName() + " is too long";
        return result;
    }
    const auto length = (int) reader->lengthInSamples;
    juce::AudioBuffer<float> buffer ((int) reader->numChannels, juce::jmax (1, length));
    reader->read (&buffer, 0, length, 0, true, true);
    result.samples.assign (buffer.getReadPointer (channel), buffer.getReadPointer (channel) + length);
    result.sampleRate = reader->sampleRate;
    return result;
}

bool loadCapture (const MeasureOptions& o, std::vector<double>& x, std::vector<double>& y, double& sampleRate, juce::String& error,
                  juce::StringArray& notices)
{
    if (o.demo)
    {
        auto settings = *o.demo;
        settings.pairs = juce::jmax (settings.pairs, o.length + 4096);
        auto capture = playDemoDevice (settings);
        if (capture.x.empty())
        {
            error = "Unknown demo device: " + juce::String (settings.device);
            return false;
        }
        x = std::move (capture.x);
        y = std::move (capture.y);
        sampleRate = settings.sampleRate;
        return true;
    }

    Channel cx, cy;
    if (o.xyFile != juce::File())
    {
        cx = readChannel (o.xyFile, 0);
        cy = cx.error.isEmpty() ? readChannel (o.xyFile, 1) : cx;
    }
    else
    {
        cx = readChannel (o.xFile, o.channel);
        cy = readChannel (o.yFile, o.channel);
    }
    for (const auto* c : { &cx, &cy })
        if (c->error.isNotEmpty())
        {
            error = c->error;
            return false;
        }
    // Rates first: recordings at different rates are not one capture, whatever their lengths.
    if (! juce::exactlyEqual (cx.sampleRate, cy.sampleRate))
    {
        error = "X and Y differ in sample rate (" + juce::String (cx.sampleRate) + " and " + juce::String (cy.sampleRate) + " Hz)";
        return false;
    }
    // Both start together; a device's delay or a longer take leaves extra at the end.
    if (cx.samples.size() != cy.samples.size())
    {
        const auto common = std::min (cx.samples.size(), cy.samples.size());
        notices.add ("X and Y differ in length (" + juce::String ((juce::int64) cx.samples.size()) + " and "
                     + juce::String ((juce::int64) cy.samples.size()) + " samples): using their common first "
                     + juce::String ((juce::int64) common) + " samples");
        cx.samples.resize (common);
        cy.samples.resize (common);
    }
    x = std::move (cx.samples);
    y = std::move (cy.samples);
    sampleRate = cx.sampleRate;
    return true;
}
} // namespace

MeasureOutcome measure (const MeasureOptions& o)
{
    auto stage = [&o] (const char* name)
    {
        if (o.onStage)
            o.onStage (name);
    };
    MeasureOutcome outcome;
    std::vector<double> x, y;
    stage ("reading the capture");
    if (! loadCapture (o, x, y, outcome.sampleRate, outcome.error, outcome.notices))
        return outcome;

    if (std::none_of (x.begin(), x.end(), [] (double v) { return std::isfinite (v) && v != 0.0; }))
    {
        outcome.error = "No signal at the device input (X is silent)";
        return outcome;
    }
    if ((int) x.size() < o.length)
    {
        outcome.error = "Too few pairs: " + juce::String ((juce::int64) x.size()) + " recorded, " + juce::String (o.length)
                        + " needed for this length";
        return outcome;
    }

    auto latencyX = o.latencyX, latencyY = o.latencyY;
    if (o.autoLatency)
    {
        stage ("estimating the latency");
        outcome.estimatedDelay = estimateDelay (x, y);
        if (! outcome.estimatedDelay)
        {
            outcome.error = "Could not estimate the latency: no clear correlation between X and Y";
            return outcome;
        }
        latencyX = juce::jmax (0.0, *outcome.estimatedDelay);
        latencyY = juce::jmax (0.0, -*outcome.estimatedDelay);
    }

    const auto aligned = alignCapture (x, y, o.length, latencyX, latencyY);
    if (aligned.x.size() < 2)
    {
        outcome.error = "The latencies leave no pairs to fit";
        return outcome;
    }
    stage ("fitting the curve");
    outcome.fit = estimateTransferFunction (aligned.x, aligned.y, o.smoothing, o.algorithm);
    if (! outcome.fit.valid)
    {
        outcome.error = "The capture could not be fitted (too few usable pairs)";
        return outcome;
    }
    stage ("checking repeatability");
    outcome.report = describeMeasurement (aligned.x, aligned.y, outcome.fit, o.smoothing, o.algorithm);
    outcome.alignedX = aligned.x;
    outcome.alignedY = aligned.y;
    outcome.report.latencyX = latencyX;
    outcome.report.latencyY = latencyY;
    outcome.ok = true;
    return outcome;
}

bool writeOutputs (const MeasureOptions& o, const MeasureOutcome& outcome, juce::String& error)
{
    auto writeText = [&error] (const juce::File& file, const juce::String& text)
    {
        const auto utf8 = text.toStdString();
        if (replaceFileSafely (file, utf8.data(), utf8.size()))
            return true;
        error = "Cannot write " + file.getFullPathName();
        return false;
    };

    if (o.presetFile != juce::File())
    {
        const auto preset = writeTransferFunctionPreset (outcome.fit.smoothedBins, o.artist);
        if (! preset.ok)
        {
            error = preset.error;
            return false;
        }
        if (! replaceFileSafely (o.presetFile, preset.data.getData(), preset.data.getSize()))
        {
            error = "Cannot write " + o.presetFile.getFullPathName();
            return false;
        }
    }
    if (o.csvFile != juce::File())
    {
        juce::String csv ("x,y\n");
        for (int c = 0; c < grid::size; ++c)
            csv << juce::String (grid::xAt (c), 9) << "," << juce::String (outcome.fit.smoothedBins[(size_t) c], 9) << "\n";
        if (! writeText (o.csvFile, csv))
            return false;
    }
    if (o.jsonFile != juce::File() && ! writeText (o.jsonFile, reportAsJson (outcome)))
        return false;
    if (o.pngFile != juce::File())
    {
        juce::MemoryOutputStream png;
        if (! juce::PNGImageFormat().writeImageToStream (drawMeasurement (outcome), png)
            || ! replaceFileSafely (o.pngFile, png.getData(), png.getDataSize()))
        {
            error = "Cannot write " + o.pngFile.getFullPathName();
            return false;
        }
    }
    return true;
}

bool writeCurvePicture (const std::vector<double>& table, const juce::File& file)
{
    MeasureOutcome curveOnly;
    curveOnly.fit.smoothedBins = table;
    curveOnly.fit.bins = table;
    curveOnly.fit.valid = true;
    juce::MemoryOutputStream png;
    return juce::PNGImageFormat().writeImageToStream (drawMeasurement (curveOnly), png)
           && replaceFileSafely (file, png.getData(), png.getDataSize());
}

juce::String reportAsText (const MeasureOutcome& outcome)
{
    const auto& r = outcome.report;
    juce::String text;
    auto row = [&text] (const juce::String& name, const juce::String& value) { text << name.paddedRight (' ', 22) << value << "\n"; };
    row ("pairs used", juce::String (r.pairsUsed));
    row ("x range covered", juce::String (r.xMinimum, 3) + " .. " + juce::String (r.xMaximum, 3));
    row ("grid with data", juce::String (r.coverage * 100.0, 1) + " %");
    row ("residual rms", juce::String (r.residualRms, 5));
    row ("hysteresis width", juce::String (r.hysteresisWidth, 4));
    row ("repeatability", juce::String (r.repeatability, 4));
    if (outcome.estimatedDelay)
    {
        // Rounded first, so a delay of -0.0001 does not print as "-0.000".
        const auto delay = std::round (*outcome.estimatedDelay * 1000.0) / 1000.0 + 0.0;
        row ("estimated delay", juce::String (delay, 3) + " samples (Y behind X)");
    }
    row ("latency x / y", juce::String (r.latencyX, 3) + " / " + juce::String (r.latencyY, 3) + " samples");
    return text;
}

juce::String reportAsJson (const MeasureOutcome& outcome)
{
    const auto& r = outcome.report;
    auto object = std::make_unique<juce::DynamicObject>();
    object->setProperty ("pairsUsed", r.pairsUsed);
    object->setProperty ("xMinimum", r.xMinimum);
    object->setProperty ("xMaximum", r.xMaximum);
    object->setProperty ("coverage", r.coverage);
    object->setProperty ("residualRms", r.residualRms);
    object->setProperty ("hysteresisWidth", r.hysteresisWidth);
    object->setProperty ("repeatability", r.repeatability);
    object->setProperty ("latencyX", r.latencyX);
    object->setProperty ("latencyY", r.latencyY);
    object->setProperty ("sampleRate", outcome.sampleRate);
    if (outcome.estimatedDelay)
        object->setProperty ("estimatedDelay", *outcome.estimatedDelay);
    return juce::JSON::toString (juce::var (object.release())) + "\n";
}
