// Host state bytes: whatever they are, the processor survives and keeps
// answering with a valid state.
#include "plugin/PluginAudioProcessor.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    [[maybe_unused]] static auto* environment = new fuzz::Environment(); // never torn down: JUCE's own statics may go first
    static auto& processor = *new PluginAudioProcessor();
    processor.setStateInformation (data, (int) size);

    juce::MemoryBlock state;
    processor.getStateInformation (state);
    if (state.isEmpty())
        __builtin_trap();
    return 0;
}
