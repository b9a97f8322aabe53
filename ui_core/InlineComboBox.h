#pragma once

#include "ui_core/ComboBoxPopupLookAndFeel.h"
#include "ui_core/OpenMenuTracker.h"

#include <functional>
#include <vector>

namespace ui_core
{
// A caption above the current choice; pressing it opens a menu of the
// choices. Not a juce::ComboBox: it draws and lays itself out.
class InlineComboBox : public juce::Component, public juce::SettableTooltipClient
{
public:
    struct Item
    {
        juce::String text;      // in the menu
        juce::String shortText; // in the box, when not empty
        int id = 0;
    };

    struct Style
    {
        juce::Font valueFont { juce::FontOptions (14.0f) };
        juce::Font labelFont { juce::FontOptions (14.0f) };
        int justification = juce::Justification::centred;
        juce::Colour labelColour { juce::Colours::grey };
        juce::Colour valueColour { juce::Colours::white };
        int labelGap = 2;
        juce::Colour hoverFillColour { juce::Colours::transparentBlack };
        float hoverFillAlpha = 0.05f;
        juce::Colour hoverBorderColour { juce::Colours::lightgrey };
        float hoverBorderAlpha = 0.8f;
        float borderThickness = 1.0f;
        float cornerRadius = 4.0f;
        int marginX = 6;
        int marginY = 6;
        ComboBoxPopupLookAndFeel::Style popup;

        bool operator== (const Style&) const = default;
    };

    explicit InlineComboBox (juce::String label);
    ~InlineComboBox() override;

    void addItem (const juce::String& text, int id, const juce::String& shortText = {});
    void setStyle (const Style& newStyle);
    const Style& getStyle() const noexcept { return style; }

    int getSelectedId() const noexcept { return selectedId; }
    void setSelectedId (int id); // repaints; no onChange
    const std::vector<Item>& getItems() const noexcept { return items; }
    juce::String getLabel() const { return label; }

    // The text the value line shows: the selected item's short text, else its
    // text; empty when nothing is selected.
    juce::String getShownText() const;

    // The menu as it would open now: one enabled item per entry, the selected
    // one ticked.
    juce::PopupMenu buildMenu() const;

    // Natural width of the caption or a reference item, whichever is wider,
    // plus the margins.
    int preferredWidth (const juce::String& referenceItem) const;

    std::function<void (int)> onChange;

    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;

protected:
    void showPopupMenu();

private:
    void menuItemChosen (int id);

    Style style;
    ComboBoxPopupLookAndFeel popupLookAndFeel;
    OpenMenuTracker openMenu;
    juce::String label;
    std::vector<Item> items;
    int selectedId = -1;
    bool hovered = false;
};

InlineComboBox::Style defaultComboStyle();
} // namespace ui_core
