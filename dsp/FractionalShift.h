#pragma once

#include <vector>

// Entry i takes the Catmull-Rom value at position i + f (0 <= f < 1); the two
// entries at each end are copied unshifted.
std::vector<double> fractionalShift (const std::vector<double>& v, double f);

// The Catmull-Rom value a fraction f (0 <= f < 1) of the way from p1 to p2,
// the same curve fractionalShift draws through each run of four samples.
inline double catmullRom (double p0, double p1, double p2, double p3, double f) noexcept
{
    const auto f2 = f * f, f3 = f2 * f;
    return 0.5 * (2.0 * p1 + (p2 - p0) * f + (2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3) * f2 + (-p0 + 3.0 * p1 - 3.0 * p2 + p3) * f3);
}
