#pragma once

#include "engine/Measurement.h"

// The measurement written out for people (text), programs (JSON, its keys
// described in docs/report.schema.json) and spreadsheets (CSV).
juce::String reportAsText (const MeasureOptions&, const MeasureOutcome&);
// `forced`: the curve was to be written even with a "failed" verdict.
juce::String reportAsJson (const MeasureOptions&, const MeasureOutcome&, bool forced);
juce::String curveAsCsv (const MeasureOutcome&);
