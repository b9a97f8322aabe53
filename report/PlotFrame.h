#pragma once

#include <juce_graphics/juce_graphics.h>

struct PictureOptions
{
    int width = 1600, height = 1000;
    bool light = false; // white ground, for print
};

// The colours of a report picture: the plug-in's theme on its dark ground,
// or the same hues made to print on white.
struct PicturePalette
{
    juce::Colour background, panel, text, faintText, grid, axis, curve, density, identity, good, doubtful, failed;
    std::vector<juce::Colour> series; // for several curves at once

    static PicturePalette forTheme (bool light);
};

// One plotting area: data ranges mapped onto a rectangle, with the axes,
// ticks and labels a reader expects.
class PlotFrame
{
public:
    PlotFrame (juce::Rectangle<float> area, juce::Range<double> x, juce::Range<double> y);

    juce::Point<float> toScreen (double x, double y) const;
    juce::Rectangle<float> area() const noexcept { return bounds; }
    juce::Range<double> xRange() const noexcept { return xs; }
    juce::Range<double> yRange() const noexcept { return ys; }

    // Grid lines at the ticks, the frame, the tick labels and the axis titles;
    // with `decibels`, positive ticks also show their level in dBFS.
    void drawAxes (juce::Graphics&, const PicturePalette&, float unit, const juce::String& xTitle, const juce::String& yTitle,
                   bool xDecibels, bool yDecibels, bool drawXLabels = true) const;

    // A curve as a path clipped to the frame.
    void drawCurve (juce::Graphics&, const std::vector<std::pair<double, double>>& points, juce::Colour, float thickness, bool glow) const;

    // Round steps of 1, 2, 2.5 or 5 times a power of ten across the range.
    static std::vector<double> ticks (juce::Range<double>, int roughly);

private:
    juce::Rectangle<float> bounds;
    juce::Range<double> xs, ys;
};

juce::Font pictureFont (float height, bool bold = false);

// Text that fits: shrinks the font until the width does.
void drawFittedText (juce::Graphics&, const juce::String&, juce::Rectangle<float>, juce::Justification, float height, bool bold = false);
