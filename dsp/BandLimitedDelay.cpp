#include "dsp/BandLimitedDelay.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr double kaiserBeta = 12.0; // about 120 dB beyond the band

// The modified Bessel function of the first kind, order 0, by its series.
double besselI0 (double x)
{
    double sum = 1.0, term = 1.0;
    const auto quarterSquare = 0.25 * x * x;
    for (int k = 1; k < 200 && term > 1.0e-17 * sum; ++k)
    {
        term *= quarterSquare / ((double) k * (double) k);
        sum += term;
    }
    return sum;
}

// Taps k = -halfLength + 1 .. halfLength (index k + halfLength - 1) of the
// sinc centred on `fraction`, windowed and scaled to a DC gain of exactly 1.
std::vector<double> windowedSinc (double fraction, int halfLength)
{
    std::vector<double> taps ((size_t) (2 * halfLength));
    const auto norm = 1.0 / besselI0 (kaiserBeta);
    double sum = 0.0;
    for (int k = -halfLength + 1; k <= halfLength; ++k)
    {
        const auto t = (double) k - fraction;
        const auto r = t / (double) halfLength;
        const auto window = std::abs (r) < 1.0 ? besselI0 (kaiserBeta * std::sqrt (1.0 - r * r)) * norm : 0.0;
        const auto sinc = std::abs (t) < 1.0e-12 ? 1.0 : std::sin (M_PI * t) / (M_PI * t);
        auto& tap = taps[(size_t) (k + halfLength - 1)];
        tap = sinc * window;
        sum += tap;
    }
    for (auto& tap : taps)
        tap /= sum;
    return taps;
}
} // namespace

BandLimitedDelay::BandLimitedDelay (double f, size_t fftSize) : fraction (f), fft (fftSize)
{
    response = fft.forward (windowedSinc (fraction, halfLength));
    // The inverse transform is unnormalised: the scale is folded in here once.
    const auto scale = 1.0 / (double) fftSize;
    for (auto& bin : response)
        bin *= scale;
    scratch.resize (fftSize);
}

void BandLimitedDelay::apply (const double* in, size_t count, double* out)
{
    count = std::min (count, maximumBlock());
    if (fraction == 0.0)
    {
        std::copy (in + halfLength, in + halfLength + count, out);
        return;
    }
    std::fill (scratch.begin(), scratch.end(), 0.0);
    std::copy (in, in + count + 2 * (size_t) halfLength, scratch.begin());
    auto spectrum = fft.forward (scratch);
    for (size_t k = 0; k < spectrum.size(); ++k)
        spectrum[k] *= response[k];
    const auto convolved = fft.inverse (spectrum);
    // The full convolution's sample 2 * halfLength - 1 + i is output i.
    std::copy (convolved.begin() + 2 * halfLength - 1, convolved.begin() + 2 * halfLength - 1 + (std::ptrdiff_t) count, out);
}

SpectralShift::SpectralShift (const std::vector<double>& block) : fft (block.size())
{
    spectrum = fft.forward (block);
}

const std::vector<double>& SpectralShift::shifted (double delay)
{
    const auto n = fft.size();
    auto& s = turned;
    s = spectrum;
    // The phase turns by the same step from bin to bin: one rotation per bin
    // instead of a sine and cosine (refreshed now and then against drift).
    const auto step = -2.0 * M_PI * delay / (double) n;
    const auto turn = std::polar (1.0, step);
    std::complex<double> rotation;
    for (size_t k = 0; k < s.size(); ++k)
    {
        rotation = k % 1024 == 0 ? std::polar (1.0 / (double) n, step * (double) k) : rotation * turn;
        s[k] *= rotation;
    }
    // The Nyquist bin of a real signal has no phase to turn: what is real of it stays.
    if (n % 2 == 0)
        s.back() = s.back().real();
    fft.inverse (s, out);
    return out;
}
