#include "ui_core/VerdictLine.h"

#include "ui_core/DesignTokens.h"
#include "ui_core/Fonts.h"
#include "ui_core/ThemeColours.h"

namespace ui_core
{
VerdictLine::VerdictLine()
{
    setInterceptsMouseClicks (true, false);
}

juce::Colour VerdictLine::colourOf (Kind k)
{
    switch (k)
    {
        case Kind::good: return juce::Colour (0xff2e9d5b);
        case Kind::doubtful: return juce::Colour (0xffd99a1e);
        case Kind::failed: return juce::Colour (0xffd6453d);
    }
    return {};
}

void VerdictLine::show (Kind k, double residualPercent, const juce::String& brief, const juce::StringArray& reasons)
{
    verdict = k;
    word = k == Kind::good ? "good" : k == Kind::doubtful ? "doubtful" : "failed";
    rest = "  " + juce::String (residualPercent, residualPercent < 10.0 ? 2 : 1) + " %" + (brief.isEmpty() ? juce::String() : "  " + brief);
    line = word + rest;
    setTooltip (reasons.isEmpty() ? "The fit is good: Y follows one static curve of X." : "Verdict " + word + ": " + reasons.joinIntoString ("; ") + ".");
    repaint();
}

void VerdictLine::paint (juce::Graphics& g)
{
    if (line.isEmpty())
        return;
    const auto bounds = getLocalBounds().toFloat();
    g.setColour (neutralColour (0).withAlpha (0.72f));
    g.fillRoundedRectangle (bounds, bounds.getHeight() * 0.25f);

    // Sized by the line's height, so it scales with the window.
    auto font = makeTextStyle (textSmall).font.withHeight (bounds.getHeight() * 0.62f);
    const auto inner = bounds.reduced (bounds.getHeight() * 0.35f, 0.0f);
    const auto wordWidth = juce::GlyphArrangement::getStringWidth (font.boldened(), word);
    g.setFont (font.boldened());
    g.setColour (colourOf (verdict));
    g.drawText (word, inner.withWidth (wordWidth + 1.0f), juce::Justification::centredLeft, false);
    g.setFont (font);
    g.setColour (textColours()[1]);
    const auto gap = font.getHeight() * 0.6f;
    g.drawFittedText (rest.trimStart(), inner.withTrimmedLeft (wordWidth + gap).toNearestInt(), juce::Justification::centredLeft, 1, 0.8f);
}
} // namespace ui_core
