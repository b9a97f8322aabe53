#include "ui_core/TooltipDisplayPanel.h"

namespace ui_core
{
TooltipDisplayPanel::TooltipDisplayPanel()
{
    setInterceptsMouseClicks (false, false);
    startTimer (idleIntervalMs);
}

TooltipDisplayPanel::~TooltipDisplayPanel() { stopTimer(); }

void TooltipDisplayPanel::setStyle (const Style& newStyle)
{
    if (newStyle == style)
        return;
    style = newStyle;
    repaint();
}

void TooltipDisplayPanel::timerCallback() { tick(); }

juce::String TooltipDisplayPanel::tooltipUnderMouse() const
{
    if (source == nullptr)
        return {};

    auto& desktop = juce::Desktop::getInstance();
    auto mouse = desktop.getMousePosition().toFloat();
    const auto main = desktop.getMainMouseSource();
    if (main.isDragging())
    {
        mouse = main.getScreenPosition();
        const auto globalScale = desktop.getGlobalScaleFactor();
        if (! juce::exactlyEqual (globalScale, 1.0f))
            mouse /= globalScale;
    }

    const auto local = source->getLocalPoint (nullptr, mouse).roundToInt();
    if (! source->getLocalBounds().contains (local))
        return {};
    for (auto* c = source->getComponentAt (local); c != nullptr; c = c->getParentComponent())
    {
        if (auto* client = dynamic_cast<juce::TooltipClient*> (c))
            return client->getTooltip();
        if (c == source)
            break;
    }
    return {};
}

float TooltipDisplayPanel::overflow() const
{
    return juce::GlyphArrangement::getStringWidth (style.font, currentText) - (float) (getWidth() - 2 * style.marginX);
}

void TooltipDisplayPanel::stopScrolling()
{
    scrolling = false;
    scrollOffset = 0.0f;
    startTimer (idleIntervalMs);
}

void TooltipDisplayPanel::showMessage (const juce::String& text)
{
    message = text;
    tooltipWhenMessageCame = tooltipUnderMouse();
    messageCameAt = juce::Time::getMillisecondCounter();
    tick();
}

juce::String TooltipDisplayPanel::textToShow()
{
    auto tooltip = tooltipUnderMouse();
    if (message.isNotEmpty() && (tooltip != tooltipWhenMessageCame || juce::Time::getMillisecondCounter() - messageCameAt > messageHoldMs))
        message.clear();
    return message.isNotEmpty() ? message : tooltip;
}

void TooltipDisplayPanel::tick()
{
    const auto candidate = textToShow();
    if (candidate != currentText)
    {
        currentText = candidate;
        stopScrolling();
        repaint();
        return;
    }
    if (currentText.isEmpty())
        return;

    const auto excess = overflow();
    if (excess <= 0.0f)
    {
        if (scrolling)
        {
            stopScrolling();
            repaint();
        }
        return;
    }

    if (! scrolling)
    {
        scrolling = true;
        scrollOffset = 0.0f;
        holdTicks = holdTicksAtEnds;
        startTimer (scrollIntervalMs);
        return;
    }

    if (holdTicks > 0)
    {
        --holdTicks;
        if (holdTicks == 0 && scrollOffset >= excess)
        {
            scrollOffset = 0.0f;
            holdTicks = holdTicksAtEnds;
            repaint();
        }
        return;
    }

    scrollOffset += 1.0f;
    if (scrollOffset >= excess)
    {
        scrollOffset = excess;
        holdTicks = holdTicksAtEnds;
    }
    repaint();
}

void TooltipDisplayPanel::paint (juce::Graphics& g)
{
    const auto alpha = juce::jmin (255, juce::roundToInt ((float) style.backgroundColour.getAlpha() * style.backgroundOpacity));
    g.setColour (style.backgroundColour.withAlpha ((juce::uint8) juce::jmax (0, alpha)));
    if (style.cornerRadius > 0.0f)
    {
        const auto bounds = getLocalBounds().toFloat();
        g.fillRoundedRectangle (bounds, style.cornerRadius);
        if (style.borderThickness > 0.0f)
        {
            g.setColour (style.borderColour);
            g.drawRoundedRectangle (bounds.reduced (style.borderThickness / 2.0f), style.cornerRadius, style.borderThickness);
        }
    }
    else
    {
        g.fillAll();
    }

    if (currentText.isEmpty())
        return;

    const juce::Rectangle<int> area (style.marginX, 0, getWidth() - 2 * style.marginX, getHeight());
    g.setFont (style.font);
    g.setColour (style.textColour);
    if (overflow() <= 0.0f)
    {
        g.drawText (currentText, area, juce::Justification (12), false);
        return;
    }
    g.reduceClipRegion (area);
    g.drawText (currentText, juce::Rectangle<float> ((float) style.marginX - scrollOffset, 0.0f, overflow() + (float) area.getWidth() + 1.0f,
                                                     (float) getHeight()),
                juce::Justification::centredLeft, false);
}
} // namespace ui_core
