#include "engine/CurveComparison.h"

#include <algorithm>
#include <cmath>

bool CurveComparison::allWithinTolerance() const
{
    return std::all_of (pairs.begin(), pairs.end(), [] (const CurveDifference& d) { return d.withinTolerance; });
}

CurveComparison compareCurves (std::vector<LoadedCurve> curves, bool matchGain, double tolerance)
{
    CurveComparison comparison { std::move (curves), {}, matchGain, tolerance };
    const auto& c = comparison.curves;
    for (int i = 0; i < (int) c.size(); ++i)
        for (int j = i + 1; j < (int) c.size(); ++j)
        {
            const auto &a = c[(size_t) i].table, &b = c[(size_t) j].table;
            CurveDifference d { i, j };
            if (matchGain)
            {
                double cross = 0.0, squares = 0.0;
                for (size_t k = 0; k < a.size(); ++k)
                {
                    cross += a[k] * b[k];
                    squares += b[k] * b[k];
                }
                d.gain = squares > 0.0 ? cross / squares : 1.0;
            }
            d.difference.resize (a.size());
            double squares = 0.0;
            for (size_t k = 0; k < a.size(); ++k)
            {
                d.difference[k] = b[k] * d.gain - a[k];
                d.maxDifference = std::max (d.maxDifference, std::abs (d.difference[k]));
                squares += d.difference[k] * d.difference[k];
            }
            d.rmsDifference = std::sqrt (squares / (double) a.size());
            d.withinTolerance = d.maxDifference <= tolerance;
            comparison.pairs.push_back (std::move (d));
        }
    return comparison;
}
