#pragma once

#include "tools/capture/CaptureTake.h"

#include <juce_core/juce_core.h>

#include <memory>

// Where a take goes: the device (or JACK server), and its channels as
// numbers from 1 or, with JACK, as the names of the ports to connect to.
struct CaptureSettings
{
    juce::String type = "jack"; // "jack", or a device type JUCE offers ("ALSA")
    juce::String device;        // JACK: the server's name (empty: the default); else the device's
    juce::String out, in, ref;  // ref empty: no reference channel
    double sampleRate = 0.0;    // 0: as the device runs
    int bufferSize = 0;         // 0: as the device runs
};

// An open device a take can run through. Opening it checks the channels;
// starting it makes the connections, stopping it removes them, and it never
// plays after it is gone.
class CaptureDevice
{
public:
    virtual ~CaptureDevice() = default;

    virtual double sampleRate() const = 0;
    virtual int bufferSize() const = 0;
    // The device and the route through it, for the report.
    virtual juce::String describe() const = 0;
    virtual juce::String start (CaptureTake&) = 0;
    // Returns once the take is no longer called.
    virtual void stop() = 0;
    // Why the device stopped by itself (the server quit, the device was
    // unplugged); empty while it runs.
    virtual juce::String lostReason() const = 0;
};

std::unique_ptr<CaptureDevice> openCaptureDevice (const CaptureSettings&, juce::String& error);

// The device types, devices and channels on this machine (with JACK, the
// ports of the server named, or of the default one), as text.
juce::String listCaptureDevices (const juce::String& jackServer);
