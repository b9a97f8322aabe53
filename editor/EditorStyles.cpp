#include "editor/EditorStyles.h"

#include "dialogs/DialogStyles.h"

#include "ui_core/DesignTokens.h"
#include "ui_core/Fonts.h"

using ui_core::palette;
using ui_core::rampStep;

ui_panels::HorizontalStrip::Style bottomBarStyle()
{
    ui_panels::HorizontalStrip::Style s;
    s.backgroundColour = palette()[0];
    s.backgroundAlpha = 1.0f;
    s.borderColour = palette()[18];
    s.borderAlpha = 0.3f;
    s.borderThickness = 1.0f;
    s.cornerRadius = 6.0f;
    s.shadowAlpha = 0.06f;
    s.shadowOffsetY = 1;
    s.shadowRadius = 3;
    return s;
}

ui_core::MultiLayerLogoButton::Style logoStyle()
{
    ui_core::MultiLayerLogoButton::Style s;
    s.size = 64;
    s.margin = 2;
    s.cornerRadius = 6.0f;
    s.hoverBackgroundAlpha = 0.0f;
    const auto n8 = rampStep ('N', 8), n0 = rampStep ('N', 0);
    s.layerColours = { n8, n8, n0, n8, n0, n8 };
    s.layerHoverColours = { rampStep ('N', 9), rampStep ('P', 10), n0, rampStep ('N', 9), n0, palette()[45] };
    return s;
}

ui_core::IconButton::Style transportButtonStyle()
{
    ui_core::IconButton::Style s;
    const auto& accent = ui_core::accentToggleStyle();
    const auto& record = ui_core::controlStyles()[0];
    s.iconColour = accent.colours[2];
    s.iconOnColour = accent.colours[2];
    s.iconHoverColour = palette()[54];
    s.iconDownColour = palette()[57];
    s.iconDisabledColour = palette()[58];
    s.backgroundColour = juce::Colours::transparentBlack;
    s.hoverBackgroundColour = record.colours[1];
    s.hoverBackgroundAlpha = record.levels[1];
    s.downBackgroundColour = record.colours[2];
    s.downBackgroundAlpha = record.levels[2];
    s.onOutlineColour = palette()[19];
    s.focusRingColour = palette()[19];
    s.cornerRadius = accent.radius;
    s.margin = 8;
    s.iconSize = 27;
    s.focusRing = false;
    return s;
}

ui_core::IconButton::Style saveButtonStyle()
{
    auto s = transportButtonStyle();
    const auto& record = ui_core::controlStyles()[3];
    s.iconColour = palette()[55];
    s.iconOnColour = palette()[54];
    s.hoverBackgroundColour = record.colours[1];
    s.downBackgroundColour = record.colours[2];
    s.hoverBackgroundAlpha = record.levels[1];
    s.downBackgroundAlpha = record.levels[2];
    return s;
}

ui_core::DisplayStyle scaleDisplayStyle()
{
    auto s = ui_core::defaultDisplayStyle();
    s.valueFont = ui_core::monoFont (15.0f);
    return s;
}

ui_core::NumberBox::Style latencyBoxStyle()
{
    auto s = ui_core::defaultNumberBoxStyle();
    s.suffix = {};
    return s;
}

ui_panels::ControlsPanel::Style controlsPanelStyle()
{
    ui_panels::ControlsPanel::Style s;
    s.backgroundColour = palette()[0];
    s.backgroundAlpha = 0.98f;
    s.borderColour = palette()[17];
    s.borderAlpha = 0.6f;
    s.borderThickness = 1.0f;
    s.cornerRadius = 8.0f;
    s.shadowAlpha = 0.3f;
    s.shadowOffsetY = -2;
    s.shadowRadius = 8;
    s.padding = ui_core::spacingTokens()[0];
    s.columnSpacing = ui_core::spacingTokens()[7];
    s.labelGap = ui_core::spacingTokens()[4];
    return s;
}

ui_core::TooltipDisplayPanel::Style tooltipStripStyle()
{
    ui_core::TooltipDisplayPanel::Style s;
    s.backgroundColour = ui_core::textColours()[0];
    s.backgroundOpacity = 0.0f;
    s.textColour = rampStep ('N', 6);
    s.font = juce::Font (juce::FontOptions (ui_core::displayTypeface (1, 1)).withHeight (16.05f).withKerningFactor (0.05f));
    s.marginX = ui_core::spacingTokens()[1];
    s.cornerRadius = 0.0f;
    s.borderColour = ui_core::textColours()[3];
    s.borderThickness = 0.0f;
    return s;
}

ui_core::ComboBoxPopupLookAndFeel::Style contextMenuStyle()
{
    ui_core::ComboBoxPopupLookAndFeel::Style s;
    s.font = ui_core::makeTextStyle (ui_core::textMedium).font;
    s.backgroundColour = rampStep ('N', 1);
    s.textColour = rampStep ('N', 8);
    s.highlightedTextColour = rampStep ('P', 6);
    s.highlightedBackgroundColour = ui_core::withAlphaLevel (rampStep ('N', 0), 0.6f);
    return s;
}

ui_core::ThemeOverlayPanel::Style themeOverlayStyle()
{
    ui_core::ThemeOverlayPanel::Style s;
    s.backgroundColour = ui_core::palette()[1];
    s.borderColour = ui_core::palette()[17];
    s.cornerRadius = ui_core::radiusTokens()[7];
    s.borderThickness = ui_core::borderWidthTokens()[1];
    s.padding = 24;
    s.cardWidth = 320;
    s.titleColour = ui_core::palette()[8];
    s.titleFont = ui_core::makeTextStyle (ui_core::textLarge).font;
    s.labelColour = ui_core::palette()[11];
    s.labelFont = ui_core::makeTextStyle (ui_core::textSmall).font;
    s.valueColour = ui_core::palette()[8];
    s.valueFont = ui_core::makeTextStyle (ui_core::textSmall).font;
    s.trackColour = ui_core::palette()[16];
    s.thumbColour = ui_core::palette()[8];
    s.rowHeight = 20;
    s.rowGap = ui_core::spacingTokens()[7];
    s.swatchWidth = 20;
    s.swatchCornerRadius = ui_core::radiusTokens()[1];
    s.buttonStyle = dialogButtonStyle();
    s.buttonHeight = 28;
    s.buttonGap = ui_core::spacingTokens()[6];
    return s;
}
