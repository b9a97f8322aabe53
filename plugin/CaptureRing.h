#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

// Ring of X/Y sample pairs: one writer (the audio thread), readers on the
// message thread. A sequence counter works as a sequence lock so the writer
// never waits; a reader that keeps meeting writes falls back to its last
// consistent copy instead. Slots are touched only through relaxed atomic
// accesses ordered by the counter, which keeps the scheme free of data races.
class CaptureRing
{
public:
    static constexpr int capacity = 131072;

    CaptureRing();

    void pushPairs (const double* x, const double* y, int n) noexcept;
    void readLatest (double* outX, double* outY, int n) noexcept;
    void reset() noexcept;

    std::int64_t getTotalWritten() const noexcept { return totalWritten.load (std::memory_order_acquire); }

private:
    friend struct CaptureRingProbe; // lets tests hold the ring mid-write

    bool tryConsistentRead (double* outX, double* outY, int n) noexcept;
    void copyOut (double* outX, double* outY, int n) const noexcept;
    void rememberGoodRead (const double* x, const double* y, int n);
    void copyFromLastGood (double* outX, double* outY, int n) const noexcept;

    std::vector<double> x, y;
    std::atomic<std::uint64_t> sequence { 0 };
    std::atomic<std::int32_t> writeIndex { 0 };
    std::atomic<std::int64_t> totalWritten { 0 };
    std::atomic<std::uint64_t> resets { 0 };
    // The reader's own: only readLatest touches these.
    std::vector<double> lastGoodX, lastGoodY;
    std::int32_t lastGoodCount = 0;
    std::uint64_t resetsSeen = 0;
};
