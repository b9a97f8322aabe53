#include "dsp/RealFft.h"

#include <fftw3.h>

#include <algorithm>
#include <mutex>

namespace
{
struct FftwFree
{
    void operator() (void* p) const { fftw_free (p); }
};

// FFTW's planner is not thread-safe; executing a plan is.
std::mutex& plannerLock()
{
    static std::mutex lock;
    return lock;
}
} // namespace

struct RealFft::Plans
{
    explicit Plans (size_t size) : n (size), real (fftw_alloc_real (size)), spectrum (fftw_alloc_complex (size / 2 + 1))
    {
        const std::lock_guard<std::mutex> guard (plannerLock());
        forward = fftw_plan_dft_r2c_1d ((int) n, real.get(), spectrum.get(), FFTW_ESTIMATE);
        inverse = fftw_plan_dft_c2r_1d ((int) n, spectrum.get(), real.get(), FFTW_ESTIMATE);
    }

    ~Plans()
    {
        const std::lock_guard<std::mutex> guard (plannerLock());
        fftw_destroy_plan (forward);
        fftw_destroy_plan (inverse);
    }

    size_t n;
    std::unique_ptr<double[], FftwFree> real;
    std::unique_ptr<fftw_complex[], FftwFree> spectrum;
    fftw_plan forward = nullptr, inverse = nullptr;
};

namespace
{
struct Pool
{
    static constexpr size_t most = 8;
    std::mutex lock;
    std::vector<std::unique_ptr<RealFft>> kept;
};

// Never destroyed: leases may end while the process exits.
Pool& pool()
{
    static auto* p = new Pool();
    return *p;
}
} // namespace

PooledRealFft::PooledRealFft (size_t size)
{
    {
        auto& p = pool();
        const std::lock_guard<std::mutex> guard (p.lock);
        const auto found = std::find_if (p.kept.begin(), p.kept.end(), [size] (const auto& f) { return f->size() == size; });
        if (found != p.kept.end())
        {
            fft = std::move (*found);
            p.kept.erase (found);
        }
    }
    if (fft == nullptr)
        fft = std::make_unique<RealFft> (size);
}

PooledRealFft::~PooledRealFft()
{
    auto& p = pool();
    const std::lock_guard<std::mutex> guard (p.lock);
    if (p.kept.size() >= Pool::most)
        p.kept.erase (p.kept.begin()); // the oldest goes
    p.kept.push_back (std::move (fft));
}

RealFft::RealFft (size_t size) : plans (std::make_unique<Plans> (size)) {}
RealFft::~RealFft() = default;

size_t RealFft::size() const noexcept { return plans->n; }

std::vector<std::complex<double>> RealFft::forward (const std::vector<double>& signal)
{
    auto& p = *plans;
    std::fill (p.real.get(), p.real.get() + p.n, 0.0);
    std::copy (signal.begin(), signal.begin() + (std::ptrdiff_t) std::min (signal.size(), p.n), p.real.get());
    fftw_execute (p.forward);
    std::vector<std::complex<double>> out (p.n / 2 + 1);
    for (size_t k = 0; k < out.size(); ++k)
        out[k] = { p.spectrum[k][0], p.spectrum[k][1] };
    return out;
}

std::vector<double> RealFft::inverse (const std::vector<std::complex<double>>& in)
{
    std::vector<double> out;
    inverse (in, out);
    return out;
}

void RealFft::inverse (const std::vector<std::complex<double>>& in, std::vector<double>& out)
{
    auto& p = *plans;
    for (size_t k = 0; k < p.n / 2 + 1; ++k)
    {
        p.spectrum[k][0] = k < in.size() ? in[k].real() : 0.0;
        p.spectrum[k][1] = k < in.size() ? in[k].imag() : 0.0;
    }
    fftw_execute (p.inverse);
    out.assign (p.real.get(), p.real.get() + p.n);
}

size_t fastFftSize (size_t n)
{
    size_t best = 1;
    while (best < n)
        best *= 2;
    for (size_t fives = 1; fives < best; fives *= 5)
        for (size_t threes = fives; threes < best; threes *= 3)
        {
            auto size = threes;
            while (size < n)
                size *= 2;
            best = std::min (best, size);
        }
    return best;
}
