#pragma once

#include <juce_core/juce_core.h>

// Another program run to its end or to a time limit, whatever it does: its
// output is collected in files, so one that writes much or hangs cannot block
// the caller. The one place the command depends on the operating system.
struct ChildOutcome
{
    bool started = false;
    bool timedOut = false; // killed at the time limit
    int exitCode = -1;     // when it exited
    int signal = 0;        // when a signal ended it (a crash)
    juce::String out, err;
    juce::String startError; // why it could not start
};

ChildOutcome runChild (const juce::StringArray& arguments, double timeoutSeconds);

// "signal 11 (Segmentation fault)" and the like.
juce::String describeSignal (int signal);
