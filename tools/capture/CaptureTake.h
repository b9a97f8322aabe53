#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

// One take through an audio device: a signal prepared in full is played, and
// the device's return (and the reference, the output's loopback) recorded
// into memory allocated before the device starts. The audio callback only
// copies and counts: no allocation, no lock, no system call.
class CaptureTake
{
public:
    CaptureTake (std::vector<float> played, bool withReference);

    // How far the device's clock may stray from where the last block ended
    // before the jump counts as a dropout: none for a frame counter, some for
    // a clock derived from time. Set before the device starts.
    void setClockTolerance (std::int64_t frames) noexcept { clockTolerance = frames; }

    // Audio thread. `clock` is the device's frame counter at this block's
    // first frame, or negative when it has none. `reference` may be null.
    void process (const float* returned, const float* reference, float* output, int frames, std::int64_t clock) noexcept;
    // Any thread: the device reported an xrun.
    void noteDropout() noexcept;
    // Any thread: silence from the next block on, and nothing more recorded.
    void stop() noexcept { stopped.store (true, std::memory_order_release); }

    std::size_t length() const noexcept { return playedSamples.size(); }
    std::size_t framesDone() const noexcept { return done.load (std::memory_order_acquire); }
    bool finished() const noexcept { return framesDone() >= length(); }
    int dropouts() const noexcept { return dropoutCount.load (std::memory_order_relaxed); }
    // Where the first dropout was noticed, in frames of the take; -1 without one.
    std::int64_t firstDropout() const noexcept { return firstDropoutFrame.load (std::memory_order_relaxed); }

    // Read once the device no longer calls `process`; only the first
    // framesDone() samples of what it recorded are the device's.
    const std::vector<float>& played() const noexcept { return playedSamples; }
    const std::vector<float>& returned() const noexcept { return returnedSamples; }
    const std::vector<float>& reference() const noexcept { return referenceSamples; }

private:
    std::vector<float> playedSamples, returnedSamples, referenceSamples;
    std::int64_t clockTolerance = 0;
    std::int64_t expectedClock = -1; // audio thread only
    std::atomic<std::size_t> done { 0 };
    std::atomic<bool> stopped { false };
    std::atomic<int> dropoutCount { 0 };
    std::atomic<std::int64_t> firstDropoutFrame { -1 };
};
