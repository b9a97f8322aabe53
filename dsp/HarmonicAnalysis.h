#pragma once

#include <optional>
#include <vector>

// Harmonic figures for sine material, as a distortion analyser gives them.

// The frequency of X when it is a steady tone (its strongest spectral line
// holds nearly all its power), refined between FFT bins; empty otherwise.
std::optional<double> steadyToneFrequency (const std::vector<double>& x, double sampleRate);

// Amplitudes of harmonics 1..count of v at the fundamental f0, each by a
// Blackman-Harris-windowed Fourier sum at exactly k * f0 (harmonics at or
// above Nyquist are 0).
std::vector<double> harmonicAmplitudes (const std::vector<double>& v, double f0, double sampleRate, int count);

// Each amplitude in dB relative to the first; -240 dB for silence.
std::vector<double> relativeToFundamentalDb (const std::vector<double>& amplitudes);
