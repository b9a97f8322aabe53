#include "tools/sonderlith/CommandLine.h"

#include "ReleaseNumber.h"
#include "tools/sonderlith/Subcommands.h"

#include <map>
#include <sstream>

namespace
{
juce::String fromUtf8 (const std::string& text) { return juce::String::fromUTF8 (text.c_str()); }

// CLI11's words for an option given twice are its count check's.
std::string failureMessage (const CLI::App*, const CLI::Error& e)
{
    std::string message = e.what();
    if (const auto at = message.find (": At Most 1 required but received"); at != std::string::npos)
        message = message.substr (0, at) + " is given twice";
    return message + "\nRun with --help for more information.\n";
}

struct Command
{
    CLI::App app { "Measures the static transfer function y = f(x) of an audio device (a distortion, saturator or amp) from "
                   "recordings of its input and output, and writes it as a preset for the companion waveshaper.",
                   "sonderlith" };
    std::map<const CLI::App*, CommandRun> runs;

    Command()
    {
        app.set_version_flag ("--version", std::string ("sonderlith ") + currentReleaseVersion);
        app.require_subcommand (1);
        app.failure_message (failureMessage);
        for (auto add : { addMeasureCommand, addInspectCommand, addCompareCommand, addStimulusCommand, addHostCheckCommand, addPluginsCommand, addCaptureCommand })
        {
            auto run = add (app);
            runs[app.get_subcommands ({}).back()] = std::move (run);
        }
        app.footer ("\"sonderlith COMMAND --help\" tells each command's options.\n");
    }

    bool isCommand (const std::string& word) const
    {
        for (const auto& [command, run] : runs)
            if (command->get_name() == word)
                return true;
        return false;
    }
};

// CLI11 hands a "--" to the parent once a subcommand's positionals have
// their minimum, where any word after it is refused. Every positional here is
// a file, so the words after "--" are given as paths ("./-x.tfunc" is
// "-x.tfunc"), which no parser takes for an option or a subcommand.
std::vector<std::string> wordsOf (const juce::StringArray& arguments)
{
    std::vector<std::string> words;
    bool positionalOnly = false;
    for (const auto& argument : arguments)
    {
        auto word = argument.toStdString();
        if (! positionalOnly && word == "--")
        {
            positionalOnly = true;
            continue;
        }
        if (positionalOnly && ! juce::File::isAbsolutePath (argument))
            word = "./" + word;
        words.push_back (std::move (word));
    }
    // "sonderlith help measure" is "sonderlith measure --help".
    if (! words.empty() && words.front() == "help")
        words = words.size() > 1 ? std::vector<std::string> { words[1], "--help" } : std::vector<std::string> { "--help" };
    std::reverse (words.begin(), words.end()); // CLI11 takes them last first
    return words;
}

} // namespace

int runCommandLine (const juce::StringArray& arguments, juce::String& out, juce::String& err, std::function<void (const juce::String&)> progress)
{
    Command command;
    auto words = wordsOf (arguments);
    // CLI11 calls both "a subcommand is required".
    if (! words.empty() && ! command.isCommand (words.back()))
    {
        const auto& first = words.back();
        const auto isOption = first.rfind ("-", 0) == 0;
        if (! isOption || (first != "-h" && first != "--help" && first != "--version"))
        {
            err << (isOption ? "Unknown option '" : "Unknown command '") << fromUtf8 (first) << "'\n" << fromUtf8 (command.app.help());
            return exitCodes::usage;
        }
    }
    const auto nothingAsked = words.empty();
    try
    {
        command.app.parse (words); // consumes the words
    }
    catch (const CLI::ParseError& e)
    {
        std::ostringstream printed, problems;
        const auto code = command.app.exit (e, printed, problems);
        out << fromUtf8 (printed.str());
        err << fromUtf8 (problems.str());
        if (nothingAsked)
            err << fromUtf8 (command.app.help());
        return code == 0 ? exitCodes::ok : exitCodes::usage;
    }
    CommandStreams streams { out, err, std::move (progress) };
    const auto* chosen = command.app.get_subcommands().front();
    try
    {
        return command.runs.at (chosen) (streams);
    }
    catch (const UsageError& e)
    {
        err << e.message << "\n";
        return exitCodes::usage;
    }
}
