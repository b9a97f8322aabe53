#pragma once

#include "tools/sonderlith/CommandOptions.h"

// The command's exit codes.
namespace exitCodes
{
inline constexpr int ok = 0;
inline constexpr int failure = 1;         // cannot read, fit or write
inline constexpr int usage = 2;           // wrong usage, refused before any work
inline constexpr int verdictFailed = 3;   // measure: the verdict is "failed"
inline constexpr int beyondTolerance = 4; // compare: a difference beyond the tolerance
} // namespace exitCodes

// Each subcommand declares its options on `app` and returns what runs it.
CommandRun addMeasureCommand (CLI::App& app);
CommandRun addInspectCommand (CLI::App& app);
CommandRun addCompareCommand (CLI::App& app);
CommandRun addStimulusCommand (CLI::App& app);
CommandRun addHostCheckCommand (CLI::App& app);
CommandRun addPluginsCommand (CLI::App& app);
CommandRun addCaptureCommand (CLI::App& app);
