#include "ui_core/PhosphorBlur.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace ui_core
{
namespace
{
using Pixel = std::uint32_t;

inline std::uint32_t channel (Pixel p, int c) noexcept { return (p >> (8 * c)) & 0xffu; }

// Per-thread scratch: the two image-sized buffers and the stacks, grown to
// the largest image seen and never shrunk, so a frame allocates nothing.
struct Scratch
{
    std::vector<Pixel> a, b, stack;

    void reserve (size_t pixels, size_t stackEntries)
    {
        if (a.size() < pixels)
        {
            a.resize (pixels);
            b.resize (pixels);
        }
        if (stack.size() < stackEntries)
            stack.resize (stackEntries);
    }
};

Scratch& scratch()
{
    thread_local Scratch s;
    return s;
}

// Blurs L lines of n pixels in lockstep. With Fast, the quotient by (r + 1)^2
// is (sum * m) >> 32, exact because a sum never exceeds 255 * (r + 1)^2.
template <int L, bool Fast>
void blurLines (const Pixel* const* src, int srcStep, Pixel* const* dst, int dstStep, int n, int r, Pixel* stackStorage)
{
    const int stackSize = 2 * r + 1;
    const auto divisor = (std::uint32_t) ((r + 1) * (r + 1));
    const auto multiplier = (std::uint32_t) (((1ull << 32) + divisor - 1) / divisor);

    std::int32_t sum[L][4] = {}, sumIn[L][4] = {}, sumOut[L][4] = {};
    Pixel* stack[L];
    for (int l = 0; l < L; ++l)
        stack[l] = stackStorage + l * stackSize;

    auto pixel = [&] (int l, int i) { return src[l][(std::ptrdiff_t) i * srcStep]; };

    for (int l = 0; l < L; ++l)
    {
        const auto first = pixel (l, 0);
        for (int i = 0; i <= r; ++i)
        {
            stack[l][i] = first;
            for (int c = 0; c < 4; ++c)
            {
                sum[l][c] += (std::int32_t) channel (first, c) * (i + 1);
                sumOut[l][c] += (std::int32_t) channel (first, c);
            }
        }
        for (int i = 1; i <= r; ++i)
        {
            const auto q = pixel (l, std::min (i, n - 1));
            stack[l][r + i] = q;
            for (int c = 0; c < 4; ++c)
            {
                sum[l][c] += (std::int32_t) channel (q, c) * (r + 1 - i);
                sumIn[l][c] += (std::int32_t) channel (q, c);
            }
        }
    }

    int stackPointer = r;
    int nextIndex = std::min (r, n - 1);
    for (int x = 0; x < n; ++x)
    {
        const auto leavingSlot = (stackPointer + r + 1) % stackSize;
        const auto enteringIndex = std::min (nextIndex + 1, n - 1);
        for (int l = 0; l < L; ++l)
        {
            Pixel out = 0;
            for (int c = 0; c < 4; ++c)
            {
                const auto s = (std::uint32_t) sum[l][c];
                const auto q = Fast ? (std::uint32_t) (((std::uint64_t) s * multiplier) >> 32) : s / divisor;
                out |= q << (8 * c);
            }
            dst[l][(std::ptrdiff_t) x * dstStep] = out;

            const auto leaving = stack[l][leavingSlot];
            const auto entering = pixel (l, enteringIndex);
            stack[l][leavingSlot] = entering;
            for (int c = 0; c < 4; ++c)
            {
                sum[l][c] -= sumOut[l][c];
                sumOut[l][c] -= (std::int32_t) channel (leaving, c);
                sumIn[l][c] += (std::int32_t) channel (entering, c);
                sum[l][c] += sumIn[l][c];
            }
        }
        if (nextIndex < n - 1)
            ++nextIndex;

        stackPointer = (stackPointer + 1) % stackSize;
        for (int l = 0; l < L; ++l)
        {
            const auto e = stack[l][stackPointer];
            for (int c = 0; c < 4; ++c)
            {
                sumOut[l][c] += (std::int32_t) channel (e, c);
                sumIn[l][c] -= (std::int32_t) channel (e, c);
            }
        }
    }
}

// One pass over `lines` lines of `length` pixels; line k starts at k * lineStep
// and its pixels are pixelStep apart.
void blurPass (const Pixel* from, Pixel* to, int lines, int length, int lineStep, int pixelStep, int r, bool allowFast,
               Pixel* stack)
{
    int line = 0;
    if (allowFast)
    {
        for (; line + 4 <= lines; line += 4)
        {
            const Pixel* src[4];
            Pixel* dst[4];
            for (int l = 0; l < 4; ++l)
            {
                src[l] = from + (std::ptrdiff_t) (line + l) * lineStep;
                dst[l] = to + (std::ptrdiff_t) (line + l) * lineStep;
            }
            blurLines<4, true> (src, pixelStep, dst, pixelStep, length, r, stack);
        }
    }
    for (; line < lines; ++line)
    {
        const Pixel* src[1] = { from + (std::ptrdiff_t) line * lineStep };
        Pixel* dst[1] = { to + (std::ptrdiff_t) line * lineStep };
        blurLines<1, false> (src, pixelStep, dst, pixelStep, length, r, stack);
    }
}

void stackBlur (juce::Image& image, int radius, bool allowFast)
{
    if (! image.isValid() || image.getFormat() != juce::Image::ARGB || image.getWidth() < 1 || image.getHeight() < 1)
        return;

    const auto r = juce::jlimit (1, 31, radius);
    const auto w = image.getWidth(), h = image.getHeight();
    auto& s = scratch();
    s.reserve ((size_t) w * (size_t) h, (size_t) 4 * (size_t) (2 * r + 1));

    juce::Image::BitmapData data (image, juce::Image::BitmapData::readWrite);
    for (int y = 0; y < h; ++y)
        std::memcpy (s.a.data() + (size_t) y * (size_t) w, data.getLinePointer (y), sizeof (Pixel) * (size_t) w);

    const auto fast = allowFast && w >= 4 && h >= 4;
    blurPass (s.a.data(), s.b.data(), h, w, w, 1, r, fast, s.stack.data());
    blurPass (s.b.data(), s.a.data(), w, h, 1, w, r, fast, s.stack.data());

    for (int y = 0; y < h; ++y)
        std::memcpy (data.getLinePointer (y), s.a.data() + (size_t) y * (size_t) w, sizeof (Pixel) * (size_t) w);
}

class StackBlurStrategy final : public PhosphorBlur
{
public:
    explicit StackBlurStrategy (int r) : radius (r) {}
    void apply (juce::Image& image) override { stackBlur (image, radius, true); }

private:
    std::int32_t radius;
};
} // namespace

std::unique_ptr<PhosphorBlur> makeStackBlur (int radius) { return std::make_unique<StackBlurStrategy> (radius); }

void stackBlurDirect (juce::Image& image, int radius) { stackBlur (image, radius, false); }
} // namespace ui_core
