#include "tools/sonderlith/CommandLine.h"

#include <juce_events/juce_events.h>

#include <iostream>

#if JUCE_LINUX || JUCE_MAC || JUCE_BSD
 #include <unistd.h>
#endif

namespace
{
bool stderrIsATerminal()
{
#if JUCE_LINUX || JUCE_MAC || JUCE_BSD
    return ::isatty (STDERR_FILENO) != 0;
#else
    return false;
#endif
}

// Shows the stage of work that has been running for over half a second,
// on a terminal only, so logs and pipes stay clean.
class Progress
{
public:
    void operator() (const juce::String& stage)
    {
        if (juce::Time::getMillisecondCounterHiRes() - start >= 500.0)
            show (stage);
    }

    ~Progress()
    {
        if (shown)
            std::cerr << "\r\033[K" << std::flush;
    }

private:
    void show (const juce::String& stage)
    {
        std::cerr << "\r\033[Ksonderlith: " << stage << "..." << std::flush;
        shown = true;
    }

    double start = juce::Time::getMillisecondCounterHiRes();
    bool shown = false;
};
} // namespace

int main (int argc, char** argv)
{
    juce::StringArray arguments;
    for (int i = 1; i < argc; ++i)
        arguments.add (juce::String::fromUTF8 (argv[i]));

    // The typefaces the pictures draw with are the toolkit's, released at its shutdown.
    const juce::ScopedJuceInitialiser_GUI toolkit;
    juce::String out, err;
    int code = 0;
    {
        auto progress = std::make_shared<Progress>();
        std::function<void (const juce::String&)> report;
        if (stderrIsATerminal())
            report = [progress] (const juce::String& stage) { (*progress) (stage); };
        code = runCommandLine (arguments, out, err, report);
    }
    std::cout << out;
    std::cerr << err;
    return code;
}
