#pragma once

#include <cstddef>
#include <vector>

// How many pairs fell where, in table units: X -1..1 across, Y -yRange..yRange up.
struct DensityGrid
{
    int columns = 320, rows = 320;
    double yRange = 1.0;
    std::vector<double> counts; // row-major, row 0 at the bottom

    void add (double x, double y);
    double at (int column, int row) const { return counts[(size_t) (row * columns + column)]; }
};

// Y minus the curve, per stretch of X, in table units.
struct ResidualProfile
{
    static constexpr int bins = 200;
    std::vector<double> count = std::vector<double> (bins, 0.0), sum = std::vector<double> (bins, 0.0),
                        squares = std::vector<double> (bins, 0.0), minimum = std::vector<double> (bins, 0.0),
                        maximum = std::vector<double> (bins, 0.0);

    void add (double x, double residual);
};
