#pragma once

#include "engine/CurveComparison.h"

// A preset's table, or the first two columns of a curve CSV written by
// `sonderlith measure`. Empty table with `error` set when the file is
// neither, or unreadable.
LoadedCurve loadCurve (const juce::File&, juce::String& error);
