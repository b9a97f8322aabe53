#pragma once

#include "report/PlotFrame.h"

#include <CLI/CLI.hpp>
#include <juce_core/juce_core.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Where a subcommand writes and how it tells its progress.
struct CommandStreams
{
    juce::String& out;
    juce::String& err;
    std::function<void (const juce::String& stage)> progress;
};

// What runs a subcommand once its options are parsed: the exit code.
using CommandRun = std::function<int (CommandStreams&)>;

// Refused before any work: the message is the user's, the exit code 2.
struct UsageError
{
    juce::String message;
};

// What runs a subcommand whose options are first checked together: a
// problem `complete` finds is a UsageError, before any work is done.
template <typename Request, typename Complete, typename Run>
CommandRun completeThenRun (CLI::App& c, std::shared_ptr<Request> request, Complete complete, Run run)
{
    return [&c, request, complete, run] (CommandStreams& s)
    {
        if (const auto problem = complete (c, *request); problem.isNotEmpty())
            throw UsageError { problem };
        return run (*request, s);
    };
}

// A path as given, made absolute against the working folder.
juce::File fileArgument (const std::string& path);

// A finite number in [minimum, maximum] (CLI11's own range check lets NaN through).
CLI::Validator numberIn (double minimum, double maximum);

// A whole number in [minimum, maximum]: a count or a setting in steps, so
// 1.5 is refused rather than taken as 1.
CLI::Validator wholeIn (int minimum, int maximum);

// One of `names`, in any case; the value becomes the name as listed.
CLI::Validator oneOf (const std::vector<std::string>& names);

// Options that take a single value, and flags, refused when given twice.
CLI::Option* once (CLI::Option*);

// --size WxH and --theme dark|light, for every subcommand that draws.
void addPictureOptions (CLI::App&, PictureOptions&);

// An output file of one kind: "-o writes a .tfunc file, not 'x.wav'".
struct OutputFile
{
    const char* option;
    juce::File file;
    const char* extension;
};

// Each output has its own kind of file and may replace no input and no other
// output; empty when they are fine.
juce::String checkOutputs (const std::vector<OutputFile>& outputs, std::vector<juce::File> inputs);
