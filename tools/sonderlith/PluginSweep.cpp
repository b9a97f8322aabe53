#include "tools/sonderlith/PluginSweep.h"

#include "tools/sonderlith/Subcommands.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace
{
juce::String valueText (double v) { return juce::String (v, 6).trimCharactersAtEnd ("0").trimCharactersAtEnd ("."); }
} // namespace

std::optional<SweepAxis> parseSweepAxis (const juce::String& text, juce::String& error)
{
    const auto name = text.upToFirstOccurrenceOf ("=", false, false).trim();
    juce::StringArray parts;
    parts.addTokens (text.fromFirstOccurrenceOf ("=", false, false), ":", {});
    auto number = [] (const juce::String& t) -> std::optional<double>
    {
        const auto s = t.trim();
        if (s.isEmpty() || ! s.containsOnly ("+-0123456789.eE") || ! std::isfinite (s.getDoubleValue()))
            return std::nullopt;
        return s.getDoubleValue();
    };
    const auto from = number (parts[0]), to = number (parts[1]);
    const auto steps = parts[2].trim().containsOnly ("0123456789") && parts[2].isNotEmpty() ? parts[2].getIntValue() : 0;
    if (name.isEmpty() || ! text.containsChar ('=') || parts.size() != 3 || ! from || ! to || steps < 2 || steps > mostSweepPoints)
    {
        error = "--sweep takes NAME=FROM:TO:STEPS with 2 to " + juce::String (mostSweepPoints) + " steps, not '" + text + "'";
        return std::nullopt;
    }
    return SweepAxis { name, *from, *to, steps };
}

std::vector<std::vector<std::pair<juce::String, double>>> sweepGrid (const std::vector<SweepAxis>& axes)
{
    std::vector<std::vector<std::pair<juce::String, double>>> grid { {} };
    for (const auto& a : axes)
    {
        std::vector<std::vector<std::pair<juce::String, double>>> next;
        for (const auto& point : grid)
            for (int k = 0; k < a.steps; ++k)
            {
                auto p = point;
                p.emplace_back (a.name, a.from + (a.to - a.from) * k / (a.steps - 1));
                next.push_back (std::move (p));
            }
        grid = std::move (next);
    }
    return grid;
}

namespace
{
void measurePoint (SweepPoint& point, PluginPlay play, MeasureOptions options)
{
    for (const auto& [name, value] : point.values)
        if (name == "level")
            play.signal.levelDbfs = value;
        else
            play.parameters.emplace_back (name, valueText (value));
    auto capture = playThroughPlugin (play);
    if (capture.error.isNotEmpty())
    {
        point.error = capture.error;
        point.exitCode = exitCodes::failure;
        return;
    }
    options.rendered = capture.device;
    point.device = std::move (capture.device);
    auto outcome = measure (options);
    if (! outcome.ok)
    {
        point.error = outcome.error;
        point.exitCode = exitCodes::failure;
        return;
    }
    point.exitCode = outcome.judgement.verdict == Verdict::failed ? exitCodes::verdictFailed : exitCodes::ok;
    point.outcome = std::move (outcome);
}
} // namespace

Sweep runSweep (const PluginPlay& play, const MeasureOptions& options, const std::vector<SweepAxis>& axes,
                const std::function<void (const SweepPoint&, int)>& progress)
{
    Sweep sweep;
    sweep.plugin = play.id;
    for (const auto& a : axes)
        sweep.names.push_back (a.name);
    const auto grid = sweepGrid (axes);
    sweep.points.resize (grid.size());
    for (size_t i = 0; i < grid.size(); ++i)
        sweep.points[i] = { (int) i + 1, grid[i], std::nullopt, nullptr, 0, {} };

    std::atomic<size_t> next { 0 };
    std::atomic<int> done { 0 };
    std::mutex telling;
    auto work = [&]
    {
        for (auto i = next++; i < sweep.points.size(); i = next++)
        {
            measurePoint (sweep.points[i], play, options);
            const auto count = ++done;
            if (progress)
            {
                const std::lock_guard<std::mutex> lock (telling);
                progress (sweep.points[i], count);
            }
        }
    };
    // Each point's plug-in runs in a process of its own: as many at once as there are cores.
    std::vector<std::thread> workers;
    const auto threads = std::clamp<size_t> (std::thread::hardware_concurrency(), 1, sweep.points.size());
    for (size_t t = 0; t < threads; ++t)
        workers.emplace_back (work);
    for (auto& w : workers)
        w.join();
    if (! sweep.points.empty() && sweep.points.front().device)
        sweep.plugin = sweep.points.front().device->name;
    return sweep;
}

juce::File sweepPointFile (const juce::File& pattern, const SweepPoint& point, int points)
{
    auto name = pattern.getFileName().replace ("{index}", juce::String (point.index).paddedLeft ('0', juce::String (points).length()));
    for (const auto& [swept, value] : point.values)
        name = name.replace ("{" + swept + "}", valueText (value));
    return pattern.getSiblingFile (name);
}
