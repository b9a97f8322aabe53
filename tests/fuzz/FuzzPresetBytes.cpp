// Preset file bytes through the processor's restore: never a crash, and the
// table changes only when the bytes are a readable preset.
#include "persistence/TransferFunctionPreset.h"
#include "plugin/PluginAudioProcessor.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    [[maybe_unused]] static auto* environment = new fuzz::Environment(); // never torn down: JUCE's own statics may go first
    static auto& processor = *new PluginAudioProcessor();

    const auto before = processor.transferFunction.load (123);
    processor.transferFunction.store (123, 0.125);
    processor.restoreTransferFunction (data, (int) size);

    const auto readable = readTransferFunctionPreset (parsePresetBytes (data, size)).ok;
    if (! readable && processor.transferFunction.load (123) != 0.125)
        __builtin_trap();
    processor.transferFunction.store (123, before);
    return 0;
}
