#pragma once

#include <vector>

enum class CaptureAlgorithm
{
    Mean,
    ODR,
    Auto // the recording estimator: any material
};

struct FitResult
{
    std::vector<double> bins;         // finished, unsmoothed table
    std::vector<double> smoothedBins; // what gets published
    bool valid = false;
};

namespace grid
{
inline constexpr int size = 16384;

// Grid point c sits at x = 2c / 16383 - 1, computed exactly this way everywhere
// so that every stage agrees on which samples bracket which point.
inline double xAt (int c) noexcept { return 2.0 * c / 16383.0 - 1.0; }
} // namespace grid
