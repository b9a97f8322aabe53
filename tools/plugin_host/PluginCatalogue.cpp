#include "tools/plugin_host/PluginCatalogue.h"

#include <ladspa.h>

namespace plugincatalogue
{
namespace
{
juce::String formatKey (const juce::String& formatName) { return formatName.toLowerCase(); }

// The environment's folders first, then the format's own.
juce::FileSearchPath foldersFor (juce::AudioPluginFormat& format, const char* variable)
{
    juce::FileSearchPath path (juce::SystemStats::getEnvironmentVariable (variable, {}).replace (":", ";"));
    const auto standard = format.getDefaultLocationsToSearch();
    for (int i = 0; i < standard.getNumPaths(); ++i)
        path.addIfNotAlreadyThere (standard[i]);
    return path;
}

const char* variableFor (const juce::String& key)
{
    return key == "vst3" ? "VST3_PATH" : key == "lv2" ? "LV2_PATH" : "LADSPA_PATH";
}

// A LADSPA plug-in's label, which names it within its library (the toolkit
// keeps its index there).
juce::String ladspaLabel (const juce::PluginDescription& d)
{
    juce::DynamicLibrary library;
    if (! library.open (d.fileOrIdentifier))
        return d.name;
    using Descriptors = const LADSPA_Descriptor* (*) (unsigned long);
    const auto descriptors = (Descriptors) library.getFunction ("ladspa_descriptor");
    const auto* descriptor = descriptors != nullptr ? descriptors ((unsigned long) d.uniqueId) : nullptr;
    return descriptor != nullptr && descriptor->Label != nullptr ? juce::String (descriptor->Label) : d.name;
}

juce::String identifierOf (const juce::PluginDescription& d)
{
    if (formatKey (d.pluginFormatName) == "ladspa")
        return juce::File (d.fileOrIdentifier).getFileName() + ":" + ladspaLabel (d);
    return d.fileOrIdentifier;
}

juce::StringArray candidatesIn (juce::AudioPluginFormat& format, const juce::String& key)
{
    return format.searchPathsForPlugins (foldersFor (format, variableFor (key)), true, false);
}

// The URIs an LV2 bundle's manifest declares as plug-ins.
juce::StringArray manifestUris (const juce::File& bundle)
{
    juce::StringArray uris;
    juce::StringArray lines;
    lines.addLines (bundle.getChildFile ("manifest.ttl").loadFileAsString());
    for (const auto& line : lines)
        if (line.contains ("a lv2:Plugin") && line.trimStart().startsWithChar ('<'))
            uris.add (line.fromFirstOccurrenceOf ("<", false, false).upToFirstOccurrenceOf (">", false, false));
    return uris;
}
} // namespace

juce::AudioPluginFormatManager& formats()
{
    static const auto manager = []
    {
        auto m = std::make_unique<juce::AudioPluginFormatManager>();
        m->addFormat (new juce::VST3PluginFormat());
        m->addFormat (new juce::LV2PluginFormat());
        m->addFormat (new juce::LADSPAPluginFormat());
        return m;
    }();
    return *manager;
}

std::vector<juce::HostedAudioProcessorParameter*> hostedParameters (juce::AudioPluginInstance& plugin)
{
    std::vector<juce::HostedAudioProcessorParameter*> all;
    for (int i = 0; i < plugin.getParameters().size(); ++i)
        if (auto* p = plugin.getHostedParameter (i))
            all.push_back (p);
    return all;
}

std::vector<Entry> installed (const juce::String& format)
{
    std::vector<Entry> entries;
    for (auto* f : formats().getFormats())
    {
        const auto key = formatKey (f->getName());
        if (format.isNotEmpty() && key != format)
            continue;
        for (const auto& candidate : candidatesIn (*f, key))
        {
            juce::OwnedArray<juce::PluginDescription> found;
            f->findAllTypesForFile (found, candidate);
            for (auto* d : found)
                if (std::none_of (entries.begin(), entries.end(), [&] (const Entry& e) { return e.identifier == identifierOf (*d); }))
                    entries.push_back ({ *d, identifierOf (*d) });
        }
    }
    std::sort (entries.begin(), entries.end(), [] (const Entry& a, const Entry& b)
               { return a.description.name.compareIgnoreCase (b.description.name) < 0; });
    return entries;
}

namespace
{
// A bundle or library given by its path: loaded from there, not searched for.
std::vector<Entry> atPath (const juce::String& wanted)
{
    const auto [path, label] = [&]
    {
        const auto colon = wanted.lastIndexOfChar (':');
        return colon > 0 && wanted.substring (0, colon).endsWith (".so") ? std::pair { wanted.substring (0, colon), wanted.substring (colon + 1) }
                                                                           : std::pair { wanted, juce::String() };
    }();
    if (! juce::File::isAbsolutePath (path) && ! path.startsWith ("."))
        return {};
    const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (path);
    if (! file.exists())
        return {};
    std::vector<Entry> entries;
    for (auto* f : formats().getFormats())
    {
        juce::OwnedArray<juce::PluginDescription> found;
        f->findAllTypesForFile (found, file.getFullPathName());
        // The toolkit names one plug-in of a bundle; the manifest names them all.
        if (formatKey (f->getName()) == "lv2" && file.isDirectory())
            for (const auto& uri : manifestUris (file))
                if (std::none_of (found.begin(), found.end(), [&] (auto* d) { return d->fileOrIdentifier == uri; }))
                    f->findAllTypesForFile (found, uri);
        for (auto* d : found)
            if (label.isEmpty() || identifierOf (*d).endsWith (":" + label))
                entries.push_back ({ *d, identifierOf (*d) });
    }
    return entries;
}

juce::String listOf (const std::vector<Entry>& entries)
{
    juce::String text;
    for (const auto& e : entries)
        text << "\n  " << e.identifier << "  (" << e.description.pluginFormatName << ", \"" << e.description.name << "\")";
    return text;
}
} // namespace

// An identifier of one format found without scanning the others: an LV2
// URI among the LV2 plug-ins, a LADSPA library:label in the LADSPA folders.
std::vector<Entry> byIdentifier (const juce::String& wanted)
{
    for (auto* f : formats().getFormats())
    {
        const auto key = formatKey (f->getName());
        const auto isLadspa = key == "ladspa" && wanted.upToLastOccurrenceOf (":", false, false).endsWith (".so");
        const auto isLv2 = key == "lv2" && wanted.containsChar (':') && ! wanted.upToFirstOccurrenceOf (":", false, false).endsWith (".so");
        if (! isLadspa && ! isLv2)
            continue;
        std::vector<Entry> entries;
        for (const auto& candidate : candidatesIn (*f, key))
        {
            if (isLv2 ? candidate != wanted : juce::File (candidate).getFileName() != wanted.upToLastOccurrenceOf (":", false, false))
                continue;
            juce::OwnedArray<juce::PluginDescription> found;
            f->findAllTypesForFile (found, candidate);
            for (auto* d : found)
                if (identifierOf (*d) == wanted)
                    entries.push_back ({ *d, identifierOf (*d) });
            if (! entries.empty())
                return entries;
        }
    }
    return {};
}

Found find (const juce::String& wanted)
{
    Found result;
    if (auto direct = atPath (wanted); ! direct.empty())
        result.matches = std::move (direct);
    else if (auto identified = byIdentifier (wanted); ! identified.empty())
        result.matches = std::move (identified);
    else
    {
        const auto all = installed ({});
        auto whole = [&] (const Entry& e)
        {
            return e.identifier == wanted || e.identifier.endsWith ("/" + wanted) || e.description.name.equalsIgnoreCase (wanted);
        };
        auto part = [&] (const Entry& e)
        {
            return e.identifier.containsIgnoreCase (wanted) || e.description.name.containsIgnoreCase (wanted);
        };
        std::copy_if (all.begin(), all.end(), std::back_inserter (result.matches), whole);
        if (result.matches.empty())
            std::copy_if (all.begin(), all.end(), std::back_inserter (result.matches), part);
        if (result.matches.empty())
        {
            result.error = "no installed plug-in matches \"" + wanted + "\" (\"sonderlith plugins\" lists them)";
            return result;
        }
    }
    if (result.matches.size() > 1)
        result.error = juce::String ((int) result.matches.size()) + " plug-ins match \"" + wanted + "\"; name one of them:" + listOf (result.matches);
    return result;
}
} // namespace plugincatalogue
