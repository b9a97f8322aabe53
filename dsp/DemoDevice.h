#pragma once

#include <optional>
#include <string>
#include <vector>

// Built-in devices for measuring without audio files: a 0 dB sine (X) through
// a known static curve (Y), with optional noise and a delay of Y behind X.
struct DemoSettings
{
    std::string device = "tanh";
    double sampleRate = 48000.0;
    double frequency = 997.0;
    int pairs = 131072;
    double delaySamples = 0.0;               // Y behind X, fractional allowed
    std::optional<double> noiseDecibels;     // RMS of added noise in dBFS
    unsigned seed = 1;
};

struct DemoCapture
{
    std::vector<double> x, y;
};

// The names --demo accepts.
const std::vector<std::string>& demoDeviceNames();

// Empty when the device name is unknown.
DemoCapture playDemoDevice (const DemoSettings&);

// The device's ideal static curve (for the hysteresis device, the centre
// between its two branches), for checking a fit.
double demoDeviceCurve (const std::string& device, double x);
