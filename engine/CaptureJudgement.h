#pragma once

#include "engine/MeasurementVerdict.h"

#include <vector>

// A fit of a short capture judged by the rules the command judges recordings
// by, in the plug-in's terms. Rules for what a short capture cannot hold (the
// command's stimulus, a delay it estimated) are not asked; a poor fit is
// searched for a remaining misalignment.
struct CaptureVerdict
{
    bool judged = false; // false when the capture holds no usable pair
    MeasurementReport report;
    Judgement judgement;
};

// `x` and `y` as aligned for the fit; `sineSweepEstimator` tells whether the fit
// came from a plug-in estimator made for sine sweeps ("Mean", "ODR").
CaptureVerdict judgeCapture (const std::vector<double>& x, const std::vector<double>& y, const FitResult&, bool sineSweepEstimator);
