#pragma once

#include "engine/CurveComparison.h"

juce::String comparisonAsText (const CurveComparison&);
juce::String comparisonAsJson (const CurveComparison&);
