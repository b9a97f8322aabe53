#include "ui_core/RoundStroke.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace ui_core
{
namespace
{
struct Target
{
    juce::Image::BitmapData& data;
    float radius;
    juce::PixelARGB colour; // premultiplied
    int alpha;
    LitBlockMap* touched;
    float outerSquared; // (radius + 0.5)^2: no coverage from here out
    float innerSquared; // (radius - 0.5)^2 when positive: full coverage within
    std::array<int, 129> levelAt {}; // coverage level by squared distance, across the edge
    float levelScale = 0.0f;          // squared distance to a table index
    std::int64_t steps = 0;           // pixels visited, for callers that bound the work

    int level (float distanceSquared) const noexcept
    {
        if (distanceSquared <= innerSquared)
            return 255;
        const auto from = juce::jmax (innerSquared, 0.0f);
        return levelAt[(size_t) ((distanceSquared - from) * levelScale)];
    }
};

// The edge's coverage, reach - distance, tabulated over squared distance so
// the inner loop takes no square root.
void tabulateLevels (Target& t)
{
    const auto from = juce::jmax (t.innerSquared, 0.0f);
    const auto span = juce::jmax (t.outerSquared - from, 1.0e-6f);
    t.levelScale = 128.0f / span;
    for (size_t i = 0; i < t.levelAt.size(); ++i)
    {
        const auto d = std::sqrt (from + span * ((float) i + 0.5f) / 128.0f);
        t.levelAt[i] = juce::jlimit (0, 255, (int) ((t.radius + 0.5f - d) * 255.0f + 0.5f));
    }
}

// Coverage of a pixel centre by a capsule: one inside (radius - 0.5), zero
// beyond (radius + 0.5), linear across the pixel-wide edge.
void capsule (Target& t, float ax, float ay, float bx, float by)
{
    const auto reach = t.radius + 0.5f;
    const auto dx = bx - ax, dy = by - ay;
    const auto lengthSquared = dx * dx + dy * dy;
    const auto inverseLengthSquared = lengthSquared > 0.0f ? 1.0f / lengthSquared : 0.0f;
    const auto inverseDy = std::abs (dy) > 1.0e-6f ? 1.0f / dy : 0.0f;
    const auto top = juce::jmax (0, (int) std::floor (juce::jmin (ay, by) - reach));
    const auto bottom = juce::jmin (t.data.height - 1, (int) std::ceil (juce::jmax (ay, by) + reach));

    for (int y = top; y <= bottom; ++y)
    {
        const auto ry = (float) y + 0.5f - ay;
        // The part of the segment within reach of this row bounds the columns.
        auto t0 = 0.0f, t1 = 1.0f;
        if (inverseDy != 0.0f)
        {
            const auto u0 = (ry - reach) * inverseDy, u1 = (ry + reach) * inverseDy;
            t0 = juce::jmax (0.0f, juce::jmin (u0, u1));
            t1 = juce::jmin (1.0f, juce::jmax (u0, u1));
            if (t0 > t1)
                continue;
        }
        else if (std::abs (ry) > reach)
        {
            continue;
        }
        const auto x0 = ax + dx * t0, x1 = ax + dx * t1;
        const auto left = juce::jmax (0, (int) std::floor (juce::jmin (x0, x1) - reach));
        const auto right = juce::jmin (t.data.width - 1, (int) std::ceil (juce::jmax (x0, x1) + reach));
        if (t.touched != nullptr)
            t.touched->mark (y, left, right);

        auto* line = reinterpret_cast<juce::PixelARGB*> (t.data.getLinePointer (y));
        // Along the row the projection onto the segment grows by dx per pixel.
        auto rx = (float) left + 0.5f - ax;
        auto along = (rx * dx + ry * dy) * inverseLengthSquared;
        const auto alongStep = dx * inverseLengthSquared;
        t.steps += juce::jmax (0, right - left + 1);
        for (int x = left; x <= right; ++x, rx += 1.0f, along += alongStep)
        {
            // A pixel already at full strength cannot gain: retraced curves
            // mostly land here.
            const auto existing = (int) line[x].getAlpha();
            if (existing >= t.alpha)
                continue;
            const auto u = juce::jlimit (0.0f, 1.0f, along);
            const auto px = rx - u * dx, py = ry - u * dy;
            const auto distanceSquared = px * px + py * py;
            if (distanceSquared >= t.outerSquared)
                continue;
            const auto level = t.level (distanceSquared);
            if (level * t.alpha / 255 <= existing)
                continue;
            auto pixel = t.colour;
            pixel.multiplyAlpha (level);
            line[x] = pixel;
        }
    }
}
// A line one pixel wide or thinner: along its major axis, the two pixels
// straddling it share its coverage (scaled by the line's length per step, so
// a diagonal carries as much ink as the true stroke). Far fewer pixels than
// a capsule per segment; the same look at this width.
void thinLine (Target& t, float ax, float ay, float bx, float by, float width)
{
    const auto steep = std::abs (by - ay) > std::abs (bx - ax);
    if (steep)
    {
        std::swap (ax, ay);
        std::swap (bx, by);
    }
    if (ax > bx)
    {
        std::swap (ax, bx);
        std::swap (ay, by);
    }
    const auto dx = bx - ax, dy = by - ay;
    const auto gradient = dx > 1.0e-6f ? dy / dx : 0.0f;
    const auto ink = width * std::sqrt (1.0f + gradient * gradient) * 255.0f;

    auto plot = [&t, steep] (int major, int minor, float coverage)
    {
        const auto x = steep ? minor : major, y = steep ? major : minor;
        if (x < 0 || y < 0 || x >= t.data.width || y >= t.data.height)
            return;
        const auto level = (int) std::min (255.0f, coverage + 0.5f);
        if (level <= 0)
            return;
        auto& pixel = reinterpret_cast<juce::PixelARGB*> (t.data.getLinePointer (y))[x];
        if (level * t.alpha / 255 <= (int) pixel.getAlpha())
            return;
        auto written = t.colour;
        written.multiplyAlpha (level);
        pixel = written;
        if (t.touched != nullptr)
            t.touched->mark (y, x, x);
    };

    // Pixel centres sit at +0.5; the caps reach half a width past each end.
    const auto first = (int) std::floor (ax - 0.5f * width), last = (int) std::ceil (bx + 0.5f * width);
    t.steps += juce::jmax (0, last - first + 1);
    for (int major = first; major <= last; ++major)
    {
        const auto centre = (float) major + 0.5f;
        const auto along = std::clamp (centre, ax, bx);
        // Beyond an end the cap fades over half a pixel.
        const auto capFade = std::clamp (0.5f * width + 0.5f - std::abs (centre - along), 0.0f, 1.0f);
        const auto minorPosition = ay + gradient * (along - ax) - 0.5f;
        const auto below = (int) std::floor (minorPosition);
        const auto fraction = minorPosition - (float) below;
        plot (major, below, ink * (1.0f - fraction) * capFade);
        plot (major, below + 1, ink * fraction * capFade);
    }
}

// Cuts a segment to the image grown by `margin` (Liang-Barsky). False when
// nothing of it is left, or when an end is not finite: a NaN or a huge
// coordinate from a host or a damaged file must neither reach the integer
// conversions below nor make the walk along the segment unbounded. A segment
// left whole keeps its exact end points, so ordinary strokes are unchanged.
bool clipToImage (float& ax, float& ay, float& bx, float& by, float width, float height, float margin)
{
    if (! (std::isfinite (ax) && std::isfinite (ay) && std::isfinite (bx) && std::isfinite (by)))
        return false;
    const double x0 = ax, y0 = ay, dx = (double) bx - ax, dy = (double) by - ay;
    double t0 = 0.0, t1 = 1.0;
    const auto edge = [&t0, &t1] (double p, double q)
    {
        if (p == 0.0)
            return q >= 0.0;
        const auto r = q / p;
        if (p < 0.0)
            t0 = std::max (t0, r);
        else
            t1 = std::min (t1, r);
        return t0 <= t1;
    };
    if (! (edge (-dx, x0 + margin) && edge (dx, width + margin - x0) && edge (-dy, y0 + margin) && edge (dy, height + margin - y0)))
        return false;
    if (t1 < 1.0)
    {
        bx = (float) (x0 + t1 * dx);
        by = (float) (y0 + t1 * dy);
    }
    if (t0 > 0.0)
    {
        ax = (float) (x0 + t0 * dx);
        ay = (float) (y0 + t0 * dy);
    }
    return true;
}
} // namespace

std::int64_t strokeRoundCapped (juce::Image& image, const juce::Path& path, const juce::AffineTransform& toImage, float width, juce::Colour colour,
                        LitBlockMap* touched)
{
    if (! image.isValid() || image.getFormat() != juce::Image::ARGB || path.isEmpty() || ! (width > 0.0f) || ! std::isfinite (width))
        return 0;

    juce::Image::BitmapData data (image, juce::Image::BitmapData::readWrite);
    const auto premultiplied = colour.getPixelARGB();
    const auto radius = width * 0.5f;
    const auto inner = juce::jmax (0.0f, radius - 0.5f);
    Target target { data, radius, premultiplied, colour.getAlpha(), touched, (radius + 0.5f) * (radius + 0.5f), radius > 0.5f ? inner * inner : -1.0f };
    tabulateLevels (target);

    // Past this margin no pixel of the image can be reached by a cap or an edge.
    const auto margin = radius + 2.0f;
    for (juce::PathFlatteningIterator segments (path, toImage); segments.next();)
    {
        auto ax = segments.x1, ay = segments.y1, bx = segments.x2, by = segments.y2;
        if (! clipToImage (ax, ay, bx, by, (float) data.width, (float) data.height, margin))
            continue;
        if (width <= 1.0f)
            thinLine (target, ax, ay, bx, by, width);
        else
            capsule (target, ax, ay, bx, by);
    }
    return target.steps;
}
} // namespace ui_core
