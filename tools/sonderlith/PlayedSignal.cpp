#include "tools/sonderlith/PlayedSignal.h"

#include "dsp/Stimulus.h"
#include "engine/CaptureSource.h"

#include <cmath>
#include <random>

namespace
{
constexpr double sineHz = 997.0; // no whole number of samples a period at the usual rates, so every level is visited

std::vector<double> sine (double rate, size_t length)
{
    std::vector<double> out (length);
    for (size_t n = 0; n < length; ++n)
        out[n] = std::sin (2.0 * 3.14159265358979323846 * sineHz * (double) n / rate);
    return out;
}

// Uniform, so every part of the curve gets as many pairs.
std::vector<double> whiteNoise (size_t length)
{
    std::mt19937 random (11);
    std::uniform_real_distribution<double> uniform (-1.0, 1.0);
    std::vector<double> out (length);
    for (auto& s : out)
        s = uniform (random);
    return out;
}

bool readFile (const juce::File& file, PlayedSignal& signal, const SignalSettings& settings)
{
    juce::String error;
    juce::StringArray notices;
    const auto source = CaptureSource::openFiles (file, file, 0, error, notices);
    if (source == nullptr)
    {
        signal.error = error;
        return false;
    }
    if ((double) source->length() > longestPlayedSeconds * source->sampleRate())
    {
        signal.error = file.getFileName() + " is longer than " + juce::String (longestPlayedSeconds, 0) + " s: play an excerpt of it";
        return false;
    }
    if (settings.sampleRate != source->sampleRate())
    {
        signal.error = file.getFileName() + " is at " + juce::String (source->sampleRate(), 0) + " Hz: give --rate " + juce::String (source->sampleRate(), 0)
                       + " or a file at " + juce::String (settings.sampleRate, 0) + " Hz";
        return false;
    }
    signal.samples.resize ((size_t) source->length());
    source->readX (0, (int) source->length(), signal.samples.data());
    signal.description = file.getFileName();
    return true;
}

// Scaled to the level's peak, each sample as the device will get it.
bool scaleToLevel (PlayedSignal& signal, double levelDbfs)
{
    double peak = 0.0;
    for (const auto s : signal.samples)
        peak = std::isfinite (s) ? std::max (peak, std::abs (s)) : peak;
    if (! (peak > 0.0))
    {
        signal.error = "The signal is silent";
        return false;
    }
    const auto gain = std::pow (10.0, levelDbfs / 20.0) / peak;
    for (auto& s : signal.samples)
        s = std::isfinite (s) ? (double) (float) (s * gain) : 0.0;
    return true;
}
} // namespace

PlayedSignal makePlayedSignal (const SignalSettings& settings)
{
    PlayedSignal signal;
    signal.sampleRate = settings.sampleRate;
    const auto length = (size_t) std::llround (settings.seconds * settings.sampleRate);
    if (settings.kind == "stimulus")
    {
        signal.samples = makeStimulus (settings.sampleRate, settings.seconds);
        signal.description = "stimulus";
    }
    else if (settings.kind == "sine")
    {
        signal.samples = sine (settings.sampleRate, length);
        signal.description = "sine " + juce::String (sineHz, 0) + " Hz";
    }
    else if (settings.kind == "noise")
    {
        signal.samples = whiteNoise (length);
        signal.description = "white noise";
    }
    else if (! readFile (juce::File::getCurrentWorkingDirectory().getChildFile (settings.kind), signal, settings))
        return signal;
    if (signal.samples.empty())
        signal.error = "The signal holds no samples";
    else
        scaleToLevel (signal, settings.levelDbfs);
    return signal;
}
