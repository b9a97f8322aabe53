#include "dsp/Smoothing.h"

#include <algorithm>
#include <cmath>

namespace
{
// Inverts a small symmetric system by Gauss-Jordan elimination with partial
// pivoting; false when a pivot is below 1e-12.
bool invertInPlace (std::vector<std::vector<double>>& m)
{
    const auto n = m.size();
    std::vector<std::vector<double>> inv (n, std::vector<double> (n, 0.0));
    for (size_t i = 0; i < n; ++i)
        inv[i][i] = 1.0;

    for (size_t col = 0; col < n; ++col)
    {
        auto pivot = col;
        for (size_t r = col + 1; r < n; ++r)
            if (std::abs (m[r][col]) > std::abs (m[pivot][col]))
                pivot = r;
        if (std::abs (m[pivot][col]) < 1e-12)
            return false;
        std::swap (m[pivot], m[col]);
        std::swap (inv[pivot], inv[col]);

        const auto p = m[col][col];
        for (size_t k = 0; k < n; ++k)
        {
            m[col][k] /= p;
            inv[col][k] /= p;
        }

        for (size_t r = 0; r < n; ++r)
        {
            if (r == col)
                continue;
            const auto f = m[r][col];
            for (size_t k = 0; k < n; ++k)
            {
                m[r][k] -= f * m[col][k];
                inv[r][k] -= f * inv[col][k];
            }
        }
    }

    m = std::move (inv);
    return true;
}

int mirrorIndex (int i, int n) noexcept
{
    if (i < 0)
        return -i;
    if (i > n - 1)
        return 2 * (n - 1) - i;
    return i;
}
} // namespace

int smoothingWindowFor (int s) noexcept
{
    if (s <= 1)
        return 0;
    auto w = std::clamp (s, 3, 99);
    return (w % 2 == 0) ? w + 1 : w;
}

std::vector<double> savitzkyGolayCoefficients (int window, int order)
{
    if (window <= 2 || window % 2 == 0 || order < 0 || order >= window)
        return {};

    const int half = window / 2;
    const auto cols = (size_t) order + 1;
    std::vector<std::vector<double>> a ((size_t) window, std::vector<double> (cols));
    for (int r = 0; r < window; ++r)
        for (size_t p = 0; p < cols; ++p)
            a[(size_t) r][p] = std::pow ((double) (r - half), (double) p);

    std::vector<std::vector<double>> ata (cols, std::vector<double> (cols, 0.0));
    for (size_t i = 0; i < cols; ++i)
        for (size_t j = 0; j < cols; ++j)
            for (int r = 0; r < window; ++r)
                ata[i][j] += a[(size_t) r][i] * a[(size_t) r][j];

    if (! invertInPlace (ata))
        return {};

    std::vector<double> coeffs ((size_t) window, 0.0);
    for (int r = 0; r < window; ++r)
        for (size_t p = 0; p < cols; ++p)
            coeffs[(size_t) r] += ata[0][p] * a[(size_t) r][p];
    return coeffs;
}

std::vector<double> savitzkyGolaySmooth (const std::vector<double>& v, int window)
{
    const auto n = (int) v.size();
    window = std::max (window, 3);
    if (window % 2 == 0)
        ++window;
    if (n < window)
        window = (n % 2 == 1) ? n : n - 1;
    if (window < 3 || n < 3)
        return v;

    const auto order = window > 3 ? 3 : std::max (window - 1, 1);
    const auto coeffs = savitzkyGolayCoefficients (window, order);
    if (coeffs.empty())
        return v;

    const int half = window / 2;
    std::vector<double> out ((size_t) n);
    for (int j = 0; j < n; ++j)
    {
        double sum = 0.0;
        if (j >= half && j < n - half)
        {
            const auto* centre = v.data() + j;
            for (int k = -half; k <= half; ++k)
                sum += coeffs[(size_t) (k + half)] * centre[k];
        }
        else
        {
            for (int k = -half; k <= half; ++k)
                sum += coeffs[(size_t) (k + half)] * v[(size_t) mirrorIndex (j + k, n)];
        }
        out[(size_t) j] = sum;
    }
    return out;
}

std::vector<double> halfStepShift (const std::vector<double>& v)
{
    const auto n = (int) v.size();
    std::vector<double> out (v);
    for (int k = 2; k <= n - 3; ++k)
    {
        const auto p0 = v[(size_t) k - 2], p1 = v[(size_t) k - 1], p2 = v[(size_t) k], p3 = v[(size_t) k + 1];
        out[(size_t) k] = 0.5 * (2.0 * p1 + 0.5 * (p2 - p0) + 0.25 * (2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3)
                                 + 0.125 * (-p0 + 3.0 * p1 - 3.0 * p2 + p3));
    }
    return out;
}

std::vector<double> smoothTransferFunction (const std::vector<double>& bins, int s)
{
    if (bins.empty())
        return {};

    const auto window = smoothingWindowFor (s);
    auto v = halfStepShift (window > 0 ? savitzkyGolaySmooth (bins, window) : bins);

    double peak = 0.0;
    for (auto value : v)
        peak = std::max (peak, std::abs (value));
    if (peak > 0.0)
        for (auto& value : v)
            value /= peak;
    return v;
}
