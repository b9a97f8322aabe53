#include "ui_core/LitBlockMap.h"

#include <algorithm>
#include <cmath>

namespace ui_core
{
void LitBlockMap::collect (const juce::Image& image)
{
    width = image.getWidth();
    height = image.getHeight();
    const auto blocksPerRow = (width + block - 1) / block;
    lit.assign ((size_t) (blocksPerRow * ((height + block - 1) / block)), 0);

    const juce::Image::BitmapData data (image, juce::Image::BitmapData::readOnly);
    for (int y = 0; y < height; ++y)
    {
        const auto* pixels = reinterpret_cast<const juce::uint32*> (data.getLinePointer (y));
        auto* row = lit.data() + (size_t) (y / block) * (size_t) blocksPerRow;
        for (int b = 0; b < blocksPerRow; ++b)
        {
            juce::uint32 any = 0;
            for (int x = b * block; x < juce::jmin (width, (b + 1) * block); ++x)
                any |= pixels[x];
            row[b] |= any != 0 ? 1 : 0;
        }
    }
}

void LitBlockMap::prepare (int imageWidth, int imageHeight)
{
    width = imageWidth;
    height = imageHeight;
    lit.assign ((size_t) (((width + block - 1) / block) * ((height + block - 1) / block)), 0);
}

void LitBlockMap::mark (int y, int firstX, int lastX) noexcept
{
    if (y < 0 || y >= height || lastX < firstX)
        return;
    const auto blocksPerRow = (width + block - 1) / block;
    auto* row = lit.data() + (size_t) (y / block) * (size_t) blocksPerRow;
    for (int b = juce::jmax (0, firstX) / block; b <= juce::jmin (width - 1, lastX) / block; ++b)
        row[b] = 1;
}

void LitBlockMap::clear (juce::Image& image) const
{
    const auto blocksPerRow = (image.getWidth() + block - 1) / block;
    if (image.getWidth() != width || image.getHeight() != height || lit.empty())
    {
        image.clear (image.getBounds());
        return;
    }

    const juce::Image::BitmapData data (image, juce::Image::BitmapData::writeOnly);
    for (int y = 0; y < height; ++y)
    {
        const auto* row = lit.data() + (size_t) (y / block) * (size_t) blocksPerRow;
        auto* line = reinterpret_cast<juce::uint32*> (data.getLinePointer (y));
        for (int b = 0; b < blocksPerRow; ++b)
            if (row[b] != 0)
                std::fill (line + b * block, line + juce::jmin (width, (b + 1) * block), 0u);
    }
}

const juce::RectangleList<int>& LitBlockMap::bands (juce::Rectangle<float> destination)
{
    rectangles.clear();
    if (lit.empty() || width < 1 || height < 1)
        return rectangles;

    const auto blocksPerRow = (width + block - 1) / block;
    const auto blockRows = (height + block - 1) / block;
    const auto sx = destination.getWidth() / (float) width, sy = destination.getHeight() / (float) height;
    auto screenX = [&] (int x) { return (int) std::floor (destination.getX() + (float) juce::jlimit (0, width, x) * sx); };
    auto screenY = [&] (int y) { return (int) std::floor (destination.getY() + (float) juce::jlimit (0, height, y) * sy); };

    for (int band = 0; band < blockRows; band += blockRowsPerBand)
    {
        int first = blocksPerRow, last = -1;
        for (int r = band; r < juce::jmin (blockRows, band + blockRowsPerBand); ++r)
        {
            const auto* blocks = lit.data() + (size_t) r * (size_t) blocksPerRow;
            for (int b = 0; b < first; ++b)
                if (blocks[b] != 0)
                {
                    first = b;
                    break;
                }
            for (int b = blocksPerRow - 1; b > last; --b)
                if (blocks[b] != 0)
                {
                    last = b;
                    break;
                }
        }
        if (last < first)
            continue;
        const auto left = screenX (first * block), right = screenX ((last + 1) * block);
        const auto top = screenY (band * block), bottom = screenY ((band + blockRowsPerBand) * block);
        rectangles.addWithoutMerging ({ left, top, right - left, bottom - top });
    }
    return rectangles;
}

const juce::RectangleList<int>& LitBlockMap::spans (juce::Rectangle<float> destination)
{
    rectangles.clear();
    if (lit.empty() || width < 1 || height < 1)
        return rectangles;

    const auto blocksPerRow = (width + block - 1) / block;
    const auto blockRows = (height + block - 1) / block;
    dilatedRow.resize ((size_t) blocksPerRow);

    const auto sx = destination.getWidth() / (float) width, sy = destination.getHeight() / (float) height;
    auto screenX = [&] (int x) { return (int) std::floor (destination.getX() + (float) juce::jmin (x, width) * sx); };
    auto screenY = [&] (int y) { return (int) std::floor (destination.getY() + (float) juce::jmin (y, height) * sy); };

    for (int row = 0; row < blockRows; ++row)
    {
        std::fill (dilatedRow.begin(), dilatedRow.end(), (juce::uint8) 0);
        for (int r = juce::jmax (0, row - 1); r <= juce::jmin (blockRows - 1, row + 1); ++r)
        {
            const auto* blocks = lit.data() + (size_t) r * (size_t) blocksPerRow;
            for (int b = 0; b < blocksPerRow; ++b)
                if (blocks[b] != 0)
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
            rectangles.addWithoutMerging ({ left, top, right - left, bottom - top });
        }
    }
    return rectangles;
}
} // namespace ui_core
