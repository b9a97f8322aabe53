#include "plugin/CaptureRing.h"

#include <algorithm>

namespace
{
inline void storeSlot (double& slot, double value) noexcept
{
    std::atomic_ref<double> (slot).store (value, std::memory_order_relaxed);
}

inline double loadSlot (const double& slot) noexcept
{
    return std::atomic_ref<double> (const_cast<double&> (slot)).load (std::memory_order_relaxed);
}
} // namespace

CaptureRing::CaptureRing()
    : x (capacity, 0.0), y (capacity, 0.0), lastGoodX (capacity, 0.0), lastGoodY (capacity, 0.0)
{
}

void CaptureRing::pushPairs (const double* inX, const double* inY, int n) noexcept
{
    const auto seq = sequence.load (std::memory_order_relaxed);
    sequence.store (seq + 1, std::memory_order_relaxed);
    // Orders the odd counter before any slot store, as seen by an acquiring reader.
    std::atomic_thread_fence (std::memory_order_release);

    // Two straight runs (up to the end of the slots, then from the start) keep
    // the wrap test out of the per-sample loop.
    auto index = writeIndex.load (std::memory_order_relaxed);
    for (int done = 0; done < n;)
    {
        const auto run = std::min (n - done, capacity - index);
        auto* slotsX = x.data() + index;
        auto* slotsY = y.data() + index;
        for (int i = 0; i < run; ++i)
        {
            storeSlot (slotsX[i], inX[done + i]);
            storeSlot (slotsY[i], inY[done + i]);
        }
        done += run;
        index = (index + run) % capacity;
    }
    writeIndex.store (index, std::memory_order_relaxed);

    totalWritten.fetch_add (n, std::memory_order_release);
    sequence.store (seq + 2, std::memory_order_release);
}

void CaptureRing::copyOut (double* outX, double* outY, int n) const noexcept
{
    const auto start = (capacity - n + writeIndex.load (std::memory_order_relaxed)) % capacity;
    const auto firstPart = std::min (n, capacity - start);

    for (int i = 0; i < firstPart; ++i)
    {
        outX[i] = loadSlot (x[(size_t) (start + i)]);
        outY[i] = loadSlot (y[(size_t) (start + i)]);
    }

    for (int i = firstPart; i < n; ++i)
    {
        outX[i] = loadSlot (x[(size_t) (i - firstPart)]);
        outY[i] = loadSlot (y[(size_t) (i - firstPart)]);
    }
}

bool CaptureRing::tryConsistentRead (double* outX, double* outY, int n) noexcept
{
    const auto before = sequence.load (std::memory_order_acquire);

    if ((before & 1u) != 0)
    {
        if (lastGoodCount < n)
            return false;

        copyFromLastGood (outX, outY, n);
        return true;
    }

    copyOut (outX, outY, n);

    // Keeps the slot loads above from moving past the second counter read.
    std::atomic_thread_fence (std::memory_order_acquire);
    if (sequence.load (std::memory_order_relaxed) != before)
        return false;

    rememberGoodRead (outX, outY, n);
    return true;
}

void CaptureRing::rememberGoodRead (const double* goodX, const double* goodY, int n)
{
    std::copy (goodX, goodX + n, lastGoodX.begin());
    std::copy (goodY, goodY + n, lastGoodY.begin());
    lastGoodCount = n;
}

void CaptureRing::copyFromLastGood (double* outX, double* outY, int n) const noexcept
{
    const auto available = std::min (n, lastGoodCount);
    std::copy (lastGoodX.begin(), lastGoodX.begin() + available, outX);
    std::copy (lastGoodY.begin(), lastGoodY.begin() + available, outY);
    std::fill (outX + available, outX + n, 0.0);
    std::fill (outY + available, outY + n, 0.0);
}

void CaptureRing::readLatest (double* outX, double* outY, int n) noexcept
{
    n = std::clamp (n, 0, capacity);

    // A copy taken before a reset holds pairs that no longer exist.
    if (const auto seen = resets.load (std::memory_order_acquire); seen != resetsSeen)
    {
        resetsSeen = seen;
        lastGoodCount = 0;
    }

    for (int attempt = 0; attempt < 3; ++attempt)
        if (tryConsistentRead (outX, outY, n))
            return;

    copyFromLastGood (outX, outY, n);
}

void CaptureRing::reset() noexcept
{
    const auto seq = sequence.load (std::memory_order_relaxed);
    sequence.store (seq + 1, std::memory_order_relaxed);
    std::atomic_thread_fence (std::memory_order_release);

    for (auto* slots : { &x, &y })
        for (auto& slot : *slots)
            storeSlot (slot, 0.0);

    writeIndex.store (0, std::memory_order_relaxed);
    totalWritten.store (0, std::memory_order_release);
    // The last good copy belongs to the reader, which may be copying from it
    // right now (a host may prepare off the message thread): it is only told
    // to forget it.
    resets.fetch_add (1, std::memory_order_relaxed);
    sequence.store (seq + 2, std::memory_order_release);
}
