#include "plugin/TransferFunctionTable.h"
#include "ui_core/PlotFeedBuilders.h"

#include <gtest/gtest.h>

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

    std::vector<double> constant ((size_t) count, 0.25);
    const auto flat = scopeSignals (constant.data(), constant.data(), count, s);
    ASSERT_EQ (flat.first.size(), 1024u) << "no crossing: the newest complete window";
    EXPECT_EQ (flat.first.back(), 0.25f);

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
