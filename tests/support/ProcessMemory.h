#pragma once

#include <cstdint>

// The process's own resident-memory counters (Linux: /proc/self). The peak
// can be reset, so one stage of a long-running program can be measured.
namespace test
{
bool resetPeakResidentMemory();        // false where the system cannot
std::int64_t peakResidentMemoryBytes(); // -1 where the system cannot tell
} // namespace test
