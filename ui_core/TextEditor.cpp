#include "ui_core/TextEditor.h"

#include "ui_core/DesignTokens.h"

namespace ui_core
{
TextEditor::TextEditor (const juce::String& name) : juce::TextEditor (name) { applyStyle(); }

TextEditor::~TextEditor() = default;

void TextEditor::setStyle (const Style& newStyle)
{
    if (newStyle == style)
        return;
    style = newStyle;
    applyStyle();
}

void TextEditor::applyStyle()
{
    applyFontToAllText (style.font);
    setFont (style.font);
    if (getJustificationType() != juce::Justification (style.justification))
        setJustification (juce::Justification (style.justification));

    setColour (juce::CaretComponent::caretColourId, style.caretColour);
    setColour (textColourId, style.textColour);
    setColour (backgroundColourId, withAlphaLevel (style.backgroundColour, style.backgroundAlpha));
    setColour (highlightColourId, withAlphaLevel (style.highlightColour, style.highlightAlpha));
    setColour (outlineColourId, withAlphaLevel (style.outlineColour, style.outlineAlpha));
    setColour (focusedOutlineColourId, withAlphaLevel (style.focusedOutlineColour, style.focusedOutlineAlpha));
    setColour (shadowColourId, withAlphaLevel (style.shadowColour, style.shadowAlpha));
    setColour (juce::ScrollBar::thumbColourId, style.scrollbarThumbColour);
    juce::Array<juce::Component*> pending (getChildren());
    while (! pending.isEmpty())
    {
        auto* c = pending.removeAndReturn (pending.size() - 1);
        if (auto* bar = dynamic_cast<juce::ScrollBar*> (c))
            bar->setColour (juce::ScrollBar::thumbColourId, style.scrollbarThumbColour);
        pending.addArray (c->getChildren());
    }

    setMultiLine (style.multiLine);
    setReadOnly (style.readOnly);
    setIndents (style.marginX, style.marginY);
    repaint();
}

bool TextEditor::keyPressed (const juce::KeyPress& key)
{
    const auto mods = key.getModifiers();
    if (! mods.isShiftDown() && ! mods.isCtrlDown() && ! mods.isAltDown())
    {
        auto consume = [] (const std::function<void()>& callback)
        {
            if (! callback)
                return false;
            callback();
            return true;
        };
        if (key.getKeyCode() == juce::KeyPress::returnKey && consume (onSubmit))
            return true;
        if (key.getKeyCode() == juce::KeyPress::escapeKey && consume (onCancel))
            return true;
        if (key.getKeyCode() == juce::KeyPress::upKey && consume (onUpArrow))
            return true;
        if (key.getKeyCode() == juce::KeyPress::downKey && consume (onDownArrow))
            return true;
    }
    return juce::TextEditor::keyPressed (key);
}

void TextEditor::focusLost (FocusChangeType cause)
{
    juce::TextEditor::focusLost (cause);
    if (onBlur)
        onBlur();
}
} // namespace ui_core
