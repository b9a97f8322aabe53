// Preset file bytes through the processor's restore: never a crash, and the
// table changes only when the bytes are a readable preset.
#include "persistence/TransferFunctionPreset.h"
#include "plugin/PluginAudioProcessor.h"
#include "tests/fuzz/FuzzSupport.h"

#include <algorithm>
#include <cmath>

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    [[maybe_unused]] static auto* environment = new fuzz::Environment(); // never torn down: JUCE's own statics may go first
    static auto& processor = *new PluginAudioProcessor();

    const auto before = processor.transferFunction.load (123);
    processor.transferFunction.store (123, 0.125);
    processor.restoreTransferFunction (data, (int) size);

    const auto read = readTransferFunctionPreset (parsePresetBytes (data, size));
    if (! read.ok && processor.transferFunction.load (123) != 0.125)
        __builtin_trap();
    // An accepted table is one the writer gives back unchanged (at the
    // precision the file keeps): a damaged file read as valid would not be.
    if (read.ok && std::all_of (read.table.begin(), read.table.end(), [] (double v) { return std::abs (v) <= 3.0e38; }))
    {
        const auto written = writeTransferFunctionPreset (read.table, {});
        const auto again = written.ok ? readTransferFunctionPreset (parsePresetBytes (written.data.getData(), written.data.getSize())) : PresetReadResult {};
        if (! again.ok || again.table.size() != read.table.size())
            __builtin_trap();
        for (size_t i = 0; i < read.table.size(); ++i)
            if (again.table[i] != (double) (float) read.table[i])
                __builtin_trap();
    }
    processor.transferFunction.store (123, before);
    return 0;
}
