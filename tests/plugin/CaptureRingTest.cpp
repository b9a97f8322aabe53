#include "plugin/CaptureRing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

struct CaptureRingProbe
{
    // Makes the ring look as if the audio thread were half way through a write.
    static void beginWrite (CaptureRing& ring) { ring.sequence.fetch_add (1); }
    static void endWrite (CaptureRing& ring) { ring.sequence.fetch_add (1); }
};

namespace
{
constexpr int capacity = CaptureRing::capacity;

// Pushes pairs (index, -index) for a running index, in blocks.
void pushRunningIndex (CaptureRing& ring, std::int64_t& next, std::int64_t count, int blockSize)
{
    std::vector<double> x ((size_t) blockSize), y ((size_t) blockSize);
    while (count > 0)
    {
        const auto n = (int) std::min<std::int64_t> (blockSize, count);
        for (int i = 0; i < n; ++i)
        {
            x[(size_t) i] = (double) next;
            y[(size_t) i] = -(double) next;
            ++next;
        }
        ring.pushPairs (x.data(), y.data(), n);
        count -= n;
    }
}

struct Read
{
    std::vector<double> x, y;
};

Read readLatest (CaptureRing& ring, int n)
{
    Read r { std::vector<double> ((size_t) n, -99.0), std::vector<double> ((size_t) n, -99.0) };
    ring.readLatest (r.x.data(), r.y.data(), n);
    return r;
}
} // namespace

TEST (CaptureRing, keepsTheNewestPairsInOrderAfterWrapping)
{
    CaptureRing ring;
    std::int64_t next = 0;
    pushRunningIndex (ring, next, 200000, 999);

    EXPECT_EQ (ring.getTotalWritten(), 200000);
    const auto r = readLatest (ring, capacity);
    for (int i = 0; i < capacity; ++i)
    {
        const double expected = 200000.0 - capacity + i;
        ASSERT_EQ (r.x[(size_t) i], expected) << "at " << i;
        ASSERT_EQ (r.y[(size_t) i], -expected) << "at " << i;
    }
}

TEST (CaptureRing, padsWithZerosWhenFewerPairsWereWritten)
{
    CaptureRing ring;
    std::int64_t next = 1;
    pushRunningIndex (ring, next, 10, 4);

    const auto r = readLatest (ring, 16);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ (r.x[(size_t) i], 0.0);
    for (int i = 6; i < 16; ++i)
        EXPECT_EQ (r.x[(size_t) i], i - 5.0);
}

TEST (CaptureRing, resetEmptiesTheRingAndTheLastGoodCopy)
{
    CaptureRing ring;
    std::int64_t next = 1;
    pushRunningIndex (ring, next, 5000, 512);
    readLatest (ring, 100);

    ring.reset();

    EXPECT_EQ (ring.getTotalWritten(), 0);
    const auto r = readLatest (ring, 100);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ (r.x[(size_t) i], 0.0);

    // With the last good copy gone, a read meeting a write yields zeros only.
    CaptureRingProbe::beginWrite (ring);
    const auto during = readLatest (ring, 10);
    for (auto v : during.y)
        EXPECT_EQ (v, 0.0);
}

TEST (CaptureRing, readMeetingAWriteFallsBackToTheLastConsistentRead)
{
    struct Case
    {
        const char* name;
        int previousRead;
        int request;
        int expectedFromCopy;
    };

    for (const auto& c : { Case { "copy at least as long", 40, 16, 16 },
                           Case { "copy shorter: padded", 8, 16, 8 },
                           Case { "no copy yet: zeros", 0, 16, 0 } })
    {
        SCOPED_TRACE (c.name);
        CaptureRing ring;
        std::int64_t next = 1;
        pushRunningIndex (ring, next, 100, 100);
        const auto previous = c.previousRead > 0 ? readLatest (ring, c.previousRead) : Read {};

        pushRunningIndex (ring, next, 50, 50); // newer data the fallback must not show
        CaptureRingProbe::beginWrite (ring);
        const auto r = readLatest (ring, c.request);
        CaptureRingProbe::endWrite (ring);

        for (int i = 0; i < c.request; ++i)
        {
            const auto expected = i < c.expectedFromCopy ? previous.x[(size_t) i] : 0.0;
            EXPECT_EQ (r.x[(size_t) i], expected) << "at " << i;
            EXPECT_EQ (r.y[(size_t) i], i < c.expectedFromCopy ? previous.y[(size_t) i] : 0.0);
        }
    }
}

// A writer pushing recognisable pairs while the message thread reads: every
// read must be contiguous and in order (a torn read would break the run).
TEST (CaptureRing, concurrentReadsAreNeverTorn)
{
    CaptureRing ring;
    std::int64_t next = 0;
    pushRunningIndex (ring, next, capacity, 4096);

    std::atomic<bool> stop { false };
    // Like an audio callback: a block, then a short pause before the next one
    // (a writer that never pauses would leave the reader only its fallback).
    std::thread writer ([&]
                        {
                            auto index = next;
                            while (! stop.load())
                            {
                                pushRunningIndex (ring, index, 512, 512);
                                std::this_thread::sleep_for (std::chrono::microseconds (200));
                            }
                        });

    // Before the first consistent read the fallback is all zeros, which is
    // allowed; anything else must be one contiguous run.
    constexpr int readSize = 8192;
    std::vector<double> x (readSize), y (readSize);
    int contiguousReads = 0;
    for (int read = 0; read < 400; ++read)
    {
        ring.readLatest (x.data(), y.data(), readSize);
        const auto allZero = std::all_of (x.begin(), x.end(), [] (double v) { return v == 0.0; })
                          && std::all_of (y.begin(), y.end(), [] (double v) { return v == 0.0; });
        if (allZero && contiguousReads == 0)
            continue;
        for (int i = 0; i < readSize; ++i)
        {
            ASSERT_EQ (y[(size_t) i], -x[(size_t) i]) << "read " << read << " at " << i;
            if (i > 0)
                ASSERT_EQ (x[(size_t) i], x[(size_t) i - 1] + 1.0) << "read " << read << " at " << i;
        }
        ++contiguousReads;
    }

    stop = true;
    writer.join();
    EXPECT_GT (contiguousReads, 0);
}

// A host may call prepareToPlay (which resets the ring) on its own thread
// while the editor reads on the message thread: the reader's last good copy
// must not be rewritten under it (the thread-sanitized run checks the race).
TEST (CaptureRing, resetOnAnotherThreadWhileReading)
{
    CaptureRing ring;
    std::atomic<bool> stop { false };
    std::thread preparer ([&]
                          {
                              std::int64_t next = 1;
                              while (! stop.load())
                              {
                                  ring.reset();
                                  pushRunningIndex (ring, next, 3000, 512);
                              }
                          });
    constexpr int readSize = 2048;
    std::vector<double> x (readSize), y (readSize);
    for (int read = 0; read < 300; ++read)
    {
        ring.readLatest (x.data(), y.data(), readSize);
        for (int i = 0; i < readSize; ++i)
            ASSERT_EQ (y[(size_t) i], -x[(size_t) i]) << "read " << read << " at " << i;
    }
    stop = true;
    preparer.join();
}
