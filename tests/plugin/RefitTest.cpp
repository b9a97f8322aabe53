#include "dsp/CaptureAlignment.h"
#include "dsp/Smoothing.h"
#include "dsp/TransferFunctionEstimator.h"
#include "plugin/PluginAudioProcessor.h"
#include "plugin/PluginParameters.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/ProcessorHarness.h"
#include "tests/support/TanhDevice.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
constexpr int blockSize = 512;

struct Publications
{
    int count = 0;
};

std::unique_ptr<PluginAudioProcessor> preparedProcessor (Publications& publications, bool withSidechain = true)
{
    auto p = std::make_unique<PluginAudioProcessor>();
    test::prepareProcessor (*p, withSidechain ? test::Sidechain::present : test::Sidechain::absent, blockSize);
    test::setParameter (*p, ParameterIds::captureLength, 0.0f); // 16k keeps the tests quick
    p->onTransferFunctionChanged = [&publications] { ++publications.count; };
    return p;
}

bool settles (PluginAudioProcessor& p)
{
    return test::runMessageLoopUntil ([&] { return ! p.isRefitInProgress(); });
}

std::vector<double> tableOf (const PluginAudioProcessor& p)
{
    std::vector<double> v (16384);
    for (int i = 0; i < 16384; ++i)
        v[(size_t) i] = p.transferFunction.load (i);
    return v;
}
} // namespace

TEST (Refit, freezePublishesTheSmoothedFitAndNotifiesAfterTheWrite)
{
    Publications publications;
    auto p = preparedProcessor (publications);
    test::playThroughTanh (*p, 20000);
    ASSERT_TRUE (p->hasFullCapture());

    std::vector<double> seenByCallback;
    p->onTransferFunctionChanged = [&] { ++publications.count; seenByCallback = tableOf (*p); };
    p->snapshotCaptureAndRefit();
    EXPECT_TRUE (p->isRefitInProgress());
    ASSERT_TRUE (settles (*p));
    test::runMessageLoopUntil ([&] { return publications.count > 0; });

    ASSERT_EQ (publications.count, 1);
    ASSERT_TRUE (p->hasFit);
    ASSERT_EQ (p->rawBins.size(), 16384u);

    const auto aligned = alignCapture (p->captureX, p->captureY, 16384, 0.0, 0.0);
    const auto expected = estimateTransferFunction (aligned.x, aligned.y, 50, CaptureAlgorithm::Mean);
    EXPECT_EQ (tableOf (*p), expected.smoothedBins);
    EXPECT_EQ (seenByCallback, expected.smoothedBins);
    EXPECT_EQ (p->rawBins, expected.bins);
}

TEST (Refit, hasFullCaptureFollowsTheSelectedLength)
{
    Publications publications;
    auto p = preparedProcessor (publications);
    test::playThroughTanh (*p, 16384);
    EXPECT_TRUE (p->hasFullCapture());
    test::setParameter (*p, ParameterIds::captureLength, 3.0f);
    EXPECT_FALSE (p->hasFullCapture());
}

TEST (Refit, requestsBeforeAnySnapshotDoNothing)
{
    Publications publications;
    auto p = preparedProcessor (publications);
    p->refitTransferFunction();
    EXPECT_FALSE (p->isRefitInProgress());
    test::runMessageLoopFor (50);
    EXPECT_EQ (publications.count, 0);
}

TEST (Refit, twoRequestsDuringARefitStartExactlyOneMore)
{
    Publications publications;
    auto p = preparedProcessor (publications);
    test::playThroughTanh (*p, 20000);

    p->snapshotCaptureAndRefit();
    // The completion needs the message loop, so the first refit is still running.
    test::setParameter (*p, ParameterIds::captureAlgorithm, 0.0f);
    p->refitTransferFunction();
    p->refitTransferFunction();

    ASSERT_TRUE (test::runMessageLoopUntil ([&] { return publications.count >= 2 && ! p->isRefitInProgress(); }));
    test::runMessageLoopFor (300);
    EXPECT_EQ (publications.count, 2);
    EXPECT_FALSE (p->isRefitInProgress());

    const auto aligned = alignCapture (p->captureX, p->captureY, 16384, 0.0, 0.0);
    EXPECT_EQ (tableOf (*p), estimateTransferFunction (aligned.x, aligned.y, 50, CaptureAlgorithm::ODR).smoothedBins);
}

TEST (Refit, invalidEstimateKeepsThePreviousTable)
{
    Publications publications;
    auto p = preparedProcessor (publications, false); // no sidechain: X is all zero
    test::playThroughTanh (*p, 20000, false);
    const auto before = tableOf (*p);

    p->snapshotCaptureAndRefit();
    ASSERT_TRUE (settles (*p));
    test::runMessageLoopFor (100);

    EXPECT_EQ (publications.count, 0);
    EXPECT_FALSE (p->hasFit);
    EXPECT_EQ (tableOf (*p), before);
}

TEST (Refit, destroyingTheProcessorDuringARefitWaitsAndRunsNoCompletion)
{
    Publications publications;
    auto p = preparedProcessor (publications);
    test::setParameter (*p, ParameterIds::captureAlgorithm, 0.0f); // ODR: long enough to be mid-flight
    test::playThroughTanh (*p, 20000);
    p->snapshotCaptureAndRefit();
    ASSERT_TRUE (p->isRefitInProgress());

    p.reset();
    test::runMessageLoopFor (300);
    EXPECT_EQ (publications.count, 0);
}

TEST (Refit, resmoothingDuringARefitIsReplacedByTheRefitsTable)
{
    Publications publications;
    auto p = preparedProcessor (publications);
    test::playThroughTanh (*p, 20000);
    p->snapshotCaptureAndRefit();
    ASSERT_TRUE (settles (*p));
    const auto firstBins = p->rawBins;

    test::setParameter (*p, ParameterIds::captureAlgorithm, 0.0f);
    p->refitTransferFunction();
    ASSERT_TRUE (p->isRefitInProgress());
    p->writeSmoothedBinsToTransferFunction (smoothTransferFunction (p->rawBins, 7));
    EXPECT_EQ (tableOf (*p), smoothTransferFunction (firstBins, 7));

    ASSERT_TRUE (settles (*p));
    const auto aligned = alignCapture (p->captureX, p->captureY, 16384, 0.0, 0.0);
    const auto expected = estimateTransferFunction (aligned.x, aligned.y, 50, CaptureAlgorithm::ODR);
    EXPECT_EQ (tableOf (*p), expected.smoothedBins);
    EXPECT_EQ (p->rawBins, expected.bins);
}

TEST (Refit, latenciesAlignTheSnapshot)
{
    Publications publications;
    auto p = preparedProcessor (publications);
    test::playThroughTanh (*p, 20000);
    test::setParameter (*p, ParameterIds::latencyX, 10.0f);
    p->snapshotCaptureAndRefit();
    ASSERT_TRUE (settles (*p));

    const auto aligned = alignCapture (p->captureX, p->captureY, 16384, 10.0, 0.0);
    ASSERT_EQ (aligned.x.size(), 16384u - 10u);
    EXPECT_EQ (p->rawBins, estimateTransferFunction (aligned.x, aligned.y, 50, CaptureAlgorithm::Mean).bins);
}
