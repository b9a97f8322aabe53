#include "tests/support/ImageOutput.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace test
{
juce::File savePng (const juce::Image& image, const juce::String& name)
{
    auto folder = juce::File (juce::SystemStats::getEnvironmentVariable ("SONDERLITH_TEST_OUTPUT",
                                                                         juce::File::getCurrentWorkingDirectory().getChildFile ("test-output").getFullPathName()));
    folder.createDirectory();
    const auto file = folder.getChildFile (name + ".png");
    file.deleteFile();
    juce::FileOutputStream out (file);
    juce::PNGImageFormat().writeImageToStream (image, out);
    return file;
}

juce::Image render (juce::Component& component)
{
    juce::Image image (juce::Image::ARGB, juce::jmax (1, component.getWidth()), juce::jmax (1, component.getHeight()), true,
                       juce::SoftwareImageType());
    juce::Graphics g (image);
    component.paintEntireComponent (g, false);
    return image;
}

juce::Colour pixel (const juce::Image& image, int x, int y) { return image.getPixelAt (x, y); }
} // namespace test
