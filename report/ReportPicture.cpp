#include "report/ReportPicture.h"

#include "ReleaseNumber.h"
#include "persistence/SafeFileWrite.h"

#include <cmath>
#include <functional>
#include <map>
#include <tuple>

namespace
{
struct Canvas
{
    Canvas (const PictureOptions& o)
        : image (juce::Image::ARGB, std::max (320, o.width), std::max (240, o.height), true, juce::SoftwareImageType()),
          g (image),
          palette (PicturePalette::forTheme (o.light)),
          unit ((float) std::min (image.getHeight() / 1000.0, image.getWidth() / 1600.0))
    {
        g.fillAll (palette.background);
    }

    juce::Image image;
    juce::Graphics g;
    PicturePalette palette;
    float unit;
};

struct Layout
{
    juce::Rectangle<float> title, banner, plot, strip, lower, side;
};

// Title across the top, an optional banner under it, the figures on the
// right, the plot with a panel below on the left.
Layout layOut (const Canvas& c, bool withBanner, bool withStrip)
{
    const auto u = c.unit;
    auto area = c.image.getBounds().toFloat().reduced (28.0f * u);
    Layout l;
    l.title = area.removeFromTop (70.0f * u);
    if (withBanner)
        l.banner = area.removeFromTop (46.0f * u).withTrimmedBottom (8.0f * u);
    l.side = area.removeFromRight (380.0f * u).withTrimmedLeft (24.0f * u);
    area.removeFromLeft (110.0f * u);
    area.removeFromBottom (60.0f * u);
    const auto upper = area.removeFromTop (area.getHeight() * 0.68f);
    l.plot = upper.withTrimmedBottom ((withStrip ? 100.0f : 70.0f) * u);
    if (withStrip)
        l.strip = upper.withTop (l.plot.getBottom() + 74.0f * u).withHeight (12.0f * u);
    l.lower = area;
    // Whole pixels, so the frames fall on pixel rows and columns.
    for (auto* r : { &l.plot, &l.strip, &l.lower })
        *r = r->toNearestInt().toFloat();
    return l;
}

void drawTitle (Canvas& c, juce::Rectangle<float> area, const juce::String& title, const juce::String& subtitle)
{
    c.g.setColour (c.palette.text);
    drawFittedText (c.g, title, area.removeFromTop (38.0f * c.unit), juce::Justification::centredLeft, 30.0f * c.unit, true);
    c.g.setColour (c.palette.faintText);
    drawFittedText (c.g, subtitle, area, juce::Justification::centredLeft, 16.0f * c.unit);
}

void drawBanner (Canvas& c, juce::Rectangle<float> area, juce::Colour colour, const juce::String& text)
{
    c.g.setColour (colour);
    c.g.fillRoundedRectangle (area, 6.0f * c.unit);
    c.g.setColour (juce::Colours::white);
    drawFittedText (c.g, text, area.reduced (14.0f * c.unit, 0.0f), juce::Justification::centredLeft, 18.0f * c.unit, true);
}

struct Row
{
    juce::String name, value;
};

// The figures in a panel, name left and value right; returns what is left below.
juce::Rectangle<float> drawFigures (Canvas& c, juce::Rectangle<float> area, const juce::String& heading, const std::vector<Row>& rows)
{
    const auto u = c.unit, line = 27.0f * u;
    auto box = area.withHeight (std::min (area.getHeight(), 46.0f * u + line * (float) rows.size()));
    c.g.setColour (c.palette.panel);
    c.g.fillRoundedRectangle (box, 8.0f * u);
    auto inner = box.reduced (16.0f * u, 12.0f * u);
    c.g.setColour (c.palette.text);
    drawFittedText (c.g, heading, inner.removeFromTop (26.0f * u), juce::Justification::centredLeft, 18.0f * u, true);
    for (const auto& row : rows)
    {
        auto r = inner.removeFromTop (line);
        c.g.setColour (c.palette.faintText);
        drawFittedText (c.g, row.name, r.removeFromLeft (r.getWidth() * 0.42f), juce::Justification::centredLeft, 15.0f * u);
        c.g.setColour (c.palette.text);
        drawFittedText (c.g, row.value, r, juce::Justification::centredRight, 15.0f * u, true);
    }
    return area.withTrimmedTop (box.getHeight() + 16.0f * u);
}

struct LegendEntry
{
    juce::Colour colour;
    juce::String text;
    bool block = false; // a filled swatch (density) rather than a line
};

void drawLegend (Canvas& c, juce::Rectangle<float> area, const std::vector<LegendEntry>& entries)
{
    const auto u = c.unit, line = 26.0f * u;
    for (const auto& e : entries)
    {
        auto r = area.removeFromTop (line);
        auto swatch = r.removeFromLeft (34.0f * u).withSizeKeepingCentre (28.0f * u, e.block ? 14.0f * u : 4.0f * u);
        c.g.setColour (e.colour);
        c.g.fillRect (swatch);
        c.g.setColour (c.palette.text);
        drawFittedText (c.g, e.text, r.withTrimmedLeft (8.0f * u), juce::Justification::centredLeft, 15.0f * u);
    }
}

juce::String percent (double v, int decimals = 1) { return juce::String (v * 100.0, decimals) + " %"; }

juce::String decibels (double v) { return v > 0.0 ? juce::String (20.0 * std::log10 (v), 2) + " dB" : juce::String ("-inf dB"); }

juce::String captureName (const MeasureOutcome& outcome)
{
    juce::StringArray names;
    for (const auto& s : outcome.sources)
        names.add (s.path.isEmpty() ? s.format : juce::File (s.path).getFileName());
    return names.joinIntoString (" → ");
}

std::vector<std::pair<double, double>> curveInUnits (const std::vector<double>& table, double xScale, double yScale)
{
    std::vector<std::pair<double, double>> points;
    points.reserve (table.size());
    for (int c = 0; c < (int) table.size(); ++c)
        points.emplace_back (curvePositionOf (c) * xScale, table[(size_t) c] * yScale);
    return points;
}

// The pairs as a density: each cell's shade grows with the logarithm of its
// count, so a few stray pairs and millions in one place both show.
void drawDensity (Canvas& c, const PlotFrame& frame, const DensityGrid& d, double xScale, double yScale)
{
    double most = 0.0;
    for (const auto v : d.counts)
        most = std::max (most, v);
    if (most <= 0.0)
        return;
    juce::Graphics::ScopedSaveState state (c.g);
    c.g.reduceClipRegion (frame.area().toNearestInt());
    for (int row = 0; row < d.rows; ++row)
        for (int column = 0; column < d.columns; ++column)
        {
            const auto n = d.at (column, row);
            if (n <= 0.0)
                continue;
            const auto x0 = (2.0 * column / d.columns - 1.0) * xScale, x1 = (2.0 * (column + 1) / d.columns - 1.0) * xScale;
            const auto y0 = (2.0 * row / d.rows - 1.0) * d.yRange * yScale, y1 = (2.0 * (row + 1) / d.rows - 1.0) * d.yRange * yScale;
            const auto shade = 0.25f + 0.75f * (float) (std::log1p (n) / std::log1p (most));
            c.g.setColour (c.palette.density.withAlpha (shade));
            c.g.fillRect (juce::Rectangle<float>::leftTopRightBottom (frame.toScreen (x0, y1).x, frame.toScreen (x0, y1).y, frame.toScreen (x1, y0).x + 0.5f,
                                                                       frame.toScreen (x1, y0).y + 0.5f));
        }
}

void drawIdentity (Canvas& c, const PlotFrame& frame)
{
    const auto reach = std::min ({ -frame.xRange().getStart(), frame.xRange().getEnd(), -frame.yRange().getStart(), frame.yRange().getEnd() });
    juce::Graphics::ScopedSaveState state (c.g);
    c.g.reduceClipRegion (frame.area().toNearestInt());
    c.g.setColour (c.palette.identity.withAlpha (0.7f));
    const float dashes[] = { 8.0f * c.unit, 6.0f * c.unit };
    c.g.drawDashedLine (juce::Line<float> (frame.toScreen (-reach, -reach), frame.toScreen (reach, reach)), dashes, 2, std::max (1.0f, 1.5f * c.unit));
}

// Y minus the curve against X: the extremes faint, mean plus and minus RMS
// stronger, the mean as a line.
void drawResiduals (Canvas& c, const PlotFrame& frame, const ResidualProfile& r, double xScale, double yScale)
{
    juce::Graphics::ScopedSaveState state (c.g);
    c.g.reduceClipRegion (frame.area().toNearestInt());
    std::vector<std::pair<double, double>> mean;
    for (int b = 0; b < ResidualProfile::bins; ++b)
    {
        if (r.count[(size_t) b] <= 0.0)
            continue;
        const auto x0 = (2.0 * b / ResidualProfile::bins - 1.0) * xScale, x1 = (2.0 * (b + 1) / ResidualProfile::bins - 1.0) * xScale;
        const auto m = r.sum[(size_t) b] / r.count[(size_t) b];
        const auto rms = std::sqrt (std::max (0.0, r.squares[(size_t) b] / r.count[(size_t) b] - m * m));
        auto band = [&] (double lo, double hi, float alpha)
        {
            c.g.setColour (c.palette.density.withAlpha (alpha));
            c.g.fillRect (juce::Rectangle<float>::leftTopRightBottom (frame.toScreen (x0, hi * yScale).x, frame.toScreen (x0, hi * yScale).y,
                                                                       frame.toScreen (x1, lo * yScale).x + 0.5f, frame.toScreen (x1, lo * yScale).y + 1.0f));
        };
        band (r.minimum[(size_t) b], r.maximum[(size_t) b], 0.25f);
        band (m - rms, m + rms, 0.6f);
        mean.emplace_back (0.5 * (x0 + x1), m * yScale);
    }
    frame.drawCurve (c.g, mean, c.palette.curve, std::max (1.0f, 1.5f * c.unit), false);
}

void drawCoverage (Canvas& c, juce::Rectangle<float> strip, const PlotFrame& frame, const std::vector<bool>& hasData, double xScale)
{
    if (strip.isEmpty() || hasData.empty())
        return;
    c.g.setColour (c.palette.grid);
    c.g.fillRect (strip);
    c.g.setColour (c.palette.density);
    for (int i = 0; i < (int) hasData.size();)
    {
        if (! hasData[(size_t) i])
        {
            ++i;
            continue;
        }
        const auto start = i;
        while (i < (int) hasData.size() && hasData[(size_t) i])
            ++i;
        const auto left = frame.toScreen (grid::xAt (start) * xScale, 0.0).x, right = frame.toScreen (grid::xAt (i - 1) * xScale, 0.0).x;
        c.g.fillRect (juce::Rectangle<float>::leftTopRightBottom (left, strip.getY(), std::max (left + 1.0f, right), strip.getBottom()));
    }
    c.g.setColour (c.palette.faintText);
    drawFittedText (c.g, "X with data", strip.withX (strip.getX() - 110.0f * c.unit).withWidth (100.0f * c.unit).expanded (0.0f, 6.0f * c.unit),
                    juce::Justification::centredRight, 12.0f * c.unit);
}

juce::Colour verdictColour (const PicturePalette& p, Verdict v)
{
    return v == Verdict::good ? p.good : v == Verdict::doubtful ? p.doubtful : p.failed;
}

ReportPicture finish (Canvas& c, const Layout& l, bool withBanner)
{
    ReportPicture out;
    out.plotArea = l.plot.toNearestInt();
    out.lowerArea = l.lower.toNearestInt();
    if (withBanner)
        out.banner = l.banner.toNearestInt();
    out.palette = c.palette;
    out.image = c.image;
    return out;
}
} // namespace

ReportPicture drawMeasurementReport (const MeasureOptions& o, const MeasureOutcome& outcome, const PictureOptions& options)
{
    Canvas c (options);
    const auto& r = outcome.report;
    const auto& levels = outcome.levels;
    const auto verdict = outcome.judgement.verdict;
    const auto withBanner = verdict != Verdict::good;
    const auto l = layOut (c, withBanner, true);
    const auto u = c.unit;

    drawTitle (c, l.title, "Transfer function of " + captureName (outcome),
               "measured " + outcome.date.toString (true, true, false, true) + " by sonderlith " + currentReleaseVersion + ", " + algorithmName (o.algorithm)
                   + " algorithm, " + juce::String (r.pairsUsed) + " pairs at " + juce::String (outcome.sampleRate, 0) + " Hz");
    if (withBanner)
        drawBanner (c, l.banner, verdictColour (c.palette, verdict),
                    juce::String (verdict == Verdict::failed ? "FAILED: " : "DOUBTFUL: ") + outcome.judgement.reasons[0]);

    const auto xScale = levels.xPeak > 0.0 ? levels.xPeak : 1.0, yScale = levels.outputScale;
    const auto yExtent = std::max (levels.yPeak, yScale) * 1.05;
    const PlotFrame plot (l.plot, { -xScale * 1.05, xScale * 1.05 }, { -yExtent, yExtent });
    plot.drawAxes (c.g, c.palette, u, "Input (full scale)", "Output (full scale)", true, true);
    drawIdentity (c, plot);
    drawDensity (c, plot, outcome.density, xScale, yScale);
    // A failed fit is no model of the device: drawn faint and thin, without glow.
    const auto failed = verdict == Verdict::failed;
    const auto curveColour = failed ? c.palette.curve.withAlpha (0.45f) : c.palette.curve;
    plot.drawCurve (c.g, curveInUnits (outcome.fit.smoothedBins, xScale, yScale), curveColour, (failed ? 1.6f : 2.6f) * u, ! options.light && ! failed);
    drawCoverage (c, l.strip, plot, r.gridHasData, xScale);

    double reach = 0.0;
    for (int b = 0; b < ResidualProfile::bins; ++b)
        if (outcome.residuals.count[(size_t) b] > 0.0)
            reach = std::max ({ reach, std::abs (outcome.residuals.minimum[(size_t) b]), std::abs (outcome.residuals.maximum[(size_t) b]) });
    reach = std::max (reach * yScale * 1.1, 1.0e-4 * std::max (levels.yPeak, 1.0e-9));
    const PlotFrame lower (l.lower, plot.xRange(), { -reach, reach });
    lower.drawAxes (c.g, c.palette, u, "Input (full scale)", "Residual: Y - curve", false, false);
    drawResiduals (c, lower, outcome.residuals, xScale, yScale);

    std::vector<Row> rows { { "Verdict", verdictName (verdict) },
                            { "Pairs", juce::String (r.pairsUsed) },
                            { "X range covered", percent (r.rangeCoverage) },
                            { "Residual", percent (r.normalisedResidual, 2) + " of Y" },
                            { "ESR", juce::String (r.esr, 6) },
                            { "Hysteresis", juce::String (r.hysteresisWidth, 4) },
                            { "Repeatability", juce::String (r.repeatability, 4) },
                            { "X / Y peak", decibels (levels.xPeak) + " / " + decibels (levels.yPeak) } };
    if (levels.smallSignalGain)
        rows.push_back ({ "Small-signal gain", decibels (std::abs (*levels.smallSignalGain)) });
    if (outcome.harmonics && outcome.harmonics->measuredDb.size() >= 3)
        rows.push_back ({ "H2 / H3", juce::String (outcome.harmonics->measuredDb[1], 1) + " / " + juce::String (outcome.harmonics->measuredDb[2], 1) + " dB" });
    if (outcome.stimulus)
        rows.push_back ({ "Stimulus parts differ", juce::String (outcome.stimulus->spread, 4) });
    rows.push_back ({ "Delay taken out", juce::String (outcome.delayTakenOut, 2) + " samples" });
    if (const auto& take = o.rendered ? o.rendered->capture : std::nullopt)
    {
        rows.push_back ({ "Send / return peak", juce::String (take->sendPeakDbfs, 1) + " / " + juce::String (take->returnPeakDbfs, 1) + " dBFS" });
        if (take->noiseFloorDbfs && *take->noiseFloorDbfs > -200.0)
            rows.push_back ({ "Noise floor", juce::String (*take->noiseFloorDbfs, 1) + " dBFS" });
        rows.push_back ({ "Dropouts", juce::String (take->dropouts) });
    }
    auto side = drawFigures (c, l.side, "Measurement", rows);
    c.g.setColour (verdictColour (c.palette, verdict));
    c.g.fillRoundedRectangle (l.side.withHeight (6.0f * u), 3.0f * u);
    drawLegend (c, side, { { c.palette.density, "pairs (density)", true }, { curveColour, failed ? "fitted curve (failed: no model)" : "fitted curve" },
                           { c.palette.identity, "y = x" } });
    return finish (c, l, withBanner);
}

ReportPicture drawPresetPicture (const juce::String& title, const juce::String& subtitle, const std::vector<double>& table,
                                 const PictureOptions& options)
{
    Canvas c (options);
    const auto l = layOut (c, false, false);
    const auto u = c.unit;
    drawTitle (c, l.title, title, subtitle);
    // The table alone fills the space the residual panel takes in a measurement.
    const PlotFrame plot (l.plot.getUnion (l.lower), { -1.05, 1.05 }, { -1.05, 1.05 });
    plot.drawAxes (c.g, c.palette, u, "Input (normalised)", "Output (normalised)", false, false);
    drawIdentity (c, plot);
    plot.drawCurve (c.g, curveInUnits (table, 1.0, 1.0), c.palette.curve, 2.6f * u, ! options.light);
    const auto [lowest, highest] = std::minmax_element (table.begin(), table.end());
    auto side = drawFigures (c, l.side, "Preset",
                             { { "Table size", juce::String ((int) table.size()) },
                               { "Range", juce::String (*lowest, 4) + " .. " + juce::String (*highest, 4) },
                               { "Monotonic", std::is_sorted (table.begin(), table.end()) ? "yes" : "no" } });
    drawLegend (c, side, { { c.palette.curve, "curve" }, { c.palette.identity, "y = x" } });
    auto out = finish (c, l, false);
    out.plotArea = plot.area().toNearestInt();
    out.lowerArea = {};
    return out;
}

ReportPicture drawComparisonPicture (const CurveComparison& comparison, const PictureOptions& options)
{
    Canvas c (options);
    const auto within = comparison.allWithinTolerance();
    const auto l = layOut (c, true, false);
    const auto u = c.unit;
    auto letter = [] (size_t i) { return juce::String::charToString ((juce::juce_wchar) ('A' + i)); };
    juce::StringArray names;
    for (size_t i = 0; i < comparison.curves.size(); ++i)
        names.add (letter (i) + " " + comparison.curves[i].file.getFileName());
    drawTitle (c, l.title, "Curves compared: " + names.joinIntoString (", "),
               juce::String (comparison.matchGain ? "gain matched, " : "") + "tolerance " + juce::String (comparison.tolerance) + " of full scale, by sonderlith "
                   + currentReleaseVersion);
    double largest = 0.0;
    for (const auto& d : comparison.pairs)
        largest = std::max (largest, d.maxDifference);
    drawBanner (c, l.banner, within ? c.palette.good : c.palette.failed,
                within ? "WITHIN TOLERANCE: largest difference " + juce::String (largest, 6)
                       : "BEYOND TOLERANCE: largest difference " + juce::String (largest, 6) + " > " + juce::String (comparison.tolerance));

    const PlotFrame plot (l.plot, { -1.05, 1.05 }, { -1.05, 1.05 });
    plot.drawAxes (c.g, c.palette, u, "Input (normalised)", "Output (normalised)", false, false);
    drawIdentity (c, plot);
    std::vector<LegendEntry> legend;
    for (size_t i = 0; i < comparison.curves.size(); ++i)
    {
        const auto colour = c.palette.series[i % c.palette.series.size()];
        auto gain = 1.0;
        for (const auto& d : comparison.pairs)
            if (d.first == 0 && d.second == (int) i)
                gain = d.gain;
        plot.drawCurve (c.g, curveInUnits (comparison.curves[i].table, 1.0, gain), colour, 2.4f * u, false);
        legend.push_back ({ colour, names[(int) i] });
    }

    double reach = 1.0e-4;
    for (const auto& d : comparison.pairs)
        if (d.first == 0)
            reach = std::max (reach, d.maxDifference * 1.15);
    const PlotFrame lower (l.lower, plot.xRange(), { -reach, reach });
    lower.drawAxes (c.g, c.palette, u, "Input (normalised)", "Difference from A", false, false);
    for (const auto& d : comparison.pairs)
        if (d.first == 0)
            lower.drawCurve (c.g, curveInUnits (d.difference, 1.0, 1.0), c.palette.series[(size_t) d.second % c.palette.series.size()], 1.8f * u, false);

    std::vector<Row> rows;
    for (const auto& d : comparison.pairs)
    {
        rows.push_back ({ letter ((size_t) d.first) + " vs " + letter ((size_t) d.second) + " max", juce::String (d.maxDifference, 6) });
        rows.push_back ({ letter ((size_t) d.first) + " vs " + letter ((size_t) d.second) + " rms", juce::String (d.rmsDifference, 6) });
    }
    rows.push_back ({ "Result", within ? "within tolerance" : "beyond tolerance" });
    drawLegend (c, drawFigures (c, l.side, "Differences", rows), legend);
    return finish (c, l, true);
}

namespace
{
// Cool to warm, as the swept value rises.
juce::Colour rampColour (const PicturePalette& p, double t)
{
    return juce::Colour::fromHSV ((float) (0.62 - 0.58 * t), 0.78f, p.background.getBrightness() > 0.5f ? 0.72f : 0.98f, 1.0f);
}

juce::Range<double> paddedRange (double low, double high)
{
    if (! (high > low))
        return { low - 1.0, low + 1.0 };
    const auto pad = 0.06 * (high - low);
    return { low - pad, high + pad };
}

// One figure of each measured point against the first swept value, a line
// joining the points that share the other values.
void drawFigureAgainstValue (Canvas& c, juce::Rectangle<float> area, const Sweep& sweep, const juce::String& title,
                             const std::function<std::optional<double> (const MeasureOutcome&)>& figure)
{
    std::vector<std::tuple<double, double, juce::String, juce::Colour>> points; // value, figure, others, colour
    const auto count = std::max<size_t> (1, sweep.points.size() - 1);
    for (size_t i = 0; i < sweep.points.size(); ++i)
        if (const auto& p = sweep.points[i]; p.outcome)
            if (const auto f = figure (*p.outcome); f && std::isfinite (*f))
            {
                juce::String others;
                for (size_t k = 1; k < p.values.size(); ++k)
                    others << p.values[k].second << ";";
                points.emplace_back (p.values.front().second, *f, others, rampColour (c.palette, (double) i / (double) count));
            }
    double xLow = 1.0e300, xHigh = -1.0e300, yLow = 1.0e300, yHigh = -1.0e300;
    for (const auto& [x, y, others, colour] : points)
    {
        xLow = std::min (xLow, x), xHigh = std::max (xHigh, x);
        yLow = std::min (yLow, y), yHigh = std::max (yHigh, y);
    }
    if (points.empty())
        xLow = xHigh = yLow = yHigh = 0.0;
    const PlotFrame frame (area.toNearestInt().toFloat(), paddedRange (xLow, xHigh), paddedRange (yLow, yHigh));
    frame.drawAxes (c.g, c.palette, c.unit, sweep.names.front(), title, false, false);
    std::map<juce::String, std::vector<std::pair<double, double>>> lines;
    for (const auto& [x, y, others, colour] : points)
        lines[others].emplace_back (x, y);
    for (auto& [others, line] : lines)
    {
        std::sort (line.begin(), line.end());
        frame.drawCurve (c.g, line, c.palette.faintText, 1.4f * c.unit, false);
    }
    for (const auto& [x, y, others, colour] : points)
    {
        c.g.setColour (colour);
        c.g.fillEllipse (juce::Rectangle<float> (9.0f * c.unit, 9.0f * c.unit).withCentre (frame.toScreen (x, y)));
    }
}
} // namespace

ReportPicture drawFamilyPicture (const Sweep& sweep, const PictureOptions& options)
{
    Canvas c (options);
    const auto u = c.unit;
    auto area = c.image.getBounds().toFloat().reduced (28.0f * u);
    Layout l;
    l.title = area.removeFromTop (70.0f * u);
    juce::StringArray swept;
    for (const auto& n : sweep.names)
        swept.add (n);
    size_t measured = 0;
    for (const auto& p : sweep.points)
        measured += p.outcome ? 1 : 0;
    drawTitle (c, l.title, "Curves of " + sweep.plugin + " across " + swept.joinIntoString (" and "),
               juce::String ((int) measured) + " of " + juce::String ((int) sweep.points.size()) + " points measured, by sonderlith " + currentReleaseVersion);
    auto figures = area.removeFromRight (area.getWidth() * 0.34f).withTrimmedLeft (90.0f * u);
    l.side = area.removeFromRight (300.0f * u).withTrimmedLeft (24.0f * u);
    area.removeFromLeft (110.0f * u);
    l.plot = area.withTrimmedBottom (60.0f * u).toNearestInt().toFloat();

    double reach = 0.0, yLow = 0.0, yHigh = 0.0;
    for (const auto& p : sweep.points)
        if (p.outcome)
        {
            reach = std::max (reach, p.outcome->levels.xPeak);
            for (const auto v : p.outcome->fit.smoothedBins)
                yLow = std::min (yLow, v * p.outcome->levels.outputScale), yHigh = std::max (yHigh, v * p.outcome->levels.outputScale);
        }
    const PlotFrame plot (l.plot, paddedRange (-std::max (reach, 1.0e-6), std::max (reach, 1.0e-6)), paddedRange (yLow, yHigh));
    plot.drawAxes (c.g, c.palette, u, "Input (full scale)", "Output (full scale)", true, true);
    std::vector<LegendEntry> legend;
    const auto count = std::max<size_t> (1, sweep.points.size() - 1);
    for (size_t i = 0; i < sweep.points.size(); ++i)
    {
        const auto& p = sweep.points[i];
        const auto colour = rampColour (c.palette, (double) i / (double) count);
        if (p.outcome)
            plot.drawCurve (c.g, curveInUnits (p.outcome->fit.smoothedBins, p.outcome->levels.xPeak, p.outcome->levels.outputScale), colour, 2.2f * u, false);
        legend.push_back ({ p.outcome ? colour : c.palette.failed, describeValues (p) + (p.outcome ? juce::String() : " (failed)") });
    }
    // As many entries as fit, the first and the last always among them.
    const auto fitting = (size_t) std::max (2.0f, l.side.getHeight() / (26.0f * u)) - 1;
    if (legend.size() > fitting)
    {
        std::vector<LegendEntry> shown (legend.begin(), legend.begin() + (std::ptrdiff_t) fitting - 1);
        shown.push_back ({ c.palette.faintText, "... " + juce::String ((int) (legend.size() - fitting)) + " more" });
        shown.push_back (legend.back());
        legend = std::move (shown);
    }
    drawLegend (c, l.side, legend);

    const auto gap = 70.0f * u, panel = (figures.getHeight() - 60.0f * u - 2.0f * gap) / 3.0f;
    auto next = [&] { auto r = figures.removeFromTop (panel); figures.removeFromTop (gap); return r; };
    drawFigureAgainstValue (c, next(), sweep, "Small-signal gain (dB)", [] (const MeasureOutcome& o) -> std::optional<double>
                            { return o.levels.smallSignalGain && *o.levels.smallSignalGain != 0.0 ? std::optional (20.0 * std::log10 (std::abs (*o.levels.smallSignalGain))) : std::nullopt; });
    drawFigureAgainstValue (c, next(), sweep, "H3 (dB re H1)", [] (const MeasureOutcome& o) -> std::optional<double>
                            { return o.harmonics && o.harmonics->measuredDb.size() > 2 ? std::optional (o.harmonics->measuredDb[2]) : std::nullopt; });
    drawFigureAgainstValue (c, next(), sweep, "ESR (dB)", [] (const MeasureOutcome& o) -> std::optional<double>
                            { return 10.0 * std::log10 (std::max (o.report.esr, 1.0e-20)); });
    return finish (c, l, false);
}

juce::Result writePicture (const ReportPicture& picture, const juce::File& file)
{
    juce::MemoryOutputStream png;
    if (! juce::PNGImageFormat().writeImageToStream (picture.image, png))
        return juce::Result::fail ("the picture could not be encoded");
    return replaceFileSafely (file, png.getData(), png.getDataSize());
}
