#include "tools/plugin_host/PluginCatalogue.h"
#include "tools/plugin_host/PluginRender.h"

#include <iostream>

// The `sonderlith` command's companion for plug-ins: it hosts them in a
// process of its own, so a plug-in that crashes or hangs takes only this
// down. Lines on standard output are tab-separated fields; a refusal is a
// line "refused: WHY" on standard error and exit code 1.
//   sonderlith-plugin-host list [FORMAT]
//   sonderlith-plugin-host parameters ID
//   sonderlith-plugin-host render ID IN.f32 OUT.f32 RATE BLOCK CHANNEL PREROLL NORMALISED [NAME=VALUE ...]
namespace
{
int refuse (const juce::String& why)
{
    std::cerr << "refused: " << why << "\n";
    return 1;
}

juce::String field (juce::String text) { return text.replaceCharacters ("\t\n", "  "); }

// Format, name, identifier, maker, audio inputs and outputs.
juce::String describe (const plugincatalogue::Entry& e)
{
    const auto& d = e.description;
    return field (d.pluginFormatName) + "\t" + field (d.name) + "\t" + field (e.identifier) + "\t" + field (d.manufacturerName) + "\t"
           + juce::String (d.numInputChannels) + "\t" + juce::String (d.numOutputChannels);
}

int list (const juce::String& format)
{
    for (const auto& e : plugincatalogue::installed (format))
        std::cout << describe (e) << "\n";
    return 0;
}

std::unique_ptr<juce::AudioPluginInstance> load (const juce::String& id, double rate, int block, juce::String& error)
{
    const auto found = plugincatalogue::find (id);
    if (found.error.isNotEmpty())
    {
        error = found.error;
        return {};
    }
    const auto& entry = found.matches.front();
    auto instance = plugincatalogue::formats().createPluginInstance (entry.description, rate, block, error);
    if (instance == nullptr)
        error = "the plug-in " + entry.identifier + " could not be loaded: " + (error.isEmpty() ? juce::String ("no reason given") : error);
    else
        std::cout << "plugin\t" << describe (entry) << "\n";
    return instance;
}

int parameters (const juce::String& id)
{
    juce::String error;
    const auto plugin = load (id, 48000.0, 512, error);
    if (plugin == nullptr)
        return refuse (error);
    for (auto* p : plugincatalogue::hostedParameters (*plugin))
        std::cout << "parameter\t" << field (p->getName (256)) << "\t" << field (p->getParameterID()) << "\t" << field (p->getText (0.0f, 64)) << "\t"
                  << field (p->getText (1.0f, 64)) << "\t" << field (p->getText (p->getDefaultValue(), 64)) << "\t"
                  << field (p->getText (p->getValue(), 64)) << "\n";
    return 0;
}

int render (const juce::StringArray& a)
{
    RenderSettings s;
    s.sampleRate = a[4].getDoubleValue();
    s.blockSize = a[5].getIntValue();
    s.outputChannel = a[6].getIntValue();
    s.prerollSamples = a[7].getIntValue();
    s.normalised = a[8] == "1";
    for (int i = 9; i < a.size(); ++i)
        s.parameters.emplace_back (a[i].upToFirstOccurrenceOf ("=", false, false), a[i].fromFirstOccurrenceOf ("=", false, false));

    juce::MemoryBlock bytes;
    if (! juce::File (a[2]).loadFileAsData (bytes))
        return refuse ("cannot read the signal " + a[2]);
    std::vector<float> x (bytes.getSize() / sizeof (float));
    std::memcpy (x.data(), bytes.getData(), x.size() * sizeof (float));

    juce::String error;
    const auto plugin = load (a[1], s.sampleRate, s.blockSize, error);
    if (plugin == nullptr)
        return refuse (error);
    const auto rendered = render (*plugin, x, s);
    if (rendered.error.isNotEmpty())
        return refuse (rendered.error);
    std::cout << "latency\t" << rendered.latency << "\n" << "nonfinite\t" << (juce::int64) rendered.nonFinite << "\n";
    for (const auto& setting : rendered.settings)
        std::cout << "set\t" << setting << "\n";
    juce::FileOutputStream out { juce::File (a[3]) };
    if (! out.openedOk() || ! out.setPosition (0) || ! out.truncate().wasOk()
        || ! out.write (rendered.y.data(), rendered.y.size() * sizeof (float)))
        return refuse ("cannot write the output to " + a[3]);
    return 0;
}
} // namespace

int main (int argc, char** argv)
{
    juce::StringArray a;
    for (int i = 1; i < argc; ++i)
        a.add (juce::String::fromUTF8 (argv[i]));
    juce::ScopedJuceInitialiser_GUI juce;
    if (a[0] == "list" && a.size() <= 2)
        return list (a[1].toLowerCase());
    if (a[0] == "parameters" && a.size() == 2)
        return parameters (a[1]);
    if (a[0] == "render" && a.size() >= 9)
        return render (a);
    std::cerr << "usage: sonderlith-plugin-host list [FORMAT] | parameters ID | render ID IN OUT RATE BLOCK CHANNEL PREROLL NORMALISED [NAME=VALUE...]\n";
    return 2;
}
