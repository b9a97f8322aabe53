#include "tools/measurement/AlignedPairs.h"

#include "dsp/FractionalShift.h"

#include <cmath>
#include <vector>

AlignedPairs::AlignedPairs (const CaptureSource& s, juce::int64 windowStart, juce::int64 windowEnd, double delay) : source (s)
{
    whole = (juce::int64) std::floor (delay);
    fraction = delay - (double) whole;
    if (fraction < 1.0e-9)
        fraction = 0.0;
    // X is needed at n - whole (and, interpolating, from two before to one after).
    const auto before = fraction > 0.0 ? 2 : 0, after = fraction > 0.0 ? 1 : 0;
    first = std::max ({ windowStart, (juce::int64) 0, whole + before });
    last = std::min ({ windowEnd, source.length(), source.length() + whole - after });
    last = std::max (first, last);
}

void AlignedPairs::forEachBlock (const PairVisitor& visit) const
{
    constexpr int block = 1 << 16;
    std::vector<double> x ((size_t) block + 3), y ((size_t) block), xAligned ((size_t) block);
    for (auto n = first; n < last; n += block)
    {
        const auto count = (int) std::min<juce::int64> (block, last - n);
        source.readY (n, count, y.data());
        if (fraction == 0.0)
        {
            source.readX (n - whole, count, xAligned.data());
        }
        else
        {
            // X at n - whole - fraction lies between X[n - whole - 1] and X[n - whole].
            source.readX (n - whole - 2, count + 3, x.data());
            const auto f = 1.0 - fraction;
            for (int i = 0; i < count; ++i)
                xAligned[(size_t) i] = catmullRom (x[(size_t) i], x[(size_t) i + 1], x[(size_t) i + 2], x[(size_t) i + 3], f);
        }
        visit (xAligned.data(), y.data(), (size_t) count);
    }
}
