#include "engine/PairDistribution.h"

#include <algorithm>

void DensityGrid::add (double x, double y)
{
    const auto column = (int) ((x + 1.0) * 0.5 * columns), row = (int) ((y / yRange + 1.0) * 0.5 * rows);
    if (column >= 0 && column < columns && row >= 0 && row < rows)
        counts[(size_t) (row * columns + column)] += 1.0;
}

void ResidualProfile::add (double x, double residual)
{
    const auto b = (size_t) std::clamp ((int) ((x + 1.0) * 0.5 * bins), 0, bins - 1);
    minimum[b] = count[b] > 0.0 ? std::min (minimum[b], residual) : residual;
    maximum[b] = count[b] > 0.0 ? std::max (maximum[b], residual) : residual;
    count[b] += 1.0;
    sum[b] += residual;
    squares[b] += residual * residual;
}
