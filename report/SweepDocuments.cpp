#include "report/SweepDocuments.h"

#include "ReleaseNumber.h"
#include "engine/MeasurementReport.h"
#include "report/MeasurementDocuments.h"

#include <cmath>

juce::String describeValues (const SweepPoint& p)
{
    juce::StringArray parts;
    for (const auto& [name, value] : p.values)
        parts.add (name + " " + juce::String (value, 4).trimCharactersAtEnd ("0").trimCharactersAtEnd (".") + (name == "level" ? " dBFS" : ""));
    return parts.joinIntoString (", ");
}

juce::String sweepAsJson (const MeasureOptions& options, const Sweep& sweep)
{
    auto object = std::make_unique<juce::DynamicObject>();
    object->setProperty ("plugin", sweep.plugin);
    juce::Array<juce::var> names;
    for (const auto& n : sweep.names)
        names.add (n);
    object->setProperty ("swept", names);
    juce::Array<juce::var> points;
    for (const auto& p : sweep.points)
    {
        auto point = std::make_unique<juce::DynamicObject>();
        point->setProperty ("index", p.index);
        auto values = std::make_unique<juce::DynamicObject>();
        for (const auto& [name, value] : p.values)
            values->setProperty (name, value);
        point->setProperty ("values", juce::var (values.release()));
        point->setProperty ("exitCode", p.exitCode);
        point->setProperty ("error", p.error.isEmpty() ? juce::var() : juce::var (p.error));
        auto pointOptions = options;
        pointOptions.rendered = p.device;
        point->setProperty ("report", p.outcome ? juce::JSON::parse (reportAsJson (pointOptions, *p.outcome, false)) : juce::var());
        points.add (juce::var (point.release()));
    }
    object->setProperty ("points", points);
    object->setProperty ("version", juce::String (currentReleaseVersion));
    object->setProperty ("date", juce::Time::getCurrentTime().toISO8601 (true));
    return juce::JSON::toString (juce::var (object.release())) + "\n";
}

namespace
{
// The curve in the device's units at x (full scale), or nothing beyond X's reach.
std::optional<double> curveAt (const MeasureOutcome& o, double x)
{
    const auto peak = o.levels.xPeak;
    if (! (peak > 0.0) || std::abs (x) > peak)
        return std::nullopt;
    return curveValueAt (o.fit.smoothedBins, x / peak) * o.levels.outputScale;
}
} // namespace

juce::String sweepAsCsv (const Sweep& sweep)
{
    double reach = 0.0;
    for (const auto& p : sweep.points)
        if (p.outcome)
            reach = std::max (reach, p.outcome->levels.xPeak);
    juce::MemoryOutputStream csv;
    csv << "x";
    for (const auto& p : sweep.points)
        if (p.outcome)
            csv << ",\"" << describeValues (p).replace ("\"", "'") << "\"";
    csv << "\n";
    constexpr int rows = 2049;
    for (int i = 0; i < rows && reach > 0.0; ++i)
    {
        const auto x = reach * (-1.0 + 2.0 * i / (rows - 1));
        csv << juce::String (x, 9);
        for (const auto& p : sweep.points)
            if (p.outcome)
            {
                csv << ",";
                if (const auto y = curveAt (*p.outcome, x))
                    csv << juce::String (*y, 9);
            }
        csv << "\n";
    }
    return csv.toString();
}
