#pragma once

#include <vector>

// Entry i takes the Catmull-Rom value at position i + f (0 <= f < 1); the two
// entries at each end are copied unshifted.
std::vector<double> fractionalShift (const std::vector<double>& v, double f);
