#include "ui_core/GlowSpillOverlay.h"

#include "ui_core/DesignTokens.h"
#include "ui_core/WaveformVisualizer.h"

#include <cmath>

namespace ui_core
{
namespace
{
// Multiplies every byte of every pixel (premultiplied, so all four channels).
template <typename PerPixel>
void forEachPixel (juce::Image& image, PerPixel&& perPixel)
{
    juce::Image::BitmapData data (image, juce::Image::BitmapData::readWrite);
    for (int y = 0; y < data.height; ++y)
    {
        auto* line = data.getLinePointer (y);
        for (int x = 0; x < data.width; ++x)
            perPixel (x, y, line + x * data.pixelStride);
    }
}
} // namespace

GlowSpillOverlay::GlowSpillOverlay() { setInterceptsMouseClicks (false, false); }

GlowSpillOverlay::~GlowSpillOverlay()
{
    detach();
    strategy.reset();
    spillImage = {};
}

void GlowSpillOverlay::detach()
{
    if (visualizer == nullptr)
        return;
    visualizer->removeComponentListener (this);
    visualizer->onContentChanged = nullptr;
    visualizer->onRepaintDispatched = nullptr;
}

void GlowSpillOverlay::setVisualizer (WaveformVisualizer* newVisualizer)
{
    if (newVisualizer == visualizer)
        return;

    detach();
    visualizer = newVisualizer;
    if (visualizer != nullptr)
    {
        visualizer->addComponentListener (this);
        visualizer->onContentChanged = [this] { updateBounds(); };
        visualizer->onRepaintDispatched = [this] { requestSpillRepaint(); };
    }
    updateBounds();
    repaint();
}

void GlowSpillOverlay::updateBounds()
{
    auto* parent = getParentComponent();
    if (parent == nullptr || visualizer == nullptr)
        return;

    const auto content = visualizer->getContentArea();
    if (content.getWidth() <= 0.0f || content.getHeight() <= 0.0f)
    {
        setBounds (0, 0, 0, 0);
        return;
    }

    const auto& style = visualizer->getStyle();
    const auto area = parent->getLocalArea (visualizer, content);
    const auto left = juce::jmax (0.0f, area.getX() - style.spillMarginSide);
    const auto right = juce::jmin ((float) parent->getWidth(), area.getRight() + style.spillMarginSide);
    const auto top = juce::jmax (0.0f, area.getY() - style.spillMarginTop);
    const auto bottom = juce::jmin ((float) parent->getHeight(), area.getBottom() + style.spillMarginBottom);

    const auto spill = (right >= left && bottom >= top) ? juce::Rectangle<float> (left, top, right - left, bottom - top)
                                                        : juce::Rectangle<float>();
    setBounds (spill.getSmallestIntegerContainer());
}

juce::Rectangle<float> GlowSpillOverlay::holeInOverlay() const
{
    return getLocalArea (visualizer, visualizer->getContentArea());
}

void GlowSpillOverlay::requestSpillRepaint()
{
    if (! isVisible() || getWidth() <= 0 || getHeight() <= 0 || visualizer == nullptr)
        return;

    const auto now = millisecondClock();
    if (now - lastRepaintMs < repaintIntervalMs)
        return;
    lastRepaintMs = now;
    dirty = true;
    ++issuedRepaints;

    const auto hole = holeInOverlay().getSmallestIntegerContainer().getIntersection (getLocalBounds());
    if (hole.getWidth() > 0 && hole.getHeight() > 0)
    {
        const auto w = getWidth(), h = getHeight();
        repaint (0, 0, w, hole.getY());
        repaint (0, hole.getBottom(), w, h - hole.getBottom());
        repaint (0, hole.getY(), hole.getX(), hole.getHeight());
        repaint (hole.getRight(), hole.getY(), w - hole.getRight(), hole.getHeight());
    }
    else
    {
        repaint();
    }
}

void GlowSpillOverlay::resized() { needsRender = true; }
void GlowSpillOverlay::moved() { needsRender = true; }

void GlowSpillOverlay::componentMovedOrResized (juce::Component&, bool, bool) { updateBounds(); }
void GlowSpillOverlay::componentVisibilityChanged (juce::Component&) { repaint(); }

void GlowSpillOverlay::componentBeingDeleted (juce::Component& component)
{
    if (&component == visualizer)
    {
        visualizer->removeComponentListener (this);
        visualizer = nullptr;
    }
}

void GlowSpillOverlay::paint (juce::Graphics& g)
{
    if (visualizer == nullptr || ! visualizer->isVisible())
        return;
    const auto& style = visualizer->getStyle();
    if (! style.glowEnabled)
        return;
    const auto level = juce::jlimit (0.0f, 1.0f, style.glowIntensity) * style.spillOpacity;
    if (level <= 0.0f || visualizer->getPrimaryTrace().isEmpty())
        return;

    const auto hole = holeInOverlay();
    if (hole.getWidth() > 0.0f && hole.getHeight() > 0.0f)
    {
        if (hole.reduced (style.cornerRadius).contains (g.getClipBounds().toFloat()))
            return;
    }

    juce::Graphics::ScopedSaveState saved (g);

    const auto w = juce::jmax (1, (int) std::ceil ((float) getWidth() * 0.25f));
    const auto h = juce::jmax (1, (int) std::ceil ((float) getHeight() * 0.25f));
    const juce::Rectangle<float> destination (0.0f, 0.0f, 4.0f * (float) w, 4.0f * (float) h);
    if (! spillImage.isValid() || spillImage.getWidth() != w || spillImage.getHeight() != h || destArea != destination)
    {
        spillImage = juce::Image (juce::Image::ARGB, w, h, true, juce::SoftwareImageType());
        destArea = destination;
        needsRender = true;
    }

    if (needsRender || dirty)
    {
        renderSpill (getLocalPoint (visualizer, juce::Point<float>()));
        needsRender = false;
        dirty = false;
    }

    juce::Path outside;
    outside.addRectangle (getLocalBounds().toFloat());
    if (hole.getWidth() > 0.0f && hole.getHeight() > 0.0f)
        outside.addRoundedRectangle (hole, style.cornerRadius);
    outside.setUsingNonZeroWinding (false);
    g.reduceClipRegion (outside);

    if (! g.isClipEmpty())
    {
        g.setOpacity (level);
        g.setImageResamplingQuality (juce::Graphics::mediumResamplingQuality);
        g.drawImageTransformed (spillImage, juce::AffineTransform::scale (destArea.getWidth() / (float) w, destArea.getHeight() / (float) h)
                                                .translated (destArea.getX(), destArea.getY()));
    }
}

void GlowSpillOverlay::renderSpill (juce::Point<float> offset)
{
    const auto& style = visualizer->getStyle();
    spillImage.clear (spillImage.getBounds());
    const auto strength = juce::jmax (style.glowIntensity, 0.01f);
    const auto pen = juce::jmax (4.0f, (strength * 0.8f + 0.8f) * style.traceThickness);
    {
        juce::Graphics ig (spillImage);
        ig.addTransform (juce::AffineTransform::translation (offset.x - destArea.getX(), offset.y - destArea.getY()).scaled (0.25f));
        ig.setColour (style.traceColour);
        ig.strokePath (visualizer->getPrimaryTrace(), juce::PathStrokeType (pen, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    }

    const auto k = juce::jlimit (2, 31, (int) std::floor (style.traceThickness * 2.0f * style.spillBlurScale * 0.25f + 0.001f));
    if (strategy == nullptr || k != blurLevel)
    {
        strategy = makeStackBlur (k);
        blurLevel = k;
    }
    strategy->apply (spillImage);

    const auto gain = juce::jlimit (1.0f, 16.0f, (float) (k + 1) / juce::jmax (pen * 0.25f, 0.5f));
    if (gain > 1.0f)
    {
        const auto u = (std::uint32_t) juce::roundToInt (gain * 256.0f);
        forEachPixel (spillImage, [u] (int, int, juce::uint8* p)
                      {
                          for (int c = 0; c < 4; ++c)
                          {
                              const auto v = u * p[c];
                              p[c] = v < 65280u ? (juce::uint8) (v >> 8) : (juce::uint8) 255;
                          }
                      });
    }

    // Fade the outermost pixels so the spill has no visible edge.
    const auto w = spillImage.getWidth(), h = spillImage.getHeight();
    const auto n = juce::jmin (juce::jmax (1, juce::roundToInt (style.spillEdgeFade * 0.25f)), w / 2, h / 2);
    juce::Image::BitmapData data (spillImage, juce::Image::BitmapData::readWrite);
    auto scale = [] (juce::uint8* p, std::uint32_t m)
    {
        for (int c = 0; c < 4; ++c)
            p[c] = (juce::uint8) ((p[c] * m) >> 8);
    };
    for (int i = 0; i < n; ++i)
    {
        const auto m = (std::uint32_t) (1 + (int) std::floor (255.0f * smoothStep (((float) i + 0.5f) / (float) n)));
        for (const auto row : { i, h - 1 - i })
            for (int x = 0; x < w; ++x)
                scale (data.getPixelPointer (x, row), m);
    }
    for (int i = 0; i < n; ++i)
    {
        const auto m = (std::uint32_t) (1 + (int) std::floor (255.0f * smoothStep (((float) i + 0.5f) / (float) n)));
        for (const auto column : { i, w - 1 - i })
            for (int y = 0; y < h; ++y)
                scale (data.getPixelPointer (column, y), m);
    }
}
} // namespace ui_core
