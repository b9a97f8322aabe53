#include "tests/support/Images.h"

#include <cstring>

namespace test
{
// Under the build folder, wherever the test program is run from: a run from
// the source tree must not leave pictures in it.
juce::File outputFolder()
{
    const juce::File folder (juce::SystemStats::getEnvironmentVariable ("SONDERLITH_TEST_OUTPUT", SONDERLITH_TEST_OUTPUT_DIR));
    folder.createDirectory();
    return folder;
}

juce::File savePng (const juce::Image& image, const juce::String& name)
{
    const auto folder = outputFolder();
    const auto file = folder.getChildFile (name + ".png");
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat().writeImageToStream (image, out);
    return file;
}

juce::Colour pixel (const juce::Image& image, int x, int y) { return image.getPixelAt (x, y); }

std::uint32_t rawPixel (const juce::Image& image, int x, int y)
{
    const juce::Image::BitmapData data (image, juce::Image::BitmapData::readOnly);
    std::uint32_t p = 0;
    std::memcpy (&p, data.getPixelPointer (x, y), juce::jmin (4, data.pixelStride));
    return p;
}

int countDifferingPixels (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return juce::jmax (a.getWidth() * a.getHeight(), b.getWidth() * b.getHeight());
    int differing = 0;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            differing += rawPixel (a, x, y) != rawPixel (b, x, y) ? 1 : 0;
    return differing;
}

int brightestAlpha (const juce::Image& image)
{
    int alpha = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            alpha = juce::jmax (alpha, (int) image.getPixelAt (x, y).getAlpha());
    return alpha;
}

int inkedPixels (const juce::Image& image)
{
    int n = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            n += image.getPixelAt (x, y).getAlpha() > 0 ? 1 : 0;
    return n;
}
} // namespace test

namespace test
{
int brightPixels (const juce::Image& image, juce::Rectangle<int> area, float brightness)
{
    area = area.getIntersection (image.getBounds());
    int n = 0;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            n += image.getPixelAt (x, y).getPerceivedBrightness() > brightness ? 1 : 0;
    return n;
}
} // namespace test
