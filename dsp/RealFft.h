#pragma once

#include <complex>
#include <cstddef>
#include <memory>
#include <vector>

// A real FFT of one size, forward and inverse (unnormalised: inverse of
// forward gives the signal times the size). Plans are made once per object;
// objects may live on different threads.
class RealFft
{
public:
    explicit RealFft (size_t size);
    ~RealFft();

    RealFft (const RealFft&) = delete;
    RealFft& operator= (const RealFft&) = delete;

    size_t size() const noexcept;

    // The signal zero-padded or cut to the size; size / 2 + 1 bins.
    std::vector<std::complex<double>> forward (const std::vector<double>& signal);
    std::vector<double> inverse (const std::vector<std::complex<double>>& spectrum);
    // The same into a buffer kept by the caller, for transforms repeated many times.
    void inverse (const std::vector<std::complex<double>>& spectrum, std::vector<double>& signal);

private:
    struct Plans;
    std::unique_ptr<Plans> plans;
};

// A transform of one size lent from a pool kept for the process: planning
// costs more than transforming a capture, and repeated analyses (every
// freeze's verdict) ask for the same sizes again. Returned when the lease
// ends; the pool keeps a few, so its memory is bounded.
class PooledRealFft
{
public:
    explicit PooledRealFft (size_t size);
    ~PooledRealFft();

    PooledRealFft (const PooledRealFft&) = delete;
    PooledRealFft& operator= (const PooledRealFft&) = delete;

    RealFft* operator->() const noexcept { return fft.get(); }

private:
    std::unique_ptr<RealFft> fft;
};

// The smallest size of at least `n` whose only prime factors are 2, 3 and 5:
// FFTW transforms those about as fast per sample as powers of two, and the
// nearest one is often far below the next power of two.
size_t fastFftSize (size_t n);
