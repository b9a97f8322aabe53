#include "ui_core/SliderTextEntry.h"

#include "ui_core/DesignTokens.h"
#include "ui_core/Fonts.h"
#include "ui_core/SliderValueText.h"

namespace ui_core
{
SliderTextEntry::SliderTextEntry (juce::Slider& sliderToEdit) : slider (sliderToEdit) {}

SliderTextEntry::~SliderTextEntry() = default;

bool SliderTextEntry::tryStart()
{
    if (active)
        return false;
    active = true;

    const auto integer = isIntegerSlider (slider);
    editor = makeValueEditor (style.font, style.textColour, "-0123456789.", integer ? 6 : 8, editableValueText (slider));
    editor->setColour (juce::CaretComponent::caretColourId, style.caretColour);
    editor->onReturnKey = [this] { finish (true); };
    editor->onFocusLost = [this] { finish (true); };
    editor->onEscapeKey = [this] { finish (false); };

    layout();
    slider.addAndMakeVisible (*editor);
    editor->grabKeyboardFocus();
    slider.repaint();
    return true;
}

void SliderTextEntry::layout()
{
    if (editor == nullptr)
        return;
    const auto w = slider.getWidth(), h = slider.getHeight();
    const auto ew = juce::jmax (w, 50), eh = juce::jmax (h, 24);
    editor->setBounds ((w - ew) / 2, (h - eh) / 2, ew, eh);
}

void SliderTextEntry::finish (bool commit)
{
    if (! active || editor == nullptr)
        return;

    // Taken out first: setting the value or moving focus must not reach this
    // edit again.
    auto closing = std::move (editor);
    active = false;
    if (commit)
        slider.setValue (typedValue (slider, closing->getText()), juce::sendNotificationSync);
    closing.reset();
    slider.repaint();
}

SliderTextEntry::Style defaultTextEntryStyle()
{
    SliderTextEntry::Style s;
    s.font = makeTextStyle (textMono).font;
    s.textColour = palette()[7];
    s.caretColour = palette()[49];
    s.backdropColour = palette()[4].withAlpha ((juce::uint8) 0xD9);
    s.cornerRadius = radiusTokens()[3];
    return s;
}
} // namespace ui_core
