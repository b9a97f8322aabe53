#pragma once

#include <juce_core/juce_core.h>

#include <optional>

// How a take through an audio interface (or JACK) went.
struct CaptureConditions
{
    juce::String route;                      // the device, its rate and buffer, and the channels used
    int dropouts = 0;                        // xruns and gaps in the device's clock
    double firstDropoutSeconds = 0.0;        // into the signal (negative: in the silence before it), when there was one
    double sendPeakDbfs = 0.0;               // the signal played
    double returnPeakDbfs = 0.0;             // the device's return, while the signal played
    std::optional<double> referencePeakDbfs; // the output's loopback, with a reference
    std::optional<double> noiseFloorDbfs;    // the return's RMS in the silence before the signal
    std::optional<double> esrFloor;          // that noise over the return's power: the fit's ESR cannot go below it
    std::optional<double> referenceDelay;    // the loopback behind the signal as played, samples
};
