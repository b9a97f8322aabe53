#pragma once

#include "tools/capture/CaptureDevice.h"

#include <juce_audio_devices/juce_audio_devices.h>

#include <vector>

// The device types JUCE offers here (ALSA on Linux; the native APIs elsewhere).
std::vector<std::unique_ptr<juce::AudioIODeviceType>> juceDeviceTypes();

// Of a scanned type, the devices that both play and record (what ALSA lists
// also holds converters and mixers with no channels).
juce::StringArray duplexDeviceNames (juce::AudioIODeviceType&);

// A take through a device of one of those types; channels are numbers.
std::unique_ptr<CaptureDevice> openJuceCaptureDevice (const CaptureSettings&, juce::String& error);

// Each type's devices and their channels, as text.
juce::String listJuceDevices();
