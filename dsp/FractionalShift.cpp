#include "dsp/FractionalShift.h"

#include <cstddef>

std::vector<double> fractionalShift (const std::vector<double>& v, double f)
{
    if (f <= 1e-9)
        return v;

    const auto n = (int) v.size();
    std::vector<double> out (v);
    const auto f2 = f * f, f3 = f2 * f;
    for (int i = 2; i <= n - 3; ++i)
    {
        const auto p0 = v[(std::size_t) i - 1], p1 = v[(std::size_t) i], p2 = v[(std::size_t) i + 1], p3 = v[(std::size_t) i + 2];
        out[(std::size_t) i] = 0.5 * (2.0 * p1 + (p2 - p0) * f + (2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3) * f2
                                 + (-p0 + 3.0 * p1 - 3.0 * p2 + p3) * f3);
    }
    return out;
}
