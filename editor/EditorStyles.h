#pragma once

#include "ui_core/ComboBoxPopupLookAndFeel.h"
#include "ui_core/IconButton.h"
#include "ui_core/MultiLayerLogoButton.h"
#include "ui_core/NumberBox.h"
#include "ui_core/ThemeOverlayPanel.h"
#include "ui_core/TooltipDisplayPanel.h"
#include "ui_core/ValueDisplay.h"
#include "ui_panels/ControlsPanel.h"
#include "ui_panels/HorizontalStrip.h"

// The editor's styles, built from the current theme's tokens each time, so a
// theme change followed by a re-style recolours everything built from them.
ui_panels::HorizontalStrip::Style bottomBarStyle();
ui_core::MultiLayerLogoButton::Style logoStyle();
ui_core::IconButton::Style transportButtonStyle();
ui_core::IconButton::Style saveButtonStyle();
ui_core::DisplayStyle scaleDisplayStyle();
ui_core::NumberBox::Style latencyBoxStyle();
ui_panels::ControlsPanel::Style controlsPanelStyle();
ui_core::TooltipDisplayPanel::Style tooltipStripStyle();
ui_core::ComboBoxPopupLookAndFeel::Style contextMenuStyle();
ui_core::ThemeOverlayPanel::Style themeOverlayStyle();
