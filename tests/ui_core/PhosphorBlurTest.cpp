#include "tests/support/ImageOutput.h"
#include "ui_core/GlowLayer.h"
#include "ui_core/PhosphorBlur.h"

#include <gtest/gtest.h>

#include <random>

using namespace ui_core;
using test::rawPixel;
using test::samePixels;

namespace
{
juce::Image blank (int w, int h) { return juce::Image (juce::Image::ARGB, w, h, true, juce::SoftwareImageType()); }

int largestChannelDifference (const juce::Image& a, const juce::Image& b)
{
    int largest = 0;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            for (int shift = 0; shift < 32; shift += 8)
                largest = std::max (largest, std::abs ((int) ((rawPixel (a, x, y) >> shift) & 0xff) - (int) ((rawPixel (b, x, y) >> shift) & 0xff)));
    return largest;
}

juce::Image randomPremultiplied (int w, int h, unsigned seed)
{
    auto image = blank (w, h);
    std::mt19937 rng (seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixelAt (x, y, juce::Colour ((juce::uint8) rng(), (juce::uint8) rng(), (juce::uint8) rng(), (juce::uint8) rng()));
    return image;
}
} // namespace

TEST (PhosphorBlur, singlePixelWithRadiusOne)
{
    auto image = blank (9, 9);
    image.setPixelAt (4, 4, juce::Colours::white);
    makeStackBlur (1)->apply (image);

    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x)
        {
            const auto dx = std::abs (x - 4), dy = std::abs (y - 4);
            const int expected = dx == 0 && dy == 0 ? 63 : (dx + dy == 1 ? 31 : (dx == 1 && dy == 1 ? 15 : 0));
            ASSERT_EQ ((int) (rawPixel (image, x, y) >> 24), expected) << x << "," << y;
            ASSERT_EQ ((int) (rawPixel (image, x, y) & 0xff), expected) << x << "," << y;
        }
}

TEST (PhosphorBlur, uniformImagesAndRadiusClamping)
{
    auto uniform = blank (37, 23);
    uniform.clear (uniform.getBounds(), juce::Colour (0x80402010));
    const auto before = uniform.createCopy();
    makeStackBlur (7)->apply (uniform);
    EXPECT_TRUE (samePixels (uniform, before));

    const auto source = randomPremultiplied (20, 20, 3);
    struct Case
    {
        int radius, sameAs;
    };
    for (const auto& c : { Case { 0, 1 }, Case { -5, 1 }, Case { 40, 31 } })
    {
        auto a = source.createCopy(), b = source.createCopy();
        makeStackBlur (c.radius)->apply (a);
        makeStackBlur (c.sameAs)->apply (b);
        EXPECT_TRUE (samePixels (a, b)) << "radius " << c.radius;
    }
}

TEST (PhosphorBlur, fourLinePathEqualsTheDirectPath)
{
    unsigned seed = 1;
    for (int w : { 1, 3, 4, 5, 8, 17, 64, 131 })
        for (int h : { 1, 2, 4, 7, 9, 33 })
            for (int r : { 1, 2, 5, 31 })
            {
                const auto source = randomPremultiplied (w, h, seed++);
                auto fast = source.createCopy(), direct = source.createCopy();
                makeStackBlur (r)->apply (fast);
                stackBlurDirect (direct, r);
                ASSERT_TRUE (samePixels (fast, direct)) << w << "x" << h << " r" << r;
            }

    // Mostly transparent images, like a halo: the fast path blurs only the
    // spans that can change, which must not show.
    for (int w : { 4, 9, 40, 130 })
        for (int h : { 4, 11, 37 })
            for (int r : { 1, 2, 7 })
            {
                auto sparse = blank (w, h);
                std::mt19937 rng ((unsigned) (w * 1000 + h * 10 + r));
                for (int k = 0; k < (w * h) / 50 + 1; ++k)
                    sparse.setPixelAt ((int) (rng() % (unsigned) w), (int) (rng() % (unsigned) h), juce::Colour ((juce::uint32) rng()));
                auto fast = sparse.createCopy(), direct = sparse.createCopy();
                makeStackBlur (r)->apply (fast);
                stackBlurDirect (direct, r);
                ASSERT_TRUE (samePixels (fast, direct)) << "sparse " << w << "x" << h << " r" << r;
            }

    // The largest sums: all channels at 255 everywhere but one pixel.
    auto bright = blank (16, 16);
    bright.clear (bright.getBounds(), juce::Colours::white);
    bright.setPixelAt (3, 3, juce::Colours::transparentBlack);
    auto direct = bright.createCopy();
    makeStackBlur (31)->apply (bright);
    stackBlurDirect (direct, 31);
    EXPECT_TRUE (samePixels (bright, direct));
}

TEST (GlowLayer, imageGeometryFramesAndNoAccumulation)
{
    GlowLayer layer;
    layer.configure (juce::Colours::red, 2.0f, 0.716f, 24.0f, 1.0f, 1.0f);
    EXPECT_EQ (layer.framesRemaining, 30);

    juce::Path path;
    path.startNewSubPath (20, 20);
    path.lineTo (300, 200);
    const juce::Rectangle<float> area (14, 6, 588, 288);

    auto canvas = blank (700, 400);
    {
        juce::Graphics g (canvas);
        layer.render (g, path, area);
    }
    EXPECT_EQ (layer.getImage().getWidth(), 344);
    EXPECT_EQ (layer.getImage().getHeight(), 194);
    EXPECT_EQ (layer.getDestArea(), juce::Rectangle<float> (-36, -44, 688, 388));
    EXPECT_EQ (layer.framesRemaining, 29);
    EXPECT_EQ (layer.getBlurLevel(), 2);
    const auto first = layer.getImage().createCopy();

    {
        juce::Graphics g (canvas);
        layer.render (g, path, area);
    }
    EXPECT_TRUE (samePixels (first, layer.getImage())) << "nothing accumulates between renders";

    // Compositing only the lit spans gives what compositing it all gives (the
    // toolkit's resampler steps from each span's start, so a channel may round
    // one step apart): a line, a curve that retraces itself, scattered dots and a path
    // running off the image's edges.
    juce::Path curve, dots, beyond;
    for (int i = 0; i < 2048; ++i)
    {
        const auto x = std::sin (2.0 * M_PI * 4.0 * i / 2048.0);
        const juce::Point<float> p ((float) (308 + 294 * x), (float) (150 - 144 * std::tanh (3.0 * x) / std::tanh (3.0)));
        if (i == 0)
            curve.startNewSubPath (p);
        else
            curve.lineTo (p);
        if (i % 37 == 0)
        {
            dots.startNewSubPath (p);
            dots.lineTo (p.x + 0.01f, p.y);
        }
    }
    beyond.startNewSubPath (-80, 310);
    beyond.lineTo (780, -40);

    const std::vector<const juce::Path*> shapes { &path, &curve, &dots, &beyond };
    for (size_t i = 0; i < shapes.size(); ++i)
    {
        const auto* shape = shapes[i];
        auto clipped = blank (700, 400), whole = blank (700, 400);
        clipped.clear (clipped.getBounds(), juce::Colours::darkgrey);
        whole.clear (whole.getBounds(), juce::Colours::darkgrey);
        {
            juce::Graphics g (clipped);
            layer.render (g, *shape, area);
        }
        {
            juce::Graphics g (whole);
            g.setImageResamplingQuality (juce::Graphics::highResamplingQuality);
            const auto dest = layer.getDestArea();
            g.drawImageTransformed (layer.getImage(), juce::AffineTransform::scale (dest.getWidth() / 344.0f, dest.getHeight() / 194.0f)
                                                          .translated (dest.getX(), dest.getY()));
        }
        EXPECT_LE (largestChannelDifference (clipped, whole), 1) << "shape " << i;
    }

    layer.configure (juce::Colours::red, 3.0f, 0.716f, 24.0f, 1.0f, 1.0f);
    EXPECT_EQ (layer.framesRemaining, 30);
    {
        juce::Graphics g (canvas);
        layer.render (g, path, area);
    }
    EXPECT_EQ (layer.getBlurLevel(), 3);
    EXPECT_EQ (layer.framesRemaining, 29);

    layer.configure (juce::Colours::blue, 3.0f, 0.2f, 24.0f, 1.0f, 0.5f);
    EXPECT_EQ (layer.framesRemaining, 29) << "colour, intensity and alpha alone keep the counter";

    layer.reset();
    EXPECT_FALSE (layer.getImage().isValid());
    EXPECT_EQ (layer.framesRemaining, 0);
}
