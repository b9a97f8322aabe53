#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui_core
{
// The card shown over the plot while the sidechain is missing: a title, an
// explanation, a signal-flow diagram and routing hints. Clicks pass through.
class WarningOverlayPanel : public juce::Component
{
public:
    static constexpr int preferredWidth = 400;

    struct Style
    {
        juce::Colour backgroundColour { 0xff242424 };
        juce::Colour borderColour { 0xff333333 };
        float cornerRadius = 12.0f;
        float borderThickness = 1.0f;
        int padding = 24;
        int titleGap = 8;
        juce::Colour titleColour { 0xffb3b3b3 };
        juce::Font titleFont { juce::FontOptions (16.0f) };
        juce::Colour bodyColour { 0xff6b6b6b };
        juce::Font bodyFont { juce::FontOptions (12.0f) };
        juce::Colour diagramBoxColour { 0xff6b6b6b };
        juce::Colour diagramLineColour { 0xff6b6b6b };
        juce::Font diagramFont { juce::FontOptions (10.0f) };
        int diagramHeight = 100;
        int sectionGap = 16;

        bool operator== (const Style&) const = default;
    };

    WarningOverlayPanel();
    ~WarningOverlayPanel() override;

    void setStyle (const Style& newStyle);
    const Style& getStyle() const noexcept { return style; }
    void setTitle (const juce::String&);
    void setBody (const juce::String&);
    void setFooter (const juce::String&);

    // Height showing every part at the fixed width.
    int getPreferredHeight() const;

    // Heights of the parts as laid out at a content width.
    int titleHeight() const;
    int paragraphHeight (const juce::String& text, int contentWidth) const;

    void paint (juce::Graphics&) override;

private:
    juce::TextLayout paragraph (const juce::String& text, int contentWidth) const;
    void paintDiagram (juce::Graphics&, juce::Rectangle<float> row) const;

    Style style;
    juce::String title, body, footer;
};

// The style the editor gives the warning, from the current tokens.
WarningOverlayPanel::Style editorWarningStyle();
} // namespace ui_core
