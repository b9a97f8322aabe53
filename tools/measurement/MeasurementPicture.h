#pragma once

#include "tools/measurement/Measurement.h"

#include <juce_graphics/juce_graphics.h>

// The measurement as the plug-in shows it: the X-Y cloud of the pairs used,
// the fitted curve drawn over it by the plug-in's own plot, and the stretches
// of X without data shaded.
juce::Image drawMeasurement (const MeasureOutcome&, int width = 800, int height = 800);
