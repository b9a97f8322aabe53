// Any tree that parses from outside bytes through the preset reader.
#include "persistence/TransferFunctionPreset.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    [[maybe_unused]] static auto* environment = new fuzz::Environment(); // never torn down: JUCE's own statics may go first
    const auto result = readTransferFunctionPreset (parsePresetBytes (data, size));
    if (result.ok)
    {
        if (result.table.size() != 16384)
            __builtin_trap();
        for (auto v : result.table)
            if (! std::isfinite (v))
                __builtin_trap();
    }
    return 0;
}
