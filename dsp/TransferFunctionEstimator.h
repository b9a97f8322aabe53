#pragma once

#include "dsp/FitResult.h"

#include <vector>

// Entry point of the estimator: normalises both signals to a peak of 1, drops
// non-finite pairs, runs "Mean" or "ODR" (with their fallbacks) onto the
// 16384-point grid, finishes and smooths the table. Pure; no shared state.
FitResult estimateTransferFunction (const std::vector<double>& x, const std::vector<double>& y, int smoothing,
                                    CaptureAlgorithm algorithm);

std::vector<double> normaliseToPeak (const std::vector<double>& v);

// Fills interior NaN runs with straight lines and extrapolates both edges with
// the slope of their outermost two numbers.
std::vector<double> finishTable (std::vector<double> grid);

FitResult binnedMeanFit (const std::vector<double>& xn, const std::vector<double>& yn, int smoothing);

// Completion shared by every algorithm: finishTable, smoothing, valid.
FitResult completeFit (const std::vector<double>& grid, int smoothing);
