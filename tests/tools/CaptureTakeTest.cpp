#include "tools/capture/CaptureTake.h"
#include "tools/capture/TakeLevels.h"

#include "tests/support/AllocationCounter.h"

#include <gtest/gtest.h>

#include <numeric>
#include <thread>

namespace
{
std::vector<float> ramp (size_t n)
{
    std::vector<float> v (n);
    std::iota (v.begin(), v.end(), 1.0f);
    return v;
}

// Plays the whole take in blocks as a device would: the return is the output
// delayed by one block (a round trip), the reference its negation.
void runDevice (CaptureTake& take, int block, std::int64_t clockStart = 0)
{
    std::vector<float> out ((size_t) block), previous ((size_t) block, 0.0f), reference ((size_t) block);
    for (std::int64_t clock = clockStart; ! take.finished(); clock += block)
    {
        for (int i = 0; i < block; ++i)
            reference[(size_t) i] = -previous[(size_t) i];
        take.process (previous.data(), reference.data(), out.data(), block, clock);
        previous = out;
    }
}
} // namespace

TEST (CaptureTake, playsAndRecordsInTheCallbackWithoutAllocating)
{
    CaptureTake take (ramp (1000), true);
    std::vector<float> out (64), in (64, 0.5f), ref (64, -0.5f);
    std::int64_t allocations = 0;
    size_t played = 0;
    while (! take.finished())
    {
        const test::ScopedAllocationCounter counter;
        take.process (in.data(), ref.data(), out.data(), 64, (std::int64_t) played);
        allocations += counter.count();
        for (size_t i = 0; i < 64 && played + i < 1000; ++i)
            ASSERT_EQ (out[i], (float) (played + i + 1));
        played += 64;
    }
    EXPECT_EQ (allocations, 0);
    EXPECT_EQ (take.framesDone(), 1000u);
    EXPECT_EQ (out[1000 % 64], 0.0f) << "past the end of the take the device gets silence";
    EXPECT_EQ (take.returned()[999], 0.5f);
    EXPECT_EQ (take.reference()[999], -0.5f);
    EXPECT_EQ (take.dropouts(), 0);

    CaptureTake plain (ramp (100), false);
    runDevice (plain, 32);
    EXPECT_TRUE (plain.reference().empty());
    EXPECT_EQ (plain.returned()[40], plain.played()[8]) << "the return recorded where it arrived";
}

TEST (CaptureTake, clockJumpsAndXrunsAreDropouts)
{
    struct Case
    {
        const char* what;
        std::vector<std::int64_t> clocks; // one per block of 100 frames
        std::int64_t tolerance;
        int dropouts;
        std::int64_t first;
    };
    const std::vector<Case> cases {
        { "a steady frame counter", { 0, 100, 200, 300 }, 0, 0, -1 },
        { "a block skipped", { 0, 100, 300, 400 }, 0, 1, 200 },
        { "the clock going back", { 0, 100, 100, 200 }, 0, 1, 200 },
        { "a clock from time, jittering within its tolerance", { 0, 103, 198, 301 }, 90, 0, -1 },
        { "a clock from time, a block late", { 0, 100, 300, 400 }, 90, 1, 200 },
        { "no clock at all", { -1, -1, -1, -1 }, 0, 0, -1 },
    };
    for (const auto& c : cases)
    {
        CaptureTake take (std::vector<float> (400, 0.1f), false);
        take.setClockTolerance (c.tolerance);
        std::vector<float> in (100), out (100);
        for (const auto clock : c.clocks)
            take.process (in.data(), nullptr, out.data(), 100, clock);
        EXPECT_EQ (take.dropouts(), c.dropouts) << c.what;
        EXPECT_EQ (take.firstDropout(), c.first) << c.what;
    }

    CaptureTake take (std::vector<float> (400, 0.1f), false);
    std::vector<float> in (100), out (100);
    take.process (in.data(), nullptr, out.data(), 100, -1);
    take.noteDropout();
    take.noteDropout();
    EXPECT_EQ (take.dropouts(), 2) << "xruns the device reports";
    EXPECT_EQ (take.firstDropout(), 100);
}

TEST (CaptureTake, stoppedItPlaysSilenceAndRecordsNoMore)
{
    CaptureTake take (std::vector<float> (1000, 0.25f), false);
    std::vector<float> in (100, 0.5f), out (100);
    take.process (in.data(), nullptr, out.data(), 100, -1);
    take.stop();
    take.process (in.data(), nullptr, out.data(), 100, -1);
    EXPECT_EQ (take.framesDone(), 100u);
    EXPECT_EQ (out[0], 0.0f);
    EXPECT_EQ (take.returned()[150], 0.0f);
}

// ThreadSanitizer's case: the recorded samples are read while the device
// thread is still writing, up to what it has published.
TEST (CaptureTake, recordedSamplesAreReadWhileTheDeviceRuns)
{
    CaptureTake take (ramp (200000), true);
    std::thread device ([&take] { runDevice (take, 128); });
    double sum = 0.0;
    while (! take.finished())
    {
        const auto done = take.framesDone();
        for (size_t i = done > 64 ? done - 64 : 0; i < done; ++i)
            sum += take.returned()[i] + take.reference()[i];
    }
    device.join();
    EXPECT_EQ (sum, 0.0) << "the reference is the return negated, sample for sample";
    EXPECT_EQ (take.returned()[128 + 5], take.played()[5]);
}

TEST (TakeLevels, peaksAndTheNoiseFloorBeforeTheSignal)
{
    const size_t preroll = 1000;
    std::vector<float> played (3000, 0.0f), returned (3000, 0.0f), reference (3000, 0.0f);
    for (size_t i = preroll; i < 2000; ++i)
    {
        played[i] = 0.5f;
        returned[i] = i == 1500 ? 1.0f : 0.25f;
        reference[i] = 0.5f;
    }
    for (size_t i = 0; i < preroll; ++i)
        returned[i] = i % 2 == 0 ? 0.001f : -0.001f; // -60 dBFS RMS
    returned[10] = 0.9f;                              // a start-up click: left out of the floor
    const auto l = measureTakeLevels (played, returned, reference, preroll, 3000);
    EXPECT_NEAR (l.sendPeak, toDbfs (0.5), 1e-9);
    EXPECT_NEAR (l.returnPeak, 0.0, 1e-9);
    EXPECT_NEAR (*l.referencePeak, toDbfs (0.5), 1e-9);
    ASSERT_TRUE (l.noiseFloor.has_value());
    EXPECT_NEAR (*l.noiseFloor, -60.0, 0.01);

    const auto silent = measureTakeLevels (played, std::vector<float> (3000, 0.0f), {}, preroll, 3000);
    EXPECT_EQ (silent.returnPeak, -240.0) << "digital silence has a floor, not minus infinity";
    EXPECT_FALSE (silent.referencePeak.has_value());
    const auto cut = measureTakeLevels (played, returned, {}, preroll, 100);
    EXPECT_FALSE (cut.noiseFloor.has_value()) << "a take stopped in its pre-roll has no floor to give";
}
