#pragma once

#include "dsp/RealFft.h"

#include <complex>
#include <cstddef>
#include <vector>

// Delays a signal by a fraction of a sample without the high-frequency loss
// of a short interpolator: a Kaiser-windowed sinc of 2 * halfLength taps
// (flat to within 1e-6 up to about 0.997 of Nyquist), applied by FFT
// convolution a block at a time.
class BandLimitedDelay
{
public:
    static constexpr int halfLength = 8192;

    // 0 <= fraction < 1; blocks of at most maximumBlock() samples.
    explicit BandLimitedDelay (double fraction, size_t fftSize = size_t { 1 } << 17);

    size_t maximumBlock() const noexcept { return fft.size() - 2 * (size_t) halfLength; }

    // out[i] = the signal at position i + halfLength - fraction of `in`,
    // which holds count + 2 * halfLength samples (halfLength either side).
    void apply (const double* in, size_t count, double* out);

private:
    double fraction;
    RealFft fft;
    std::vector<std::complex<double>> response;
    std::vector<double> scratch;
};

// The same shift of a whole block as if it were periodic, through its
// spectrum: exact for band-limited material, with errors only near the ends
// (where the block wraps). Cheap to repeat for many fractions of one block.
class SpectralShift
{
public:
    explicit SpectralShift (const std::vector<double>& block);

    // The block read `delay` samples late: out[n] = block(n - delay); valid
    // until the next call.
    const std::vector<double>& shifted (double delay);

private:
    RealFft fft;
    std::vector<std::complex<double>> spectrum, turned;
    std::vector<double> out;
};
