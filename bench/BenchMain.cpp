#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

#include <cstdlib>

int main (int argc, char** argv)
{
    // Processors create their preset folder; keep it out of the real home.
    char pattern[] = "/tmp/sonderlith-bench-home-XXXXXX";
    if (const char* home = ::mkdtemp (pattern))
    {
        ::setenv ("HOME", home, 1);
        ::setenv ("XDG_CONFIG_HOME", home, 1);
    }
    juce::ScopedJuceInitialiser_GUI juce;
    benchmark::Initialize (&argc, argv);
    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
