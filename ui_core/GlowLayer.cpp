#include "ui_core/GlowLayer.h"

#include <algorithm>
#include <cmath>

namespace ui_core
{
void GlowLayer::configure (juce::Colour newColour, float newThickness, float newIntensity, float newSpread,
                           float newSpreadScale, float newAlphaFactor)
{
    if (! juce::exactlyEqual (newThickness, thickness) || ! juce::exactlyEqual (newSpread, spread)
        || ! juce::exactlyEqual (newSpreadScale, spreadScale))
        framesRemaining = 30;

    colour = newColour;
    thickness = newThickness;
    intensity = newIntensity;
    spread = newSpread;
    spreadScale = newSpreadScale;
    alphaFactor = newAlphaFactor;
}

void GlowLayer::reset()
{
    haloContext.reset();
    litBlocks.clear();
    image = {};
    destArea = {};
    framesRemaining = 0;
}

void GlowLayer::render (juce::Graphics& g, const juce::Path& path, juce::Rectangle<float> area)
{
    if (path.isEmpty())
        return;

    juce::Graphics::ScopedSaveState saved (g);

    const auto pad = thickness * (spread * spreadScale + 1.0f);
    const auto w = juce::jmax (1, (int) std::ceil (juce::jmax (0.0f, area.getWidth() + 2.0f * pad) * 0.5f));
    const auto h = juce::jmax (1, (int) std::ceil (juce::jmax (0.0f, area.getHeight() + 2.0f * pad) * 0.5f));
    const juce::Rectangle<float> destination (area.getX() - pad, area.getY() - pad, 2.0f * (float) w, 2.0f * (float) h);

    if (! image.isValid() || image.getWidth() != w || image.getHeight() != h || destArea != destination)
    {
        haloContext.reset();
        image = juce::Image (juce::Image::ARGB, w, h, true, juce::SoftwareImageType());
        destArea = destination;
        litBlocks.clear();
        // One drawing context for the image's lifetime, with its transform set
        // once: creating one per frame would cost allocations every frame.
        haloContext = std::make_unique<juce::Graphics> (image);
        haloContext->addTransform (juce::AffineTransform::translation (-destArea.getX(), -destArea.getY()).scaled (0.5f));
    }
    else
    {
        clearLitBlocks();
    }

    const auto strength = juce::jmax (alphaFactor * intensity, 0.01f);
    const auto penWidth = (strength * 0.8f + 0.8f) * thickness;
    haloContext->setColour (colour.withAlpha ((juce::uint8) 255));
    haloContext->strokePath (path, juce::PathStrokeType (penWidth, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));

    auto level = (int) std::floor (thickness + 0.001f);
    level = juce::jlimit (2, 31, level);
    if (strategy == nullptr || level != blurLevel)
    {
        const auto replacing = strategy != nullptr;
        strategy = makeStackBlur (level);
        blurLevel = level;
        if (replacing)
            framesRemaining = 30;
    }
    strategy->apply (image);

    // Most of the halo is transparent; compositing only the rows' lit spans
    // gives the same pixels for a fraction of the work on a large plot.
    collectLitSpans();
    if (! g.reduceClipRegion (litSpans))
    {
        if (framesRemaining > 0)
            --framesRemaining;
        return;
    }

    g.setImageResamplingQuality (juce::Graphics::highResamplingQuality);
    g.drawImageTransformed (image, juce::AffineTransform::scale (destArea.getWidth() / (float) w, destArea.getHeight() / (float) h)
                                           .translated (destArea.getX(), destArea.getY()));

    if (framesRemaining > 0)
        --framesRemaining;
}
// The previous halo lies wholly inside its lit blocks; zeroing just those
// readies the image for the next stroke without sweeping all of it.
void GlowLayer::clearLitBlocks()
{
    const auto w = image.getWidth(), h = image.getHeight();
    const auto blocksPerRow = (w + litBlock - 1) / litBlock;
    if (litBlocks.size() != (size_t) (blocksPerRow * ((h + litBlock - 1) / litBlock)))
    {
        image.clear (image.getBounds());
        return;
    }

    const juce::Image::BitmapData data (image, juce::Image::BitmapData::writeOnly);
    for (int y = 0; y < h; ++y)
    {
        const auto* lit = litBlocks.data() + (size_t) (y / litBlock) * (size_t) blocksPerRow;
        auto* line = reinterpret_cast<juce::uint32*> (data.getLinePointer (y));
        for (int b = 0; b < blocksPerRow; ++b)
            if (lit[b] != 0)
                std::fill (line + b * litBlock, line + juce::jmin (w, (b + 1) * litBlock), 0u);
    }
}

// Screen rectangles covering every pixel the stretched halo can touch: blocks
// of image pixels holding anything non-zero, widened by one block (more than
// the resampling filter's reach) in every direction. Rows map to disjoint
// screen bands and runs within a row are disjoint, so no pixel is composited
// twice.
void GlowLayer::collectLitSpans()
{
    constexpr int block = litBlock;
    const auto w = image.getWidth(), h = image.getHeight();
    const auto blocksPerRow = (w + block - 1) / block;
    const auto blockRows = (h + block - 1) / block;
    litSpans.clear();
    litBlocks.assign ((size_t) (blocksPerRow * blockRows), 0);
    dilatedRow.resize ((size_t) blocksPerRow);

    {
        const juce::Image::BitmapData data (image, juce::Image::BitmapData::readOnly);
        for (int y = 0; y < h; ++y)
        {
            const auto* pixels = reinterpret_cast<const juce::uint32*> (data.getLinePointer (y));
            auto* lit = litBlocks.data() + (size_t) (y / block) * (size_t) blocksPerRow;
            for (int b = 0; b < blocksPerRow; ++b)
            {
                juce::uint32 any = 0;
                for (int x = b * block; x < juce::jmin (w, (b + 1) * block); ++x)
                    any |= pixels[x];
                lit[b] |= any != 0 ? 1 : 0;
            }
        }
    }

    const auto sx = destArea.getWidth() / (float) w, sy = destArea.getHeight() / (float) h;
    auto screenX = [&] (int x) { return (int) std::floor (destArea.getX() + (float) juce::jmin (x, w) * sx); };
    auto screenY = [&] (int y) { return (int) std::floor (destArea.getY() + (float) juce::jmin (y, h) * sy); };

    for (int row = 0; row < blockRows; ++row)
    {
        std::fill (dilatedRow.begin(), dilatedRow.end(), (juce::uint8) 0);
        for (int r = juce::jmax (0, row - 1); r <= juce::jmin (blockRows - 1, row + 1); ++r)
        {
            const auto* lit = litBlocks.data() + (size_t) r * (size_t) blocksPerRow;
            for (int b = 0; b < blocksPerRow; ++b)
                if (lit[b] != 0)
                    for (int d = juce::jmax (0, b - 1); d <= juce::jmin (blocksPerRow - 1, b + 1); ++d)
                        dilatedRow[(size_t) d] = 1;
        }

        const auto top = screenY (row * block), bottom = screenY ((row + 1) * block);
        for (int b = 0; b < blocksPerRow;)
        {
            if (dilatedRow[(size_t) b] == 0)
            {
                ++b;
                continue;
            }
            const auto start = b;
            while (b < blocksPerRow && dilatedRow[(size_t) b] != 0)
                ++b;
            const auto left = screenX (start * block), right = screenX (b * block);
            litSpans.addWithoutMerging ({ left, top, right - left, bottom - top });
        }
    }
}
} // namespace ui_core
