#pragma once

#include <cstdint>
#include <vector>

// "Mean": the capture as a sequence of monotonic sweeps of X, each resampled
// onto the grid and averaged per grid point, rising and falling sweeps weighted
// equally so that hysteresis yields the curve midway between its branches.
struct SweepSegment
{
    std::uint64_t start = 0;
    std::uint64_t end = 0; // inclusive
    bool rising = false;
    double minX = 0.0;
    double maxX = 0.0;
};

std::vector<SweepSegment> findSweepSegments (const std::vector<double>& xn, int minLength = 2, double threshold = 0.0001);

// 16384 grid values of one sweep, NaN outside its reach.
std::vector<double> resampleSegment (const std::vector<double>& xn, const std::vector<double>& yn, const SweepSegment& segment);

std::vector<double> combineSegments (const std::vector<std::vector<double>>& curves, const std::vector<SweepSegment>& segments);

// The whole Mean grid: the same values as resampling every sweep and combining
// them, but accumulated sweep by sweep so memory stays flat however many sweeps
// the capture holds. Empty when there are no sweeps.
std::vector<double> meanFitGrid (const std::vector<double>& xn, const std::vector<double>& yn);
