#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>

// The peaks of X and Y over the pairs whose samples are both numbers, and
// how many such pairs there are: what every estimator normalises by.
struct PairPeaks
{
    double x = 0.0, y = 0.0;
    size_t finitePairs = 0;

    void add (const double* xs, const double* ys, size_t count) noexcept
    {
        for (size_t i = 0; i < count; ++i)
            if (std::isfinite (xs[i]) && std::isfinite (ys[i]))
            {
                x = std::max (x, std::abs (xs[i]));
                y = std::max (y, std::abs (ys[i]));
                ++finitePairs;
            }
    }
};
