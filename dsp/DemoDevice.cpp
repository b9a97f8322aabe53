#include "dsp/DemoDevice.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace
{
double tanhCurve (double x) { return std::tanh (3.0 * x) / std::tanh (3.0); }

// Soft on the positive side, harder and smaller on the negative one, shifted:
// a diode-like curve whose DC the fit must carry.
double asymmetricCurve (double x)
{
    return x >= 0.0 ? (1.0 - std::exp (-3.0 * x)) / (1.0 - std::exp (-3.0)) * 0.9 + 0.05
                    : -0.4 * (1.0 - std::exp (5.0 * x)) / (1.0 - std::exp (-5.0)) + 0.05;
}
} // namespace

const std::vector<std::string>& demoDeviceNames()
{
    static const std::vector<std::string> names { "tanh", "hardclip", "asym", "hysteresis" };
    return names;
}

double demoDeviceCurve (const std::string& device, double x)
{
    if (device == "hardclip")
        return std::clamp (2.0 * x, -1.0, 1.0);
    if (device == "asym")
        return asymmetricCurve (x);
    return tanhCurve (x); // tanh, and the centre of the hysteresis branches
}

DemoCapture playDemoDevice (const DemoSettings& s)
{
    const auto& names = demoDeviceNames();
    if (std::find (names.begin(), names.end(), s.device) == names.end() || s.pairs <= 0)
        return {};

    DemoCapture capture;
    capture.x.resize ((size_t) s.pairs);
    capture.y.resize ((size_t) s.pairs);
    const auto omega = 2.0 * M_PI * s.frequency / s.sampleRate;
    std::mt19937 random (s.seed);
    std::normal_distribution<double> gaussian (0.0, s.noiseDecibels ? std::pow (10.0, *s.noiseDecibels / 20.0) : 0.0);

    for (int n = 0; n < s.pairs; ++n)
    {
        capture.x[(size_t) n] = std::sin (omega * n);
        // The device sees X as it was `delay` samples ago: exact for a sine.
        const auto phase = omega * ((double) n - s.delaySamples);
        const auto input = std::sin (phase);
        auto output = demoDeviceCurve (s.device, input);
        if (s.device == "hysteresis")
            output += std::cos (phase) >= 0.0 ? 0.1 : -0.1;
        if (s.noiseDecibels)
            output += gaussian (random);
        capture.y[(size_t) n] = output;
    }
    return capture;
}
