#include "tests/support/TestSignals.h"

#include "dsp/RealFft.h"
#include "dsp/Stimulus.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace test
{
namespace
{
constexpr double pi = 3.14159265358979323846;

std::vector<double> toFullScale (std::vector<double> v)
{
    double peak = 0.0;
    for (const auto s : v)
        peak = std::max (peak, std::abs (s));
    if (peak > 0.0)
        for (auto& s : v)
            s /= peak;
    return v;
}

std::vector<double> speech (size_t length, std::mt19937& random)
{
    std::uniform_real_distribution<double> uniform;
    std::normal_distribution<double> white;
    std::vector<double> out (length, 0.0);
    size_t n = 0;
    while (n < length)
    {
        const auto burst = (size_t) (4800 + uniform (random) * 9600);
        const auto pause = (size_t) (uniform (random) * 4800);
        auto pitch = 90.0 + uniform (random) * 150.0;
        double phase = 0.0, formant = 0.0;
        for (size_t k = 0; k < burst && n < length; ++k, ++n)
        {
            pitch *= 1.0 + 0.0004 * white (random);
            phase += pitch / 48000.0;
            const auto envelope = std::sin (pi * (double) k / (double) burst);
            const auto glottal = std::pow (0.5 + 0.5 * std::cos (2.0 * pi * phase), 6.0) - 0.2;
            formant = 0.7 * formant + glottal + 0.05 * white (random);
            out[n] = envelope * formant;
        }
        n += pause;
    }
    return out;
}

std::vector<double> drums (size_t length, std::mt19937& random)
{
    std::uniform_real_distribution<double> uniform;
    std::normal_distribution<double> white;
    std::vector<double> out (length, 0.0);
    for (size_t hit = 0; hit < length; hit += (size_t) (6000 + uniform (random) * 12000))
    {
        const auto level = 0.3 + 0.7 * uniform (random);
        const auto tone = 50.0 + uniform (random) * 150.0;
        for (size_t k = 0; hit + k < length && k < 24000; ++k)
        {
            const auto t = (double) k / 48000.0;
            out[hit + k] += level * (std::exp (-t * 30.0) * std::sin (2.0 * pi * tone * t) + 0.6 * std::exp (-t * 80.0) * white (random));
        }
    }
    return out;
}
} // namespace

std::string signalName (Signal s)
{
    switch (s)
    {
        case Signal::sine: return "sine";
        case Signal::whiteNoise: return "white noise";
        case Signal::pinkNoise: return "pink noise";
        case Signal::speechLike: return "speech-like";
        case Signal::drumLike: return "drum-like";
    }
    return {};
}

std::vector<double> makeSignal (Signal s, size_t length, unsigned seed)
{
    std::mt19937 random (seed);
    switch (s)
    {
        case Signal::sine:
        {
            std::vector<double> v (length);
            for (size_t n = 0; n < length; ++n)
                v[n] = std::sin (2.0 * pi * 997.0 * (double) n / 48000.0);
            return v;
        }
        case Signal::whiteNoise:
        {
            std::normal_distribution<double> white (0.0, 0.3);
            std::vector<double> v (length);
            for (auto& x : v)
                x = std::clamp (white (random), -1.0, 1.0);
            return toFullScale (v);
        }
        case Signal::pinkNoise: return toFullScale (pinkNoise (length, seed));
        case Signal::speechLike: return toFullScale (speech (length, random));
        case Signal::drumLike: return toFullScale (drums (length, random));
    }
    return {};
}

const std::vector<Curve>& staticCurves()
{
    static const std::vector<Curve> curves {
        { "tanh", [] (double x) { return std::tanh (3.0 * x) / std::tanh (3.0); } },
        { "hard clip", [] (double x) { return std::clamp (1.6 * x, -0.8, 0.8); } },
        { "asymmetric", [] (double x) { return x >= 0.0 ? std::tanh (2.5 * x) / std::tanh (2.5) : 0.6 * x + 0.2 * x * x; } },
        { "fold-back", [] (double x) { return std::sin (2.2 * x) / std::sin (2.2 * 0.71); } },
    };
    return curves;
}

std::vector<double> playHysteretic (const std::vector<double>& x, double width)
{
    std::vector<double> y (x.size());
    double state = x.empty() ? 0.0 : x[0];
    for (size_t n = 0; n < x.size(); ++n)
    {
        state = std::clamp (state, x[n] - width, x[n] + width);
        y[n] = std::tanh (2.0 * state);
    }
    return y;
}

std::vector<double> delayed (const std::vector<double>& x, int delay)
{
    std::vector<double> y (x.size(), 0.0);
    for (size_t n = (size_t) std::max (0, delay); n < x.size(); ++n)
        if ((long) n - delay < (long) x.size())
            y[n] = x[(size_t) ((long) n - delay)];
    return y;
}
std::vector<double> delayedIdeally (const std::vector<double>& x, double delay)
{
    const auto pad = (size_t) std::ceil (std::abs (delay)) + 8192;
    size_t size = 1;
    while (size < x.size() + 2 * pad)
        size *= 2;
    std::vector<double> padded (size, 0.0);
    std::copy (x.begin(), x.end(), padded.begin() + (std::ptrdiff_t) pad);
    RealFft fft (size);
    auto spectrum = fft.forward (padded);
    for (size_t k = 0; k < spectrum.size(); ++k)
        spectrum[k] *= std::polar (1.0 / (double) size, -2.0 * pi * (double) k * delay / (double) size);
    spectrum.back() = spectrum.back().real();
    const auto shifted = fft.inverse (spectrum);
    return std::vector<double> (shifted.begin() + (std::ptrdiff_t) pad, shifted.begin() + (std::ptrdiff_t) (pad + x.size()));
}
} // namespace test
