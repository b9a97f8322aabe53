#pragma once

#include <vector>

// Turns unsmoothed bins into the table that gets published: Savitzky-Golay
// window from the "smoothing" control s (1 = none), a half-step resampling, and
// normalisation to a peak magnitude of exactly 1.
std::vector<double> smoothTransferFunction (const std::vector<double>& bins, int s);

int smoothingWindowFor (int s) noexcept; // 0 when s means "no window"
std::vector<double> savitzkyGolayCoefficients (int window, int order);
std::vector<double> savitzkyGolaySmooth (const std::vector<double>& v, int window);
std::vector<double> halfStepShift (const std::vector<double>& v);
