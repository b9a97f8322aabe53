#pragma once

#include <functional>
#include <string>
#include <vector>

// Signals and device curves for checking estimators on material of every
// kind a recording may hold. Deterministic for a given seed.
namespace test
{
enum class Signal
{
    sine,        // 997 Hz at 48 kHz, full scale
    whiteNoise,  // Gaussian, clipped to full scale
    pinkNoise,   // 1/f, normalised to full scale
    speechLike,  // voiced bursts with a wandering pitch and pauses of silence
    drumLike     // struck, decaying noise and tone
};

std::string signalName (Signal);
std::vector<double> makeSignal (Signal, size_t length, unsigned seed = 1);

struct Curve
{
    std::string name;
    std::function<double (double)> f;
};

// tanh, a hard clip, an asymmetric curve and a fold-back curve.
const std::vector<Curve>& staticCurves();

// A device with memory: its output follows the static curve offset by
// `width` against the direction X moves (a backlash), centred on the curve.
std::vector<double> playHysteretic (const std::vector<double>& x, double width);

// y = f(x[n - delay]) for a whole delay: y starts `delay` samples later.
std::vector<double> delayed (const std::vector<double>& x, int delay);

// x read `delay` samples late (any fraction, either sign) as an ideal wire
// does it: every frequency's phase turned through its spectrum, the signal
// padded with silence so nothing wraps round.
std::vector<double> delayedIdeally (const std::vector<double>& x, double delay);
} // namespace test
