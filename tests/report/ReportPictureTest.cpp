#include "persistence/TransferFunctionPreset.h"
#include "tests/support/Images.h"
#include "tools/sonderlith/CommandLine.h"
#include "report/ReportPicture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
bool near (juce::Colour a, juce::Colour b, int tolerance = 40)
{
    return std::abs (a.getRed() - b.getRed()) + std::abs (a.getGreen() - b.getGreen()) + std::abs (a.getBlue() - b.getBlue()) <= tolerance;
}

// Pixels of (nearly) a colour inside an area, and in the part of the
// picture left of the figures column outside the given areas.
struct ColourCount
{
    int inside = 0, elsewhere = 0;
};

ColourCount countColour (const juce::Image& image, juce::Colour colour, juce::Rectangle<int> area, std::initializer_list<juce::Rectangle<int>> allowed,
                         int rightEdge)
{
    ColourCount count;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < rightEdge; ++x)
        {
            if (! near (image.getPixelAt (x, y), colour, 24))
                continue;
            const juce::Point<int> p (x, y);
            if (area.contains (p))
                ++count.inside;
            else if (std::none_of (allowed.begin(), allowed.end(), [p] (juce::Rectangle<int> r) { return r.contains (p); }))
                ++count.elsewhere;
        }
    return count;
}

MeasureOutcome measured (MeasureOptions& o, const std::string& device, double delay = 0.0)
{
    o.demo = DemoSettings {};
    o.demo->device = device;
    o.demo->delaySamples = delay;
    return measure (o);
}
} // namespace

// What a broken picture would lose: the frame of the plot, the curve inside
// it (and nowhere else), and a banner exactly when the verdict is not good.
TEST (ReportPicture, measurementPictureShowsAxesCurveAndVerdict)
{
    struct Case
    {
        const char* name;
        const char* device;
        double delay;
        Verdict verdict;
    };
    for (const auto light : { false, true })
        for (const auto& c : { Case { "clean", "tanh", 0.0, Verdict::good }, Case { "hysteretic", "hysteresis", 0.0, Verdict::doubtful },
                               Case { "failed", "tanh", 37.0, Verdict::failed } })
        {
            MeasureOptions o;
            PictureOptions picturing;
            picturing.light = light;
            const auto outcome = measured (o, c.device, c.delay);
            ASSERT_TRUE (outcome.ok) << outcome.error;
            ASSERT_EQ (outcome.judgement.verdict, c.verdict) << c.name;
            const auto picture = drawMeasurementReport (o, outcome, picturing);
            const auto name = juce::String ("report-") + c.name + (light ? "-light" : "-dark") + ".png";
            test::savePng (picture.image, name);
            const auto where = name.toStdString();

            EXPECT_EQ (picture.image.getWidth(), 1600);
            EXPECT_EQ (picture.image.getHeight(), 1000);
            const auto& p = picture.palette;
            EXPECT_TRUE (near (picture.image.getPixelAt (2, 2), p.background, 0)) << where << ": " << picture.image.getPixelAt (2, 2).toDisplayString (true) << " against " << p.background.toDisplayString (true);
            EXPECT_EQ (light, p.background == juce::Colours::white) << where;

            // The frame: the axis colour along the plot's left and bottom edges.
            const auto plot = picture.plotArea;
            for (const auto f : { 0.2f, 0.5f, 0.8f })
            {
                EXPECT_TRUE (near (picture.image.getPixelAt (plot.getX(), plot.getY() + (int) (f * plot.getHeight())), p.axis)) << where << " left edge";
                EXPECT_TRUE (near (picture.image.getPixelAt (plot.getX() + (int) (f * plot.getWidth()), plot.getBottom() - 1), p.axis)) << where << " bottom edge";
            }

            // The curve is drawn inside the plot and leaks nowhere left of the figures.
            if (c.verdict != Verdict::failed)
            {
                const auto curve = countColour (picture.image, p.curve, plot, { picture.lowerArea.expanded (2) }, plot.getRight() + 2);
                EXPECT_GT (curve.inside, plot.getWidth()) << where;
                EXPECT_EQ (curve.elsewhere, 0) << where;
            }

            // A banner exactly when the verdict is not good, in the verdict's colour.
            EXPECT_EQ (picture.banner.has_value(), c.verdict != Verdict::good) << where;
            const auto bannerColour = c.verdict == Verdict::failed ? p.failed : p.doubtful;
            const auto bannerArea = juce::Rectangle<int> (0, plot.getY() - 60, picture.image.getWidth(), 55);
            int bannerPixels = 0;
            for (int y = bannerArea.getY(); y < bannerArea.getBottom(); ++y)
                for (int x = 0; x < picture.image.getWidth(); x += 4)
                    bannerPixels += near (picture.image.getPixelAt (x, y), bannerColour, 12) ? 1 : 0;
            if (c.verdict == Verdict::good)
                EXPECT_EQ (bannerPixels, 0) << where;
            else
                EXPECT_GT (bannerPixels, 1000) << where;
        }
}

// The command's picture options, and the preset picture of inspect.
TEST (ReportPicture, sizesThemesAndThePresetPicture)
{
    const auto folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("sonderlith-picture-" + juce::String (juce::Random().nextInt64()));
    folder.createDirectory();
    const auto preset = folder.getChildFile ("tanh.tfunc"), png = folder.getChildFile ("small.png"), inspected = folder.getChildFile ("inspect.png");
    juce::String out, err;
    ASSERT_EQ (runCommandLine ({ "measure", "--demo", "tanh", "-o", preset.getFullPathName(), "--png", png.getFullPathName(), "--size", "800x500",
                                 "--theme", "light" },
                               out, err),
               0)
        << err;
    const auto small = juce::ImageFileFormat::loadFrom (png);
    EXPECT_EQ (small.getWidth(), 800);
    EXPECT_EQ (small.getHeight(), 500);
    EXPECT_EQ (small.getPixelAt (1, 1), juce::Colours::white);

    ASSERT_EQ (runCommandLine ({ "inspect", preset.getFullPathName(), "--png", inspected.getFullPathName() }, out, err), 0) << err;
    EXPECT_EQ (juce::ImageFileFormat::loadFrom (inspected).getWidth(), 1600);
    inspected.copyFileTo (test::outputFolder().getChildFile ("inspect-tanh.png"));

    for (const auto& bad : { juce::StringArray { "--size", "12x9" }, juce::StringArray { "--size", "800" }, juce::StringArray { "--theme", "blue" } })
    {
        juce::StringArray arguments { "measure", "--demo", "tanh" };
        arguments.addArray (bad);
        EXPECT_EQ (runCommandLine (arguments, out, err), 2) << bad.joinIntoString (" ");
        EXPECT_TRUE (err.contains (bad[0])) << err;
    }

    // The preset picture: a curve in its plot, kept inside it even where it
    // runs beyond the axes (a CSV's curve may exceed full scale).
    std::vector<double> table ((size_t) grid::size);
    for (int c = 0; c < grid::size; ++c)
        table[(size_t) c] = 1.5 * std::tanh (2.0 * grid::xAt (c)) / std::tanh (2.0);
    const auto picture = drawPresetPicture ("Preset", "test", table, {});
    const auto curve = countColour (picture.image, picture.palette.curve, picture.plotArea, {}, picture.plotArea.getRight() + 2);
    EXPECT_GT (curve.inside, picture.plotArea.getWidth());
    EXPECT_EQ (curve.elsewhere, 0);
    folder.deleteRecursively();
}
