#include "bench/support/MemoryTracking.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace
{
std::atomic<std::int64_t> liveBytes { 0 };
std::atomic<std::int64_t> peakBytes { 0 };
std::atomic<std::int64_t> allocations { 0 };

void* track (void* p)
{
    if (p == nullptr)
        throw std::bad_alloc();
    allocations.fetch_add (1, std::memory_order_relaxed);
    const auto now = liveBytes.fetch_add ((std::int64_t) malloc_usable_size (p)) + (std::int64_t) malloc_usable_size (p);
    auto peak = peakBytes.load();
    while (now > peak && ! peakBytes.compare_exchange_weak (peak, now)) {}
    return p;
}

void release (void* p) noexcept
{
    if (p != nullptr)
        liveBytes.fetch_sub ((std::int64_t) malloc_usable_size (p));
    std::free (p);
}

void* alignedAllocate (std::size_t size, std::align_val_t a)
{
    const auto align = (std::size_t) a;
    return track (std::aligned_alloc (align, ((size == 0 ? 1 : size) + align - 1) / align * align));
}
} // namespace

void* operator new (std::size_t size) { return track (std::malloc (size == 0 ? 1 : size)); }
void* operator new[] (std::size_t size) { return track (std::malloc (size == 0 ? 1 : size)); }
void* operator new (std::size_t size, std::align_val_t a) { return alignedAllocate (size, a); }
void* operator new[] (std::size_t size, std::align_val_t a) { return alignedAllocate (size, a); }
void operator delete (void* p) noexcept { release (p); }
void operator delete[] (void* p) noexcept { release (p); }
void operator delete (void* p, std::size_t) noexcept { release (p); }
void operator delete[] (void* p, std::size_t) noexcept { release (p); }
void operator delete (void* p, std::align_val_t) noexcept { release (p); }
void operator delete[] (void* p, std::align_val_t) noexcept { release (p); }
void operator delete (void* p, std::size_t, std::align_val_t) noexcept { release (p); }
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept { release (p); }

namespace bench
{
std::int64_t allocationCount() { return allocations.load(); }

PeakMemory::PeakMemory() : baseline (liveBytes.load()) { peakBytes.store (baseline); }

double PeakMemory::extraMegabytes() const { return (double) (peakBytes.load() - baseline) / (1024.0 * 1024.0); }
} // namespace bench
