#pragma once

#include <cstddef>
#include <optional>
#include <vector>

// The levels of a take: the pre-roll of silence gives the return's noise
// floor, the rest the peaks. In dBFS, floored at -240 (digital silence).
struct TakeLevels
{
    double sendPeak = 0.0, returnPeak = 0.0;
    std::optional<double> referencePeak;
    double returnRms = 0.0;           // while the signal played
    std::optional<double> noiseFloor; // RMS of the return in the pre-roll
};

inline constexpr double silentReturnDbfs = -60.0; // a return this quiet is not connected

double toDbfs (double amplitude);

// `played`, `returned` and `reference` (empty without one) span the whole
// take; the signal starts at `preroll`.
TakeLevels measureTakeLevels (const std::vector<float>& played, const std::vector<float>& returned, const std::vector<float>& reference,
                              std::size_t preroll, std::size_t recorded);
