#pragma once

#include <cmath>
#include <functional>
#include <random>
#include <vector>

// Synthetic captures: a test tone X through a device curve gives Y.
namespace captures
{
struct Capture
{
    std::vector<double> x, y;
};

inline Capture sineThrough (const std::function<double (double)>& device, int n, double cyclesPerSample,
                            double amplitude = 1.0, double phase = 0.3)
{
    Capture c;
    for (int i = 0; i < n; ++i)
    {
        const auto x = amplitude * std::sin (2.0 * M_PI * cyclesPerSample * i + phase);
        c.x.push_back (x);
        c.y.push_back (device (x));
    }
    return c;
}

// Rising branch f(x) + offset, falling branch f(x) - offset.
inline Capture hysteresis (const std::function<double (double)>& f, double offset, int n, double cyclesPerSample)
{
    Capture c;
    double previous = std::sin (2.0 * M_PI * cyclesPerSample * -1 + 0.3);
    for (int i = 0; i < n; ++i)
    {
        const auto x = std::sin (2.0 * M_PI * cyclesPerSample * i + 0.3);
        c.x.push_back (x);
        c.y.push_back (f (x) + (x >= previous ? offset : -offset));
        previous = x;
    }
    return c;
}

inline Capture withNoise (Capture c, double level, unsigned seed = 1)
{
    std::mt19937 rng (seed);
    std::normal_distribution<double> noise (0.0, level);
    for (auto& v : c.y)
        v += noise (rng);
    return c;
}

inline double tanhDevice (double x) { return std::tanh (3.0 * x) / std::tanh (3.0); }
inline double hardClip (double x) { return std::clamp (x, -0.5, 0.5); }
inline double asymmetric (double x) { return x >= 0 ? 1.0 - std::exp (-2.0 * x) : 0.3 * x; }
} // namespace captures
