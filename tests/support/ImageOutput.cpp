#include "tests/support/ImageOutput.h"

namespace test
{
juce::Image render (juce::Component& component)
{
    juce::Image image (juce::Image::ARGB, juce::jmax (1, component.getWidth()), juce::jmax (1, component.getHeight()), true,
                       juce::SoftwareImageType());
    juce::Graphics g (image);
    component.paintEntireComponent (g, false);
    return image;
}
} // namespace test
