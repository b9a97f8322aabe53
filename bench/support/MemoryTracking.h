#pragma once

#include <cstdint>

namespace bench
{
// Peak heap growth (through operator new) while an instance lives.
class PeakMemory
{
public:
    PeakMemory();
    double extraMegabytes() const;

private:
    std::int64_t baseline;
};
} // namespace bench
