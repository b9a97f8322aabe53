#include "editor/PluginProcessorEditor.h"
#include "persistence/TransferFunctionPreset.h"
#include "persistence/UserSettings.h"
#include "plugin/PluginAudioProcessor.h"
#include "tests/support/ImageOutput.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/ProcessorHarness.h"
#include "tests/support/TanhDevice.h"
#include "tests/support/UserInput.h"
#include "ui_core/DesignTokens.h"
#include "ui_core/ThemeColours.h"

#include <gtest/gtest.h>

namespace
{
void click (juce::Button& button) { test::Pointer (button).click (button.getLocalBounds().getCentre().toFloat()); }

// Ctrl+S as the platforms deliver it: X11 gives the key code 's' with the
// control character 0x13, Windows the key code 'S' with no character.
const juce::KeyPress ctrlS ('s', juce::ModifierKeys::ctrlModifier, 0x13);
const juce::KeyPress ctrlSOnWindows ('S', juce::ModifierKeys::ctrlModifier, 0);

struct Saving : ::testing::Test
{
    void SetUp() override
    {
        for (const auto* name : { "plugin-preferences", "artist-settings" })
            settingsFile (name).deleteFile();
        savedFolder.createDirectory();
        test::prepareProcessor (processor, test::Sidechain::present, 512);
        test::setParameter (processor, "captureLength", 0.0f);
        editor.reset (static_cast<PluginProcessorEditor*> (processor.createEditor()));
        editor->setVisible (true);
        editor->onChooseSaveFile = [this] (const juce::File& folder, const juce::String& pattern, std::function<void (const juce::File&)> chosen)
        {
            ++chooserShown;
            shownFolder = folder;
            shownPattern = pattern;
            if (nextChoice != juce::File())
                chosen (nextChoice);
        };
    }

    void TearDown() override
    {
        editor.reset();
        savedFolder.deleteRecursively();
    }

    void freeze()
    {
        test::playThroughTanh (processor, 20000);
        click (editor->freezeButton);
        test::runMessageLoopUntil ([this] { return ! processor.isRefitInProgress(); });
        test::runMessageLoopFor (50);
    }

    // The artist and the table stored in a written preset file.
    std::pair<juce::String, std::vector<double>> readBack (const juce::File& file)
    {
        juce::MemoryBlock bytes;
        EXPECT_TRUE (file.loadFileAsData (bytes)) << file.getFullPathName();
        const auto tree = parsePresetBytes (bytes.getData(), bytes.getSize());
        const auto read = readTransferFunctionPreset (tree);
        EXPECT_TRUE (read.ok) << read.error;
        return { tree.getChildWithName ("metadata").getProperty ("artist").toString(), read.table };
    }

    ArtistNameDialog* dialog() const
    {
        auto* overlay = editor->getArtistNameOverlay();
        return overlay != nullptr ? &overlay->dialog : nullptr;
    }

    PluginAudioProcessor processor;
    std::unique_ptr<PluginProcessorEditor> editor;
    juce::File savedFolder { juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("sonderlith-saves") };
    juce::File nextChoice;
    juce::File shownFolder;
    juce::String shownPattern;
    int chooserShown = 0;
};
} // namespace

TEST_F (Saving, ctrlSWhileFrozenWithAStoredNameSavesWithTheRightExtension)
{
    saveArtistName ("Ada");
    freeze();
    for (const auto* typed : { "curve", "curve.wav", "curve.tfunc" })
    {
        nextChoice = savedFolder.getChildFile (typed);
        EXPECT_TRUE (editor->keyPressed (juce::String (typed) == "curve.wav" ? ctrlSOnWindows : ctrlS, editor.get()));
        const auto written = savedFolder.getChildFile ("curve.tfunc");
        ASSERT_TRUE (written.existsAsFile()) << typed;
        const auto [artist, table] = readBack (written);
        EXPECT_EQ (artist, "Ada");
        ASSERT_EQ (table.size(), 16384u);
        EXPECT_NEAR (table[100], processor.transferFunction.load (100), 1e-6);
        EXPECT_FALSE (savedFolder.getChildFile ("curve.wav").exists());
        written.deleteFile();
    }
    EXPECT_EQ (chooserShown, 3);
    EXPECT_EQ (shownFolder, processor.presetManager->getUserFolder());
    EXPECT_EQ (shownPattern, "*.tfunc");
    EXPECT_EQ (dialog(), nullptr) << "a stored name skips the dialog";
}

TEST_F (Saving, ctrlSWhileLiveIsConsumedAndDoesNothing)
{
    saveArtistName ("Ada");
    EXPECT_TRUE (editor->keyPressed (ctrlS, editor.get()));
    EXPECT_TRUE (editor->keyPressed (ctrlSOnWindows, editor.get()));
    const auto ctrlAlt = juce::ModifierKeys (juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::altModifier);
    for (const auto& other : { juce::KeyPress ('s', {}, 's'), juce::KeyPress ('d', juce::ModifierKeys::ctrlModifier, 0x04),
                               juce::KeyPress ('s', ctrlAlt, 0) })
        EXPECT_FALSE (editor->keyPressed (other, editor.get())) << other.getTextDescription();
    EXPECT_EQ (chooserShown, 0);
    EXPECT_EQ (dialog(), nullptr);
}

TEST_F (Saving, firstSaveAsksForTheNameAndEveryWayOutLeadsToTheChooser)
{
    freeze();
    nextChoice = savedFolder.getChildFile ("skipped");
    click (editor->saveButton);
    ASSERT_NE (dialog(), nullptr);
    EXPECT_TRUE (dialog()->dontAskButton.isVisible());
    EXPECT_TRUE (dialog()->skipButton.isVisible());
    EXPECT_FALSE (dialog()->cancelButton.isVisible());
    EXPECT_EQ (chooserShown, 0);
    click (dialog()->skipButton);
    EXPECT_EQ (dialog(), nullptr);
    EXPECT_EQ (chooserShown, 1);
    EXPECT_EQ (readBack (savedFolder.getChildFile ("skipped.tfunc")).first, "") << "skip: no artist";

    click (editor->saveButton);
    ASSERT_NE (dialog(), nullptr);
    test::typeText (dialog()->nameEditor, "Grace");
    nextChoice = savedFolder.getChildFile ("named");
    test::pressKey (dialog()->nameEditor, juce::KeyPress::returnKey);
    EXPECT_EQ (loadArtistName(), "Grace");
    EXPECT_EQ (chooserShown, 2);
    EXPECT_EQ (readBack (savedFolder.getChildFile ("named.tfunc")).first, "Grace");

    click (editor->saveButton);
    EXPECT_EQ (dialog(), nullptr) << "the next save goes straight to the chooser";
    EXPECT_EQ (chooserShown, 3);
}

TEST_F (Saving, optOutAndWaitingSaves)
{
    test::setParameter (processor, "captureLength", 3.0f); // 128k: freezing now waits
    test::playThroughTanh (processor, 4096);
    click (editor->freezeButton);
    ASSERT_TRUE (editor->isAwaitingCapture());
    ASSERT_TRUE (editor->saveButton.isEnabled());

    click (editor->saveButton);
    ASSERT_NE (dialog(), nullptr);
    nextChoice = savedFolder.getChildFile ("waiting");
    click (dialog()->dontAskButton);
    EXPECT_TRUE (loadDoNotAskAgain());
    const auto [artist, table] = readBack (savedFolder.getChildFile ("waiting.tfunc"));
    EXPECT_EQ (artist, "");
    ASSERT_EQ (table.size(), 16384u);
    for (const auto i : { 0, 5000, 16383 })
        EXPECT_NEAR (table[(size_t) i], processor.transferFunction.load (i), 1e-6) << "the table the processor holds";

    click (editor->saveButton);
    EXPECT_EQ (dialog(), nullptr) << "opted out: never asked again";
    EXPECT_EQ (chooserShown, 2);
}

TEST_F (Saving, artistDialogFromTheMenuNamesAndExits)
{
    saveArtistName ("Ada");
    editor->showArtistNameDialog (false);
    ASSERT_NE (dialog(), nullptr);
    EXPECT_EQ (dialog()->nameEditor.getText(), "Ada") << "prefilled";
    EXPECT_TRUE (dialog()->cancelButton.isVisible());
    EXPECT_FALSE (dialog()->skipButton.isVisible());
    EXPECT_EQ (editor->getArtistNameOverlay()->getParentComponent(), editor.get()) << "on the top-most component";
    EXPECT_EQ (editor->getArtistNameOverlay()->getBounds(), editor->getLocalBounds());

    struct Exit
    {
        const char* name;
        std::function<void (ArtistNameDialog&, ArtistNameDialogOverlay&)> take;
    };
    for (const auto& exit : { Exit { "Cancel", [] (ArtistNameDialog& d, ArtistNameDialogOverlay&) { click (d.cancelButton); } },
                              Exit { "Escape", [] (ArtistNameDialog& d, ArtistNameDialogOverlay&) { test::pressKey (d.nameEditor, juce::KeyPress::escapeKey); } },
                              Exit { "press beside", [] (ArtistNameDialog&, ArtistNameDialogOverlay& o) { test::Pointer (o).press ({ 2, 2 }); } } })
    {
        editor->showArtistNameDialog (false);
        auto* overlay = editor->getArtistNameOverlay();
        dialog()->nameEditor.setText ("Someone Else");
        exit.take (*dialog(), *overlay);
        EXPECT_EQ (editor->getArtistNameOverlay(), nullptr) << exit.name;
        EXPECT_EQ (overlay->getParentComponent(), nullptr) << exit.name << ": removed at once";
        test::runMessageLoopFor (20); // destroyed after the handler returned
        EXPECT_EQ (loadArtistName(), "Ada") << exit.name;
    }
    EXPECT_EQ (chooserShown, 0) << "nothing follows from the menu";

    for (const auto& [typed, stored] : { std::pair<const char*, const char*> { " ", " " }, { "", " " }, { "Lin", "Lin" } })
    {
        editor->showArtistNameDialog (false);
        dialog()->nameEditor.setText (typed);
        click (dialog()->saveButton);
        EXPECT_EQ (loadArtistName(), stored) << "typed '" << typed << "'";
    }

    editor->showArtistNameDialog (false);
    editor->showArtistNameDialog (true);
    int overlays = 0;
    for (auto* child : editor->getChildren())
        overlays += dynamic_cast<ArtistNameDialogOverlay*> (child) != nullptr ? 1 : 0;
    EXPECT_EQ (overlays, 1) << "a new dialog replaces the open one";
    test::runMessageLoopFor (20);
}

TEST (ArtistNameDialog, layoutOfBothVariantsAndTinySizes)
{
    ArtistNameDialog dialog;
    dialog.setFirstSaveVariant (true);
    EXPECT_EQ (dialog.nameEditor.getBounds(), juce::Rectangle<int> (24, 87, 332, 28));
    EXPECT_EQ (dialog.saveButton.getBounds(), juce::Rectangle<int> (286, 123, 70, 28));
    EXPECT_EQ (dialog.skipButton.getBounds(), juce::Rectangle<int> (212, 123, 70, 28));
    EXPECT_EQ (dialog.dontAskButton.getBounds(), juce::Rectangle<int> (68, 123, 140, 28));
    test::savePng (test::render (dialog), "artist-dialog-first-save");

    dialog.setFirstSaveVariant (false);
    EXPECT_EQ (dialog.cancelButton.getBounds(), juce::Rectangle<int> (202, 123, 80, 28));
    test::savePng (test::render (dialog), "artist-dialog-from-menu");

    for (const auto& size : { juce::Point<int> (100, 60), juce::Point<int> (10, 10), juce::Point<int> (0, 0) })
    {
        SCOPED_TRACE (testing::Message() << "size " << size.x << " x " << size.y);
        dialog.setFirstSaveVariant (true);
        dialog.setSize (size.x, size.y);
        // What is left of each control stays on the card and off the others.
        std::vector<juce::Rectangle<int>> shown;
        for (auto* c : dialog.getChildren())
            if (c->isVisible() && ! c->getBounds().isEmpty())
            {
                EXPECT_TRUE (dialog.getLocalBounds().contains (c->getBounds())) << c->getBounds().toString();
                for (const auto& other : shown)
                    EXPECT_FALSE (other.intersects (c->getBounds())) << other.toString() << " and " << c->getBounds().toString();
                shown.push_back (c->getBounds());
            }
        test::render (dialog);
    }
}

TEST_F (Saving, logoMenuOpensOnHoverAndClosesWhenTheMouseLeaves)
{
    test::OnScreen window (*editor, { 30, 30 });
    test::movePointerTo (editor->logoButton.getScreenBounds().getCentre());
    editor->mouseEnter (test::Pointer (editor->logoButton).event ({ 30, 30 }));
    auto* menu = editor->getLogoMenu();
    ASSERT_NE (menu, nullptr);
    EXPECT_EQ (menu->getBounds(), juce::Rectangle<int> (0, 370, 170, 112));
    EXPECT_EQ (menu->backgroundColour, ui_core::rampStep ('N', 1));
    test::savePng (editor->createComponentSnapshot (editor->getLocalBounds()), "editor-logo-menu");

    test::movePointerTo (menu->getScreenBounds().getCentre());
    test::runMessageLoopFor (150);
    EXPECT_EQ (editor->getLogoMenu(), menu) << "moving into the menu keeps it";

    test::movePointerTo (editor->getScreenBounds().getCentre());
    EXPECT_TRUE (test::runMessageLoopUntil ([this] { return editor->getLogoMenu() == nullptr; })) << "closed once the pointer left";

    editor->showLogoMenu();
    click (editor->getLogoMenu()->artistButton);
    EXPECT_EQ (editor->getLogoMenu(), nullptr) << "closed before the entry acts";
    ASSERT_NE (dialog(), nullptr);
    EXPECT_TRUE (dialog()->cancelButton.isVisible());
    editor->dismissArtistNameDialog();

    juce::String opened;
    editor->onOpenUrl = [&] (const juce::URL& url) { opened = url.toString (false); };
    editor->showLogoMenu();
    click (editor->getLogoMenu()->manualButton);
    EXPECT_TRUE (opened.endsWith ("/plugins/sonderlith/manual/"));
    EXPECT_TRUE (opened.startsWith ("https://"));

    ui_core::setTheme (0.5f, 0.2f, 1.2f, 1.0f, true, 0.7f);
    editor->showLogoMenu();
    EXPECT_EQ (editor->getLogoMenu()->backgroundColour, ui_core::rampStep ('N', 1)) << "built from the current theme";
    EXPECT_EQ (editor->getLogoMenu()->artistButton.getStyle().textHoverColour, ui_core::rampStep ('P', 6));
    const ThemeSettings defaults;
    ui_core::setTheme (defaults.primaryHue, defaults.secondaryHue, defaults.primarySaturationScale, defaults.secondarySaturationScale,
                       defaults.glowEnabled, defaults.glowIntensity);
    editor->closeLogoMenu();
    test::runMessageLoopFor (20);
}
