#include "dialogs/ArtistNameDialog.h"

#include "dialogs/DialogStyles.h"
#include "ui_core/DesignTokens.h"
#include "ui_core/Fonts.h"

#include <cmath>

ArtistNameDialog::ArtistNameDialog()
{
    nameEditor.setStyle (dialogTextFieldStyle());
    addAndMakeVisible (nameEditor);
    nameEditor.onSubmit = [this] { submit(); };
    nameEditor.onCancel = [this]
    {
        if (onCancel)
            onCancel();
    };

    const auto style = dialogButtonStyle();
    for (auto* button : { &saveButton, &cancelButton, &dontAskButton, &skipButton })
    {
        button->setStyle (style);
        addAndMakeVisible (*button);
    }
    saveButton.setText ("Save");
    cancelButton.setText ("Cancel");
    dontAskButton.setText ("Don't Ask Again");
    skipButton.setText ("Skip");
    saveButton.onClick = [this] { submit(); };
    for (auto* button : { &cancelButton, &skipButton })
        button->onClick = [this]
        {
            if (onCancel)
                onCancel();
        };
    dontAskButton.onClick = [this]
    {
        if (onDontAskAgain)
            onDontAskAgain();
    };
    setSize (380, 175);
}

ArtistNameDialog::~ArtistNameDialog() = default;

void ArtistNameDialog::setFirstSaveVariant (bool firstSave)
{
    dontAskButton.setVisible (firstSave);
    skipButton.setVisible (firstSave);
    cancelButton.setVisible (! firstSave);
    resized();
}

void ArtistNameDialog::submit()
{
    if (onSave)
        onSave (nameEditor.getText());
}

void ArtistNameDialog::focusGained (FocusChangeType) { nameEditor.grabKeyboardFocus(); }

void ArtistNameDialog::paint (juce::Graphics& g)
{
    paintDialogCard (g, getLocalBounds().toFloat());

    const auto contentWidth = juce::jmax (0, getWidth() - 48);
    auto remaining = juce::jmax (0, getHeight() - 48);
    auto y = 24;

    const auto titleHeight = juce::jmin (remaining, dialogTitleHeight (title));
    g.setFont (dialogTitleFont());
    g.setColour (ui_core::palette()[8]);
    g.drawText (title, 24, y, contentWidth, titleHeight, juce::Justification::centredLeft, true);
    y += titleHeight;
    remaining -= titleHeight;

    const auto gap = juce::jmin (remaining, ui_core::spacingTokens()[7]);
    y += gap;
    remaining -= gap;

    const auto layout = dialogBodyLayout (message, (float) contentWidth);
    const auto messageHeight = juce::jmin (remaining, (int) std::ceil (layout.getHeight()));
    layout.draw (g, juce::Rectangle<int> (24, y, contentWidth, messageHeight).toFloat());
}

void ArtistNameDialog::resized()
{
    const auto contentWidth = juce::jmax (0, getWidth() - 48);
    const auto contentHeight = juce::jmax (0, getHeight() - 48);
    const auto buttonHeight = juce::jmin (contentHeight, 28);
    const auto buttonY = 24 + contentHeight - buttonHeight;

    const auto above = contentHeight - buttonHeight;
    const auto editorHeight = juce::jmin (28, above - juce::jmin (above, 8));
    nameEditor.setBounds (24, 24 + (above - 8) - editorHeight, contentWidth, juce::jmax (0, editorHeight));

    const auto gap = ui_core::spacingTokens()[6];
    auto right = 24 + contentWidth;
    auto place = [&] (juce::Component& button, int width)
    {
        const auto w = juce::jlimit (0, juce::jmax (0, right - 24), width);
        button.setBounds (right - w, buttonY, w, buttonHeight);
        right = juce::jmax (24, right - w - gap);
    };
    place (saveButton, 70);
    if (dontAskButton.isVisible())
    {
        place (skipButton, 70);
        place (dontAskButton, 140);
    }
    else
    {
        place (cancelButton, 80);
    }
}
