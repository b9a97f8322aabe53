#include "tests/support/ImageOutput.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/UserInput.h"
#include "ui_core/InlineComboBox.h"

#include <gtest/gtest.h>

using ui_core::InlineComboBox;

namespace
{
void addSizes (InlineComboBox& combo)
{
    int id = 1;
    for (const auto* text : { "16k", "32k", "64k", "128k" })
        combo.addItem (text, id++);
}

// The menu's own window on the desktop, once it has opened.
juce::Component* openMenuWindow (const juce::Component& owner)
{
    juce::Component* menu = nullptr;
    test::runMessageLoopUntil ([&]
                               {
                                   auto& desktop = juce::Desktop::getInstance();
                                   for (int i = 0; i < desktop.getNumComponents(); ++i)
                                       if (auto* c = desktop.getComponent (i); c != &owner && c->isShowing())
                                           menu = c;
                                   return menu != nullptr;
                               });
    return menu;
}

bool menuClosed (const juce::Component& owner)
{
    return test::runMessageLoopUntil ([&] { return juce::Desktop::getInstance().getNumComponents() == 1; })
           && juce::Desktop::getInstance().getComponent (0) == &owner;
}

} // namespace

TEST (InlineComboBox, menuTicksTheSelectionAndShownTextFollowsIt)
{
    InlineComboBox combo ("Size");
    addSizes (combo);
    combo.addItem ("Eight thousand", 5, "8k");
    EXPECT_EQ (combo.getShownText(), "") << "nothing selected";

    combo.setSelectedId (3);
    EXPECT_EQ (combo.getShownText(), "64k");
    combo.setSelectedId (5);
    EXPECT_EQ (combo.getShownText(), "8k") << "short text in the box";

    const auto menu = combo.buildMenu();
    juce::PopupMenu::MenuItemIterator items (menu);
    std::vector<std::pair<int, bool>> seen;
    while (items.next())
    {
        EXPECT_TRUE (items.getItem().isEnabled);
        seen.emplace_back (items.getItem().itemID, items.getItem().isTicked);
    }
    EXPECT_EQ (seen, (std::vector<std::pair<int, bool>> { { 1, false }, { 2, false }, { 3, false }, { 4, false }, { 5, true } }));
    EXPECT_EQ (seen.size(), 5u);
}

TEST (InlineComboBox, emptyValueLineAndNarrowCombo)
{
    InlineComboBox none ("Size"), captionOnly ("Size");
    addSizes (none);
    for (auto* combo : { &none, &captionOnly })
    {
        combo->setStyle (ui_core::defaultComboStyle());
        combo->setSize (100, 50);
    }
    const auto a = test::render (none), b = test::render (captionOnly);
    EXPECT_GT (test::inkedPixels (a), 0) << "the caption is drawn";
    EXPECT_EQ (test::inkedPixels (a), test::inkedPixels (b)) << "id -1 draws no value line";

    none.setSelectedId (2);
    none.setSize (11, 50);
    EXPECT_EQ (test::inkedPixels (test::render (none)), 0) << "narrower than the margins: no text";
}

TEST (InlineComboBox, choosingFromTheMenuCallsOnChangeEvenForTheSameItem)
{
    InlineComboBox combo ("Size");
    addSizes (combo);
    combo.setSelectedId (2);
    combo.setSize (100, 50);
    test::OnScreen window (combo);
    std::vector<int> changes;
    combo.onChange = [&] (int id) { changes.push_back (id); };

    auto choose = [&] (int downPresses)
    {
        test::Pointer (combo).press ({ 50, 25 });
        auto* menu = openMenuWindow (combo);
        ASSERT_NE (menu, nullptr);
        for (int i = 0; i < downPresses; ++i)
            test::pressKey (*menu, juce::KeyPress::downKey);
        test::pressKey (*menu, juce::KeyPress::returnKey);
        EXPECT_TRUE (menuClosed (combo));
        test::runMessageLoopFor (50);
    };

    choose (4);
    EXPECT_EQ (combo.getSelectedId(), 4);
    choose (4);
    EXPECT_EQ (changes, (std::vector<int> { 4, 4 })) << "the same item again still reports";

    test::Pointer (combo).press ({ 50, 25 });
    ASSERT_NE (openMenuWindow (combo), nullptr);
    juce::PopupMenu::dismissAllActiveMenus();
    EXPECT_TRUE (menuClosed (combo));
    test::runMessageLoopFor (50);
    EXPECT_EQ (changes.size(), 2u) << "dismissing changes nothing";
    EXPECT_EQ (combo.getSelectedId(), 4);
}

TEST (InlineComboBox, equalStyleDoesNothingAndPopupColoursFollowTheStyle)
{
    InlineComboBox combo ("Algo");
    const auto style = ui_core::defaultComboStyle();
    combo.setStyle (style);
    EXPECT_EQ (combo.getStyle(), style);
    auto changed = style;
    changed.popup.backgroundColour = juce::Colours::red;
    EXPECT_FALSE (changed == style);
    changed.popup.font = changed.popup.font.withHeight (20.0f);
    EXPECT_FALSE (changed.popup == style.popup);

    ui_core::ComboBoxPopupLookAndFeel lookAndFeel;
    const auto toolkitDefault = lookAndFeel.findColour (juce::PopupMenu::backgroundColourId);
    EXPECT_EQ (lookAndFeel.getPopupMenuFont().getHeight(), 14.0f);
    lookAndFeel.setStyle (changed.popup);
    EXPECT_NE (toolkitDefault, juce::Colours::red);
    EXPECT_EQ (lookAndFeel.findColour (juce::PopupMenu::backgroundColourId), juce::Colours::red);
    EXPECT_EQ (lookAndFeel.findColour (juce::PopupMenu::highlightedTextColourId), changed.popup.highlightedTextColour);
    EXPECT_EQ (lookAndFeel.getPopupMenuFont().getHeight(), 20.0f);
}

TEST (InlineComboBox, preferredWidthTakesTheWiderOfCaptionAndReference)
{
    InlineComboBox combo ("Algo");
    combo.setStyle (ui_core::defaultComboStyle());
    const auto& s = combo.getStyle();
    const auto caption = (int) std::ceil (juce::GlyphArrangement::getStringWidth (s.labelFont, "ALGO"));
    const auto value = (int) std::ceil (juce::GlyphArrangement::getStringWidth (s.valueFont, "Mean"));
    EXPECT_EQ (combo.preferredWidth ("Mean"), juce::jmax (caption, value) + 12);
    EXPECT_GT (combo.preferredWidth ("A much longer reference"), combo.preferredWidth ("Mean"));
}

// The open menu draws with the combo's look-and-feel, so it must be gone by
// the time the combo (and with it that look-and-feel) is.
TEST (InlineComboBox, destroyingTheComboClosesItsOpenMenuAtOnce)
{
    juce::Component host;
    host.setSize (100, 50);
    auto combo = std::make_unique<InlineComboBox> ("Size");
    addSizes (*combo);
    combo->setBounds (host.getLocalBounds());
    host.addAndMakeVisible (*combo);
    test::OnScreen window (host);
    test::Pointer (*combo).press ({ 50, 25 });
    ASSERT_NE (openMenuWindow (host), nullptr);
    ASSERT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 1);

    combo.reset();
    EXPECT_EQ (juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0) << "the menu outlived its combo";
    EXPECT_TRUE (menuClosed (host));
}
