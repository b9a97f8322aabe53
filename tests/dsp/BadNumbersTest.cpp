#include "dsp/BandLimitedDelay.h"
#include "dsp/CaptureAlignment.h"
#include "dsp/DelayEstimator.h"
#include "dsp/FractionalShift.h"
#include "dsp/HarmonicAnalysis.h"
#include "dsp/MeanEstimator.h"
#include "dsp/OdrEstimator.h"
#include "dsp/RecordingEstimator.h"
#include "dsp/Smoothing.h"
#include "dsp/Stimulus.h"
#include "dsp/TransferFunctionEstimator.h"
#include "tests/support/TestSignals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
struct BadSignal
{
    const char* name;
    std::vector<double> v;
};

// Signals no recording should hold but a damaged file can: every sample not
// a number, infinite, a denormal peak (its reciprocal overflows), the
// largest doubles, and good material with bad samples scattered in it.
std::vector<BadSignal> badSignals()
{
    constexpr size_t n = 4096;
    const auto nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    auto mixed = test::makeSignal (test::Signal::whiteNoise, n, 1);
    for (size_t i = 0; i < n; i += 97)
        mixed[i] = i % 2 == 0 ? nan : -inf;
    auto denormal = test::makeSignal (test::Signal::whiteNoise, n, 2);
    for (auto& s : denormal)
        s *= 1.0e-310;
    return { { "NaN", std::vector<double> (n, nan) },
             { "infinite", std::vector<double> (n, inf) },
             { "denormal", denormal },
             { "huge", std::vector<double> (n, std::numeric_limits<double>::max()) },
             { "mixed", mixed },
             { "silent", std::vector<double> (n, 0.0) } };
}

bool allFinite (const std::vector<double>& v)
{
    return std::all_of (v.begin(), v.end(), [] (double s) { return std::isfinite (s); });
}
} // namespace

// Every public entry of the signal processing takes them without undefined
// behaviour (the instrumented build stops at any float-to-integer cast out of
// range) and publishes nothing that is not finite.
TEST (BadNumbers, reachNoIntegerCastAndPublishNothingNonFinite)
{
    const auto good = test::makeSignal (test::Signal::sine, 4096, 1);
    for (const auto& bad : badSignals())
        for (const auto& [x, y] : { std::pair { bad.v, good }, std::pair { good, bad.v }, std::pair { bad.v, bad.v } })
        {
            for (const auto algorithm : { CaptureAlgorithm::Mean, CaptureAlgorithm::ODR })
                if (const auto fit = estimateTransferFunction (x, y, 50, algorithm); fit.valid)
                    EXPECT_TRUE (allFinite (fit.smoothedBins)) << bad.name;
            if (const auto fit = estimateRecording (x, y, 50); fit.valid)
                EXPECT_TRUE (allFinite (fit.smoothedBins)) << bad.name;
            RecordingStatistics statistics;
            statistics.add (x.data(), y.data(), x.size(), 1.0 / 1.0e-310, 1.0);
            (void) recordingFitGrid (statistics);
            (void) meanFitGrid (normaliseToPeak (x), normaliseToPeak (y));
            (void) odrFitGrid (normaliseToPeak (x), normaliseToPeak (y));
            (void) estimateDelay (x, y, 1000);
            (void) alignCapture (x, y, 2048, 3.5, 1.25);
        }
    for (const auto& bad : badSignals())
    {
        (void) fractionalShift (bad.v, 0.5);
        (void) steadyToneFrequency (bad.v, 48000.0);
        (void) harmonicAmplitudes (bad.v, 997.0, 48000.0, 9);
        (void) smoothTransferFunction (std::vector<double> ((size_t) grid::size, bad.v[0]), 50);
        (void) findStimulus (bad.v, 48000.0);
        (void) finishTable (std::vector<double> ((size_t) grid::size, bad.v[1]));
        SpectralShift shift (bad.v);
        (void) shift.shifted (0.3);
    }
    (void) harmonicAmplitudes (good, std::numeric_limits<double>::quiet_NaN(), 48000.0, 9);
    (void) harmonicAmplitudes (good, 997.0, 0.0, 9);
    (void) steadyToneFrequency (good, std::numeric_limits<double>::infinity());
    (void) alignCapture (good, good, 2048, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity());
    (void) stimulusLayout (std::numeric_limits<double>::quiet_NaN());
}
