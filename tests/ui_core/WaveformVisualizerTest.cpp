#include "ui_core/GlowSpillOverlay.h"
#include "ui_core/ThemeColours.h"
#include "ui_core/WaveformVisualizer.h"
#include "tests/support/ImageOutput.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace ui_core;

namespace
{
std::vector<std::pair<double, double>> tanhCurve (int n)
{
    std::vector<std::pair<double, double>> p;
    for (int i = 0; i < n; ++i)
    {
        const auto x = std::sin (2.0 * M_PI * i / 512.0);
        p.emplace_back (x, std::tanh (3.0 * x) / std::tanh (3.0));
    }
    return p;
}

int countSubPaths (const juce::Path& path, int& points)
{
    int subPaths = 0;
    points = 0;
    for (juce::Path::Iterator it (path); it.next();)
    {
        if (it.elementType == juce::Path::Iterator::startNewSubPath)
            ++subPaths;
        if (it.elementType == juce::Path::Iterator::startNewSubPath || it.elementType == juce::Path::Iterator::lineTo)
            ++points;
    }
    return subPaths;
}

struct Plot : ::testing::Test
{
    void SetUp() override
    {
        setTheme (0.011f, 0.086f, 1.0f, 1.0f, true, 0.716f);
        visualizer.setStyle (defaultVisualizerStyle());
        visualizer.setBounds (0, 0, 616, 300);
    }

    WaveformVisualizer visualizer;
};
} // namespace

TEST_F (Plot, layoutAndPointMapping)
{
    EXPECT_EQ (visualizer.getContentArea(), juce::Rectangle<float> (8, 0, 600, 300));
    EXPECT_EQ (visualizer.getPlotArea(), juce::Rectangle<float> (14, 6, 588, 288));
    EXPECT_EQ (visualizer.toScreen (0, 0), juce::Point<float> (308, 150));
    EXPECT_EQ (visualizer.toScreen (1, 1), juce::Point<float> (602, 6));
    EXPECT_EQ (visualizer.toScreen (-1, -1), juce::Point<float> (14, 294));

    visualizer.setBounds (0, 0, 16, 4);
    EXPECT_TRUE (visualizer.getPlotArea().isEmpty()) << "a zero-sized panel gives an empty plot area";
}

TEST_F (Plot, gridLinesAndAlphasPerStrength)
{
    auto style = visualizer.getStyle();
    style.backgroundColour = juce::Colours::black;
    style.gridMinorColour = style.gridMajorColour = style.gridCentreColour = juce::Colours::white;
    style.innerShadowEnabled = style.cornerMaskEnabled = false;
    style.glowEnabled = false;
    visualizer.setStyle (style);

    struct Line
    {
        int x;
        float level;
    };
    const Line lines[] = { { 72, 0.1f }, { 131, 0.05f }, { 190, 0.1f }, { 249, 0.05f }, { 308, 0.15f },
                           { 366, 0.05f }, { 425, 0.1f }, { 484, 0.05f }, { 543, 0.1f } };

    for (const auto& [name, strength] : { std::pair { "faint", 1.0f }, std::pair { "medium", 3.0f }, std::pair { "strong", 6.0f } })
    {
        visualizer.setGridStrength (strength);
        const auto image = test::render (visualizer);
        test::savePng (image, juce::String ("plot-grid-") + name);
        for (const auto& line : lines)
        {
            const auto expected = (int) std::lround (juce::jmin (line.level * strength, 1.0f) * 255.0f);
            EXPECT_NEAR (test::pixel (image, line.x, 100).getRed(), expected, 1) << name << " x " << line.x;
            EXPECT_EQ (test::pixel (image, line.x + 1, 100).getRed(), 0) << name << " beside x " << line.x;
        }
        EXPECT_NEAR (test::pixel (image, 100, 150).getRed(), (int) std::lround (juce::jmin (0.15f * strength, 1.0f) * 255.0f), 1)
            << "horizontal centre line at y 150";
        EXPECT_EQ (test::pixel (image, 100, 3).getRed(), 0) << "no line on the panel edge";
    }
}

TEST_F (Plot, segmentsScatterAndTooFewPoints)
{
    auto image = juce::Image (juce::Image::ARGB, 616, 300, true);
    int points = 0;

    visualizer.setPoints ({ { 0.0, 0.0 } });
    { juce::Graphics g (image); visualizer.paint (g); }
    EXPECT_TRUE (visualizer.getPrimaryTrace().isEmpty()) << "a single point draws nothing";

    visualizer.setPoints ({ { -0.5, -0.5 }, { 0.5, 0.5 } });
    { juce::Graphics g (image); visualizer.paint (g); }
    EXPECT_EQ (countSubPaths (visualizer.getPrimaryTrace(), points), 1);
    EXPECT_EQ (points, 2);

    visualizer.setScatterMode (true);
    { juce::Graphics g (image); visualizer.paint (g); }
    EXPECT_EQ (countSubPaths (visualizer.getPrimaryTrace(), points), 2) << "two dots";
}

TEST_F (Plot, scopeDecimation)
{
    auto image = juce::Image (juce::Image::ARGB, 616, 300, true);
    struct Case
    {
        int samples, expectedPoints;
    };
    for (const auto& c : { Case { 2048, 2048 }, Case { 8192, 2731 + 1 } })
    {
        std::vector<float> x ((size_t) c.samples), y ((size_t) c.samples);
        for (int i = 0; i < c.samples; ++i)
        {
            x[(size_t) i] = std::sin ((float) i * 0.01f);
            y[(size_t) i] = 0.5f * x[(size_t) i];
        }
        visualizer.setScopeSignals (x, y);
        { juce::Graphics g (image); visualizer.paint (g); }
        int points = 0;
        countSubPaths (visualizer.getPrimaryTrace(), points);
        EXPECT_EQ (points, c.expectedPoints) << c.samples;
        countSubPaths (visualizer.getSecondaryTrace(), points);
        EXPECT_EQ (points, c.expectedPoints) << c.samples;
    }

    visualizer.setScopeSignals ({ 0.1f, 0.2f }, { 0.1f });
    { juce::Graphics g (image); visualizer.paint (g); }
    EXPECT_TRUE (visualizer.getPrimaryTrace().isEmpty()) << "mismatched signals draw nothing";
}

TEST_F (Plot, equalStyleDoesNothingAndGlowFramesRunOut)
{
    int changes = 0;
    visualizer.onContentChanged = [&] { ++changes; };
    double now = 1000.0;
    visualizer.millisecondClock = [&now] { return now; };
    visualizer.displayRefreshed(); // settles any pending request
    now += 20.0;
    visualizer.displayRefreshed();
    ASSERT_FALSE (visualizer.isRepaintRequested());

    visualizer.setStyle (visualizer.getStyle());
    EXPECT_EQ (changes, 0);
    EXPECT_FALSE (visualizer.isRepaintRequested());

    visualizer.setPoints (tanhCurve (2048));
    EXPECT_EQ (changes, 1);
    EXPECT_EQ (visualizer.glowFramesRemaining(), 30);
    EXPECT_TRUE (visualizer.isRepaintRequested());

    auto image = juce::Image (juce::Image::ARGB, 616, 300, true);
    int paints = 0;
    while (visualizer.glowFramesRemaining() > 0 && paints < 100)
    {
        juce::Graphics g (image);
        visualizer.paint (g);
        ++paints;
    }
    EXPECT_EQ (paints, 30) << "each glow render uses one frame";

    // With the frames used up, painting asks for nothing more: the plot idles.
    now += 17.0;
    visualizer.displayRefreshed();
    ASSERT_FALSE (visualizer.isRepaintRequested());
    {
        juce::Graphics g (image);
        visualizer.paint (g);
    }
    EXPECT_FALSE (visualizer.isRepaintRequested());

    // Repaints are at least 16 ms apart.
    int dispatched = 0;
    visualizer.onRepaintDispatched = [&] { ++dispatched; };
    visualizer.requestPaint();
    now += 17.0;
    visualizer.displayRefreshed();
    visualizer.requestPaint();
    now += 15.0;
    visualizer.displayRefreshed();
    EXPECT_EQ (dispatched, 1);
    EXPECT_TRUE (visualizer.isRepaintRequested()) << "the second request waits for a later refresh";

    // A frame slower than the display holds the next one back as long again:
    // the clock moves 40 ms while this one is drawn.
    double tick = 0.0;
    visualizer.millisecondClock = [&] { return now += tick; };
    now += 20.0;
    visualizer.displayRefreshed();
    const auto dispatchedAt = now;
    tick = 40.0;
    {
        juce::Graphics g (image);
        visualizer.paint (g);
    }
    tick = 0.0;
    visualizer.requestPaint();
    for (const auto [after, expected] : { std::pair { 50.0, 2 }, { 79.0, 2 }, { 81.0, 3 } })
    {
        now = dispatchedAt + after;
        visualizer.displayRefreshed();
        EXPECT_EQ (dispatched, expected) << after << " ms after the slow frame's dispatch";
    }
}

TEST_F (Plot, fastBackgroundCompositeEqualsAPlainBlit)
{
    struct Case
    {
        const char* name;
        float gridStrength, cornerRadius, marginTop;
    };
    for (const auto& c : { Case { "faint", 1.0f, 6.0f, 0.0f }, Case { "strong", 6.0f, 6.0f, 0.0f }, Case { "square", 3.0f, 0.0f, 0.0f },
                           Case { "fractional margin", 3.0f, 6.0f, 2.5f } })
    {
        auto style = defaultVisualizerStyle();
        style.cornerRadius = c.cornerRadius;
        style.marginTop = c.marginTop;
        visualizer.setStyle (style);
        visualizer.setGridStrength (c.gridStrength);
        visualizer.setPoints (tanhCurve (2048));

        juce::Component parent;
        parent.setSize (640, 320);
        parent.addAndMakeVisible (visualizer);
        visualizer.setBounds (11, 7, 616, 300);

        WaveformVisualizer::setFastBackgroundForTesting (false);
        const auto plain = test::render (parent);
        WaveformVisualizer::setFastBackgroundForTesting (true);
        const auto fast = test::render (parent);

        EXPECT_EQ (test::countDifferingPixels (plain, fast), 0) << c.name;
        parent.removeChildComponent (&visualizer);
    }
}

TEST_F (Plot, bezelShadowAndCornerMask)
{
    auto style = visualizer.getStyle();
    style.backgroundColour = juce::Colours::black;
    style.gridCentreColour = juce::Colours::white;
    style.gridCentreLevel = 1.0f;
    style.cornerMaskColour = juce::Colours::blue;
    style.glowEnabled = false;
    visualizer.setStyle (style);
    const auto image = test::render (visualizer);

    EXPECT_EQ (test::pixel (image, 2, 150), juce::Colours::blue) << "side margin";
    EXPECT_EQ (test::pixel (image, 8, 0), juce::Colours::blue) << "rounded corner";
    EXPECT_EQ (test::pixel (image, 100, 150).getRed(), 255) << "inside, beyond the shadow depth";
    EXPECT_LT (test::pixel (image, 8, 150).getRed(), 40) << "at the panel edge the shadow hides the line";
    EXPECT_GT (test::pixel (image, 11, 150).getRed(), test::pixel (image, 9, 150).getRed()) << "fading inwards";
    EXPECT_EQ (test::pixel (image, 14, 150).getRed(), 255) << "6 px inside, no shadow left";
}

TEST_F (Plot, renderedStatesForAPerson)
{
    juce::Component editor;
    editor.setSize (700, 400);
    editor.addAndMakeVisible (visualizer);
    visualizer.setBounds (20, 40, 616, 300);
    GlowSpillOverlay spill;
    editor.addAndMakeVisible (spill);
    spill.setVisualizer (&visualizer);

    auto snapshot = [&] (const juce::String& name)
    {
        // As on screen: the visualizer paints (building the trace), then its
        // dispatched repaint refreshes the spill.
        test::render (editor);
        juce::Thread::sleep (35);
        spill.requestSpillRepaint();
        auto image = test::render (editor);
        test::savePng (image, name);
        return image;
    };
    // Pixels the spill lights outside the plot's own bounds.
    auto spilled = [&] (const juce::Image& image)
    {
        int lit = 0;
        for (int y = spill.getY(); y < spill.getBottom(); ++y)
            for (int x = spill.getX(); x < spill.getRight(); ++x)
                if (! visualizer.getBounds().contains (x, y) && image.getPixelAt (x, y).getAlpha() > 0)
                    ++lit;
        return lit;
    };

    visualizer.setPoints (tanhCurve (2048));
    const auto glowing = snapshot ("plot-xy-tanh-glow");
    EXPECT_GT (test::inkedPixels (glowing.getClippedImage (visualizer.getBounds())), 2000) << "the trace is drawn";
    EXPECT_GT (spilled (glowing), 50) << "the glow spills past the plot's edge";
    visualizer.setScatterMode (true);
    snapshot ("plot-xy-tanh-scatter");
    visualizer.setScatterMode (false);

    std::vector<float> x (2048), y (2048);
    for (int i = 0; i < 2048; ++i)
    {
        x[(size_t) i] = std::sin ((float) i * 2.0f * juce::MathConstants<float>::pi / 700.0f);
        y[(size_t) i] = std::tanh (3.0f * x[(size_t) i]) / std::tanh (3.0f);
    }
    visualizer.setScopeSignals (x, y);
    snapshot ("plot-scope-both-signals");

    auto style = visualizer.getStyle();
    style.glowEnabled = false;
    visualizer.setStyle (style);
    visualizer.setPoints (tanhCurve (2048));
    const auto plain = snapshot ("plot-xy-glow-off");
    EXPECT_GT (spill.getWidth(), visualizer.getWidth()) << "the spill reaches past the plot";
    EXPECT_EQ (spilled (plain), 0) << "glow off: the spill stays empty";
}

TEST (GlowSpill, boundsImageAndThrottle)
{
    setTheme (0.011f, 0.086f, 1.0f, 1.0f, true, 0.716f);
    juce::Component editor;
    editor.setSize (700, 550);
    WaveformVisualizer visualizer;
    visualizer.setStyle (defaultVisualizerStyle());
    editor.addAndMakeVisible (visualizer);
    visualizer.setBounds (20, 40, 616, 300);
    GlowSpillOverlay spill;
    editor.addAndMakeVisible (spill);
    spill.setVisualizer (&visualizer);

    EXPECT_EQ (spill.getBounds(), juce::Rectangle<int> (4, 16, 648, 348));

    visualizer.setPoints (tanhCurve (2048));
    test::render (editor);
    EXPECT_EQ (spill.getSpillImage().getWidth(), 162);
    EXPECT_EQ (spill.getSpillImage().getHeight(), 87);
    EXPECT_EQ (spill.getDestArea(), juce::Rectangle<float> (0, 0, 648, 348));

    double now = 1.0e6;
    spill.millisecondClock = [&now] { return now; };
    const auto before = spill.getIssuedRepaints();
    spill.requestSpillRepaint();
    now += 20.0;
    spill.requestSpillRepaint();
    EXPECT_EQ (spill.getIssuedRepaints(), before + 1) << "20 ms apart: one";
    now += 20.0;
    spill.requestSpillRepaint();
    EXPECT_EQ (spill.getIssuedRepaints(), before + 2) << "40 ms apart: two";

    visualizer.setBounds (0, 0, 700, 100);
    EXPECT_EQ (spill.getBounds(), juce::Rectangle<int> (0, 0, 700, 124)) << "follows the visualizer, clipped to the editor";
}
