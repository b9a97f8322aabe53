#include "tools/hosting/Vst3Host.h"

namespace vst3host
{
namespace
{
template <typename Format>
LoadResult loadWith (const juce::File& bundle, double sampleRate, int blockSize, const char* kind)
{
    LoadResult result;
    if (! bundle.exists())
    {
        result.error = "no plug-in at " + bundle.getFullPathName();
        return result;
    }

    juce::AudioPluginFormatManager manager;
    auto* format = new Format();
    manager.addFormat (format);
    juce::OwnedArray<juce::PluginDescription> found;
    format->findAllTypesForFile (found, bundle.getFullPathName());
    if (found.isEmpty())
    {
        result.error = juce::String ("no ") + kind + " plug-in found in " + bundle.getFullPathName();
        return result;
    }

    result.description = *found.getFirst();
    result.instance = manager.createPluginInstance (result.description, sampleRate, blockSize, result.error);
    return result;
}
} // namespace

LoadResult loadVst3 (const juce::File& bundle, double sampleRate, int blockSize)
{
    return loadWith<juce::VST3PluginFormat> (bundle, sampleRate, blockSize, "VST3");
}

namespace
{
// The plug-in URI a bundle's manifest names.
juce::String manifestUri (const juce::File& bundle)
{
    const auto manifest = bundle.getChildFile ("manifest.ttl").loadFileAsString();
    const auto at = manifest.indexOf ("a lv2:Plugin");
    const auto open = manifest.substring (0, juce::jmax (0, at)).lastIndexOfChar ('<');
    return at > 0 && open >= 0 ? manifest.substring (open + 1, manifest.indexOfChar (open, '>')) : juce::String();
}
} // namespace

LoadResult loadLv2 (const juce::File& bundle, double sampleRate, int blockSize)
{
    auto result = loadWith<juce::LV2PluginFormat> (bundle, sampleRate, blockSize, "LV2");
    if (result.instance != nullptr || ! bundle.isDirectory())
        return result;
    // lilv keeps the first bundle it meets for a URI, and the toolkit reads
    // ~/.lv2 and the system folders first: another copy there hides this one,
    // as it would from any LV2 host.
    const auto uri = manifestUri (bundle);
    juce::LV2PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> found;
    if (uri.isNotEmpty())
        format.findAllTypesForFile (found, uri);
    if (! found.isEmpty())
        result.error = "another bundle with the same plug-in (" + uri + ") is installed where LV2 hosts look first (~/.lv2, /usr/lib/lv2, "
                       "/usr/local/lib/lv2); hosts load that one, so " + bundle.getFullPathName() + " cannot be checked while it is there";
    return result;
}

LoadResult loadBundle (const juce::File& bundle, double sampleRate, int blockSize)
{
    return bundle.hasFileExtension (".lv2") ? loadLv2 (bundle, sampleRate, blockSize) : loadVst3 (bundle, sampleRate, blockSize);
}

namespace
{
juce::String describeBuses (juce::AudioPluginInstance& instance, bool isInput)
{
    juce::String text;
    for (int i = 0; i < instance.getBusCount (isInput); ++i)
    {
        auto* bus = instance.getBus (isInput, i);
        text << "  " << (isInput ? "input  " : "output ") << i << ": \"" << bus->getName() << "\" "
             << bus->getCurrentLayout().getDescription() << (bus->isEnabled() ? "" : " (disabled)") << "\n";
    }
    return text;
}
} // namespace

juce::String describe (const juce::PluginDescription& d, juce::AudioPluginInstance& instance)
{
    juce::String text;
    text << "name:       " << d.name << "\n"
         << "vendor:     " << d.manufacturerName << "\n"
         << "category:   " << d.category << "\n"
         << "version:    " << d.version << "\n"
         << "format:     " << d.pluginFormatName << "\n"
         << "latency:    " << instance.getLatencySamples() << " samples\n"
         << "MIDI:       " << (instance.acceptsMidi() ? "in " : "") << (instance.producesMidi() ? "out" : "")
         << (instance.acceptsMidi() || instance.producesMidi() ? "" : "none") << "\n"
         << "buses:\n"
         << describeBuses (instance, true) << describeBuses (instance, false) << "parameters:\n";

    for (auto* p : instance.getParameters())
        text << "  " << juce::String (p->getParameterIndex()).paddedLeft (' ', 2) << " " << p->getName (64).paddedRight (' ', 20)
             << " default " << p->getText (p->getDefaultValue(), 32).paddedRight (' ', 8) << " range "
             << p->getText (0.0f, 32) << " .. " << p->getText (1.0f, 32) << "\n";
    return text;
}
} // namespace vst3host
