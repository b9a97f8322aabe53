#pragma once

#include <juce_graphics/juce_graphics.h>

namespace ui_core
{
// The caption-over-value layout of the number box and the inline combo: the
// inner area split into a caption row, a gap and a value row.
struct CaptionedValueLayout
{
    juce::Rectangle<int> caption, value;
};

CaptionedValueLayout layoutCaptionAndValue (int width, int height, int marginX, int marginY, int labelGap);

// One line of text centred (or as justified) in its cell, cut with an
// ellipsis when it does not fit; nothing when the cell is empty.
void drawCellText (juce::Graphics& g, const juce::String& text, const juce::Font& font, juce::Colour colour,
                   juce::Rectangle<int> cell, juce::Justification justification);
} // namespace ui_core
