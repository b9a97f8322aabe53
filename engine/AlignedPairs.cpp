#include "engine/AlignedPairs.h"

#include "dsp/BandLimitedDelay.h"

#include <cmath>
#include <vector>

AlignedPairs::AlignedPairs (const CaptureSource& s, juce::int64 windowStart, juce::int64 windowEnd, double delay) : source (s)
{
    whole = (juce::int64) std::floor (delay);
    fraction = delay - (double) whole;
    if (fraction < 1.0e-9)
        fraction = 0.0;
    // X is needed at n - whole, and a fraction needs X around it: pairs so
    // near the recording's ends that much of the filter would meet silence
    // are left out.
    const auto before = fraction > 0.0 ? edgeMargin : 0, after = fraction > 0.0 ? edgeMargin : 0;
    first = std::max ({ windowStart, (juce::int64) 0, whole + before });
    last = std::min ({ windowEnd, source.length(), source.length() + whole - after });
    last = std::max (first, last);
}

void AlignedPairs::forEachBlock (const PairVisitor& visit) const
{
    if (fraction == 0.0)
    {
        constexpr int block = 1 << 16;
        std::vector<double> x ((size_t) block), y ((size_t) block);
        for (auto n = first; n < last; n += block)
        {
            const auto count = (int) std::min<juce::int64> (block, last - n);
            source.readY (n, count, y.data());
            source.readX (n - whole, count, x.data());
            visit (x.data(), y.data(), (size_t) count);
        }
        return;
    }
    BandLimitedDelay shift (fraction);
    const auto block = (int) shift.maximumBlock();
    constexpr auto half = BandLimitedDelay::halfLength;
    std::vector<double> x ((size_t) block + 2 * half), y ((size_t) block), xAligned ((size_t) block);
    for (auto n = first; n < last; n += block)
    {
        const auto count = (int) std::min<juce::int64> (block, last - n);
        source.readY (n, count, y.data());
        source.readX (n - whole - half, count + 2 * half, x.data());
        shift.apply (x.data(), (size_t) count, xAligned.data());
        visit (xAligned.data(), y.data(), (size_t) count);
    }
}
