#include "dsp/HarmonicAnalysis.h"

#include "dsp/RealFft.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace
{
constexpr double pi = 3.14159265358979323846;

double blackmanHarris (size_t n, size_t size)
{
    const auto t = 2.0 * pi * (double) n / (double) (size - 1);
    return 0.35875 - 0.48829 * std::cos (t) + 0.14128 * std::cos (2.0 * t) - 0.01168 * std::cos (3.0 * t);
}
} // namespace

std::optional<double> steadyToneFrequency (const std::vector<double>& x, double sampleRate)
{
    size_t size = 1;
    while (size * 2 <= std::min<size_t> (x.size(), 1 << 16))
        size *= 2;
    if (size < 1024)
        return std::nullopt;
    std::vector<double> windowed (size);
    for (size_t n = 0; n < size; ++n)
        windowed[n] = (std::isfinite (x[n]) ? x[n] : 0.0) * blackmanHarris (n, size);
    RealFft fft (size);
    const auto spectrum = fft.forward (windowed);
    std::vector<double> power (spectrum.size());
    for (size_t k = 0; k < power.size(); ++k)
        power[k] = std::norm (spectrum[k]);
    const auto peak = (size_t) (std::max_element (power.begin() + 1, power.end() - 1) - power.begin());
    double total = 0.0, line = 0.0;
    for (size_t k = 1; k < power.size(); ++k)
    {
        total += power[k];
        if (k + 5 > peak && k < peak + 5) // the window's main lobe spans four bins either side
            line += power[k];
    }
    // A few periods at least, or the window's main lobe reaches DC and the
    // frequency is a guess.
    constexpr size_t fewestPeriods = 8;
    if (total <= 0.0 || line < 0.9 * total || peak < fewestPeriods)
        return std::nullopt;
    // A parabola through the log magnitudes around the peak places it between bins.
    const auto a = std::log (power[peak - 1] + 1e-300), b = std::log (power[peak] + 1e-300), c = std::log (power[peak + 1] + 1e-300);
    const auto denominator = a - 2.0 * b + c;
    const auto offset = denominator < 0.0 ? 0.5 * (a - c) / denominator : 0.0;
    return ((double) peak + offset) * sampleRate / (double) size;
}

std::vector<double> harmonicAmplitudes (const std::vector<double>& v, double f0, double sampleRate, int count)
{
    std::vector<double> amplitudes ((size_t) count, 0.0);
    const auto size = v.size();
    if (size < 2 || f0 <= 0.0)
        return amplitudes;
    std::vector<double> window (size);
    double windowSum = 0.0;
    for (size_t n = 0; n < size; ++n)
        windowSum += window[n] = blackmanHarris (n, size);
    for (int k = 1; k <= count; ++k)
    {
        const auto frequency = k * f0;
        if (frequency >= 0.5 * sampleRate)
            break;
        // A rotating phasor, renormalised now and then so rounding cannot drift.
        const auto step = std::polar (1.0, -2.0 * pi * frequency / sampleRate);
        std::complex<double> phasor (1.0, 0.0), sum (0.0, 0.0);
        for (size_t n = 0; n < size; ++n)
        {
            if (std::isfinite (v[n]))
                sum += v[n] * window[n] * phasor;
            phasor *= step;
            if ((n & 1023) == 1023)
                phasor = std::polar (1.0, -2.0 * pi * frequency / sampleRate * (double) (n + 1));
        }
        amplitudes[(size_t) k - 1] = 2.0 * std::abs (sum) / windowSum;
    }
    return amplitudes;
}

std::vector<double> relativeToFundamentalDb (const std::vector<double>& amplitudes)
{
    std::vector<double> db (amplitudes.size(), -240.0);
    if (amplitudes.empty() || amplitudes[0] <= 0.0)
        return db;
    for (size_t k = 0; k < amplitudes.size(); ++k)
        if (amplitudes[k] > 0.0)
            db[k] = std::max (-240.0, 20.0 * std::log10 (amplitudes[k] / amplitudes[0]));
    return db;
}
