#include "dsp/CaptureAlignment.h"

#include "dsp/FractionalShift.h"

#include <algorithm>
#include <cmath>

AlignedCapture alignCapture (const std::vector<double>& captureX, const std::vector<double>& captureY, int length,
                             double latencyX, double latencyY)
{
    const auto s = (long) std::min (captureX.size(), captureY.size());
    const auto n = std::min ((long) std::max (length, 0), s);
    if (! std::isfinite (latencyX) || ! std::isfinite (latencyY) || latencyX < 0.0 || latencyY < 0.0)
        return {};

    const auto d = (long) std::ceil (std::max (latencyX, latencyY));
    const auto offsetX = (long) std::floor (d - latencyX), offsetY = (long) std::floor (d - latencyY);
    const auto fracX = (d - latencyX) - offsetX, fracY = (d - latencyY) - offsetY;
    const auto shifted = fracX > 1e-9 || fracY > 1e-9;
    const long m = n - (shifted ? 2 : 0) - d;
    if (m < 1)
        return {};

    const auto start = s - n;
    AlignedCapture out;
    out.x.assign (captureX.begin() + start + offsetX, captureX.begin() + start + offsetX + m);
    out.y.assign (captureY.begin() + start + offsetY, captureY.begin() + start + offsetY + m);

    if (shifted)
    {
        out.x = fractionalShift (out.x, fracX);
        out.y = fractionalShift (out.y, fracY);
        if (out.x.size() < 5)
            return {};
        for (auto* v : { &out.x, &out.y })
            v->assign (v->begin() + 2, v->end() - 2);
    }
    return out;
}
