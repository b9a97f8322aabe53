#include "plugin/TransferFunctionTable.h"
#include "ui_core/PlotFeedBuilders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace ui_core;

namespace
{
struct Ring
{
    std::vector<double> x, y;
};

// x[i] = i * 1e-6, y[i] = -x[i]: every position is recognisable.
Ring ramp (int count)
{
    Ring r { std::vector<double> ((size_t) count), std::vector<double> ((size_t) count) };
    for (int i = 0; i < count; ++i)
    {
        r.x[(size_t) i] = i * 1e-6;
        r.y[(size_t) i] = -i * 1e-6;
    }
    return r;
}
} // namespace

TEST (PlotFeed, livePointsAlignmentAndGain)
{
    const int count = 131072;
    const auto r = ramp (count);

    FeedSettings plain;
    auto points = livePoints (r.x.data(), r.y.data(), count, plain);
    ASSERT_EQ (points.size(), 2048u);
    for (int i = 0; i < 2048; ++i)
    {
        ASSERT_EQ (points[(size_t) i].first, r.x[(size_t) (count - 2048 + i)]);
        ASSERT_EQ (points[(size_t) i].second, r.y[(size_t) (count - 2048 + i)]);
    }

    FeedSettings delayedX;
    delayedX.latencyX = 10.0;
    points = livePoints (r.x.data(), r.y.data(), count, delayedX);
    EXPECT_EQ (points.back().second, r.y.back()) << "Y is the newest";
    EXPECT_EQ (points.back().first, r.x[(size_t) count - 11]) << "X is taken 10 samples earlier";

    FeedSettings halfSample;
    halfSample.latencyX = 0.5;
    points = livePoints (r.x.data(), r.y.data(), count, halfSample);
    EXPECT_NEAR (points.back().first, 0.5 * (r.x[(size_t) count - 2] + r.x[(size_t) count - 1]), 1e-15);
    EXPECT_EQ (points.back().second, r.y[(size_t) count - 1]);

    std::vector<double> x (4096, 0.6), y (4096, 0.3);
    FeedSettings gained;
    gained.scaleXdB = 6.0;
    gained.scaleYdB = -6.0;
    points = livePoints (x.data(), y.data(), 4096, gained);
    EXPECT_EQ (points[0].first, 1.0) << "0.6 x 1.995 clamps to 1";
    EXPECT_NEAR (points[0].second, 0.3 * std::pow (10.0, -0.3), 1e-12);
}

TEST (PlotFeed, scopeTriggerAndWindow)
{
    const int count = 131072;
    std::vector<double> x ((size_t) count), y ((size_t) count);
    for (int i = 0; i < count; ++i)
    {
        x[(size_t) i] = std::sin (2.0 * M_PI * i / 480.0 + 1.0);
        y[(size_t) i] = 0.5 * x[(size_t) i];
    }

    FeedSettings s;
    s.timeWindowSamples = 1024;
    const auto [sx, sy] = scopeSignals (x.data(), y.data(), count, s);
    ASSERT_EQ (sx.size(), 1024u);
    EXPECT_GT (sx[0], 0.0f);
    EXPECT_LT (sx[0], 0.02f) << "starts just after a rising zero crossing";
    EXPECT_EQ (sy[10], (float) (0.5 * sx[10]));

    // A rising ramp that never crosses zero: each position is recognisable.
    std::vector<double> rising ((size_t) count);
    for (int i = 0; i < count; ++i)
        rising[(size_t) i] = 0.1 + i * 1e-6;
    const auto flat = scopeSignals (rising.data(), rising.data(), count, s);
    ASSERT_EQ (flat.first.size(), 1024u) << "no crossing: the newest complete window";
    EXPECT_EQ (flat.first.front(), (float) rising[(size_t) count - 1024]);
    EXPECT_EQ (flat.first.back(), (float) rising[(size_t) count - 1]);

    std::vector<double> constant ((size_t) count, 0.25);

    const auto tiny = scopeSignals (constant.data(), constant.data(), 1, s);
    EXPECT_EQ (tiny.first.size(), 2u) << "a tiny ring still yields a drawable pair";
}

TEST (PlotFeed, identityTableIsTheDiagonal)
{
    TransferFunctionTable table;
    const auto points = tablePoints (table);
    ASSERT_EQ (points.size(), 16384u);
    EXPECT_EQ (points.front(), (std::pair<double, double> { -1.0, -1.0 }));
    EXPECT_EQ (points.back(), (std::pair<double, double> { 1.0, 1.0 }));
    for (size_t i = 0; i < points.size(); i += 1000)
        EXPECT_DOUBLE_EQ (points[i].first, points[i].second);
}

// One NaN or infinity from a host must not reach the plot: the pair is dropped
// and everything else stays as it was.
TEST (PlotFeed, nonFiniteSamplesAreDropped)
{
    const int count = 8192;
    auto r = ramp (count);
    for (auto& v : r.x)
        v += 1.0e-3; // no zero crossing: the scope shows the newest window
    const std::vector<std::pair<int, double>> bad { { count - 10, std::nan ("") },
                                                    { count - 100, std::numeric_limits<double>::infinity() },
                                                    { count - 1001, -std::numeric_limits<double>::infinity() } };
    r.x[(size_t) count - 10] = bad[0].second;
    r.y[(size_t) count - 100] = bad[1].second;
    r.x[(size_t) count - 1001] = bad[2].second;
    auto isBad = [&] (int index) { return std::any_of (bad.begin(), bad.end(), [index] (auto b) { return b.first == index; }); };

    const auto points = livePoints (r.x.data(), r.y.data(), count, {});
    std::vector<std::pair<double, double>> expected;
    for (int k = count - 2048; k < count; ++k)
        if (! isBad (k))
            expected.emplace_back (r.x[(size_t) k], r.y[(size_t) k]);
    EXPECT_EQ (points, expected);

    FeedSettings s;
    s.timeWindowSamples = 2048;
    const auto [sx, sy] = scopeSignals (r.x.data(), r.y.data(), count, s);
    ASSERT_EQ (sx.size(), sy.size());
    EXPECT_EQ (sx.size(), 2048u - bad.size());
    for (size_t i = 0; i < sx.size(); ++i)
        ASSERT_TRUE (std::isfinite (sx[i]) && std::isfinite (sy[i])) << i;
    EXPECT_EQ (sx.back(), (float) r.x.back());
}
