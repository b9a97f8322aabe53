#include "tests/support/ImageOutput.h"
#include "tests/support/UserInput.h"
#include "ui_core/IconButton.h"
#include "ui_core/MultiLayerLogoButton.h"
#include "ui_core/TextButton.h"
#include "ui_core/TextEditor.h"
#include "ui_core/TextLabel.h"

#include <gtest/gtest.h>

#include <set>

namespace
{
const char* squareIcon = R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 24 24"><rect x="4" y="4" width="16" height="16" fill="currentColor"/></svg>)";

std::set<juce::uint32> opaqueColours (const juce::Image& image)
{
    std::set<juce::uint32> colours;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (image.getPixelAt (x, y).getAlpha() == 255)
                colours.insert (image.getPixelAt (x, y).getARGB());
    return colours;
}

juce::Image fittedText (const juce::String& text, const juce::Font& font, juce::Rectangle<int> area, juce::Point<int> size, float minimumScale)
{
    juce::Image image (juce::Image::ARGB, size.x, size.y, true, juce::SoftwareImageType());
    juce::Graphics g (image);
    g.setFont (font);
    g.setColour (juce::Colours::white);
    g.drawFittedText (text, area, juce::Justification::centred, 1, minimumScale);
    return image;
}
} // namespace

TEST (IconButton, statesTintTheIconAndBadSvgDrawsOnlyTheBackground)
{
    ui_core::IconButton button ("play");
    auto style = button.getStyle();
    style.backgroundColour = juce::Colours::darkblue;
    style.iconColour = juce::Colours::lime;
    style.iconDisabledColour = juce::Colours::red;
    style.iconOnColour = juce::Colours::yellow;
    style.cornerRadius = 0.0f;
    button.setStyle (style);
    button.setSize (36, 36);

    button.setIcon ("<svg this is not");
    EXPECT_FALSE (button.hasIcon());
    EXPECT_EQ (opaqueColours (test::render (button)), (std::set<juce::uint32> { juce::Colours::darkblue.getARGB() }));

    button.setIcon (squareIcon);
    ASSERT_TRUE (button.hasIcon());
    EXPECT_EQ (opaqueColours (test::render (button)), (std::set<juce::uint32> { juce::Colours::darkblue.getARGB(), juce::Colours::lime.getARGB() }));

    button.setEnabled (false);
    button.setToggleState (true, juce::dontSendNotification);
    EXPECT_EQ (opaqueColours (test::render (button)), (std::set<juce::uint32> { juce::Colours::red.getARGB() }))
        << "disabled: the disabled tint, no background, also when toggled on";
    button.setEnabled (true);
    EXPECT_TRUE (opaqueColours (test::render (button)).count (juce::Colours::yellow.getARGB()) == 1);
}

TEST (MultiLayerLogoButton, layersDrawInTheirColoursAndHoverColours)
{
    ui_core::MultiLayerLogoButton logo ("logo");
    ui_core::MultiLayerLogoButton::Style style;
    style.layerColours.fill (juce::Colours::transparentBlack);
    style.layerHoverColours.fill (juce::Colours::transparentBlack);
    style.layerColours[2] = juce::Colours::orange;
    style.layerHoverColours[2] = juce::Colours::white;
    logo.setStyle (style);
    const juce::String layer = R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 6.35 6.35"><rect width="6.35" height="6.35" fill="black"/></svg>)";
    logo.setLayers ({ "", "not svg", layer, "", "", "" });
    logo.setSize (36, 36);
    EXPECT_EQ (opaqueColours (test::render (logo)), (std::set<juce::uint32> { juce::Colours::orange.getARGB() }));
    logo.setState (juce::Button::buttonOver);
    EXPECT_EQ (opaqueColours (test::render (logo)), (std::set<juce::uint32> { juce::Colours::white.getARGB() }));
}

TEST (TextButtonAndLabel, longTextIsCutNeverSquashedAndLabelsCanBeUpperCase)
{
    ui_core::TextButton button ("save");
    button.setText ("Save the transfer function now");
    button.setSize (90, 30);
    const auto& s = button.getStyle();
    const auto area = juce::Rectangle<int> (0, 0, 90, 30).reduced (s.marginX, s.marginY);
    const auto rendered = test::render (button);
    EXPECT_TRUE (test::samePixels (rendered, fittedText ("Save the transfer function now", s.font, area, { 90, 30 }, 1.0f)));
    EXPECT_FALSE (test::samePixels (rendered, fittedText ("Save the transfer function now", s.font, area, { 90, 30 }, 0.7f)))
        << "a squashed rendering would differ";

    ui_core::TextLabel upper ("Scale X"), plain ("SCALE X");
    auto style = upper.getStyle();
    style.upperCase = true;
    upper.setStyle (style);
    upper.setSize (80, 20);
    plain.setSize (80, 20);
    EXPECT_TRUE (test::samePixels (test::render (upper), test::render (plain)));
    EXPECT_EQ (upper.getPreferredHeight(), 14);
    style.marginY = 3;
    style.minimumHeight = 10;
    upper.setStyle (style);
    EXPECT_EQ (upper.getPreferredHeight(), 20);
}

TEST (TextButton, fillTextAndOutlineFollowTheState)
{
    ui_core::TextButton button ("ok");
    ui_core::TextButton::Style style;
    style.backgroundColour = juce::Colours::black;
    style.backgroundAlpha = 1.0f;
    style.hoverBackgroundColour = juce::Colours::blue;
    style.hoverBackgroundAlpha = 1.0f;
    style.downBackgroundColour = juce::Colours::green;
    style.downBackgroundAlpha = 1.0f;
    style.onBackgroundColour = juce::Colours::purple;
    style.onBackgroundAlpha = 1.0f;
    style.cornerRadius = 0.0f;
    button.setStyle (style);
    button.setSize (60, 30);

    auto centre = [&] { return test::render (button).getPixelAt (30, 3); };
    EXPECT_EQ (centre(), juce::Colours::black);
    button.setState (juce::Button::buttonOver);
    EXPECT_EQ (centre(), juce::Colours::blue);
    button.setState (juce::Button::buttonDown);
    EXPECT_EQ (centre(), juce::Colours::green);
    button.setState (juce::Button::buttonNormal);
    button.setToggleState (true, juce::dontSendNotification);
    EXPECT_EQ (centre(), juce::Colours::purple);
    button.setEnabled (false);
    EXPECT_EQ (centre(), juce::Colours::black) << "disabled: the idle fill";
}

TEST (TextEditor, keysReachCallbacksOnlyWithoutModifiers)
{
    ui_core::TextEditor editor ("name");
    editor.setSize (200, 28);
    std::vector<juce::String> calls;
    editor.onSubmit = [&] { calls.push_back ("submit"); };
    editor.onCancel = [&] { calls.push_back ("cancel"); };
    editor.onUpArrow = [&] { calls.push_back ("up"); };

    EXPECT_TRUE (test::pressKey (editor, juce::KeyPress::returnKey));
    EXPECT_TRUE (test::pressKey (editor, juce::KeyPress::escapeKey));
    EXPECT_TRUE (test::pressKey (editor, juce::KeyPress::upKey));
    test::pressKey (editor, juce::KeyPress::returnKey, juce::ModifierKeys::shiftModifier);
    test::pressKey (editor, juce::KeyPress::downKey);
    EXPECT_EQ (calls, (std::vector<juce::String> { "submit", "cancel", "up" })) << "Shift+Return and an unset callback go to the toolkit";

    test::typeText (editor, "Ada");
    EXPECT_EQ (editor.getText(), "Ada");

    ui_core::TextEditor::Style style;
    style.backgroundColour = juce::Colours::red;
    style.backgroundAlpha = 0.5f;
    style.marginX = 12;
    editor.setStyle (style);
    EXPECT_EQ (editor.findColour (juce::TextEditor::backgroundColourId), juce::Colours::red.withAlpha ((juce::uint8) 128));
    EXPECT_EQ (editor.getLeftIndent(), 12);
}
