#include "tools/capture/CaptureTake.h"

#include <algorithm>
#include <cstdlib>

CaptureTake::CaptureTake (std::vector<float> played, bool withReference)
    : playedSamples (std::move (played)),
      returnedSamples (playedSamples.size(), 0.0f),
      referenceSamples (withReference ? playedSamples.size() : 0, 0.0f)
{
}

void CaptureTake::noteDropout() noexcept
{
    std::int64_t none = -1;
    firstDropoutFrame.compare_exchange_strong (none, (std::int64_t) done.load (std::memory_order_relaxed), std::memory_order_relaxed);
    dropoutCount.fetch_add (1, std::memory_order_relaxed);
}

void CaptureTake::process (const float* returned, const float* reference, float* output, int frames, std::int64_t clock) noexcept
{
    if (frames <= 0)
        return;
    if (clock >= 0)
    {
        if (expectedClock >= 0 && std::llabs (clock - expectedClock) > clockTolerance)
            noteDropout();
        expectedClock = clock + frames;
    }
    const auto at = done.load (std::memory_order_relaxed);
    const auto count = stopped.load (std::memory_order_acquire) ? std::size_t { 0 } : std::min ((std::size_t) frames, length() - at);
    if (output != nullptr)
    {
        std::copy_n (playedSamples.data() + at, count, output);
        std::fill (output + count, output + frames, 0.0f);
    }
    if (count == 0)
        return;
    if (returned != nullptr)
        std::copy_n (returned, count, returnedSamples.data() + at);
    if (reference != nullptr && ! referenceSamples.empty())
        std::copy_n (reference, count, referenceSamples.data() + at);
    done.store (at + count, std::memory_order_release);
}
