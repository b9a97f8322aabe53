#include "tools/sonderlith/Subcommands.h"

#include "tools/sonderlith/PluginHostClient.h"

namespace
{
struct PluginsRequest
{
    std::string id, format;
    bool json = false, parameters = false;
    double timeout = 120.0;
};

juce::var pluginAsVar (const pluginhost::PluginInfo& p)
{
    auto o = std::make_unique<juce::DynamicObject>();
    o->setProperty ("format", p.format);
    o->setProperty ("name", p.name);
    o->setProperty ("identifier", p.identifier);
    o->setProperty ("maker", p.maker);
    o->setProperty ("audioInputs", p.inputs);
    o->setProperty ("audioOutputs", p.outputs);
    return juce::var (o.release());
}

juce::var parameterAsVar (const pluginhost::ParameterInfo& p)
{
    auto o = std::make_unique<juce::DynamicObject>();
    o->setProperty ("name", p.name);
    o->setProperty ("identifier", p.identifier);
    o->setProperty ("minimum", p.minimum);
    o->setProperty ("maximum", p.maximum);
    o->setProperty ("default", p.defaultValue);
    o->setProperty ("value", p.value);
    return juce::var (o.release());
}

// Columns as wide as their widest entry.
juce::String table (const std::vector<juce::StringArray>& rows)
{
    std::vector<int> widths;
    for (const auto& r : rows)
        for (int c = 0; c < r.size(); ++c)
        {
            widths.resize (std::max (widths.size(), (size_t) c + 1));
            widths[(size_t) c] = std::max (widths[(size_t) c], r[c].length());
        }
    juce::String text;
    for (const auto& r : rows)
    {
        juce::String line;
        for (int c = 0; c < r.size(); ++c)
            line << (c + 1 < r.size() ? r[c].paddedRight (' ', widths[(size_t) c] + 2) : r[c]);
        text << line.trimEnd() << "\n";
    }
    return text;
}

int listPlugins (const PluginsRequest& r, CommandStreams& s)
{
    const auto answer = pluginhost::list (juce::String (r.format).toLowerCase(), r.timeout);
    if (answer.error.isNotEmpty())
    {
        s.err << answer.error << "\n";
        return exitCodes::failure;
    }
    if (r.json)
    {
        juce::Array<juce::var> plugins;
        for (const auto& p : answer.plugins)
            plugins.add (pluginAsVar (p));
        s.out << juce::JSON::toString (plugins) << "\n";
        return exitCodes::ok;
    }
    std::vector<juce::StringArray> rows { { "FORMAT", "IN", "OUT", "NAME", "IDENTIFIER", "MAKER" } };
    for (const auto& p : answer.plugins)
        rows.push_back ({ p.format, juce::String (p.inputs), juce::String (p.outputs), p.name, p.identifier, p.maker });
    s.out << table (rows);
    return exitCodes::ok;
}

int describePlugin (const PluginsRequest& r, CommandStreams& s)
{
    const auto answer = pluginhost::parameters (juce::String::fromUTF8 (r.id.c_str()), r.timeout);
    if (answer.error.isNotEmpty() || answer.plugins.empty())
    {
        s.err << (answer.error.isNotEmpty() ? answer.error : juce::String ("The plug-in host named no plug-in")) << "\n";
        return exitCodes::failure;
    }
    const auto& plugin = answer.plugins.front();
    if (r.json)
    {
        auto o = pluginAsVar (plugin);
        if (r.parameters)
        {
            juce::Array<juce::var> parameters;
            for (const auto& p : answer.parameters)
                parameters.add (parameterAsVar (p));
            o.getDynamicObject()->setProperty ("parameters", parameters);
        }
        s.out << juce::JSON::toString (o) << "\n";
        return exitCodes::ok;
    }
    s.out << plugin.format << " plug-in \"" << plugin.name << "\" (" << plugin.identifier << ") by " << plugin.maker << ": " << plugin.inputs
          << " audio inputs, " << plugin.outputs << " outputs\n";
    if (r.parameters)
    {
        std::vector<juce::StringArray> rows { { "NAME", "IDENTIFIER", "RANGE", "DEFAULT", "VALUE" } };
        for (const auto& p : answer.parameters)
            rows.push_back ({ p.name, p.identifier, p.minimum + " .. " + p.maximum, p.defaultValue, p.value });
        s.out << (answer.parameters.empty() ? juce::String ("no parameters\n") : table (rows));
    }
    return exitCodes::ok;
}
} // namespace

CommandRun addPluginsCommand (CLI::App& app)
{
    auto* c = app.add_subcommand ("plugins", "List the installed plug-ins (VST3, LV2, LADSPA), or one plug-in and its parameters");
    auto request = std::make_shared<PluginsRequest>();
    c->add_option ("plugin", request->id, "a plug-in: its identifier, bundle or library path, or (part of) its name")->type_name ("ID");
    once (c->add_option ("--format", request->format, "only plug-ins of this format"))->transform (oneOf ({ "vst3", "lv2", "ladspa" }));
    once (c->add_flag ("--parameters", request->parameters, "with ID: the plug-in's parameters, their ranges, defaults and values"));
    once (c->add_flag ("--json", request->json, "as JSON, for programs"));
    once (c->add_option ("--timeout", request->timeout, "seconds the plug-ins may take to load (default 120)"))->check (numberIn (1.0, 3600.0))->type_name ("S");
    c->footer ("Plug-ins are looked for where hosts look: the standard folders and VST3_PATH, LV2_PATH, LADSPA_PATH.\n"
               "Identifiers: a VST3 bundle's path, an LV2 URI, a LADSPA library:label. Each plug-in is loaded in a process of its own.\n"
               "Example: sonderlith plugins foldover_1213.so:foldover --parameters\n");
    return [c, request] (CommandStreams& s)
    {
        if (request->parameters && request->id.empty())
            throw UsageError { "--parameters lists one plug-in's parameters: name it (sonderlith plugins ID --parameters)" };
        if (! request->id.empty() && c->count ("--format") > 0)
            throw UsageError { "--format filters the list; leave it out when naming a plug-in" };
        return request->id.empty() ? listPlugins (*request, s) : describePlugin (*request, s);
    };
}
