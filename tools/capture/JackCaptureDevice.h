#pragma once

#include "tools/capture/CaptureDevice.h"

// A take through a JACK server: three ports of a client of our own
// ("out", "in" and "ref"), connected to the ports named or numbered.
std::unique_ptr<CaptureDevice> openJackCaptureDevice (const CaptureSettings&, juce::String& error);

// The server's ports, as text; or why there is no server.
juce::String listJackPorts (const juce::String& serverName);
