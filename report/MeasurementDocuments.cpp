#include "report/MeasurementDocuments.h"

#include "ReleaseNumber.h"

#include <cmath>

// The measurement written out for people (text), programs (JSON) and
// spreadsheets (CSV).
namespace
{
// Rounded first, so a value of -0.0001 does not print as "-0.000".
juce::String fixed (double v, int decimals)
{
    const auto scale = std::pow (10.0, decimals);
    return juce::String (std::round (v * scale) / scale + 0.0, decimals);
}

juce::String decibels (double gain) { return gain > 0.0 ? fixed (20.0 * std::log10 (gain), 2) + " dB" : juce::String ("-inf dB"); }

juce::String lengthSetting (const MeasureOptions& o)
{
    return o.length ? juce::String (*o.length / 1024) + "k" : juce::String ("all");
}

juce::String delayLine (const MeasureOutcome& outcome)
{
    const auto& d = *outcome.estimatedDelay;
    auto line = fixed (d.samples, 3) + " samples (Y behind X), confidence " + fixed (d.confidence, 2);
    if (d.confidence < lowDelayConfidence && ! d.period)
        line << " (low)";
    if (d.inverted)
        line << ", polarity inverted (Y falls as X rises)";
    return line;
}

// The plug-in's latency parameters reach 512 samples in steps of 0.01;
// beyond that only the host can help.
juce::String pluginEquivalent (double delay)
{
    constexpr double pluginLatencyLimit = 512.0;
    if (std::abs (delay) > pluginLatencyLimit)
        return "beyond the plug-in's latencies (0..512): compensate it in the host";
    // A delay that shows as 0.00 is no lead: it is named X, as a zero delay is.
    const auto yLags = delay > -0.005;
    return "the plug-in's latency " + juce::String (yLags ? "X " : "Y ") + fixed (std::abs (delay), 2);
}

// Full-scale units of X: the table's units times X's peak.
double fullScaleX (double tableUnits, const MeasuredLevels& l) { return tableUnits * l.xPeak; }

juce::var deviceAsVar (const RenderedDevice& d)
{
    auto device = std::make_unique<juce::DynamicObject>();
    device->setProperty ("name", d.name);
    device->setProperty ("format", d.format);
    device->setProperty ("identifier", d.identifier);
    device->setProperty ("reportedLatencySamples", d.reportedLatency);
    juce::Array<juce::var> parameters;
    for (const auto& [name, value] : d.parameters)
    {
        auto parameter = std::make_unique<juce::DynamicObject>();
        parameter->setProperty ("name", name);
        parameter->setProperty ("value", value);
        parameters.add (juce::var (parameter.release()));
    }
    device->setProperty ("parameters", parameters);
    device->setProperty ("signal", d.signal);
    device->setProperty ("levelDbfs", d.levelDbfs);
    device->setProperty ("nonFiniteOutputSamples", d.nonFiniteOutput);
    if (const auto& c = d.capture)
    {
        auto take = std::make_unique<juce::DynamicObject>();
        take->setProperty ("route", c->route);
        take->setProperty ("dropouts", c->dropouts);
        if (c->dropouts > 0)
            take->setProperty ("firstDropoutSeconds", c->firstDropoutSeconds);
        take->setProperty ("sendPeakDbfs", c->sendPeakDbfs);
        take->setProperty ("returnPeakDbfs", c->returnPeakDbfs);
        auto optional = [&take] (const char* key, const std::optional<double>& v) { if (v) take->setProperty (key, *v); };
        optional ("referencePeakDbfs", c->referencePeakDbfs);
        optional ("noiseFloorDbfs", c->noiseFloorDbfs);
        optional ("esrFloor", c->esrFloor);
        optional ("referenceDelaySamples", c->referenceDelay);
        device->setProperty ("capture", juce::var (take.release()));
    }
    return juce::var (device.release());
}

juce::var sourceAsVar (const SourceInfo& s)
{
    auto object = std::make_unique<juce::DynamicObject>();
    object->setProperty ("role", s.role);
    object->setProperty ("path", s.path);
    object->setProperty ("channel", s.channel + 1);
    object->setProperty ("format", s.format);
    object->setProperty ("sampleRate", s.sampleRate);
    object->setProperty ("bitDepth", s.bitDepth);
    object->setProperty ("samples", s.samples);
    object->setProperty ("durationSeconds", s.sampleRate > 0.0 ? (double) s.samples / s.sampleRate : 0.0);
    return juce::var (object.release());
}

juce::var optionalNumber (const std::optional<double>& v) { return v ? juce::var (*v) : juce::var(); }

juce::var dbfsOf (double peak) { return peak > 0.0 ? juce::var (20.0 * std::log10 (peak)) : juce::var(); }
} // namespace

juce::String reportAsText (const MeasureOptions& o, const MeasureOutcome& outcome)
{
    const auto& r = outcome.report;
    const auto& l = outcome.levels;
    juce::String text;
    auto row = [&text] (const juce::String& name, const juce::String& value) { text << name.paddedRight (' ', 22) << value << "\n"; };
    row ("verdict", verdictName (outcome.judgement.verdict));
    for (const auto& reason : outcome.judgement.reasons)
        row ("", "- " + reason);
    row ("pairs used", juce::String (r.pairsUsed) + " (" + fixed (outcome.windowDuration, 3) + " s from " + fixed (outcome.windowStart, 3) + " s)");
    row ("x range covered", fixed (fullScaleX (r.xMinimum, l), 3) + " .. " + fixed (fullScaleX (r.xMaximum, l), 3) + " of full scale ("
                                + fixed (r.rangeCoverage * 100.0, 1) + " % of the span between its extremes)");
    row ("grid with data", fixed (r.coverage * 100.0, 1) + " %");
    row ("residual rms", fixed (r.residualRms, 5) + " of full scale (" + fixed (r.normalisedResidual * 100.0, 2) + " % of Y)");
    row ("esr", juce::String (r.esr, 6) + " (error-to-signal ratio of X through the curve against Y)");
    if (const auto& h = outcome.harmonics)
    {
        auto list = [] (const std::vector<double>& db)
        {
            juce::StringArray parts;
            for (size_t k = 1; k < db.size(); ++k)
                parts.add ("H" + juce::String ((int) k + 1) + " " + fixed (db[k], 1));
            return parts.joinIntoString ("  ");
        };
        row ("harmonics", "dB re H1 at " + fixed (h->fundamentalHz, 2) + " Hz");
        row ("  measured", list (h->measuredDb));
        row ("  predicted", list (h->predictedDb));
    }
    if (const auto& s = outcome.stimulus)
    {
        row ("stimulus", "recognised, starting at " + fixed (s->startSeconds, 3) + " s; its parts' curves differ by " + fixed (s->spread, 4) + " at most");
        for (const auto& [name, spread] : s->spreads)
            row ("  " + name, fixed (spread, 4));
    }
    row ("hysteresis width", fixed (r.hysteresisWidth, 4));
    row ("repeatability", fixed (r.repeatability, 4));
    row ("x peak", fixed (l.xPeak, 4) + " (" + decibels (l.xPeak).replace (" dB", " dBFS") + ")");
    row ("y peak", fixed (l.yPeak, 4) + " (" + decibels (l.yPeak).replace (" dB", " dBFS") + ")");
    if (l.smallSignalGain)
        row ("small-signal gain", fixed (*l.smallSignalGain, 4) + " (" + decibels (std::abs (*l.smallSignalGain)) + ")");
    if (l.dcOffset)
        row ("dc offset", fixed (*l.dcOffset, 5) + " (Y at X = 0)");
    row ("y at x peak", fixed (l.yAtXPeak, 4));
    if (l.yAtFullScale)
        row ("y at full-scale x", fixed (*l.yAtFullScale, 4));
    if (outcome.estimatedDelay)
    {
        row ("estimated delay", delayLine (outcome));
        const auto& d = *outcome.estimatedDelay;
        if (d.period)
            row ("", "periodic material: delays " + fixed (*d.period, 2) + " samples apart fit as well and cannot be told apart; took the one nearest zero"
                         + (d.curveDependsOnAlias ? ", though they give different curves" : ""));
        if (d.polarityUncertain)
            row ("", "X inverted fits as well at other delays (a steady tone): whether the device inverts cannot be told; taken as not inverting");
        row ("", "set: --delay " + fixed (outcome.delayTakenOut, 3) + " (" + pluginEquivalent (outcome.delayTakenOut) + ")");
    }
    row ("delay taken out", fixed (outcome.delayTakenOut, 3) + " samples (Y behind X)");
    row ("latency x / y", fixed (r.latencyX, 3) + " / " + fixed (r.latencyY, 3) + " samples");
    row ("algorithm", algorithmName (o.algorithm) + ", smoothing " + juce::String (o.smoothing) + ", length " + lengthSetting (o));
    for (const auto& s : outcome.sources)
        row ("source " + s.role, (s.path.isEmpty() ? s.format : s.path + " (" + s.format) + ", " + juce::String (s.sampleRate, 0) + " Hz"
                                     + (s.bitDepth > 0 ? ", " + juce::String (s.bitDepth) + " bit" : juce::String())
                                     + ", " + fixed ((double) s.samples / s.sampleRate, 3) + " s" + (s.path.isEmpty() ? "" : ")"));
    if (const auto& d = o.rendered; d && d->capture)
    {
        const auto& c = *d->capture;
        row ("device", c.route);
        row ("signal", d->signal + ", peak " + fixed (d->levelDbfs, 1) + " dBFS");
        row ("send peak", fixed (c.sendPeakDbfs, 1) + " dBFS");
        row ("return peak", fixed (c.returnPeakDbfs, 1) + " dBFS");
        if (c.referencePeakDbfs)
            row ("reference peak", fixed (*c.referencePeakDbfs, 1) + " dBFS");
        if (c.noiseFloorDbfs && *c.noiseFloorDbfs <= -200.0)
            row ("noise floor", "none: the return is digital silence before the signal");
        else if (c.noiseFloorDbfs)
            row ("noise floor", fixed (*c.noiseFloorDbfs, 1) + " dBFS RMS (the return, before the signal)"
                                    + (c.esrFloor ? ": ESR cannot go below about " + juce::String (*c.esrFloor, 6) : juce::String()));
        const auto found = outcome.estimatedDelay && outcome.estimatedDelay->found ? std::optional (outcome.delayTakenOut) : std::nullopt;
        if (c.referenceDelay)
            row ("round trip", fixed (*c.referenceDelay, 2) + " samples out to the reference"
                                   + (found ? ", " + fixed (*c.referenceDelay + *found, 2) + " to the return (the device's own delay " + fixed (*found, 2) + ")" : juce::String()));
        else if (found)
            row ("round trip", fixed (*found, 2) + " samples out to the return, the device's own delay included");
        row ("dropouts", c.dropouts == 0 ? juce::String ("none") : juce::String (c.dropouts) + ", the first " + (c.firstDropoutSeconds < 0.0 ? juce::String ("before the signal began") : fixed (c.firstDropoutSeconds, 2) + " s into the signal"));
    }
    else if (const auto& d = o.rendered)
    {
        row ("device", d->format + " plug-in \"" + d->name + "\" (" + d->identifier + ")");
        row ("reported latency", juce::String (d->reportedLatency) + " samples, taken out before the delay was searched");
        for (const auto& [name, value] : d->parameters)
            row ("  " + name, value);
        row ("signal", d->signal + ", peak " + fixed (d->levelDbfs, 1) + " dBFS");
        if (d->nonFiniteOutput > 0)
            row ("not numbers", juce::String (d->nonFiniteOutput) + " output samples (NaN or infinite)");
    }
    row ("measured", outcome.date.toISO8601 (true) + " by sonderlith " + currentReleaseVersion);
    return text;
}

juce::String reportAsJson (const MeasureOptions& o, const MeasureOutcome& outcome, bool forced)
{
    const auto& r = outcome.report;
    const auto& l = outcome.levels;
    auto object = std::make_unique<juce::DynamicObject>();
    object->setProperty ("verdict", verdictName (outcome.judgement.verdict));
    juce::Array<juce::var> reasons;
    for (const auto& reason : outcome.judgement.reasons)
        reasons.add (reason);
    object->setProperty ("verdictReasons", reasons);
    object->setProperty ("pairsUsed", r.pairsUsed);
    object->setProperty ("xMinimum", fullScaleX (r.xMinimum, l));
    object->setProperty ("xMaximum", fullScaleX (r.xMaximum, l));
    object->setProperty ("xMinimumTableUnits", r.xMinimum);
    object->setProperty ("xMaximumTableUnits", r.xMaximum);
    object->setProperty ("coverage", r.coverage);
    object->setProperty ("rangeCoverage", r.rangeCoverage);
    object->setProperty ("residualRms", r.residualRms);
    object->setProperty ("normalisedResidual", r.normalisedResidual);
    object->setProperty ("esr", r.esr);
    if (const auto& h = outcome.harmonics)
    {
        auto harmonics = std::make_unique<juce::DynamicObject>();
        auto array = [] (const std::vector<double>& v)
        {
            juce::Array<juce::var> a;
            for (const auto d : v)
                a.add (d);
            return a;
        };
        harmonics->setProperty ("fundamentalHz", h->fundamentalHz);
        harmonics->setProperty ("measuredDb", array (h->measuredDb));
        harmonics->setProperty ("predictedDb", array (h->predictedDb));
        object->setProperty ("harmonics", juce::var (harmonics.release()));
    }
    object->setProperty ("hysteresisWidth", r.hysteresisWidth);
    object->setProperty ("repeatability", r.repeatability);
    object->setProperty ("xPeak", l.xPeak);
    object->setProperty ("xPeakDbfs", dbfsOf (l.xPeak));
    object->setProperty ("yPeak", l.yPeak);
    object->setProperty ("yPeakDbfs", dbfsOf (l.yPeak));
    object->setProperty ("outputScale", l.outputScale);
    object->setProperty ("smallSignalGain", optionalNumber (l.smallSignalGain));
    object->setProperty ("smallSignalGainDb", l.smallSignalGain ? dbfsOf (std::abs (*l.smallSignalGain)) : juce::var());
    object->setProperty ("dcOffset", optionalNumber (l.dcOffset));
    object->setProperty ("yAtXPeak", l.yAtXPeak);
    object->setProperty ("yAtFullScale", optionalNumber (l.yAtFullScale));
    object->setProperty ("latencyX", r.latencyX);
    object->setProperty ("latencyY", r.latencyY);
    object->setProperty ("delayTakenOut", outcome.delayTakenOut);
    if (const auto& d = outcome.estimatedDelay)
    {
        object->setProperty ("estimatedDelaySamples", d->samples);
        object->setProperty ("delayConfidence", d->confidence);
        object->setProperty ("delayPeriodSamples", d->period ? juce::var (*d->period) : juce::var());
        object->setProperty ("delaySearchedSamples", d->maximumLag);
        object->setProperty ("delayInverted", d->inverted);
        object->setProperty ("delayPolarityUncertain", d->polarityUncertain);
        object->setProperty ("delayCurveDependsOnAlias", d->curveDependsOnAlias);
        juce::Array<juce::var> aliases;
        for (const auto a : d->aliases)
            aliases.add (a);
        object->setProperty ("delayAliases", aliases);
    }
    if (const auto& s = outcome.stimulus)
    {
        auto stimulus = std::make_unique<juce::DynamicObject>();
        stimulus->setProperty ("startSeconds", s->startSeconds);
        stimulus->setProperty ("spread", s->spread);
        juce::Array<juce::var> parts;
        for (const auto& [name, spread] : s->spreads)
        {
            auto part = std::make_unique<juce::DynamicObject>();
            part->setProperty ("name", name);
            part->setProperty ("spread", spread);
            parts.add (juce::var (part.release()));
        }
        stimulus->setProperty ("parts", parts);
        object->setProperty ("stimulus", juce::var (stimulus.release()));
    }
    object->setProperty ("sampleRate", outcome.sampleRate);
    object->setProperty ("windowStartSeconds", outcome.windowStart);
    object->setProperty ("windowDurationSeconds", outcome.windowDuration);

    auto settings = std::make_unique<juce::DynamicObject>();
    settings->setProperty ("algorithm", algorithmName (o.algorithm));
    settings->setProperty ("smoothing", o.smoothing);
    settings->setProperty ("length", lengthSetting (o));
    settings->setProperty ("start", o.start);
    settings->setProperty ("duration", optionalNumber (o.duration));
    settings->setProperty ("delay", optionalNumber (o.delay));
    settings->setProperty ("latencyX", o.latencyX);
    settings->setProperty ("latencyY", o.latencyY);
    settings->setProperty ("autoLatency", o.autoLatency);
    settings->setProperty ("force", forced);
    object->setProperty ("settings", juce::var (settings.release()));

    juce::Array<juce::var> sources;
    for (const auto& s : outcome.sources)
        sources.add (sourceAsVar (s));
    object->setProperty ("sources", sources);
    if (o.rendered)
        object->setProperty ("device", deviceAsVar (*o.rendered));
    juce::Array<juce::var> notices;
    for (const auto& n : outcome.notices)
        notices.add (n);
    object->setProperty ("notices", notices);
    object->setProperty ("version", juce::String (currentReleaseVersion));
    object->setProperty ("date", outcome.date.toISO8601 (true));
    return juce::JSON::toString (juce::var (object.release())) + "\n";
}

juce::String curveAsCsv (const MeasureOutcome& outcome)
{
    // The first two columns are the table itself; the others put the levels back.
    // A stream, not a growing string: 16384 lines append in linear time.
    juce::MemoryOutputStream csv;
    csv << "x,y,x_input,y_output\n";
    const auto& table = outcome.fit.smoothedBins;
    // Each published entry holds the curve half a grid step below its own
    // point (the smoothing's resampling): x is where the value belongs.
    for (int c = 0; c < grid::size; ++c)
    {
        const auto x = curvePositionOf (c);
        csv << juce::String (x, 9) << "," << juce::String (table[(size_t) c], 9) << "," << juce::String (x * outcome.levels.xPeak, 9) << ","
            << juce::String (table[(size_t) c] * outcome.levels.outputScale, 9) << "\n";
    }
    return csv.toString();
}
