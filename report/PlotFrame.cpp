#include "report/PlotFrame.h"

#include "ui_core/Fonts.h"
#include "ui_core/ThemeColours.h"

#include <cmath>

PicturePalette PicturePalette::forTheme (bool light)
{
    PicturePalette p;
    if (light)
    {
        p.background = juce::Colours::white;
        p.panel = juce::Colour (0xfff4f5f7);
        p.text = juce::Colour (0xff1d1f24);
        p.faintText = juce::Colour (0xff5c6270);
        p.grid = juce::Colour (0xffdfe2e8);
        p.axis = juce::Colour (0xff3a3f4a);
        p.curve = ui_core::primaryColour (3);
        p.density = ui_core::secondaryColour (3);
        p.identity = juce::Colour (0xffa0a6b2);
    }
    else
    {
        p.background = ui_core::neutralColour (0);
        p.panel = ui_core::neutralColour (1);
        p.text = ui_core::neutralColour (9);
        p.faintText = ui_core::neutralColour (6);
        p.grid = ui_core::neutralColour (2);
        p.axis = ui_core::neutralColour (5);
        p.curve = ui_core::primaryColour (7);
        p.density = ui_core::secondaryColour (7);
        p.identity = ui_core::neutralColour (4);
    }
    p.good = juce::Colour (0xff2e9d5b);
    p.doubtful = juce::Colour (0xffd99a1e);
    p.failed = juce::Colour (0xffd6453d);
    p.series = { p.curve, p.density, juce::Colour (0xff2e9d5b), juce::Colour (0xffd99a1e), juce::Colour (0xff8e5bd6), juce::Colour (0xff3a9ad9) };
    return p;
}

juce::Font pictureFont (float height, bool bold) { return ui_core::interFont (bold ? 2 : 0, height); }

void drawFittedText (juce::Graphics& g, const juce::String& text, juce::Rectangle<float> area, juce::Justification justification, float height,
                     bool bold)
{
    auto font = pictureFont (height, bold);
    while (font.getHeight() > 6.0f && juce::GlyphArrangement::getStringWidth (font, text) > area.getWidth())
        font = pictureFont (font.getHeight() * 0.92f, bold);
    g.setFont (font);
    g.drawText (text, area, justification, true);
}

PlotFrame::PlotFrame (juce::Rectangle<float> area, juce::Range<double> x, juce::Range<double> y) : bounds (area), xs (x), ys (y) {}

juce::Point<float> PlotFrame::toScreen (double x, double y) const
{
    const auto fx = (x - xs.getStart()) / xs.getLength(), fy = (y - ys.getStart()) / ys.getLength();
    return { bounds.getX() + (float) fx * bounds.getWidth(), bounds.getBottom() - (float) fy * bounds.getHeight() };
}

std::vector<double> PlotFrame::ticks (juce::Range<double> range, int roughly)
{
    const auto span = range.getLength();
    if (! (span > 0.0))
        return {};
    const auto raw = span / std::max (1, roughly);
    const auto power = std::pow (10.0, std::floor (std::log10 (raw)));
    double step = power;
    for (const auto m : { 1.0, 2.0, 2.5, 5.0, 10.0 })
        if (m * power >= raw)
        {
            step = m * power;
            break;
        }
    std::vector<double> out;
    for (auto v = std::ceil (range.getStart() / step) * step; v <= range.getEnd() + step * 1e-9; v += step)
        out.push_back (std::abs (v) < step * 1e-9 ? 0.0 : v);
    return out;
}

namespace
{
// As many decimals as the step needs (0.25 two, 0.5 one, 2.5 one, 10 none).
juce::String tickText (double v, double step)
{
    const auto power = std::floor (std::log10 (step) + 1e-9);
    const auto mantissa = step / std::pow (10.0, power);
    const auto decimals = juce::jlimit (0, 8, (int) -power + (std::abs (mantissa - std::round (mantissa)) > 1e-6 ? 1 : 0));
    return juce::String (v, decimals);
}

juce::String decibelText (double v) { return juce::String (20.0 * std::log10 (v), 1) + " dBFS"; }
} // namespace

void PlotFrame::drawAxes (juce::Graphics& g, const PicturePalette& palette, float unit, const juce::String& xTitle, const juce::String& yTitle,
                          bool xDecibels, bool yDecibels, bool drawXLabels) const
{
    const auto xTicks = ticks (xs, 8), yTicks = ticks (ys, 6);
    g.setColour (palette.grid);
    for (const auto v : xTicks)
        g.drawVerticalLine ((int) std::round (toScreen (v, 0.0).x), bounds.getY(), bounds.getBottom());
    for (const auto v : yTicks)
        g.drawHorizontalLine ((int) std::round (toScreen (0.0, v).y), bounds.getX(), bounds.getRight());
    g.setColour (palette.axis);
    g.drawRect (bounds, std::max (1.0f, unit * 1.5f));

    const auto label = 15.0f * unit, small = 11.5f * unit;
    const auto xStep = xTicks.size() > 1 ? xTicks[1] - xTicks[0] : 1.0, yStep = yTicks.size() > 1 ? yTicks[1] - yTicks[0] : 1.0;
    if (drawXLabels)
        for (const auto v : xTicks)
        {
            const auto x = toScreen (v, 0.0).x;
            g.setColour (palette.text);
            g.setFont (pictureFont (label));
            g.drawText (tickText (v, xStep), juce::Rectangle<float> (x - 50.0f * unit, bounds.getBottom() + 6.0f * unit, 100.0f * unit, label * 1.3f),
                        juce::Justification::centredTop);
            if (xDecibels && v > 0.0)
            {
                g.setColour (palette.faintText);
                g.setFont (pictureFont (small));
                g.drawText (decibelText (v), juce::Rectangle<float> (x - 50.0f * unit, bounds.getBottom() + 8.0f * unit + label * 1.2f, 100.0f * unit, small * 1.3f),
                            juce::Justification::centredTop);
            }
        }
    for (const auto v : yTicks)
    {
        const auto y = toScreen (0.0, v).y;
        g.setColour (palette.text);
        g.setFont (pictureFont (label));
        const auto text = tickText (v, yStep) + (yDecibels && v > 0.0 ? "" : "");
        g.drawText (text, juce::Rectangle<float> (bounds.getX() - 78.0f * unit, y - label * 0.65f, 70.0f * unit, label * 1.3f),
                    juce::Justification::centredRight);
        if (yDecibels && v > 0.0)
        {
            g.setColour (palette.faintText);
            g.setFont (pictureFont (small));
            g.drawText (decibelText (v), juce::Rectangle<float> (bounds.getX() + 4.0f * unit, y - small * 1.3f, 100.0f * unit, small * 1.2f),
                        juce::Justification::bottomLeft);
        }
    }

    g.setColour (palette.text);
    g.setFont (pictureFont (16.0f * unit, true));
    if (xTitle.isNotEmpty())
        g.drawText (xTitle, juce::Rectangle<float> (bounds.getX(), bounds.getBottom() + (xDecibels ? 44.0f : 28.0f) * unit, bounds.getWidth(), 22.0f * unit),
                    juce::Justification::centred);
    if (yTitle.isNotEmpty())
    {
        juce::Graphics::ScopedSaveState state (g);
        const auto centre = juce::Point<float> (bounds.getX() - 92.0f * unit, bounds.getCentreY());
        g.addTransform (juce::AffineTransform::rotation (-juce::MathConstants<float>::halfPi, centre.x, centre.y));
        g.drawText (yTitle, juce::Rectangle<float> (bounds.getHeight(), 22.0f * unit).withCentre (centre), juce::Justification::centred);
    }
}

void PlotFrame::drawCurve (juce::Graphics& g, const std::vector<std::pair<double, double>>& points, juce::Colour colour, float thickness,
                           bool glow) const
{
    juce::Path path;
    bool started = false;
    for (const auto& [x, y] : points)
    {
        if (! std::isfinite (x) || ! std::isfinite (y))
            continue;
        const auto p = toScreen (x, juce::jlimit (ys.getStart() - ys.getLength(), ys.getEnd() + ys.getLength(), y));
        if (started)
            path.lineTo (p);
        else
            path.startNewSubPath (p);
        started = true;
    }
    juce::Graphics::ScopedSaveState state (g);
    g.reduceClipRegion (bounds.toNearestInt());
    if (glow)
    {
        g.setColour (colour.withAlpha (0.18f));
        g.strokePath (path, juce::PathStrokeType (thickness * 4.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
        g.setColour (colour.withAlpha (0.3f));
        g.strokePath (path, juce::PathStrokeType (thickness * 2.2f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    }
    g.setColour (colour);
    g.strokePath (path, juce::PathStrokeType (thickness, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
}
