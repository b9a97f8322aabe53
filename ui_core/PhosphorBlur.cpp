#include "ui_core/PhosphorBlur.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__) || defined(_M_X64)
 #include <emmintrin.h>
#endif

namespace ui_core
{
namespace
{
using Pixel = std::uint32_t;

// The four channels of a pixel as one small vector, so each step of the blur
// is a handful of vector operations instead of four scalar ones.
#if defined(__SSE2__) || defined(_M_X64)
struct Channels
{
    __m128i v = _mm_setzero_si128();

    Channels& operator+= (Channels o) noexcept { v = _mm_add_epi32 (v, o.v); return *this; }
    Channels& operator-= (Channels o) noexcept { v = _mm_sub_epi32 (v, o.v); return *this; }

    Channels operator* (std::int32_t k) const noexcept // set-up only
    {
        alignas (16) std::int32_t lanes[4];
        _mm_store_si128 (reinterpret_cast<__m128i*> (lanes), v);
        return { _mm_setr_epi32 (lanes[0] * k, lanes[1] * k, lanes[2] * k, lanes[3] * k) };
    }
};

inline Channels unpack (Pixel p) noexcept
{
    const auto zero = _mm_setzero_si128();
    const auto bytes = _mm_cvtsi32_si128 ((int) p);
    return { _mm_unpacklo_epi16 (_mm_unpacklo_epi8 (bytes, zero), zero) };
}

inline Pixel pack (Channels q) noexcept
{
    const auto words = _mm_packs_epi32 (q.v, q.v);
    return (Pixel) _mm_cvtsi128_si32 (_mm_packus_epi16 (words, words));
}

template <bool Fast>
inline Channels quotient (Channels sum, std::uint32_t divisor, std::uint32_t multiplier) noexcept
{
    if constexpr (Fast)
    {
        // High halves of the four 32 x 32 -> 64-bit products.
        const auto m = _mm_set1_epi32 ((int) multiplier);
        const auto even = _mm_srli_epi64 (_mm_mul_epu32 (sum.v, m), 32);
        const auto odd = _mm_mul_epu32 (_mm_srli_epi64 (sum.v, 32), m);
        const auto highMask = _mm_set_epi32 (-1, 0, -1, 0);
        return { _mm_or_si128 (even, _mm_and_si128 (odd, highMask)) };
    }
    else
    {
        alignas (16) std::uint32_t lanes[4];
        _mm_store_si128 (reinterpret_cast<__m128i*> (lanes), sum.v);
        return { _mm_setr_epi32 ((int) (lanes[0] / divisor), (int) (lanes[1] / divisor), (int) (lanes[2] / divisor),
                                 (int) (lanes[3] / divisor)) };
    }
}
#else
struct Channels
{
    std::int32_t v[4] {};
    std::int32_t& operator[] (int i) { return v[i]; }
    std::int32_t operator[] (int i) const { return v[i]; }
    Channels& operator+= (const Channels& o) { for (int i = 0; i < 4; ++i) v[i] += o.v[i]; return *this; }
    Channels& operator-= (const Channels& o) { for (int i = 0; i < 4; ++i) v[i] -= o.v[i]; return *this; }
    Channels operator* (std::int32_t k) const { Channels r; for (int i = 0; i < 4; ++i) r.v[i] = v[i] * k; return r; }
};

inline Channels unpack (Pixel p) noexcept
{
    Channels c;
    for (int i = 0; i < 4; ++i)
        c.v[i] = (std::int32_t) ((p >> (8 * i)) & 0xffu);
    return c;
}

inline Pixel pack (Channels q) noexcept
{
    return (Pixel) q[0] | ((Pixel) q[1] << 8) | ((Pixel) q[2] << 16) | ((Pixel) q[3] << 24);
}

template <bool Fast>
inline Channels quotient (Channels sum, std::uint32_t divisor, std::uint32_t multiplier) noexcept
{
    Channels q;
    for (int i = 0; i < 4; ++i)
        q.v[i] = Fast ? (std::int32_t) (((std::uint64_t) (std::uint32_t) sum.v[i] * multiplier) >> 32)
                      : (std::int32_t) ((std::uint32_t) sum.v[i] / divisor);
    return q;
}
#endif

// Per-thread scratch: the two image-sized buffers and the stacks, grown to
// the largest image seen and never shrunk, so a frame allocates nothing.
struct Span
{
    int begin = 0, end = 0; // the pixels of a line that may be non-zero
};

struct Scratch
{
    std::vector<Pixel> a, b;
    std::vector<Channels> stack; // unpacked, so each pixel is unpacked once
    std::vector<Span> spans;
    std::vector<Channels> sum, sumIn, sumOut; // one per column

    void reserve (size_t pixels, size_t stackEntries, size_t lines, size_t columns)
    {
        if (a.size() < pixels)
        {
            a.resize (pixels);
            b.resize (pixels);
        }
        if (stack.size() < stackEntries)
            stack.resize (stackEntries);
        if (spans.size() < lines)
            spans.resize (lines);
        if (sum.size() < columns)
        {
            sum.resize (columns);
            sumIn.resize (columns);
            sumOut.resize (columns);
        }
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
void blurLines (const Pixel* const* src, int srcStep, Pixel* const* dst, int dstStep, int n, int r, Channels* stackStorage)
{
    const int stackSize = 2 * r + 1;
    const auto divisor = (std::uint32_t) ((r + 1) * (r + 1));
    const auto multiplier = (std::uint32_t) (((1ull << 32) + divisor - 1) / divisor);

    Channels sum[(size_t) L] {}, sumIn[(size_t) L] {}, sumOut[(size_t) L] {};
    Channels* stack[(size_t) L];
    for (int l = 0; l < L; ++l)
        stack[l] = stackStorage + l * stackSize;

    auto pixel = [&] (int l, int i) { return src[l][(std::ptrdiff_t) i * srcStep]; };

    for (int l = 0; l < L; ++l)
    {
        const auto first = pixel (l, 0);
        const auto firstChannels = unpack (first);
        for (int i = 0; i <= r; ++i)
        {
            stack[l][i] = firstChannels;
            sum[l] += firstChannels * (i + 1);
            sumOut[l] += firstChannels;
        }
        for (int i = 1; i <= r; ++i)
        {
            const auto q = pixel (l, std::min (i, n - 1));
            stack[l][r + i] = unpack (q);
            sum[l] += unpack (q) * (r + 1 - i);
            sumIn[l] += unpack (q);
        }
    }

    // Ring positions advance by one per output, so they wrap without a division.
    int stackPointer = r;
    int leavingSlot = (stackPointer + r + 1) % stackSize;
    int nextIndex = std::min (r, n - 1);
    for (int x = 0; x < n; ++x)
    {
        const auto enteringIndex = std::min (nextIndex + 1, n - 1);
        const auto nextPointer = stackPointer + 1 == stackSize ? 0 : stackPointer + 1;
        for (int l = 0; l < L; ++l)
        {
            dst[l][(std::ptrdiff_t) x * dstStep] = pack (quotient<Fast> (sum[l], divisor, multiplier));

            const auto leaving = stack[l][leavingSlot];
            const auto entering = unpack (pixel (l, enteringIndex));
            stack[l][leavingSlot] = entering;
            sum[l] -= sumOut[l];
            sumOut[l] -= leaving;
            sumIn[l] += entering;
            sum[l] += sumIn[l];

            const auto e = stack[l][nextPointer];
            sumOut[l] += e;
            sumIn[l] -= e;
        }
        if (nextIndex < n - 1)
            ++nextIndex;
        stackPointer = nextPointer;
        leavingSlot = leavingSlot + 1 == stackSize ? 0 : leavingSlot + 1;
    }
}

// One pass over `lines` lines of `length` pixels; line k starts at k * lineStep
// and its pixels are pixelStep apart.
void blurPass (const Pixel* from, Pixel* to, int lines, int length, int lineStep, int pixelStep, int r, bool allowFast,
               Channels* stack, Span* spans = nullptr)
{
    int line = 0;
    if (allowFast)
    {
        for (; line + 4 <= lines; line += 4)
        {
            // A halo is mostly transparent: only the span from r before the
            // first non-zero pixel to r after the last can become non-zero, and
            // blurring just that span (its edges repeat zeros, as the line's
            // own zeros would) gives the same pixels.
            int first = length, last = -1;
            for (int l = 0; l < 4; ++l)
            {
                const auto* p = from + (std::ptrdiff_t) (line + l) * lineStep;
                for (int i = 0; i < first; ++i)
                    if (p[(std::ptrdiff_t) i * pixelStep] != 0)
                    {
                        first = i;
                        break;
                    }
                for (int i = length - 1; i > last; --i)
                    if (p[(std::ptrdiff_t) i * pixelStep] != 0)
                    {
                        last = i;
                        break;
                    }
            }
            const auto begin = last < 0 ? length : std::max (0, first - r);
            const auto end = last < 0 ? length : std::min (length, last + r + 1);

            const Pixel* src[4];
            Pixel* dst[4];
            for (int l = 0; l < 4; ++l)
            {
                src[l] = from + (std::ptrdiff_t) (line + l) * lineStep + (std::ptrdiff_t) begin * pixelStep;
                dst[l] = to + (std::ptrdiff_t) (line + l) * lineStep;
                for (int i = 0; i < begin; ++i)
                    dst[l][(std::ptrdiff_t) i * pixelStep] = 0;
                for (int i = end; i < length; ++i)
                    dst[l][(std::ptrdiff_t) i * pixelStep] = 0;
                dst[l] += (std::ptrdiff_t) begin * pixelStep;
            }
            if (end > begin)
                blurLines<4, true> (src, pixelStep, dst, pixelStep, end - begin, r, stack);
            if (spans != nullptr)
                for (int l = 0; l < 4; ++l)
                    spans[line + l] = { begin, end };
        }
    }
    for (; line < lines; ++line)
    {
        const Pixel* src[1] = { from + (std::ptrdiff_t) line * lineStep };
        Pixel* dst[1] = { to + (std::ptrdiff_t) line * lineStep };
        blurLines<1, false> (src, pixelStep, dst, pixelStep, length, r, stack);
        if (spans != nullptr)
            spans[line] = { 0, length };
    }
}

// The vertical pass walked row by row: every column's running sums advance
// together, so memory is read in order rather than down columns. The window's
// pixels are the input rows themselves, so no stack is kept; the arithmetic is
// the per-line pass's, step for step, so the pixels are the same. Columns whose
// whole window is zero keep zero sums and are skipped.
void blurColumns (const Pixel* from, int w, int h, int r, const Span* spans, Scratch& s, const juce::Image::BitmapData& out)
{
    const auto divisor = (std::uint32_t) ((r + 1) * (r + 1));
    const auto multiplier = (std::uint32_t) (((1ull << 32) + divisor - 1) / divisor);
    auto row = [&] (int y) { return from + (std::ptrdiff_t) std::clamp (y, 0, h - 1) * w; };
    auto* sum = s.sum.data();
    auto* sumIn = s.sumIn.data();
    auto* sumOut = s.sumOut.data();

    for (int x = 0; x < w; ++x)
    {
        const auto first = unpack (row (0)[x]);
        sum[x] = first * ((r + 1) * (r + 2) / 2);
        sumOut[x] = first * (r + 1);
        sumIn[x] = {};
        for (int i = 1; i <= r; ++i)
        {
            const auto q = unpack (row (i)[x]);
            sum[x] += q * (r + 1 - i);
            sumIn[x] += q;
        }
    }

    for (int y = 0; y < h; ++y)
    {
        int lo = w, hi = 0;
        for (int k = std::max (0, y - r); k <= std::min (h - 1, y + r + 1); ++k)
        {
            if (spans[k].end > spans[k].begin)
            {
                lo = std::min (lo, spans[k].begin);
                hi = std::max (hi, spans[k].end);
            }
        }

        auto* dst = reinterpret_cast<Pixel*> (out.getLinePointer (y));
        if (hi <= lo)
        {
            std::memset (dst, 0, sizeof (Pixel) * (size_t) w);
            continue;
        }
        std::memset (dst, 0, sizeof (Pixel) * (size_t) lo);
        std::memset (dst + hi, 0, sizeof (Pixel) * (size_t) (w - hi));

        const auto* leaving = row (y - r);
        const auto* entering = row (y + r + 1);
        const auto* next = row (y + 1);
        for (int x = lo; x < hi; ++x)
        {
            dst[x] = pack (quotient<true> (sum[x], divisor, multiplier));
            sum[x] -= sumOut[x];
            sumOut[x] -= unpack (leaving[x]);
            sumIn[x] += unpack (entering[x]);
            sum[x] += sumIn[x];
            const auto e = unpack (next[x]);
            sumOut[x] += e;
            sumIn[x] -= e;
        }
    }
}

void stackBlur (juce::Image& image, int radius, bool allowFast)
{
    if (! image.isValid() || image.getFormat() != juce::Image::ARGB || image.getWidth() < 1 || image.getHeight() < 1)
        return;

    const auto r = juce::jlimit (1, 31, radius);
    const auto w = image.getWidth(), h = image.getHeight();
    auto& s = scratch();
    s.reserve ((size_t) w * (size_t) h, (size_t) 4 * (size_t) (2 * r + 1), (size_t) h, (size_t) w);

    juce::Image::BitmapData data (image, juce::Image::BitmapData::readWrite);
    const auto fast = allowFast && w >= 4 && h >= 4 && data.pixelStride == (int) sizeof (Pixel)
                      && data.lineStride == w * (int) sizeof (Pixel);
    if (fast)
    {
        // The rows pass reads the image in place; the columns pass writes it.
        const auto* pixels = reinterpret_cast<const Pixel*> (data.getLinePointer (0));
        blurPass (pixels, s.b.data(), h, w, w, 1, r, true, s.stack.data(), s.spans.data());
        blurColumns (s.b.data(), w, h, r, s.spans.data(), s, data);
        return;
    }

    for (int y = 0; y < h; ++y)
        std::memcpy (s.a.data() + (size_t) y * (size_t) w, data.getLinePointer (y), sizeof (Pixel) * (size_t) w);
    blurPass (s.a.data(), s.b.data(), h, w, w, 1, r, false, s.stack.data());
    blurPass (s.b.data(), s.a.data(), w, h, 1, w, r, false, s.stack.data());
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
