#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui_core
{
// A caption above a large value, changed by dragging vertically (Shift for
// fine steps) or by typing after a click. A slider only for its range,
// interval, value and the parameter attachment; it handles the mouse and
// draws itself.
class NumberBox : public juce::Slider
{
public:
    struct Style
    {
        juce::Font valueFont { juce::FontOptions (14.0f) };
        juce::Font labelFont { juce::FontOptions (14.0f) };
        int justification = juce::Justification::centred;
        juce::Colour labelColour { juce::Colours::grey };
        juce::Colour valueColour { juce::Colours::white };
        juce::Colour editTextColour { juce::Colours::white };
        int labelGap = 2;
        juce::Colour backgroundColour { juce::Colours::transparentBlack };
        float backgroundAlpha = 0.0f;
        juce::Colour hoverBackgroundColour { juce::Colours::transparentBlack };
        float hoverBackgroundAlpha = 0.05f;
        juce::Colour dragBackgroundColour { juce::Colours::transparentBlack };
        float dragBackgroundAlpha = 0.1f;
        juce::Colour editBackgroundColour { juce::Colours::black };
        float editBackgroundAlpha = 0.3f;
        juce::Colour borderColour { juce::Colours::transparentBlack };
        float borderAlpha = 0.0f;
        juce::Colour activeBorderColour { juce::Colours::lightgrey };
        float activeBorderAlpha = 0.8f;
        juce::Colour editBorderColour { juce::Colours::white };
        float editBorderAlpha = 0.5f;
        float borderThickness = 1.0f;
        float cornerRadius = 4.0f;
        int marginX = 10;
        int marginY = 6;
        float dragSensitivity = 4.0f;
        juce::String suffix { " samples" };

        bool operator== (const Style&) const = default;
    };

    explicit NumberBox (juce::String label);
    ~NumberBox() override;

    void setStyle (const Style& newStyle);
    const Style& getStyle() const noexcept { return style; }

    void startTextEditing();
    void finishTextEditing (bool commit);

    // The value as shown: whole numbers, or enough decimals to show a small
    // value's first two significant digits, then the suffix.
    juce::String getValueText() const;

    bool isEditing() const noexcept { return editing; }
    bool isDragging() const noexcept { return dragging; }
    juce::TextEditor* getEditor() const noexcept { return editor.get(); }

    void mouseEnter (const juce::MouseEvent&) override;
    void mouseExit (const juce::MouseEvent&) override;
    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    void resized() override;
    void valueChanged() override;

private:
    void anchor (int y, bool fine);
    void layoutEditor();

    juce::String label;
    juce::String suffix;
    Style style;
    bool hovered = false;
    bool dragging = false;
    bool editing = false;
    int dragStartY = 0;
    double dragStartValue = 0.0;
    bool fineMode = false;
    bool movedSincePress = false;
    std::unique_ptr<juce::TextEditor> editor;
};

NumberBox::Style defaultNumberBoxStyle();
} // namespace ui_core
