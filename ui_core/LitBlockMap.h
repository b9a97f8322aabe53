#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

namespace ui_core
{
// Which 4 x 4 blocks of a mostly transparent layer hold anything: the layer
// is composited only over those (widened by a block for a resampling filter)
// and only those are cleared before the next frame is drawn into it.
class LitBlockMap
{
public:
    static constexpr int block = 4;

    // Records the blocks of the image holding a non-zero pixel.
    void collect (const juce::Image& image);

    // Starts an empty map for an image of this size, for marking as drawn.
    void prepare (int imageWidth, int imageHeight);
    void mark (int y, int firstX, int lastX) noexcept; // pixels firstX..lastX of row y

    // Zeroes the recorded blocks (the whole image when nothing matching its
    // size was recorded), ready for the next frame.
    void clear (juce::Image& image) const;

    // Disjoint screen rectangles covering every recorded block widened by one
    // block, for the image drawn stretched onto `destination`.
    const juce::RectangleList<int>& spans (juce::Rectangle<float> destination);

    // For a layer drawn one to one, with nothing to widen for: one rectangle
    // per band of rows from its first to its last lit block. Fewer, larger
    // rectangles: the renderer clips an unscaled image far faster so.
    const juce::RectangleList<int>& bands (juce::Rectangle<float> destination);
    static constexpr int blockRowsPerBand = 32;

    void reset() { lit.clear(); }

private:
    int width = 0, height = 0;
    std::vector<juce::uint8> lit, dilatedRow;
    juce::RectangleList<int> rectangles;
};
} // namespace ui_core
