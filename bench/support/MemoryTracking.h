#pragma once

#include <cstdint>

namespace bench
{
// Peak heap growth (through operator new) while an instance lives.
// Heap allocations (operator new calls) made so far by the whole process.
std::int64_t allocationCount();

class PeakMemory
{
public:
    PeakMemory();
    double extraMegabytes() const;

private:
    std::int64_t baseline;
};
} // namespace bench
