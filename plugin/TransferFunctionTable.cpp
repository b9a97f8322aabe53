#include "plugin/TransferFunctionTable.h"

#include <algorithm>

namespace
{
std::atomic<double>* allocateAlignedEntries (std::int32_t count)
{
    static_assert (sizeof (std::atomic<double>) == sizeof (double));
    void* raw = ::operator new[] (sizeof (std::atomic<double>) * (size_t) count, std::align_val_t { 32 });
    auto* entries = static_cast<std::atomic<double>*> (raw);
    for (std::int32_t i = 0; i < count; ++i)
        new (entries + i) std::atomic<double> (0.0);
    return entries;
}
} // namespace

TransferFunctionTable::TransferFunctionTable (std::int32_t sizeToUse, double xMinToUse, double xMaxToUse)
    : size (std::max<std::int32_t> (sizeToUse, 2)),
      xMin (xMinToUse),
      xMax (xMaxToUse),
      values (allocateAlignedEntries (size))
{
    setIdentity();
}

double TransferFunctionTable::xAt (std::int32_t index) const noexcept
{
    return index * (xMax - xMin) / (size - 1) + xMin;
}

void TransferFunctionTable::setIdentity() noexcept
{
    for (std::int32_t i = 0; i < size; ++i)
        store (i, xAt (i));
}
