#pragma once

#include "engine/CurveComparison.h"
#include "engine/Measurement.h"
#include "report/PlotFrame.h"
#include "report/SweepDocuments.h"

#include <juce_graphics/juce_graphics.h>

#include <optional>

// A picture and where its parts went, so a test can look at them.
struct ReportPicture
{
    juce::Image image;
    juce::Rectangle<int> plotArea, lowerArea;       // the curve's plot and the panel under it
    std::optional<juce::Rectangle<int>> banner;     // when the verdict is not good
    PicturePalette palette;
};

// The measurement: title, the X-Y density of the pairs with the fitted curve
// and the identity in the device's full-scale units (dBFS marked), the
// residual against X below, where X had data, the figures and the verdict.
ReportPicture drawMeasurementReport (const MeasureOptions&, const MeasureOutcome&, const PictureOptions&);

// A preset's table alone, in normalised units.
ReportPicture drawPresetPicture (const juce::String& title, const juce::String& subtitle, const std::vector<double>& table,
                                 const PictureOptions&);

// Curves overlaid, with each one's difference from the first below.
ReportPicture drawComparisonPicture (const CurveComparison&, const PictureOptions&);

// A sweep's curves overlaid in a colour ramp with the swept values as a
// legend; beside them small-signal gain, H3 and ESR against the first swept
// value (a line for each setting of the others). `plotArea` is the curves'.
ReportPicture drawFamilyPicture (const Sweep&, const PictureOptions&);

juce::Result writePicture (const ReportPicture&, const juce::File& png);
