#include "ui_core/Rotary3DKnob.h"

#include "ui_core/DesignTokens.h"

#include <cmath>

namespace ui_core
{
namespace
{
// The toolkit's arcs start at 12 o'clock; the style's angles at 3 o'clock.
constexpr float toToolkitAngle = 1.5707964f;

juce::Path centredArc (float cx, float cy, float radius, float from, float to)
{
    juce::Path arc;
    arc.addCentredArc (cx, cy, radius, radius, 0.0f, from + toToolkitAngle, to + toToolkitAngle, true);
    return arc;
}

juce::PathStrokeType arcStroke (float thickness)
{
    return { thickness, juce::PathStrokeType::curved, juce::PathStrokeType::rounded };
}

juce::Colour opaqueOr (juce::Colour colour, juce::Colour fallback) { return colour.getAlpha() == 0 ? fallback : colour; }
} // namespace

Rotary3DKnob::Rotary3DKnob()
{
    setSliderStyle (juce::Slider::RotaryHorizontalVerticalDrag);
    setTextBoxStyle (juce::Slider::NoTextBox, false, 0, 0);
    setWantsKeyboardFocus (true);
}

Rotary3DKnob::~Rotary3DKnob() = default;

void Rotary3DKnob::setStyle (const Style& newStyle)
{
    if (newStyle == style)
        return;
    style = newStyle;
    cacheValid = false;
    repaint();
}

void Rotary3DKnob::mouseEnter (const juce::MouseEvent& e)
{
    hovered = true;
    juce::Slider::mouseEnter (e);
    repaint();
}

void Rotary3DKnob::mouseExit (const juce::MouseEvent& e)
{
    hovered = false;
    juce::Slider::mouseExit (e);
    repaint();
}

void Rotary3DKnob::mouseDown (const juce::MouseEvent& e)
{
    if (textEntry.isActive())
        return;
    dragging = true;
    juce::Slider::mouseDown (e);
    repaint();
}

void Rotary3DKnob::mouseUp (const juce::MouseEvent& e)
{
    if (! dragging)
        return;
    dragging = false;
    juce::Slider::mouseUp (e);
    repaint();
}

void Rotary3DKnob::mouseDoubleClick (const juce::MouseEvent&) { textEntry.tryStart(); }

void Rotary3DKnob::resized()
{
    juce::Slider::resized();
    cacheValid = false;
    textEntry.layout();
}

void Rotary3DKnob::valueChanged() {}

Rotary3DKnob::Geometry Rotary3DKnob::geometry() const noexcept
{
    const auto w = (float) getWidth(), h = (float) getHeight();
    const auto m = juce::jmin (w, h);
    return { w / 2.0f, h / 2.0f, 0.36f * m, m / 2.0f - style.arcThickness / 2.0f, m <= 60.0f };
}

float Rotary3DKnob::valueProportion()
{
    if (getMaximum() <= getMinimum())
        return 0.0f;
    return juce::jlimit (0.0f, 1.0f, (float) valueToProportionOfLength (getValue()));
}

void Rotary3DKnob::paint (juce::Graphics& g)
{
    const auto scale = juce::jmax (g.getInternalContext().getPhysicalPixelScaleFactor(), 1.0f);
    refreshBodyCache (scale);

    const auto& body = (hovered || dragging) ? bodyImageHighlighted : bodyImage;
    if (cacheValid && body.isValid())
    {
        if (std::abs (scale - 1.0f) < 0.01f)
            g.drawImageAt (body, 0, 0);
        else
            g.drawImageTransformed (body, juce::AffineTransform::scale (1.0f / cachedScale));
    }

    const auto geo = geometry();
    const auto angle = style.startAngle + (style.endAngle - style.startAngle) * valueProportion();
    g.setColour (opaqueOr (style.valueArcColour, style.accentColour));
    g.strokePath (centredArc (geo.cx, geo.cy, geo.arcRadius, style.startAngle, angle), arcStroke (style.arcThickness));

    if (isEnabled())
        paintPointer (g, geo, angle + toToolkitAngle);

    if (hovered || dragging)
    {
        g.setColour (juce::Colours::white.withAlpha ((juce::uint8) juce::roundToInt (255.0f * (dragging ? 0.06f : 0.04f))));
        g.fillEllipse (geo.cx - geo.bodyRadius, geo.cy - geo.bodyRadius, 2.0f * geo.bodyRadius, 2.0f * geo.bodyRadius);
    }

    if (auto* field = textEntry.getEditor())
    {
        g.setColour (textEntry.style.backdropColour);
        g.fillRoundedRectangle (field->getBounds().expanded (2).toFloat(), textEntry.style.cornerRadius);
    }
}

float Rotary3DKnob::pointerBarWidth() const noexcept
{
    const auto geo = geometry();
    const auto m = (geo.small ? 1.5f : 2.0f) * style.pointerWidth;
    return m < 2.0f ? 2.0f : juce::jmin (geo.bodyRadius / 2.0f, m);
}

void Rotary3DKnob::paintPointer (juce::Graphics& g, const Geometry& geo, float angle) const
{
    const auto r = geo.bodyRadius;
    const auto pw = pointerBarWidth();

    juce::Path pointer;
    pointer.addRoundedRectangle (geo.cx - pw / 2.0f, geo.cy - 0.92f * r, pw, 0.62f * r, pw / 2.0f);
    pointer.applyTransform (juce::AffineTransform::rotation (angle, geo.cx, geo.cy));

    juce::Path circle;
    circle.addEllipse (geo.cx - r, geo.cy - r, 2.0f * r, 2.0f * r);

    juce::Graphics::ScopedSaveState saved (g);
    g.reduceClipRegion (circle);
    g.setColour (juce::Colours::black.withAlpha ((juce::uint8) 0x2E));
    g.fillPath (pointer, juce::AffineTransform::translation (0.5f, 0.8f));
    g.setColour (style.accentColour);
    g.fillPath (pointer);
    g.setColour (juce::Colours::white.withAlpha ((juce::uint8) 0x26));
    g.fillPath (pointer, juce::AffineTransform::translation (-0.3f, -0.5f));
}

void Rotary3DKnob::refreshBodyCache (float scale)
{
    const auto w = juce::roundToInt ((float) getWidth() * scale), h = juce::roundToInt ((float) getHeight() * scale);
    const auto reusable = cacheValid && bodyImage.isValid() && bodyImageHighlighted.isValid() && bodyImage.getWidth() == w
                          && bodyImage.getHeight() == h && std::abs (scale - cachedScale) < 0.01f;
    if (reusable)
        return;
    if (getWidth() < 1 || getHeight() < 1 || scale <= 0.0f)
        return;

    bodyImage = juce::Image (juce::Image::ARGB, w, h, true);
    bodyImageHighlighted = juce::Image (juce::Image::ARGB, w, h, true);
    renderBody (bodyImage, scale, 0.12f);
    renderBody (bodyImageHighlighted, scale, 0.2f);
    cachedScale = scale;
    cacheValid = true;
    ++bodyRenders;
}

void Rotary3DKnob::renderBody (juce::Image& image, float scale, float rimStrength) const
{
    juce::Graphics g (image);
    g.addTransform (juce::AffineTransform::scale (scale));
    const auto geo = geometry();
    const auto cx = geo.cx, cy = geo.cy, r = geo.bodyRadius;

    g.setColour (opaqueOr (style.trackColour, juce::Colours::grey.darker (0.3f)));
    g.strokePath (centredArc (cx, cy, geo.arcRadius, style.startAngle, style.endAngle), arcStroke (style.arcThickness));

    const juce::Rectangle<float> square (cx - r, cy - r, 2.0f * r, 2.0f * r);
    g.setColour (style.bodyColour);
    g.fillEllipse (square);

    {
        juce::Graphics::ScopedSaveState saved (g);
        juce::Path circle;
        circle.addEllipse (square);
        g.reduceClipRegion (circle);
        g.setGradientFill (juce::ColourGradient (juce::Colours::black.withAlpha ((juce::uint8) 0x14), cx, cy + 0.6f * r,
                                                 juce::Colours::black.withAlpha ((juce::uint8) 0), cx, cy - 0.3f * r, false));
        g.fillRect (square);
        g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha ((juce::uint8) 0x0F), cx, cy - 0.7f * r,
                                                 juce::Colours::white.withAlpha ((juce::uint8) 0), cx, cy + 0.2f * r, false));
        g.fillRect (square);
    }

    const auto t = rimThickness();
    juce::Path rim;
    rim.addEllipse (cx - r + t / 2.0f, cy - r + t / 2.0f, 2.0f * r - t, 2.0f * r - t);
    g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha ((juce::uint8) juce::roundToInt (255.0f * rimStrength)), cx - 0.5f * r,
                                             cy - 0.6f * r, juce::Colours::white.withAlpha ((juce::uint8) 0), cx + 0.6f * r, cy + 0.5f * r, false));
    g.strokePath (rim, arcStroke (t));
}

Rotary3DKnob::Style defaultKnobStyle()
{
    Rotary3DKnob::Style s;
    s.trackColour = palette()[11].withAlpha (alphaLevels()[13]);
    s.valueArcColour = palette()[45];
    s.bodyColour = palette()[3];
    s.accentColour = palette()[45];
    return s;
}
} // namespace ui_core
