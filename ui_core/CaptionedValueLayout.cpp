#include "ui_core/CaptionedValueLayout.h"

namespace ui_core
{
CaptionedValueLayout layoutCaptionAndValue (int width, int height, int marginX, int marginY, int labelGap)
{
    const auto iw = juce::jmax (width - 2 * marginX, 0);
    const auto ih = juce::jmax (height - 2 * marginY, 0);
    const auto lh = juce::jmin (ih, (ih - labelGap) / 2);
    const auto gap = juce::jmin (ih - lh, labelGap);
    return { { marginX, marginY, iw, juce::jmax (lh, 0) }, { marginX, marginY + lh + gap, iw, juce::jmax (ih - lh - gap, 0) } };
}

void drawCellText (juce::Graphics& g, const juce::String& text, const juce::Font& font, juce::Colour colour,
                   juce::Rectangle<int> cell, juce::Justification justification)
{
    if (text.isEmpty() || cell.getWidth() <= 0 || cell.getHeight() <= 0)
        return;
    g.setFont (font);
    g.setColour (colour);
    g.drawText (text, cell, justification, true);
}
} // namespace ui_core
