#include "ui_core/WarningOverlayPanel.h"

#include "ui_core/DesignTokens.h"
#include "ui_core/Fonts.h"

#include <cmath>

namespace ui_core
{
namespace
{
void arrowHead (juce::Graphics& g, juce::Point<float> tip, juce::Point<float> baseA, juce::Point<float> baseB)
{
    juce::Path head;
    head.addTriangle (tip, baseA, baseB);
    g.fillPath (head);
}
} // namespace

WarningOverlayPanel::WarningOverlayPanel() { setInterceptsMouseClicks (false, false); }

WarningOverlayPanel::~WarningOverlayPanel() = default;

void WarningOverlayPanel::setStyle (const Style& newStyle)
{
    style = newStyle;
    repaint();
}

void WarningOverlayPanel::setTitle (const juce::String& text)
{
    title = text;
    repaint();
}

void WarningOverlayPanel::setBody (const juce::String& text)
{
    body = text;
    repaint();
}

void WarningOverlayPanel::setFooter (const juce::String& text)
{
    footer = text;
    repaint();
}

int WarningOverlayPanel::titleHeight() const
{
    if (title.isEmpty())
        return 0;
    juce::GlyphArrangement glyphs;
    glyphs.addLineOfText (style.titleFont, title, 0.0f, 0.0f);
    return (int) std::ceil (glyphs.getBoundingBox (0, -1, true).getHeight());
}

juce::TextLayout WarningOverlayPanel::paragraph (const juce::String& text, int contentWidth) const
{
    juce::AttributedString attributed;
    attributed.append (text, style.bodyFont, style.bodyColour);
    attributed.setJustification (juce::Justification::topLeft);
    attributed.setLineSpacing (1.2f);
    attributed.setWordWrap (juce::AttributedString::byWord);
    juce::TextLayout layout;
    layout.createLayout (attributed, (float) juce::jmax (0, contentWidth), 10000000.0f);
    return layout;
}

int WarningOverlayPanel::paragraphHeight (const juce::String& text, int contentWidth) const
{
    return text.isEmpty() ? 0 : (int) std::ceil (paragraph (text, contentWidth).getHeight());
}

int WarningOverlayPanel::getPreferredHeight() const
{
    const auto w = preferredWidth - 2 * style.padding;
    auto h = 2 * style.padding;
    if (title.isNotEmpty())
        h += titleHeight() + style.titleGap;
    if (body.isNotEmpty())
        h += paragraphHeight (body, w) + style.sectionGap;
    if (style.diagramHeight > 0)
        h += style.diagramHeight + style.sectionGap;
    if (footer.isNotEmpty())
        h += paragraphHeight (footer, w);
    return h;
}

void WarningOverlayPanel::paint (juce::Graphics& g)
{
    const auto bounds = getLocalBounds().toFloat();
    g.setColour (style.backgroundColour);
    g.fillRoundedRectangle (bounds, style.cornerRadius);
    const auto inset = style.borderThickness / 2.0f;
    g.setColour (style.borderColour);
    g.drawRoundedRectangle (bounds.getX() + inset, bounds.getY() + inset, juce::jmax (0.0f, bounds.getWidth() - 2.0f * inset),
                            juce::jmax (0.0f, bounds.getHeight() - 2.0f * inset), style.cornerRadius, style.borderThickness);

    const auto w = getWidth() - 2 * style.padding;
    auto y = style.padding;
    const auto bottom = getHeight() - style.padding;
    auto take = [&] (int height)
    {
        const auto row = juce::jmax (0, juce::jmin (height, bottom - y));
        const juce::Rectangle<int> area (style.padding, y, w, row);
        y += row;
        return area;
    };

    if (title.isNotEmpty())
    {
        g.setColour (style.titleColour);
        g.setFont (style.titleFont);
        g.drawText (title, take (titleHeight()), juce::Justification::centredLeft, true);
        take (style.titleGap);
    }
    if (body.isNotEmpty())
    {
        paragraph (body, w).draw (g, take (paragraphHeight (body, w)).toFloat());
        take (style.sectionGap);
    }
    if (style.diagramHeight > 0)
    {
        paintDiagram (g, take (style.diagramHeight).toFloat());
        take (style.sectionGap);
    }
    if (footer.isNotEmpty())
        paragraph (footer, w).draw (g, take (bottom - y).toFloat());
}

void WarningOverlayPanel::paintDiagram (juce::Graphics& g, juce::Rectangle<float> row) const
{
    const auto top = row.getY() + 10.0f;
    const auto left = row.getX() + row.getWidth() / 2.0f - 155.0f;

    g.setFont (style.diagramFont);
    const char* labels[] = { "Test Signal", "Device\nUnder Test", "Sonderlith" };
    for (int i = 0; i < 3; ++i)
    {
        const juce::Rectangle<float> box (left + 110.0f * (float) i, top, 90.0f, 40.0f);
        g.setColour (style.diagramBoxColour);
        g.drawRoundedRectangle (box, 4.0f, 1.5f);
        g.drawFittedText (labels[i], box.toNearestInt(), juce::Justification::centred, 2);
    }

    g.setColour (style.diagramLineColour);
    const auto mid = top + 20.0f;
    for (const auto start : { left + 90.0f, left + 200.0f })
    {
        const auto tip = start + 20.0f;
        g.drawLine (start, mid, tip, mid, 1.5f);
        arrowHead (g, { tip, mid }, { tip - 6.0f, mid - 3.0f }, { tip - 6.0f, mid + 3.0f });
    }

    juce::Path sidechain;
    sidechain.startNewSubPath (left + 45.0f, top + 40.0f);
    sidechain.lineTo (left + 45.0f, top + 60.0f);
    sidechain.lineTo (left + 265.0f, top + 60.0f);
    sidechain.lineTo (left + 265.0f, top + 46.0f);
    g.strokePath (sidechain, juce::PathStrokeType (1.5f));
    arrowHead (g, { left + 265.0f, top + 40.0f }, { left + 262.0f, top + 46.0f }, { left + 268.0f, top + 46.0f });

    g.drawText ("Sidechain", juce::Rectangle<float> ((left + 45.0f + left + 265.0f) / 2.0f - 30.0f, top + 64.0f, 60.0f, 14.0f),
                juce::Justification::centred, false);
}

WarningOverlayPanel::Style editorWarningStyle()
{
    WarningOverlayPanel::Style s;
    s.backgroundColour = palette()[1];
    s.borderColour = palette()[17];
    s.cornerRadius = radiusTokens()[7];
    s.borderThickness = borderWidthTokens()[1];
    s.padding = 24;
    s.titleGap = spacingTokens()[7];
    s.titleColour = palette()[8];
    s.titleFont = makeTextStyle (textLarge).font.withHeight (19.26f);
    s.bodyColour = palette()[11];
    s.bodyFont = makeTextStyle (textSmall).font.withHeight (14.98f);
    s.diagramBoxColour = palette()[8];
    s.diagramLineColour = palette()[11];
    s.diagramFont = makeTextStyle (textSmall).font.withHeight (11.77f);
    s.diagramHeight = 100;
    s.sectionGap = spacingTokens()[8];
    return s;
}
} // namespace ui_core
