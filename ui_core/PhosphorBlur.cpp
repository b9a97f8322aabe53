#include "ui_core/PhosphorBlur.h"

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
struct Scratch
{
    std::vector<Pixel> a, b;
    std::vector<Channels> stack; // unpacked, so each pixel is unpacked once

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
               Channels* stack)
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
