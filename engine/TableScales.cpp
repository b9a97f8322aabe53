#include "engine/TableScales.h"

#include <algorithm>

double tableFactorOf (const FitResult& fit)
{
    double cross = 0.0, squares = 0.0;
    for (size_t i = 0; i < std::min (fit.bins.size(), fit.smoothedBins.size()); ++i)
    {
        cross += fit.bins[i] * fit.smoothedBins[i];
        squares += fit.smoothedBins[i] * fit.smoothedBins[i];
    }
    const auto factor = squares > 0.0 ? cross / squares : 1.0;
    return factor > 0.0 ? factor : 1.0;
}
