#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <new>

// The published curve. Entries are written with atomic exchanges and read with
// atomic loads; there is no table-wide lock, so a reader overlapping a
// publication may see entries of two consecutive tables.
class TransferFunctionTable
{
public:
    static constexpr std::int32_t defaultSize = 16384;

    explicit TransferFunctionTable (std::int32_t size = defaultSize, double xMin = -1.0, double xMax = 1.0);

    std::int32_t getSize() const noexcept { return size; }
    double getXMin() const noexcept { return xMin; }
    double getXMax() const noexcept { return xMax; }

    double xAt (std::int32_t index) const noexcept;
    double load (std::int32_t index) const noexcept { return values[(size_t) index].load (std::memory_order_acquire); }
    void store (std::int32_t index, double value) noexcept { values[(size_t) index].exchange (value, std::memory_order_acq_rel); }

    void setIdentity() noexcept;

private:
    struct AlignedDelete
    {
        void operator() (std::atomic<double>* p) const noexcept { ::operator delete[] (p, std::align_val_t { 32 }); }
    };

    std::int32_t size;
    double xMin, xMax;
    std::unique_ptr<std::atomic<double>[], AlignedDelete> values;
};
