#include "dsp/Stimulus.h"

#include "dsp/RealFft.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace
{
constexpr double pi = 3.14159265358979323846;
constexpr double fullScale = 0.99; // -0.09 dBFS, clear of converters' clip points
constexpr double markerSeconds = 0.5, chirpSeconds = 0.4, fadeSeconds = 0.005;

double fade (double t, double duration, double length)
{
    const auto edge = std::min ({ t, duration - t, length });
    return edge >= length ? 1.0 : 0.5 - 0.5 * std::cos (pi * std::max (0.0, edge) / length);
}

double sineFrequency (const std::string& name, double rate)
{
    const auto nominal = name == "sine 100 Hz" ? 100.0 : name == "sine 1 kHz" || name == "level ramp" ? 1000.0 : 5000.0;
    return std::min (nominal, rate / 5.0);
}

// The noise burst, peak-normalised.
std::vector<double> pinkBurst (size_t length)
{
    auto out = pinkNoise (length, 7);
    double peak = 0.0;
    for (const auto s : out)
        peak = std::max (peak, std::abs (s));
    for (auto& s : out)
        s *= fullScale / peak;
    return out;
}
} // namespace

std::vector<double> pinkNoise (size_t length, unsigned seed)
{
    std::mt19937 random (seed);
    std::normal_distribution<double> white;
    std::vector<double> out (length);
    double b0 = 0, b1 = 0, b2 = 0;
    for (auto& s : out)
    {
        const auto w = white (random);
        b0 = 0.99765 * b0 + w * 0.0990460;
        b1 = 0.96300 * b1 + w * 0.2965164;
        b2 = 0.57000 * b2 + w * 1.0526913;
        s = b0 + b1 + b2 + w * 0.1848;
    }
    return out;
}

const StimulusSegment* StimulusLayout::find (const std::string& name) const
{
    for (const auto& s : segments)
        if (s.name == name)
            return &s;
    return nullptr;
}

StimulusLayout stimulusLayout (double seconds)
{
    StimulusLayout layout;
    layout.seconds = std::max (seconds, stimulusMinimumSeconds);
    const auto rest = layout.seconds - markerSeconds;
    layout.segments.push_back ({ "marker", 0.0, markerSeconds });
    auto at = markerSeconds;
    for (const auto& [name, share] : { std::pair { "sine 100 Hz", 0.2 }, std::pair { "sine 1 kHz", 0.2 }, std::pair { "sine 5 kHz", 0.15 },
                                       std::pair { "level ramp", 0.25 }, std::pair { "pink noise", 0.2 } })
    {
        layout.segments.push_back ({ name, at, rest * share });
        at += rest * share;
    }
    return layout;
}

std::vector<double> stimulusMarker (double rate)
{
    std::vector<double> marker ((size_t) std::lround (chirpSeconds * rate));
    const auto f0 = 100.0, f1 = std::min (10000.0, 0.4 * rate);
    for (size_t n = 0; n < marker.size(); ++n)
    {
        const auto t = (double) n / rate;
        const auto phase = 2.0 * pi * (f0 * t + 0.5 * (f1 - f0) / chirpSeconds * t * t);
        marker[n] = 0.5 * std::sin (phase) * fade (t, chirpSeconds, 0.02);
    }
    return marker;
}

std::vector<double> makeStimulus (double rate, double seconds)
{
    const auto layout = stimulusLayout (seconds);
    std::vector<double> out ((size_t) std::lround (layout.seconds * rate), 0.0);
    const auto marker = stimulusMarker (rate);
    std::copy (marker.begin(), marker.end(), out.begin());
    for (const auto& s : layout.segments)
    {
        if (s.name == "marker")
            continue;
        const auto first = (size_t) std::lround (s.start * rate), count = std::min (out.size() - first, (size_t) std::lround (s.duration * rate));
        const auto noise = s.name == "pink noise" ? pinkBurst (count) : std::vector<double>();
        for (size_t i = 0; i < count; ++i)
        {
            const auto t = (double) i / rate;
            double v;
            if (s.name == "pink noise")
                v = noise[i];
            else
            {
                // The ramp rises from -40 dBFS to full scale, evenly in decibels.
                const auto level = s.name == "level ramp" ? fullScale * std::pow (10.0, -2.0 * (1.0 - t / s.duration)) : fullScale;
                v = level * std::sin (2.0 * pi * sineFrequency (s.name, rate) * t);
            }
            out[first + i] = v * fade (t, s.duration, fadeSeconds);
        }
    }
    return out;
}

std::optional<long> findStimulus (const std::vector<double>& x, double rate)
{
    const auto marker = stimulusMarker (rate);
    const auto m = marker.size();
    const auto span = std::min (x.size(), (size_t) std::lround (20.0 * rate) + m);
    if (m == 0 || span < m * 2)
        return std::nullopt;
    // Correlated a block at a time (overlap-save), so the memory it takes
    // follows the marker's length, not the twenty seconds searched.
    size_t size = 1;
    while (size < 4 * m)
        size *= 2;
    const auto hop = size - m + 1;
    RealFft fft (size);
    const auto markerSpectrum = fft.forward (marker);
    double markerEnergy = 0.0;
    for (const auto v : marker)
        markerEnergy += v * v;

    auto sample = [&x] (size_t n) { return std::isfinite (x[n]) ? x[n] : 0.0; };
    double best = 0.0;
    long where = -1;
    std::vector<double> block (size);
    for (size_t first = 0; first + m <= span; first += hop)
    {
        for (size_t i = 0; i < size; ++i)
            block[i] = first + i < span ? sample (first + i) : 0.0;
        auto spectrum = fft.forward (block);
        for (size_t k = 0; k < spectrum.size(); ++k)
            spectrum[k] *= std::conj (markerSpectrum[k]);
        const auto correlation = fft.inverse (spectrum);
        // Normalised by the marker's energy and by the recording's over each stretch it could cover.
        double energy = 0.0;
        for (size_t i = 0; i < m; ++i)
            energy += block[i] * block[i];
        for (size_t k = 0; k < hop && first + k + m <= span; ++k)
        {
            if (k > 0)
                energy = std::max (0.0, energy + block[k + m - 1] * block[k + m - 1] - block[k - 1] * block[k - 1]);
            if (energy <= 1.0e-12 * markerEnergy)
                continue;
            const auto rho = correlation[k] / (double) size / std::sqrt (markerEnergy * energy);
            if (rho > best)
            {
                best = rho;
                where = (long) (first + k);
            }
        }
    }
    return best > 0.9 ? std::optional<long> (where) : std::nullopt;
}
