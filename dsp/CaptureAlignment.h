#pragma once

#include <vector>

struct AlignedCapture
{
    std::vector<double> x, y;
};

// Cuts the newest `length` pairs of a capture and delays X by latencyX and Y by
// latencyY samples (fractional delays by Catmull-Rom interpolation), so that
// only latencyX - latencyY changes which samples meet. Empty when the latencies
// leave no pair.
AlignedCapture alignCapture (const std::vector<double>& captureX, const std::vector<double>& captureY, int length,
                             double latencyX, double latencyY);
