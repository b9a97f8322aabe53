#include "tools/sonderlith/ChildProcess.h"

#if JUCE_LINUX || JUCE_MAC || JUCE_BSD
 #include <cerrno>
 #include <csignal>
 #include <cstring>
 #include <fcntl.h>
 #include <spawn.h>
 #include <sys/wait.h>
 #include <unistd.h>

extern char** environ;

namespace
{
juce::String readAndRemove (const juce::File& f)
{
    // Bounded: a plug-in that prints without end is not read whole.
    constexpr juce::int64 largest = 1 << 20;
    juce::MemoryBlock bytes;
    if (juce::FileInputStream in (f); in.openedOk())
        in.readIntoMemoryBlock (bytes, largest);
    f.deleteFile();
    return juce::String::fromUTF8 (static_cast<const char*> (bytes.getData()), (int) bytes.getSize());
}
} // namespace

ChildOutcome runChild (const juce::StringArray& arguments, double timeoutSeconds)
{
    ChildOutcome outcome;
    const auto outFile = juce::File::createTempFile (".out"), errFile = juce::File::createTempFile (".err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init (&actions);
    posix_spawn_file_actions_addopen (&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen (&actions, STDOUT_FILENO, outFile.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen (&actions, STDERR_FILENO, errFile.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawnattr_t attributes;
    posix_spawnattr_init (&attributes);
    // Its own process group, so whatever it starts is stopped with it.
    posix_spawnattr_setflags (&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup (&attributes, 0);

    std::vector<std::string> words;
    for (const auto& a : arguments)
        words.push_back (a.toStdString());
    std::vector<char*> argv;
    for (auto& w : words)
        argv.push_back (w.data());
    argv.push_back (nullptr);

    pid_t pid = 0;
    const auto status = posix_spawn (&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy (&actions);
    posix_spawnattr_destroy (&attributes);
    if (status != 0)
    {
        outcome.startError = juce::String (std::strerror (status));
        outFile.deleteFile();
        errFile.deleteFile();
        return outcome;
    }
    outcome.started = true;
    const auto deadline = juce::Time::getMillisecondCounterHiRes() + timeoutSeconds * 1000.0;
    int childStatus = 0;
    for (;;)
    {
        const auto done = waitpid (pid, &childStatus, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR))
            break;
        if (juce::Time::getMillisecondCounterHiRes() > deadline)
        {
            kill (-pid, SIGKILL);
            waitpid (pid, &childStatus, 0);
            outcome.timedOut = true;
            break;
        }
        juce::Thread::sleep (5);
    }
    if (! outcome.timedOut)
    {
        if (WIFEXITED (childStatus))
            outcome.exitCode = WEXITSTATUS (childStatus);
        else if (WIFSIGNALED (childStatus))
            outcome.signal = WTERMSIG (childStatus);
    }
    // Whatever it left running in its group goes with it.
    kill (-pid, SIGKILL);
    outcome.out = readAndRemove (outFile);
    outcome.err = readAndRemove (errFile);
    return outcome;
}

juce::String describeSignal (int signal)
{
    const auto* name = strsignal (signal);
    return "signal " + juce::String (signal) + (name != nullptr ? " (" + juce::String (name) + ")" : juce::String());
}
#else
ChildOutcome runChild (const juce::StringArray&, double)
{
    ChildOutcome outcome;
    outcome.startError = "running another program is not supported on this system yet";
    return outcome;
}

juce::String describeSignal (int signal) { return "signal " + juce::String (signal); }
#endif
