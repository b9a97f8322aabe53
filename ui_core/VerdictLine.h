#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui_core
{
// A fit's verdict in a corner of the frozen plot: the verdict word in its
// colour, the residual in %, the first reason in a few words. Its tooltip
// holds every reason in full, for the tooltip strip.
class VerdictLine : public juce::Component, public juce::SettableTooltipClient
{
public:
    enum class Kind
    {
        good,
        doubtful,
        failed
    };

    VerdictLine();

    void show (Kind, double residualPercent, const juce::String& brief, const juce::StringArray& reasons);
    const juce::String& text() const noexcept { return line; }
    Kind kind() const noexcept { return verdict; }

    // The colour a verdict word is drawn in: the same hues whatever the theme,
    // so "good" never reads as a warning.
    static juce::Colour colourOf (Kind);

    // Repaints in the theme's current text colours.
    void themeChanged() { repaint(); }

    void paint (juce::Graphics&) override;

private:
    Kind verdict = Kind::good;
    juce::String word, rest, line;
};
} // namespace ui_core
