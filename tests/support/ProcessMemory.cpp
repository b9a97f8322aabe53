#include "tests/support/ProcessMemory.h"

#include <fstream>
#include <string>

namespace test
{
bool resetPeakResidentMemory()
{
    // "5" resets the peak resident set size to the current one.
    std::ofstream clear ("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return clear.good();
}

std::int64_t peakResidentMemoryBytes()
{
    std::ifstream status ("/proc/self/status");
    std::string line;
    while (std::getline (status, line))
        if (line.rfind ("VmHWM:", 0) == 0)
            return std::stoll (line.substr (6)) * 1024;
    return -1;
}
} // namespace test
