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
