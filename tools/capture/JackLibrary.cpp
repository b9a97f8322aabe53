#include "tools/capture/JackLibrary.h"

namespace
{
void quiet (const char*) {}

struct LoadedJack
{
    juce::DynamicLibrary library;
    JackLibrary functions;
    juce::String error;

    LoadedJack()
    {
        for (const auto* name : { "libjack.so.0", "libjack.so", "libjack.0.dylib", "libjack64.dll", "libjack.dll" })
            if (library.open (name))
                break;
        if (library.getNativeHandle() == nullptr)
        {
            error = "JACK is not installed (its client library, libjack, was not found)";
            return;
        }
        juce::StringArray missing;
#define SONDERLITH_JACK_RESOLVE(name)                                                                     \
    functions.name = reinterpret_cast<decltype (functions.name)> (library.getFunction (#name));         \
    if (functions.name == nullptr)                                                                      \
        missing.add (#name);
        SONDERLITH_JACK_FUNCTIONS (SONDERLITH_JACK_RESOLVE)
#undef SONDERLITH_JACK_RESOLVE
        if (! missing.isEmpty())
        {
            error = "JACK's client library lacks " + missing.joinIntoString (", ");
            return;
        }
        // The library prints every failed attempt to reach a server; the
        // command says what failed in its own words.
        functions.jack_set_error_function (quiet);
        functions.jack_set_info_function (quiet);
    }
};
} // namespace

const JackLibrary* JackLibrary::load (juce::String& error)
{
    static const LoadedJack loaded;
    error = loaded.error;
    return error.isEmpty() ? &loaded.functions : nullptr;
}
