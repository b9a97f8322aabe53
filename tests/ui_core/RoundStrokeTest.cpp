#include "tests/support/ImageOutput.h"
#include "ui_core/LitBlockMap.h"
#include "ui_core/RoundStroke.h"

#include <gtest/gtest.h>

#include <cmath>

using ui_core::strokeRoundCapped;

namespace
{
juce::Image blank() { return juce::Image (juce::Image::ARGB, 200, 120, true, juce::SoftwareImageType()); }

juce::Image byToolkit (const juce::Path& path, float width, juce::Colour colour)
{
    auto image = blank();
    juce::Graphics g (image);
    g.setColour (colour);
    g.strokePath (path, juce::PathStrokeType (width, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    return image;
}

juce::Image byCapsules (const juce::Path& path, float width, juce::Colour colour)
{
    auto image = blank();
    strokeRoundCapped (image, path, {}, width, colour);
    return image;
}

double totalAlpha (const juce::Image& image)
{
    double sum = 0.0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            sum += image.getPixelAt (x, y).getAlpha();
    return sum;
}

juce::Path tanhSweep (int points, double cycles)
{
    juce::Path path;
    for (int i = 0; i < points; ++i)
    {
        const auto x = std::sin (2.0 * M_PI * cycles * i / points);
        const juce::Point<float> p ((float) (100 + 90 * x), (float) (60 - 50 * std::tanh (3.0 * x) / std::tanh (3.0)));
        if (i == 0)
            path.startNewSubPath (p);
        else
            path.lineTo (p);
    }
    return path;
}
} // namespace

TEST (RoundStroke, coversWhatTheToolkitsRoundStrokeCovers)
{
    juce::Path line, zigzag, dots;
    line.startNewSubPath (10.3f, 20.7f);
    line.lineTo (180.0f, 100.2f);
    zigzag.startNewSubPath (10, 100);
    for (int i = 1; i < 12; ++i)
        zigzag.lineTo (10.0f + 15.0f * (float) i, i % 2 == 0 ? 100.0f : 20.0f);
    for (int i = 0; i < 10; ++i)
    {
        dots.startNewSubPath (20.0f + 15.0f * (float) i, 60.0f);
        dots.lineTo (20.01f + 15.0f * (float) i, 60.0f);
    }

    struct Case
    {
        const char* name;
        const juce::Path* path;
        float width;
    };
    for (const auto& c : { Case { "line", &line, 1.0f }, Case { "line", &line, 2.75f }, Case { "zigzag", &zigzag, 2.0f },
                           Case { "zigzag", &zigzag, 1.0f }, Case { "dots", &dots, 3.0f }, Case { "line, wide", &line, 9.0f } })
    {
        const auto reference = byToolkit (*c.path, c.width, juce::Colours::orange);
        const auto ours = byCapsules (*c.path, c.width, juce::Colours::orange);
        EXPECT_NEAR (totalAlpha (ours) / totalAlpha (reference), 1.0, 0.06) << c.name << " " << c.width;
        int stray = 0;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 200; ++x)
                stray += std::abs ((int) ours.getPixelAt (x, y).getAlpha() - (int) reference.getPixelAt (x, y).getAlpha()) > 140 ? 1 : 0;
        EXPECT_EQ (stray, 0) << c.name << " " << c.width << ": only the anti-aliased edge may differ";
        EXPECT_EQ (ours.getPixelAt (100, 60).getRed(), reference.getPixelAt (100, 60).getRed()) << c.name;
    }
}

// Lines of one pixel or thinner take the thin-line path, wider ones capsules.
TEST (RoundStroke, aRetracedCurveLooksAsIfDrawnOnce)
{
    const auto once = tanhSweep (200, 1.0);
    auto many = once;
    for (int i = 0; i < 20; ++i)
        many.addPath (once);
    const auto colour = juce::Colours::red.withAlpha (0.7f);
    for (const auto width : { 1.0f, 0.5f, 2.0f })
        EXPECT_TRUE (test::samePixels (byCapsules (once, width, colour), byCapsules (many, width, colour))) << width;
}

TEST (RoundStroke, marksEveryPixelItWritesAndNothingElse)
{
  for (const auto width : { 1.0f, 2.0f })
  {
    SCOPED_TRACE (width);
    auto image = blank();
    ui_core::LitBlockMap marked;
    marked.prepare (200, 120);
    strokeRoundCapped (image, tanhSweep (300, 2.0), {}, width, juce::Colours::white, &marked);

    ui_core::LitBlockMap scanned;
    scanned.collect (image);
    const auto fromMarks = marked.spans (image.getBounds().toFloat());
    const auto fromPixels = scanned.spans (image.getBounds().toFloat());
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 200; ++x)
            if (image.getPixelAt (x, y).getAlpha() > 0)
                ASSERT_TRUE (fromMarks.containsPoint ({ x, y })) << x << "," << y;
    EXPECT_LT (fromMarks.getBounds().getWidth() * fromMarks.getBounds().getHeight(), 200 * 120 + 1);
    EXPECT_TRUE (fromPixels.getBounds().getIntersection (fromMarks.getBounds()) == fromPixels.getBounds());

    // Clearing the marked blocks leaves a clean image for the next frame.
    marked.clear (image);
    EXPECT_EQ (test::inkedPixels (image), 0);
  }
}

// A NaN from a host or a huge value from a damaged preset must neither stall
// the message thread nor change what the finite part of the trace looks like.
TEST (RoundStroke, farAndNonFinitePointsCostTheirVisiblePixelsOnly)
{
    using P = juce::Point<float>;
    const auto inf = std::numeric_limits<float>::infinity();
    const auto nan = std::numeric_limits<float>::quiet_NaN();
    const P a (10.0f, 100.0f), b (20.0f, 30.0f), c (150.0f, 90.0f), d (190.0f, 20.0f);
    const P far (1.0e7f, 5.0e6f);
    const auto beyondImage = b + (far - b) / far.getDistanceFrom (b) * 600.0f; // same line, just off the image

    struct Case
    {
        const char* name;
        std::vector<P> trace;
        std::vector<std::vector<P>> visibleParts;
    };
    const std::vector<Case> cases {
        { "NaN", { a, b, { nan, 50.0f }, c, d }, { { a, b }, { c, d } } },
        { "+Inf", { a, b, { inf, 40.0f }, c, d }, { { a, b }, { c, d } } },
        { "-Inf and NaN", { a, b, { -inf, -inf }, { nan, nan }, c, d }, { { a, b }, { c, d } } },
        { "1e300 (infinite as float)", { a, b, { (float) 1.0e300, 10.0f }, c, d }, { { a, b }, { c, d } } },
        { "1e7", { a, b, far }, { { a, b, beyondImage } } },
        { "1e7 on both ends", { { -1.0e7f, 60.0f }, { 1.0e7f, 60.0f } }, { { { -10.0f, 60.0f }, { 210.0f, 60.0f } } } },
    };
    auto pathOf = [] (const std::vector<std::vector<P>>& parts)
    {
        juce::Path path;
        for (const auto& part : parts)
            for (size_t i = 0; i < part.size(); ++i)
                i == 0 ? path.startNewSubPath (part[i]) : path.lineTo (part[i]);
        return path;
    };
    for (const auto width : { 1.0f, 3.0f })
        for (const auto& c : cases)
        {
            SCOPED_TRACE (testing::Message() << c.name << ", width " << width);
            auto drawn = blank(), expected = blank();
            const auto steps = strokeRoundCapped (drawn, pathOf ({ c.trace }), {}, width, juce::Colours::white);
            strokeRoundCapped (expected, pathOf (c.visibleParts), {}, width, juce::Colours::white);

            int worst = 0;
            for (int y = 0; y < drawn.getHeight(); ++y)
                for (int x = 0; x < drawn.getWidth(); ++x)
                    worst = std::max (worst, std::abs ((int) drawn.getPixelAt (x, y).getAlpha() - (int) expected.getPixelAt (x, y).getAlpha()));
            EXPECT_LE (worst, 1);
            EXPECT_GT (test::inkedPixels (drawn), 100);
            // Bounded work: a few passes over the image's pixels at most.
            EXPECT_LT (steps, 4 * drawn.getWidth() * drawn.getHeight());
        }
}
