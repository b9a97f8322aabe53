#include "tools/sonderlith/Subcommands.h"

namespace
{
// The bundle is loaded by a companion program built with the toolkit's VST3
// and LV2 hosting, which cannot share a process with the plug-in's own code.
int run (const std::string& bundle, CommandStreams& s)
{
    const auto helper = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getSiblingFile ("sonderlith-host-check");
    juce::ChildProcess process;
    if (! helper.existsAsFile() || ! process.start (juce::StringArray { helper.getFullPathName(), fileArgument (bundle).getFullPathName() }))
    {
        s.err << "Cannot run " << helper.getFullPathName() << "\n";
        return exitCodes::failure;
    }
    // The helper marks its errors; they go to standard error like every other command's.
    juce::StringArray lines;
    lines.addLines (process.readAllProcessOutput());
    for (const auto& line : lines)
        (line.startsWith ("host-check: ") || line.startsWith ("problem: ") ? s.err : s.out) << line << "\n";
    // Its output ends before it has exited; the exit code is only known once it has.
    if (! process.waitForProcessToFinish (60000))
    {
        process.kill();
        s.err << "host-check: the helper did not finish\n";
        return exitCodes::failure;
    }
    const auto code = (int) process.getExitCode();
    if (code != 0 && ! s.err.contains ("host-check: ") && ! s.err.contains ("problem: "))
        s.err << "host-check: the bundle could not be loaded and streamed (helper exit code " << code << ")\n";
    return code;
}
} // namespace

CommandRun addHostCheckCommand (CLI::App& app)
{
    auto* c = app.add_subcommand ("host-check", "Load a Sonderlith bundle as a host does and stream the built-in device through it");
    auto bundle = std::make_shared<std::string>();
    c->add_option ("bundle", *bundle, "PATH/Sonderlith.vst3 or PATH/Sonderlith.lv2")->required()->type_name ("BUNDLE");
    return [bundle] (CommandStreams& s) { return run (*bundle, s); };
}
