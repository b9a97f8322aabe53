#pragma once

#include <atomic>
#include <cstdint>

namespace test
{
// Counts global operator new calls made by the current thread while a scope is
// active. Only test binaries that link AllocationCounter.cpp replace operator new.
class ScopedAllocationCounter
{
public:
    ScopedAllocationCounter();
    ~ScopedAllocationCounter();

    std::int64_t count() const;
};
} // namespace test
