#include "tools/measurement/MeasurementPicture.h"

#include "ui_core/DesignTokens.h"
#include "ui_core/PlotFeedBuilders.h"
#include "ui_core/ThemeColours.h"
#include "ui_core/WaveformVisualizer.h"

namespace
{
std::vector<std::pair<double, double>> curvePoints (const std::vector<double>& table)
{
    std::vector<std::pair<double, double>> points;
    points.reserve (table.size());
    for (int c = 0; c < (int) table.size(); ++c)
        points.emplace_back (grid::xAt (c), juce::jlimit (-1.0, 1.0, table[(size_t) c]));
    return points;
}

// Bands over the X stretches of at least `minimum` grid points with no data.
void shadeGaps (juce::Graphics& g, const ui_core::WaveformVisualizer& plot, const std::vector<bool>& hasData, int minimum)
{
    g.setColour (ui_core::withAlphaLevel (ui_core::secondaryColour (5), 0.18f));
    for (int c = 0; c < (int) hasData.size();)
    {
        if (hasData[(size_t) c])
        {
            ++c;
            continue;
        }
        const auto start = c;
        while (c < (int) hasData.size() && ! hasData[(size_t) c])
            ++c;
        if (c - start < minimum)
            continue;
        const auto left = plot.toScreen (grid::xAt (start), 1.0), right = plot.toScreen (grid::xAt (c - 1), -1.0);
        g.fillRect (juce::Rectangle<float> (left, right));
    }
}
} // namespace

juce::Image drawMeasurement (const MeasureOutcome& outcome, int width, int height)
{
    juce::Image image (juce::Image::ARGB, width, height, true, juce::SoftwareImageType());
    juce::Graphics g (image);

    ui_core::WaveformVisualizer cloud;
    auto cloudStyle = ui_core::defaultVisualizerStyle();
    cloudStyle.traceColour = ui_core::withAlphaLevel (ui_core::secondaryColour (7), 0.5f);
    cloudStyle.glowEnabled = false;
    cloudStyle.traceThickness = 1.5f;
    cloud.setStyle (cloudStyle);
    cloud.setScatterMode (true);
    cloud.setBounds (0, 0, width, height);
    cloud.setPoints (outcome.cloud);
    cloud.paintEntireComponent (g, false);

    shadeGaps (g, cloud, outcome.report.gridHasData, 64);

    // The curve through a second plot that only draws its trace.
    ui_core::WaveformVisualizer curve;
    auto curveStyle = ui_core::defaultVisualizerStyle();
    curveStyle.backgroundColour = juce::Colours::transparentBlack;
    curveStyle.gridEnabled = false;
    curveStyle.cornerMaskEnabled = false;
    curveStyle.innerShadowEnabled = false;
    curve.setStyle (curveStyle);
    curve.setBounds (0, 0, width, height);
    curve.setPoints (curvePoints (outcome.fit.smoothedBins));
    curve.paintEntireComponent (g, false);
    return image;
}
