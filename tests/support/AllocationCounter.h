#pragma once

#include <atomic>
#include <cstdint>

namespace test
{
// Counts the heap allocations (operator new and the malloc family) made by the
// current thread while a scope is active. Only test binaries that link
// AllocationCounter.cpp replace the allocation functions.
class ScopedAllocationCounter
{
public:
    ScopedAllocationCounter();
    ~ScopedAllocationCounter();

    std::int64_t count() const;
};
} // namespace test
