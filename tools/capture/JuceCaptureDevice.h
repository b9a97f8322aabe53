#pragma once

#include "tools/capture/CaptureDevice.h"

#include <juce_audio_devices/juce_audio_devices.h>

#include <vector>

// The device types JUCE offers here (ALSA on Linux; the native APIs elsewhere).
std::vector<std::unique_ptr<juce::AudioIODeviceType>> juceDeviceTypes();

// A take through a device of one of those types; channels are numbers.
std::unique_ptr<CaptureDevice> openJuceCaptureDevice (const CaptureSettings&, juce::String& error);

// Each type's devices and their channels, as text.
juce::String listJuceDevices();
