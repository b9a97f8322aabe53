#pragma once

#include "ui_core/LitBlockMap.h"
#include "ui_core/PhosphorBlur.h"

namespace ui_core
{
// The halo behind one trace: the path stroked with a wider pen into a
// half-resolution image, stack-blurred and drawn stretched back over the plot.
// Redrawn from scratch on every render, so nothing accumulates; the frame
// counter keeps the plot repainting for a while after each change.
class GlowLayer
{
public:
    void configure (juce::Colour colour, float thickness, float intensity, float spread, float spreadScale, float alphaFactor);
    void render (juce::Graphics& g, const juce::Path& path, juce::Rectangle<float> area);
    void reset();

    int framesRemaining = 0;

    const juce::Image& getImage() const noexcept { return image; }
    juce::Rectangle<float> getDestArea() const noexcept { return destArea; }
    int getBlurLevel() const noexcept { return blurLevel; }

private:
    juce::Colour colour { juce::Colours::white };
    float thickness = 2.0f;
    float intensity = 0.05f;
    float spread = 12.0f;
    float spreadScale = 1.0f;
    float alphaFactor = 1.0f;
    juce::Image image;
    juce::Rectangle<float> destArea;
    std::unique_ptr<PhosphorBlur> strategy;
    int blurLevel = 0;
    LitBlockMap litBlocks;
};
} // namespace ui_core
