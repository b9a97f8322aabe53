#include "engine/Measurement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

// The engine on the built-in devices: settings in, a fitted and judged result out.
namespace
{
MeasureOptions demo (const std::string& device, double delay = 0.0)
{
    MeasureOptions o;
    o.demo = DemoSettings {};
    o.demo->device = device;
    o.demo->delaySamples = delay;
    return o;
}

double largestError (const std::vector<double>& table, const std::function<double (double)>& ideal, double within)
{
    double largest = 0.0;
    for (int c = 0; c < grid::size; ++c)
        if (std::abs (grid::xAt (c)) <= within)
            largest = std::max (largest, std::abs (table[(size_t) c] - ideal (grid::xAt (c))));
    return largest;
}
} // namespace

TEST (Measure, demoDevicesAreFittedToTheirCurves)
{
    struct Case
    {
        std::string device;
        MeasureAlgorithm algorithm;
        double peak, tolerance, hysteresis;
    };
    // The published table peaks at 1, so each ideal curve is divided by its
    // own peak; the smoothing window rounds the hard clip's corners. The
    // hysteresis device's fit is the curve midway between its branches, which
    // are 0.2 apart in its own units. The plug-in's estimators on a freeze's
    // 64k pairs; the recording estimator is held to a tighter limit.
    using enum MeasureAlgorithm;
    for (const auto& c : { Case { "tanh", mean, 1.0, 0.02, 0.0 }, Case { "tanh", odr, 1.0, 0.02, 0.0 }, Case { "hardclip", mean, 1.0, 0.05, 0.0 },
                           Case { "asym", odr, 0.95, 0.02, 0.0 }, Case { "hysteresis", mean, 1.0, 0.02, 0.2 }, Case { "hysteresis", odr, 1.0, 0.02, 0.2 },
                           Case { "tanh", automatic, 1.0, 0.002, 0.0 }, Case { "hardclip", automatic, 1.0, 0.005, 0.0 },
                           Case { "asym", automatic, 0.95, 0.002, 0.0 }, Case { "hysteresis", automatic, 1.0, 0.02, 0.2 } })
    {
        auto options = demo (c.device);
        options.algorithm = c.algorithm;
        options.length = 65536;
        const auto outcome = measure (options);
        ASSERT_TRUE (outcome.ok) << outcome.error;
        const auto ideal = [&] (double x) { return demoDeviceCurve (c.device, x) / c.peak; };
        EXPECT_LT (largestError (outcome.fit.smoothedBins, ideal, 0.9), c.tolerance) << c.device;
        EXPECT_EQ (outcome.report.pairsUsed, 65536);
        EXPECT_GT (outcome.report.coverage, 0.9) << c.device;
        EXPECT_NEAR (outcome.report.hysteresisWidth, c.hysteresis, 0.02) << c.device;
        EXPECT_LT (outcome.report.repeatability, 0.01) << c.device;
    }
}

TEST (Measure, latenciesUndoADelayedDevice)
{
    const auto reference = measure (demo ("tanh"));
    for (const auto delay : { 7.0, 3.5 })
    {
        auto options = demo ("tanh", delay);
        const auto misaligned = measure (options);
        ASSERT_TRUE (misaligned.ok);
        EXPECT_GT (misaligned.report.hysteresisWidth, 0.1) << "a delay opens the curve into a loop";
        options.latencyX = delay;
        const auto aligned = measure (options);
        ASSERT_TRUE (aligned.ok);
        double largest = 0.0;
        for (int c = 0; c < grid::size; ++c)
            largest = std::max (largest, std::abs (aligned.fit.smoothedBins[(size_t) c] - reference.fit.smoothedBins[(size_t) c]));
        EXPECT_LT (largest, 2e-3) << "delay " << delay;
        EXPECT_EQ (aligned.report.latencyX, delay);
    }
}

TEST (Measure, autoLatencyRecoversTheDelayWhateverTheCurve)
{
    const auto reference = measure (demo ("tanh"));
    struct Case
    {
        const char* device;
        double delay;
    };
    for (const auto& c : { Case { "tanh", 7.0 }, Case { "tanh", 3.5 }, Case { "asym", 12.25 }, Case { "hardclip", 0.0 } })
    {
        auto options = demo (c.device, c.delay);
        options.autoLatency = true;
        const auto outcome = measure (options);
        ASSERT_TRUE (outcome.ok) << outcome.error;
        ASSERT_TRUE (outcome.estimatedDelay.has_value());
        EXPECT_NEAR (outcome.estimatedDelay->samples, c.delay, 0.05) << c.device << " " << c.delay;
        EXPECT_NEAR (outcome.report.latencyX, c.delay, 0.05);
        if (std::string (c.device) == "tanh")
        {
            double largest = 0.0;
            for (int i = 0; i < grid::size; ++i)
                largest = std::max (largest, std::abs (outcome.fit.smoothedBins[(size_t) i] - reference.fit.smoothedBins[(size_t) i]));
            EXPECT_LT (largest, 3e-3) << "the fit matches the fit without delay";
        }
    }
}

// What a take through an interface adds to the verdict: each condition
// alone on an otherwise clean capture of a known curve.
TEST (Measure, aTakesDropoutsAndClippingMakeItDoubtful)
{
    auto take = std::make_shared<RenderedDevice>();
    for (int i = 0; i < 96000; ++i)
    {
        const auto x = 0.9 * std::sin (2.0 * juce::MathConstants<double>::pi * 997.0 * i / 48000.0 + 0.3 * std::sin (i * 0.001));
        take->x.push_back (x);
        take->y.push_back (std::tanh (2.0 * x));
    }
    take->name = "JACK";
    take->format = "JACK";
    struct Case
    {
        const char* what;
        std::function<void (CaptureConditions&)> change;
        Verdict verdict;
        const char* reason;
    };
    const std::vector<Case> cases {
        { "a clean take", [] (CaptureConditions&) {}, Verdict::good, "" },
        { "dropouts", [] (CaptureConditions& c) { c.dropouts = 3; c.firstDropoutSeconds = 1.25; }, Verdict::doubtful,
          "3 dropouts during the capture (xruns or gaps in the device's clock), the first 1.25 s into the signal" },
        { "a dropout before the signal", [] (CaptureConditions& c) { c.dropouts = 1; c.firstDropoutSeconds = -0.5; }, Verdict::doubtful,
          "1 dropout during the capture (xruns or gaps in the device's clock), the first before the signal began" },
        { "a return at full scale", [] (CaptureConditions& c) { c.returnPeakDbfs = -0.04; }, Verdict::doubtful,
          "the return clips at -0.0 dBFS: lower the level or the return gain" },
        { "a reference at full scale", [] (CaptureConditions& c) { c.referencePeakDbfs = 0.0; }, Verdict::doubtful,
          "the reference clips at 0.0 dBFS: lower the level or the reference input's gain" },
        { "a return just below full scale", [] (CaptureConditions& c) { c.returnPeakDbfs = -0.2; }, Verdict::good, "" },
    };
    for (const auto& c : cases)
    {
        CaptureConditions conditions;
        conditions.route = "JACK (default server), 48000 Hz, period 256";
        conditions.returnPeakDbfs = -1.0;
        c.change (conditions);
        take->capture = conditions;
        MeasureOptions o;
        o.rendered = take;
        o.autoLatency = true;
        const auto outcome = measure (o);
        ASSERT_TRUE (outcome.ok) << c.what << ": " << outcome.error;
        EXPECT_EQ (outcome.judgement.verdict, c.verdict) << c.what << ": " << outcome.judgement.reasons.joinIntoString ("; ");
        if (*c.reason != '\0')
            EXPECT_TRUE (outcome.judgement.reasons.joinIntoString ("\n").contains (c.reason)) << c.what << ": " << outcome.judgement.reasons.joinIntoString ("; ");
    }
}
