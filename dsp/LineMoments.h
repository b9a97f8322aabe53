#pragma once

#include <algorithm>

// The sums a straight-line fit of pairs needs: how many, and of x, x², y, xy
// and y². Offsetting x (to a bin's centre, say) before adding keeps them precise.
struct LineMoments
{
    double count = 0.0, x = 0.0, xx = 0.0, y = 0.0, xy = 0.0, yy = 0.0;

    void add (double px, double py) noexcept
    {
        count += 1.0;
        x += px;
        xx += px * px;
        y += py;
        xy += px * py;
        yy += py * py;
    }

    LineMoments& operator+= (const LineMoments& o) noexcept
    {
        count += o.count;
        x += o.x;
        xx += o.xx;
        y += o.y;
        xy += o.xy;
        yy += o.yy;
        return *this;
    }

    bool xVaries() const noexcept { return xx - x * x / count > 0.0; }

    // Squares of y about the least-squares line (about the mean where x does
    // not vary): the scatter no straight piece of curve explains.
    double residualSquares() const noexcept
    {
        if (count < 1.0)
            return 0.0;
        const auto inverse = 1.0 / count;
        const auto sxx = xx - x * x * inverse, sxy = xy - x * y * inverse, syy = yy - y * y * inverse;
        return std::max (0.0, sxx > 0.0 ? syy - sxy * sxy / sxx : syy);
    }
};
