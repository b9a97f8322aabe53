#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

// JUCE needs its message manager for everything from parameters to editors;
// this thread becomes the message thread for the whole test run.
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
