#include "ui_core/WaveformVisualizer.h"

#include "ui_core/DesignTokens.h"
#include "ui_core/RoundStroke.h"
#include "ui_core/ThemeColours.h"

#include <cmath>

namespace ui_core
{
namespace
{
float physicalScale (juce::Graphics& g)
{
    return juce::jmax (g.getInternalContext().getPhysicalPixelScaleFactor(), 1.0f);
}

juce::Image makeLayerImage (int width, int height, float scale)
{
    return juce::Image (juce::Image::ARGB, juce::roundToInt ((float) width * scale), juce::roundToInt ((float) height * scale), true,
                        juce::SoftwareImageType());
}

// Draws the parts of a one-to-one cached layer that lie in `region`, one
// rectangle at a time: the renderer then walks only those rectangles instead
// of an edge table spanning the whole layer.
void blitRegion (juce::Graphics& g, const juce::Image& layer, const juce::RectangleList<int>& region)
{
    g.setOpacity (1.0f);
    for (const auto& r : region)
    {
        const auto part = r.getIntersection (layer.getBounds());
        if (! part.isEmpty())
            g.drawImageAt (layer.getClippedImage (part), part.getX(), part.getY());
    }
}
} // namespace

WaveformVisualizer::BezelOverlay::BezelOverlay (WaveformVisualizer& o) : owner (o) {}
WaveformVisualizer::BezelOverlay::~BezelOverlay() = default;
void WaveformVisualizer::BezelOverlay::paint (juce::Graphics& g) { owner.paintBezel (g); }

WaveformVisualizer::WaveformVisualizer()
    : primaryGlow (std::make_unique<GlowLayer>()), secondaryGlow (std::make_unique<GlowLayer>())
{
    bezel.setAlwaysOnTop (true);
    bezel.setInterceptsMouseClicks (false, false);
    addAndMakeVisible (bezel);
    layout();
}

WaveformVisualizer::~WaveformVisualizer() = default;

void WaveformVisualizer::forward (const juce::MouseEvent& e, const char* kind)
{
    if (onMouseEvent)
        onMouseEvent (e, kind);
}

void WaveformVisualizer::mouseMove (const juce::MouseEvent& e) { forward (e, "mouseMove"); }
void WaveformVisualizer::mouseExit (const juce::MouseEvent& e) { forward (e, "mouseExit"); }
void WaveformVisualizer::mouseDown (const juce::MouseEvent& e) { forward (e, "mouseDown"); }
void WaveformVisualizer::mouseDrag (const juce::MouseEvent& e) { forward (e, "mouseDrag"); }
void WaveformVisualizer::mouseUp (const juce::MouseEvent& e) { forward (e, "mouseUp"); }
void WaveformVisualizer::mouseDoubleClick (const juce::MouseEvent& e) { forward (e, "mouseDoubleClick"); }

void WaveformVisualizer::layout()
{
    contentArea = { style.marginLeft, style.marginTop, (float) getWidth() - style.marginLeft - style.marginRight,
                    (float) getHeight() - style.marginTop - style.marginBottom };
    const auto inset = juce::jmin (juce::jmin (contentArea.getWidth(), contentArea.getHeight()) * 0.5f, juce::jmax (style.cornerRadius, 0.0f));
    plotArea = { contentArea.getX() + inset, contentArea.getY() + inset, juce::jmax (0.0f, contentArea.getWidth() - 2.0f * inset),
                 juce::jmax (0.0f, contentArea.getHeight() - 2.0f * inset) };
}

void WaveformVisualizer::invalidateCaches()
{
    backgroundValid = false;
    bezelValid = false;
}

void WaveformVisualizer::resized()
{
    layout();
    bezel.setBounds (0, 0, getWidth(), getHeight());
    invalidateCaches();
}

juce::Point<float> WaveformVisualizer::toScreen (double x, double y) const noexcept
{
    const auto ux = (x + 1.0) * 0.5, uy = (y + 1.0) * 0.5;
    return { (float) (plotArea.getX() + ux * plotArea.getWidth()), (float) (plotArea.getY() + (1.0 - uy) * plotArea.getHeight()) };
}

void WaveformVisualizer::giveGlowFrames()
{
    primaryGlow->framesRemaining = 30;
    secondaryGlow->framesRemaining = 30;
}

int WaveformVisualizer::glowFramesRemaining() const noexcept
{
    return juce::jmax (primaryGlow->framesRemaining, secondaryGlow->framesRemaining);
}

void WaveformVisualizer::contentChanged()
{
    giveGlowFrames();
    requestPaint();
    if (onContentChanged)
        onContentChanged();
}

void WaveformVisualizer::setStyle (const Style& newStyle)
{
    if (newStyle == style)
        return;
    style = newStyle;
    layout();
    invalidateCaches();
    contentChanged();
}

void WaveformVisualizer::setPoints (std::vector<std::pair<double, double>> newPoints)
{
    points = std::move (newPoints);
    hasPoints = true;
    scopeMode = false;
    contentChanged();
}

void WaveformVisualizer::setScopeSignals (std::vector<float> x, std::vector<float> y)
{
    scopeX = std::move (x);
    scopeY = std::move (y);
    scopeMode = true;
    contentChanged();
}

void WaveformVisualizer::clearScopeSignals()
{
    scopeX.clear();
    scopeY.clear();
    scopeMode = false;
    primaryTrace.clear();
    secondaryTrace.clear();
    contentChanged();
}

void WaveformVisualizer::setGridStrength (float multiplier)
{
    if (juce::exactlyEqual (multiplier, gridStrength))
        return;
    gridStrength = multiplier;
    backgroundValid = false;
    repaint();
}

void WaveformVisualizer::setScatterMode (bool shouldScatter)
{
    if (shouldScatter == scatterMode)
        return;
    scatterMode = shouldScatter;
    primaryGlow->reset();
    secondaryGlow->reset();
    contentChanged();
}

void WaveformVisualizer::requestPaint()
{
    repaintRequested = true;
    if (vblank == nullptr)
        vblank = std::make_unique<juce::VBlankAttachment> (this, [this] { displayRefreshed(); });
}

void WaveformVisualizer::displayRefreshed()
{
    if (! repaintRequested)
        return;
    // A frame that takes longer to draw than the display's period (a cloud of
    // 128k noise pairs, drawn in software) waits as long again before the
    // next: the message thread stays free half the time for keys, pointer and
    // menus, which otherwise queue behind frame after frame.
    const auto now = millisecondClock();
    if (now - lastRepaintMs < juce::jmax (16.0, 2.0 * lastPaintMs))
        return;
    lastRepaintMs = now;
    repaintRequested = false;
    repaint();
    if (onRepaintDispatched)
        onRepaintDispatched();
}

void WaveformVisualizer::paint (juce::Graphics& g)
{
    const auto started = millisecondClock();
    paintBackground (g);
    if (scopeMode)
        paintScope (g);
    else
        paintTrace (g);
    lastPaintMs = millisecondClock() - started;

    if (style.glowEnabled && (primaryGlow->framesRemaining > 0 || secondaryGlow->framesRemaining > 0))
        requestPaint();
}

void WaveformVisualizer::paintBackground (juce::Graphics& g)
{
    const auto scale = physicalScale (g);
    if (! backgroundValid || std::abs (backgroundScale - scale) >= 0.01f)
    {
        if (getWidth() < 1 || getHeight() < 1)
        {
            backgroundImage = {};
        }
        else
        {
            backgroundImage = makeLayerImage (getWidth(), getHeight(), scale);
            juce::Graphics ig (backgroundImage);
            ig.addTransform (juce::AffineTransform::scale (scale));
            drawBackgroundInto (ig);
            backgroundScale = scale;
        }
        backgroundValid = true;
    }

    if (backgroundImage.isValid() && ! g.isClipEmpty())
        drawCachedBackground (g);
}

bool WaveformVisualizer::fastBackground = true;

// The cached image inside the rounded panel, clear of its antialiased edge, is
// the opaque background colour with the grid lines blended over it. Filling
// that middle with the colour, blending the same lines over it in the same
// order and blitting the image only over the border gives the same pixels as
// blitting it all, for far less work.
void WaveformVisualizer::drawCachedBackground (juce::Graphics& g)
{
    const auto inner = contentArea.reduced (juce::jmax (style.cornerRadius, 0.0f) + 1.0f);
    const juce::Rectangle<int> middle = juce::Rectangle<int>::leftTopRightBottom ((int) std::ceil (inner.getX()), (int) std::ceil (inner.getY()),
                                                                                   (int) std::floor (inner.getRight()), (int) std::floor (inner.getBottom()));
    const auto wholeImage = juce::AffineTransform::scale (1.0f / backgroundScale);
    if (! fastBackground || ! juce::exactlyEqual (backgroundScale, 1.0f) || middle.isEmpty() || ! style.backgroundColour.isOpaque())
    {
        g.drawImageTransformed (backgroundImage, wholeImage);
        return;
    }

    g.setColour (style.backgroundColour);
    g.fillRect (middle);

    for (const auto& line : gridLines)
    {
        g.setColour (line.colour);
        g.fillRect (line.area.getIntersection (middle).toFloat());
    }

    juce::RectangleList<int> border (getLocalBounds());
    border.subtract (middle);
    blitRegion (g, backgroundImage, border);
}

void WaveformVisualizer::drawBackgroundInto (juce::Graphics& g)
{
    gridLines.clear();
    g.setColour (style.backgroundColour);
    if (style.cornerRadius > 0.0f)
        g.fillRoundedRectangle (contentArea, style.cornerRadius);
    else
        g.fillRect (contentArea);

    if (style.gridEnabled)
        drawGrid (g);
}

void WaveformVisualizer::drawGrid (juce::Graphics& g)
{
    gridLines.clear();
    if (gridStep <= 0.0)
        return;

    juce::Graphics::ScopedSaveState saved (g);
    if (style.cornerRadius > 0.0f)
    {
        juce::Path clip;
        clip.addRoundedRectangle (contentArea, style.cornerRadius);
        g.reduceClipRegion (clip);
    }

    auto lineColour = [this] (double c, int i)
    {
        if (std::abs (c - 0.5) < 0.001)
            return withAlphaLevel (style.gridCentreColour, juce::jmin (style.gridCentreLevel * gridStrength, 1.0f));
        if (style.gridMajorEvery > 0 && i != 0 && std::abs (i) % style.gridMajorEvery == 0)
            return withAlphaLevel (style.gridMajorColour, juce::jmin (style.gridMajorLevel * gridStrength, 1.0f));
        return withAlphaLevel (style.gridMinorColour, juce::jmin (style.gridMinorLevel * gridStrength, 1.0f));
    };

    for (const bool vertical : { true, false })
    {
        double c = 0.0;
        auto i = -(int) std::lround ((0.5 - c) / gridStep);
        for (int drawn = 0; c <= 1.0 && drawn < 100; c += gridStep, ++i)
        {
            if (c < 0.0 || std::abs (c) < 0.001 || std::abs (c - 1.0) < 0.001)
                continue;
            const auto colour = lineColour (c, i);
            g.setColour (colour);
            if (vertical)
            {
                const auto x = (int) (plotArea.getX() + c * plotArea.getWidth());
                const juce::Rectangle<float> line ((float) x, contentArea.getY(), 1.0f, contentArea.getHeight());
                if (contentArea.getHeight() > 0.0f)
                    g.fillRect (line);
                gridLines.add ({ line.getSmallestIntegerContainer(), colour });
            }
            else
            {
                const auto y = (int) (plotArea.getY() + (1.0 - c) * plotArea.getHeight());
                const juce::Rectangle<float> line (contentArea.getX(), (float) y, contentArea.getWidth(), 1.0f);
                if (contentArea.getWidth() > 0.0f)
                    g.fillRect (line);
                gridLines.add ({ line.getSmallestIntegerContainer(), colour });
            }
            ++drawn;
        }
    }
}

// The core line goes through a layer of our own at one-to-one scale (see
// strokeRoundCapped); at other display scales the toolkit strokes it directly.
void WaveformVisualizer::stroke (juce::Graphics& g, const juce::Path& path, juce::Colour colour, float width)
{
    if (std::abs (physicalScale (g) - 1.0f) >= 0.01f || getWidth() < 1 || getHeight() < 1)
    {
        g.setColour (colour);
        g.strokePath (path, juce::PathStrokeType (width, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
        return;
    }

    if (! coreLayer.isValid() || coreLayer.getWidth() != getWidth() || coreLayer.getHeight() != getHeight())
    {
        coreLayer = juce::Image (juce::Image::ARGB, getWidth(), getHeight(), true, juce::SoftwareImageType());
        coreBlocks.reset();
    }
    else
    {
        coreBlocks.clear (coreLayer);
    }
    coreBlocks.prepare (coreLayer.getWidth(), coreLayer.getHeight());
    strokeRoundCapped (coreLayer, path, {}, width, colour, &coreBlocks);

    juce::Graphics::ScopedSaveState saved (g);
    if (g.reduceClipRegion (coreBlocks.bands (coreLayer.getBounds().toFloat())))
    {
        g.setOpacity (1.0f);
        g.drawImageAt (coreLayer, 0, 0);
    }
}

void WaveformVisualizer::paintTrace (juce::Graphics& g)
{
    // The scope's layer is idle here; frames it was given would otherwise keep
    // the plot repainting at the display rate forever.
    secondaryGlow->framesRemaining = 0;
    primaryTrace.clear();
    if (! hasPoints || points.size() < 2)
        return;

    primaryTrace.preallocateSpace ((int) points.size() * (scatterMode ? 6 : 3));
    bool first = true;
    for (const auto& [x, y] : points)
    {
        if (! (std::isfinite (x) && std::isfinite (y)))
            continue;
        const auto p = toScreen (x, y);
        if (scatterMode)
        {
            primaryTrace.startNewSubPath (p);
            primaryTrace.lineTo (p.x + 0.01f, p.y);
        }
        else if (first)
        {
            primaryTrace.startNewSubPath (p);
        }
        else
        {
            primaryTrace.lineTo (p);
        }
        first = false;
    }

    if (! style.glowEnabled)
    {
        stroke (g, primaryTrace, style.traceColour, style.traceThickness);
        return;
    }

    primaryGlow->configure (style.traceColour, style.traceThickness, style.glowIntensity, style.glowSpread, style.glowSpreadScale, 1.0f);
    primaryGlow->render (g, primaryTrace, plotArea);
    stroke (g, primaryTrace, style.coreColour, style.coreThickness);
}

void WaveformVisualizer::buildScopePath (juce::Path& path, const std::vector<float>& samples) const
{
    const auto n = (int) samples.size();
    const auto columns = (int) (plotArea.getWidth() * 4.0f);
    const auto d = columns >= 3 ? columns : 2;
    auto e = n / d;
    if (e < 2)
        e = 1;

    auto yOf = [this] (float sample)
    {
        return plotArea.getY() + plotArea.getHeight() / 2.0f - juce::jlimit (-1.0f, 1.0f, sample) * plotArea.getHeight() / 2.0f;
    };

    path.preallocateSpace ((n / e + 2) * 3);
    for (int index = 0; index < n; index += e)
    {
        const juce::Point<float> p (plotArea.getX() + (float) index / (float) (n - 1) * plotArea.getWidth(), yOf (samples[(size_t) index]));
        if (index == 0)
            path.startNewSubPath (p);
        else
            path.lineTo (p);
    }
    if ((n - 1) % e != 0)
        path.lineTo (plotArea.getRight(), yOf (samples[(size_t) n - 1]));
}

void WaveformVisualizer::paintScope (juce::Graphics& g)
{
    primaryTrace.clear();
    secondaryTrace.clear();
    if (scopeX.size() < 2 || scopeY.size() != scopeX.size())
        return;

    buildScopePath (secondaryTrace, scopeY);
    buildScopePath (primaryTrace, scopeX);

    if (! style.glowEnabled)
    {
        stroke (g, secondaryTrace, withAlphaLevel (style.secondaryColour, style.secondaryAlpha), style.secondaryThickness);
        stroke (g, primaryTrace, style.traceColour, style.traceThickness);
        return;
    }

    secondaryGlow->configure (style.secondaryColour, style.secondaryThickness, style.glowIntensity, style.glowSpread,
                              style.glowSpreadScale, style.secondaryAlpha);
    secondaryGlow->render (g, secondaryTrace, plotArea);
    stroke (g, secondaryTrace, withAlphaLevel (style.secondaryCoreColour, style.secondaryAlpha), style.secondaryThickness);

    primaryGlow->configure (style.traceColour, style.traceThickness, style.glowIntensity, style.glowSpread, style.glowSpreadScale, 1.0f);
    primaryGlow->render (g, primaryTrace, plotArea);
    stroke (g, primaryTrace, style.coreColour, style.coreThickness);
}

void WaveformVisualizer::paintBezel (juce::Graphics& g)
{
    if (! style.innerShadowEnabled && ! style.cornerMaskEnabled)
        return;

    const auto scale = physicalScale (g);
    if (! bezelValid || std::abs (bezelScale - scale) >= 0.01f)
    {
        if (getWidth() < 1 || getHeight() < 1)
        {
            bezelImage = {};
        }
        else
        {
            bezelImage = makeLayerImage (getWidth(), getHeight(), scale);
            juce::Graphics ig (bezelImage);
            ig.addTransform (juce::AffineTransform::scale (scale));
            if (style.innerShadowEnabled)
                drawInnerShadow (ig);
            if (style.cornerMaskEnabled)
                drawCornerMask (ig);
            bezelScale = scale;
        }
        bezelValid = true;
    }

    if (! bezelImage.isValid() || g.isClipEmpty())
        return;

    // Inside the panel, clear of the shadow and the rounded corners, the bezel
    // image is fully transparent: compositing it there would only cost time.
    const auto clearance = juce::jmax (style.innerShadowEnabled ? style.innerShadowDepth : 0.0f, style.cornerRadius) + 1.0f;
    const auto clear = contentArea.reduced (clearance).getSmallestIntegerContainer().reduced (1);
    if (! juce::exactlyEqual (bezelScale, 1.0f))
    {
        juce::Graphics::ScopedSaveState saved (g);
        g.excludeClipRegion (clear);
        if (! g.isClipEmpty())
            g.drawImageTransformed (bezelImage, juce::AffineTransform::scale (1.0f / bezelScale));
        return;
    }

    juce::RectangleList<int> shaded (getLocalBounds());
    shaded.subtract (clear);
    blitRegion (g, bezelImage, shaded);
}

void WaveformVisualizer::drawInnerShadow (juce::Graphics& g)
{
    const auto x = contentArea.getX(), y = contentArea.getY(), w = contentArea.getWidth(), h = contentArea.getHeight();
    if (w <= 0.0f || h <= 0.0f)
        return;
    const auto half = juce::jmin (w, h) * 0.5f;
    const auto depth = juce::jmin (half, style.innerShadowDepth);
    const auto strength = style.innerShadowStrength;
    if (depth < 1.0f || strength <= 0.0f)
        return;

    const auto r = juce::jmax (0.0f, juce::jmin (half, style.cornerRadius));
    const auto m = juce::jmax (depth, r);
    const auto bigR = r > 0.0f ? r : m;

    juce::Graphics::ScopedSaveState saved (g);
    if (r > 0.0f)
    {
        juce::Path clip;
        clip.addRoundedRectangle (contentArea, r);
        g.reduceClipRegion (clip);
    }

    auto shade = [&] (float t) { return withAlphaLevel (style.backgroundColour, (1.0f - smoothStep (t)) * strength); };

    auto band = [&] (juce::Rectangle<float> area, juce::Point<float> from, juce::Point<float> to)
    {
        if (area.isEmpty())
            return;
        juce::ColourGradient gradient (shade (0.0f), from, shade (1.0f), to, false);
        for (int i = 1; i <= 7; ++i)
            gradient.addColour (i / 8.0, shade ((float) i / 8.0f));
        g.setGradientFill (gradient);
        g.fillRect (area);
    };

    band ({ x + m, y, w - 2 * m, depth }, { 0, y }, { 0, y + depth });
    band ({ x + m, y + h - depth, w - 2 * m, depth }, { 0, y + h }, { 0, y + h - depth });
    band ({ x, y + m, depth, h - 2 * m }, { x, 0 }, { x + depth, 0 });
    band ({ x + w - depth, y + m, depth, h - 2 * m }, { x + w, 0 }, { x + w - depth, 0 });

    auto corner = [&] (juce::Rectangle<float> square, juce::Point<float> centre)
    {
        juce::ColourGradient gradient (withAlphaLevel (style.backgroundColour, 0.0f), centre, withAlphaLevel (style.backgroundColour, strength),
                                       centre.translated (bigR, 0.0f), true);
        if (bigR > depth)
            gradient.addColour ((bigR - depth) / bigR, withAlphaLevel (style.backgroundColour, 0.0f));
        for (int i = 1; i <= 7; ++i)
        {
            const auto position = juce::jlimit (0.001f, 0.999f, 1.0f - (1.0f - (float) i / 8.0f) * depth / bigR);
            gradient.addColour (position, shade (1.0f - (float) i / 8.0f));
        }
        g.setGradientFill (gradient);
        g.fillRect (square);
    };

    corner ({ x, y, m, m }, { x + bigR, y + bigR });
    corner ({ x + w - m, y, m, m }, { x + w - bigR, y + bigR });
    corner ({ x, y + h - m, m, m }, { x + bigR, y + h - bigR });
    corner ({ x + w - m, y + h - m, m, m }, { x + w - bigR, y + h - bigR });
}

void WaveformVisualizer::drawCornerMask (juce::Graphics& g)
{
    juce::Path mask;
    mask.addRectangle (getLocalBounds().toFloat());
    if (style.cornerRadius > 0.0f)
        mask.addRoundedRectangle (contentArea, style.cornerRadius);
    else
        mask.addRectangle (contentArea);
    mask.setUsingNonZeroWinding (false);
    if (! mask.isEmpty())
    {
        g.setColour (style.cornerMaskColour);
        g.fillPath (mask);
    }
}

WaveformVisualizer::Style defaultVisualizerStyle()
{
    WaveformVisualizer::Style s;
    s.backgroundColour = neutralColour (0);
    s.traceColour = primaryColour (6);
    s.traceThickness = 2.0f;
    s.glowEnabled = getTheme().glowEnabled;
    s.glowIntensity = getTheme().glowIntensity;
    s.glowSpreadScale = 1.0f;
    s.glowSpread = 24.0f;
    s.coreColour = primaryColour (10);
    s.coreThickness = 1.0f;
    s.secondaryColour = secondaryColour (7);
    s.secondaryCoreColour = secondaryColour (10);
    s.secondaryThickness = 1.75f;
    s.secondaryAlpha = 0.7f;
    s.marginLeft = 8.0f;
    s.marginRight = 8.0f;
    s.marginTop = 0.0f;
    s.marginBottom = 0.0f;
    s.gridEnabled = true;
    s.gridMinorColour = neutralColour (4);
    s.gridMinorLevel = 0.05f;
    s.gridMajorEvery = 2;
    s.gridMajorColour = neutralColour (4);
    s.gridMajorLevel = 0.1f;
    s.gridCentreColour = neutralColour (4);
    s.gridCentreLevel = 0.15f;
    s.cornerRadius = 6.0f;
    s.cornerMaskEnabled = true;
    s.cornerMaskColour = palette()[1];
    s.innerShadowEnabled = true;
    s.innerShadowDepth = s.cornerRadius;
    s.innerShadowStrength = 1.0f;
    return s;
}
} // namespace ui_core
