#include "tools/hosting/BareXServer.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

#include <cstdlib>
#include <string>


namespace
{
// Every test run gets a home and config folder of its own, so nothing the
// plug-in writes (settings, preset folders) ever lands in the real home.
std::string isolateHome()
{
    char pattern[] = "/tmp/sonderlith-test-home-XXXXXX";
    const char* home = ::mkdtemp (pattern);
    if (home == nullptr)
        std::abort();
    ::setenv ("HOME", home, 1);
    ::setenv ("XDG_CONFIG_HOME", (std::string (home) + "/.config").c_str(), 1);
    return home;
}
} // namespace

int main (int argc, char** argv)
{
    const auto home = isolateHome();
    ::testing::InitGoogleTest (&argc, argv);
    prepareBareXServer();
    int result = 0;
    {
        juce::ScopedJuceInitialiser_GUI juce;
        result = RUN_ALL_TESTS();
    }
    juce::File (home).deleteRecursively();
    return result;
}
