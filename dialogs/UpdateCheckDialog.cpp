#include "dialogs/UpdateCheckDialog.h"

#include "dialogs/DialogStyles.h"
#include "ui_core/DesignTokens.h"
#include "ui_core/Fonts.h"

#include <cmath>

namespace
{
constexpr int contentWidth = 332;

int heightOf (const juce::TextLayout& layout) { return (int) std::ceil (layout.getHeight()); }

juce::String bullet (const juce::String& line) { return juce::String::charToString ((juce::juce_wchar) 0x2022) + " " + line; }
} // namespace

UpdateCheckDialog::UpdateCheckDialog()
{
    const auto style = dialogButtonStyle();
    closeButton.setStyle (style);
    closeButton.setText ("Close");
    downloadButton.setStyle (style);
    downloadButton.setText ("Download");
    closeButton.onClick = [this]
    {
        if (onClose)
            onClose();
    };
    downloadButton.onClick = [this]
    {
        if (onDownload)
            onDownload (downloadUrl);
    };
    addAndMakeVisible (closeButton);
    addChildComponent (downloadButton);
    setSize (380, 160);
}

UpdateCheckDialog::~UpdateCheckDialog() = default;

void UpdateCheckDialog::setTitle (const juce::String& text)
{
    title = text;
    updateHeight();
    repaint();
}

void UpdateCheckDialog::setMessage (const juce::String& text)
{
    message = text;
    updateHeight();
    repaint();
}

void UpdateCheckDialog::setChanges (const juce::StringArray& lines)
{
    changes = lines;
    updateHeight();
    repaint();
}

void UpdateCheckDialog::setDownloadUrl (const juce::String& url)
{
    downloadUrl = url;
    downloadButton.setVisible (url.isNotEmpty());
    updateHeight();
    resized();
    repaint();
}

void UpdateCheckDialog::updateHeight()
{
    const auto gap = ui_core::spacingTokens()[7];
    const auto t = dialogTitleHeight (title);
    const auto m = message.isEmpty() ? 0 : heightOf (dialogBodyLayout (message, (float) contentWidth));
    auto c = 0;
    if (! changes.isEmpty())
    {
        c = ui_core::spacingTokens()[6];
        for (const auto& line : changes)
            c += heightOf (dialogBodyLayout (bullet (line), (float) contentWidth)) + 2;
    }
    setBounds (getX(), getY(), 380, gap + gap + t + m + 48 + c + 28);
}

void UpdateCheckDialog::paint (juce::Graphics& g)
{
    paintDialogCard (g, getLocalBounds().toFloat());

    const auto width = juce::jmax (0, getWidth() - 48);
    auto y = 24;
    auto remaining = juce::jmax (0, getHeight() - 48);
    auto take = [&] (int height)
    {
        const auto row = juce::jlimit (0, remaining, height);
        const juce::Rectangle<int> area (24, y, width, row);
        y += row;
        remaining -= row;
        return area;
    };

    g.setFont (dialogTitleFont());
    g.setColour (ui_core::palette()[8]);
    g.drawText (title, take (dialogTitleHeight (title)), juce::Justification::centredLeft, true);
    take (ui_core::spacingTokens()[7]);
    if (message.isNotEmpty())
    {
        const auto layout = dialogBodyLayout (message, (float) width);
        layout.draw (g, take (heightOf (layout)).toFloat());
    }
    if (! changes.isEmpty())
    {
        take (ui_core::spacingTokens()[6]);
        for (const auto& line : changes)
        {
            const auto layout = dialogBodyLayout (bullet (line), (float) width);
            layout.draw (g, take (heightOf (layout)).toFloat());
            take (2);
        }
    }
}

void UpdateCheckDialog::resized()
{
    const auto buttonHeight = juce::jmax (0, juce::jmin (28, getHeight() - 48));
    const auto y = getHeight() - 24 - buttonHeight;
    auto right = getWidth() - 24;
    auto place = [&] (juce::Component& button, int width)
    {
        const auto w = juce::jlimit (0, juce::jmax (0, right - 24), width);
        button.setBounds (right - w, y, w, buttonHeight);
        right = juce::jmax (24, right - w - ui_core::spacingTokens()[6]);
    };
    if (downloadButton.isVisible())
        place (downloadButton, 110);
    place (closeButton, 70);
}
