// The factory overrides file's text through the parser and the lookup.
#include "persistence/FactoryOverrides.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    [[maybe_unused]] static auto* environment = new fuzz::Environment(); // never torn down: JUCE's own statics may go first
    const auto tree = parseFactoryOverrides (data, size);
    if (! tree.hasType ("FactoryOverrides"))
        __builtin_trap();
    isHiddenIn (tree, "Transfer Functions/Warm.tfunc");
    isHiddenIn (tree, "");
    return 0;
}
