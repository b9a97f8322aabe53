#include "ui_core/ValueDisplay.h"

#include "ui_core/DesignTokens.h"
#include "ui_core/Fonts.h"

namespace ui_core
{
DisplayStyle defaultDisplayStyle()
{
    DisplayStyle s;
    s.valueFont = interFont (2, 14.0f);
    s.labelFont = interFont (1, 11.0f).withExtraKerningFactor (0.1f);
    s.labelColour = palette()[11];
    s.valueColour = palette()[45];
    s.backgroundColour = juce::Colours::transparentBlack;
    s.backgroundAlpha = 0.0f;
    s.hoverBackgroundColour = palette()[2];
    s.hoverBackgroundAlpha = 0.3f;
    s.pressedBackgroundColour = palette()[2];
    s.pressedBackgroundAlpha = 0.5f;
    s.borderColour = palette()[17];
    s.borderAlpha = 0.6f;
    s.borderThickness = 1.0f;
    s.cornerRadius = 4.0f;
    s.marginX = spacingTokens()[4];
    s.marginY = spacingTokens()[4];
    return s;
}

ValueDisplay::ValueDisplay (juce::AudioProcessorValueTreeState& state, juce::StringArray parameterIds)
    : parameters (state), followedIds (std::move (parameterIds))
{
}

void ValueDisplay::startFollowing()
{
    for (const auto& id : followedIds)
        parameters.addParameterListener (id, this);
}

ValueDisplay::~ValueDisplay() { stopFollowing(); }

void ValueDisplay::stopFollowing()
{
    stopTimer();
    for (const auto& id : followedIds)
        parameters.removeParameterListener (id, this);
    followedIds.clear();
    cancelPendingUpdate();
}

float ValueDisplay::currentValue (const juce::String& parameterId) const
{
    const auto* value = parameters.getRawParameterValue (parameterId);
    return value != nullptr ? value->load() : 0.0f;
}

void ValueDisplay::setStyle (const DisplayStyle& newStyle)
{
    if (newStyle == style)
        return;
    style = newStyle;
    repaint();
}

void ValueDisplay::handleAsyncUpdate() { repaint(); }

void ValueDisplay::mouseEnter (const juce::MouseEvent&)
{
    if (! isEnabled())
        return;
    mouseOver = true;
    repaint();
    startTimer (100);
    checkHover();
}

void ValueDisplay::mouseExit (const juce::MouseEvent&)
{
    mouseOver = false;
    repaint();
}

void ValueDisplay::mouseDown (const juce::MouseEvent&)
{
    pressed = true;
    repaint();
}

void ValueDisplay::mouseUp (const juce::MouseEvent&)
{
    pressed = false;
    repaint();
}

void ValueDisplay::timerCallback()
{
    checkHover();
    if (! hovered)
        stopTimer();
}

void ValueDisplay::checkHover()
{
    const auto inside = getLocalBounds().toFloat().contains (getMouseXYRelative().toFloat());
    const auto companion = (isCompanionHovered && isCompanionHovered()) || (isCompanionActive && isCompanionActive());
    if (inside || companion)
    {
        if (! hovered)
        {
            hovered = true;
            if (onHoverStart)
                onHoverStart();
            repaint();
        }
    }
    else if (hovered)
    {
        hovered = false;
        if (onHoverEnd)
            onHoverEnd();
        repaint();
    }
}

juce::Path ValueDisplay::panelShape() const
{
    const auto w = (float) getWidth(), h = (float) getHeight();
    const auto rx = juce::jmin (w * 0.5f, style.cornerRadius), ry = juce::jmin (h * 0.5f, style.cornerRadius);
    juce::Path p;
    p.startNewSubPath (0.0f, 0.0f);
    p.lineTo (w, 0.0f);
    p.lineTo (w, h - ry);
    p.cubicTo (w, h - 0.45f * ry, w - 0.45f * rx, h, w - rx, h);
    p.lineTo (rx, h);
    p.cubicTo (0.45f * rx, h, 0.0f, h - 0.45f * ry, 0.0f, h - ry);
    p.closeSubPath();
    return p;
}

ValueDisplay::Rows ValueDisplay::rows() const
{
    auto innerW = juce::jmax (0, getWidth() - 2 * style.marginX);
    auto innerH = juce::jmax (0, getHeight() - 2 * style.marginY);
    const auto labelHeight = innerH / 2;
    const auto gap = juce::jmin (innerH - labelHeight, 2);
    return { { style.marginX, style.marginY, innerW, labelHeight },
             { style.marginX, style.marginY + labelHeight + gap, innerW, innerH - labelHeight - gap } };
}

void ValueDisplay::paint (juce::Graphics& g)
{
    const auto enabled = isEnabled();
    auto fill = withAlphaLevel (style.backgroundColour, style.backgroundAlpha);
    if (enabled && pressed)
        fill = withAlphaLevel (style.pressedBackgroundColour, style.pressedBackgroundAlpha);
    else if (enabled && (hovered || mouseOver))
        fill = withAlphaLevel (style.hoverBackgroundColour, style.hoverBackgroundAlpha);

    const auto shape = panelShape();
    g.setColour (fill);
    g.fillPath (shape);
    if (enabled && (hovered || mouseOver))
    {
        g.setColour (withAlphaLevel (style.borderColour, style.borderAlpha));
        g.strokePath (shape, juce::PathStrokeType (style.borderThickness, juce::PathStrokeType::mitered, juce::PathStrokeType::butt));
    }

    paintTexts (g, enabled ? 1.0f : 0.4f);
}
} // namespace ui_core
