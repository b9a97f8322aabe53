#include "ui_core/NumberBox.h"

#include "ui_core/CaptionedValueLayout.h"
#include "ui_core/DesignTokens.h"
#include "ui_core/Fonts.h"
#include "ui_core/SliderValueText.h"

#include <cmath>

namespace ui_core
{
NumberBox::NumberBox (juce::String labelText) : label (std::move (labelText))
{
    suffix = style.suffix;
    setSliderStyle (juce::Slider::LinearVertical);
    setTextBoxStyle (juce::Slider::NoTextBox, true, 0, 0);
    setRange (0.0, 1024.0, 1.0);
    setValue (0.0, juce::dontSendNotification);
    setSize (80, 40);
}

NumberBox::~NumberBox() = default;

void NumberBox::setStyle (const Style& newStyle)
{
    if (newStyle == style)
        return;
    style = newStyle;
    suffix = style.suffix;
    repaint();
}

juce::String NumberBox::getValueText() const
{
    const auto v = getValue();
    if (isIntegerSlider (*this))
        return juce::String (juce::roundToInt (v)) + suffix;

    const auto magnitude = std::abs (v);
    const auto decimals = (magnitude > 0.0 && magnitude < 1.0) ? juce::jlimit (1, 9, 1 - (int) std::floor (std::log10 (magnitude))) : 1;
    return juce::String (v, decimals) + suffix;
}

void NumberBox::paint (juce::Graphics& g)
{
    const auto enabled = isEnabled();
    auto fill = withAlphaLevel (style.backgroundColour, style.backgroundAlpha);
    auto outline = withAlphaLevel (style.borderColour, style.borderAlpha);
    if (enabled && editing)
    {
        fill = withAlphaLevel (style.editBackgroundColour, style.editBackgroundAlpha);
        outline = withAlphaLevel (style.editBorderColour, style.editBorderAlpha);
    }
    else if (enabled && (dragging || hovered))
    {
        fill = dragging ? withAlphaLevel (style.dragBackgroundColour, style.dragBackgroundAlpha)
                        : withAlphaLevel (style.hoverBackgroundColour, style.hoverBackgroundAlpha);
        outline = withAlphaLevel (style.activeBorderColour, style.activeBorderAlpha);
    }

    const auto bounds = getLocalBounds().toFloat();
    if (fill.getAlpha() > 0)
    {
        g.setColour (fill);
        g.fillRoundedRectangle (bounds, style.cornerRadius);
    }
    if (outline.getAlpha() > 0)
    {
        g.setColour (outline);
        g.drawRoundedRectangle (bounds, style.cornerRadius, style.borderThickness);
    }

    if (editing)
        return;

    const auto areas = layoutCaptionAndValue (getWidth(), getHeight(), style.marginX, style.marginY, style.labelGap);
    const juce::Justification justification (style.justification);
    drawCellText (g, label.toUpperCase(), style.labelFont, dimmedWhenDisabled (style.labelColour, enabled), areas.caption, justification);
    drawCellText (g, getValueText(), style.valueFont, dimmedWhenDisabled (style.valueColour, enabled), areas.value, justification);
}

void NumberBox::anchor (int y, bool fine)
{
    dragStartY = y;
    dragStartValue = getValue();
    fineMode = fine;
}

void NumberBox::mouseDown (const juce::MouseEvent& e)
{
    if (! isEnabled() || editing)
        return;
    anchor (e.y, e.mods.isShiftDown());
    dragging = false;
    movedSincePress = false;
    repaint();
}

void NumberBox::mouseDrag (const juce::MouseEvent& e)
{
    if (! isEnabled() || editing)
        return;
    movedSincePress = movedSincePress || e.getPosition() != e.getMouseDownPosition();
    if (dragging && e.mods.isShiftDown() != fineMode)
        anchor (e.y, e.mods.isShiftDown());

    const auto dy = dragStartY - e.y;
    if (! dragging)
    {
        if (std::abs (dy) < 3)
            return;
        dragging = true;
        repaint();
    }

    auto v = dragStartValue;
    if (getMaximum() > getMinimum())
    {
        const auto sensitivity = (double) style.dragSensitivity / (fineMode ? 0.1 : 1.0);
        const auto p = juce::jlimit (0.0, 1.0, valueToProportionOfLength (dragStartValue) + (double) dy / (sensitivity * 100.0));
        v = proportionOfLengthToValue (p);
    }
    v = snapToInterval (juce::jlimit (getMinimum(), getMaximum(), v), getInterval());
    setValue (v, juce::sendNotificationSync);
}

void NumberBox::mouseUp (const juce::MouseEvent& e)
{
    if (! isEnabled() || editing)
        return;
    if (! dragging && ! movedSincePress && e.getPosition() == e.getMouseDownPosition())
        startTextEditing();
    dragging = false;
    repaint();
}

void NumberBox::mouseDoubleClick (const juce::MouseEvent&)
{
    if (isEnabled() && ! editing)
        startTextEditing();
}

void NumberBox::mouseEnter (const juce::MouseEvent&)
{
    hovered = true;
    repaint();
}

void NumberBox::mouseExit (const juce::MouseEvent&)
{
    hovered = false;
    repaint();
}

void NumberBox::startTextEditing()
{
    if (editing)
        return;
    editing = true;

    const auto negative = getMinimum() < 0.0;
    const auto maximumLength = 5 + (negative ? 1 : 0) + (isIntegerSlider (*this) ? 0 : 2);
    editor = makeValueEditor (style.valueFont, style.editTextColour, negative ? "0123456789.-" : "0123456789.", maximumLength,
                              editableValueText (*this));
    editor->onReturnKey = [this] { finishTextEditing (true); };
    editor->onFocusLost = [this] { finishTextEditing (true); };
    editor->onEscapeKey = [this] { finishTextEditing (false); };
    layoutEditor();
    addAndMakeVisible (*editor);
    editor->grabKeyboardFocus();
    repaint();
}

void NumberBox::finishTextEditing (bool commit)
{
    if (! editing || editor == nullptr)
        return;
    auto closing = std::move (editor);
    editing = false;
    if (commit)
        setValue (typedValue (*this, closing->getText()), juce::sendNotificationSync);
    closing.reset();
    repaint();
}

void NumberBox::layoutEditor()
{
    if (editor != nullptr)
        editor->setBounds (getLocalBounds().reduced (style.marginX, style.marginY));
}

void NumberBox::resized() { layoutEditor(); }

void NumberBox::valueChanged() { repaint(); }

NumberBox::Style defaultNumberBoxStyle()
{
    NumberBox::Style s;
    s.valueFont = monoFont (15.0f);
    s.labelFont = interFont (1, 11.0f).withExtraKerningFactor (0.1f);
    s.labelColour = palette()[11];
    s.valueColour = palette()[45];
    s.editTextColour = palette()[9];
    s.labelGap = 2;
    s.hoverBackgroundColour = palette()[2];
    s.hoverBackgroundAlpha = 0.3f;
    s.dragBackgroundColour = palette()[2];
    s.dragBackgroundAlpha = 0.5f;
    s.editBackgroundColour = palette()[0];
    s.editBackgroundAlpha = 0.8f;
    s.backgroundColour = juce::Colours::transparentBlack;
    s.backgroundAlpha = 0.0f;
    s.borderColour = juce::Colours::transparentBlack;
    s.borderAlpha = 0.0f;
    s.activeBorderColour = palette()[17];
    s.activeBorderAlpha = 0.6f;
    s.editBorderColour = palette()[45];
    s.editBorderAlpha = 0.8f;
    s.borderThickness = 1.0f;
    s.cornerRadius = 4.0f;
    s.marginX = spacingTokens()[4];
    s.marginY = spacingTokens()[4];
    s.dragSensitivity = 4.0f;
    s.suffix = " samples";
    return s;
}
} // namespace ui_core
