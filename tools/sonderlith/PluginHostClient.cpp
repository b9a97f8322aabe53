#include "tools/sonderlith/PluginHostClient.h"

#include "tools/sonderlith/ChildProcess.h"

namespace pluginhost
{
namespace
{
// Beside the command in a build; in lib/sonderlith when installed.
juce::File helper()
{
    const auto command = juce::File::getSpecialLocation (juce::File::currentExecutableFile);
    const auto beside = command.getSiblingFile ("sonderlith-plugin-host");
    const auto installed = command.getParentDirectory().getSiblingFile ("lib").getChildFile ("sonderlith/sonderlith-plugin-host");
    return beside.existsAsFile() || ! installed.existsAsFile() ? beside : installed;
}

// The helper's word for what went wrong, or what ended it.
juce::String failureOf (const ChildOutcome& run, const juce::String& doing, double timeoutSeconds)
{
    if (! run.started)
        return "Cannot run " + helper().getFullPathName() + ": " + run.startError;
    if (run.timedOut)
        return "The plug-in did not finish " + doing + " within " + juce::String (timeoutSeconds, 0)
               + " s and was stopped: it hangs, or needs more time (--timeout)";
    if (run.signal != 0)
        return "The plug-in crashed " + doing + " (" + describeSignal (run.signal) + ")";
    juce::StringArray refusals;
    juce::StringArray lines;
    lines.addLines (run.err);
    for (const auto& line : lines)
        if (line.startsWith ("refused: "))
            refusals.add (line.fromFirstOccurrenceOf ("refused: ", false, false));
        else if (refusals.size() > 0 && line.startsWith ("  "))
            refusals.add (line); // a list of candidates
    if (! refusals.isEmpty())
        return refusals.joinIntoString ("\n");
    if (run.exitCode != 0)
        return "The plug-in host ended with exit code " + juce::String (run.exitCode) + " " + doing;
    return {};
}

juce::StringArray fieldsOf (const juce::String& line)
{
    juce::StringArray f;
    f.addTokens (line, "\t", {});
    return f;
}

PluginInfo pluginFrom (const juce::StringArray& f, int from)
{
    PluginInfo p;
    p.format = f[from];
    p.name = f[from + 1];
    p.identifier = f[from + 2];
    p.maker = f[from + 3];
    p.inputs = f[from + 4].getIntValue();
    p.outputs = f[from + 5].getIntValue();
    return p;
}

ChildOutcome ask (juce::StringArray arguments, double timeoutSeconds)
{
    arguments.insert (0, helper().getFullPathName());
    return runChild (arguments, timeoutSeconds);
}

void readLines (const juce::String& out, Answer& answer)
{
    juce::StringArray lines;
    lines.addLines (out);
    for (const auto& line : lines)
    {
        const auto f = fieldsOf (line);
        if (f[0] == "plugin")
            answer.plugins.push_back (pluginFrom (f, 1));
        else if (f[0] == "parameter")
            answer.parameters.push_back ({ f[1], f[2], f[3], f[4], f[5], f[6] });
    }
}
} // namespace

Answer list (const juce::String& format, double timeoutSeconds)
{
    Answer answer;
    juce::StringArray arguments { "list" };
    if (format.isNotEmpty())
        arguments.add (format);
    const auto run = ask (arguments, timeoutSeconds);
    if (answer.error = failureOf (run, "while the installed plug-ins were listed", timeoutSeconds); answer.error.isNotEmpty())
        return answer;
    juce::StringArray lines;
    lines.addLines (run.out);
    for (const auto& line : lines)
        if (const auto f = fieldsOf (line); f.size() >= 6)
            answer.plugins.push_back (pluginFrom (f, 0));
    return answer;
}

Answer parameters (const juce::String& id, double timeoutSeconds)
{
    Answer answer;
    const auto run = ask ({ "parameters", id }, timeoutSeconds);
    if (answer.error = failureOf (run, "while loading", timeoutSeconds); answer.error.isEmpty())
        readLines (run.out, answer);
    return answer;
}

Rendered render (const RenderRequest& r)
{
    Rendered rendered;
    const auto in = juce::File::createTempFile (".f32"), out = juce::File::createTempFile (".f32");
    if (! in.replaceWithData (r.x.data(), r.x.size() * sizeof (float)))
    {
        rendered.error = "Cannot write the signal to " + in.getFullPathName();
        return rendered;
    }
    juce::StringArray arguments { "render", r.id, in.getFullPathName(), out.getFullPathName(), juce::String (r.sampleRate, 3), juce::String (r.blockSize),
                                  juce::String (r.outputChannel), juce::String (r.prerollSamples), r.normalised ? "1" : "0" };
    for (const auto& [name, value] : r.parameters)
        arguments.add (name + "=" + value);
    const auto run = ask (arguments, r.timeoutSeconds);
    in.deleteFile();
    juce::MemoryBlock bytes;
    const auto read = out.loadFileAsData (bytes);
    out.deleteFile();
    if (rendered.error = failureOf (run, "while the signal played through it", r.timeoutSeconds); rendered.error.isNotEmpty())
        return rendered;
    if (! read || bytes.getSize() != r.x.size() * sizeof (float))
    {
        rendered.error = "The plug-in host returned " + juce::String ((juce::int64) bytes.getSize() / (juce::int64) sizeof (float)) + " samples for "
                         + juce::String ((juce::int64) r.x.size());
        return rendered;
    }
    rendered.y.resize (r.x.size());
    std::memcpy (rendered.y.data(), bytes.getData(), bytes.getSize());
    juce::StringArray lines;
    lines.addLines (run.out);
    for (const auto& line : lines)
    {
        const auto f = fieldsOf (line);
        if (f[0] == "plugin")
            rendered.plugin = pluginFrom (f, 1);
        else if (f[0] == "latency")
            rendered.latency = f[1].getIntValue();
        else if (f[0] == "nonfinite")
            rendered.nonFinite = f[1].getLargeIntValue();
        else if (f[0] == "set")
            rendered.settings.emplace_back (f[1], f[2]);
    }
    return rendered;
}
} // namespace pluginhost
