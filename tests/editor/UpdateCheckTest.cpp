#include "dialogs/ReleaseVersion.h"
#include "editor/PluginProcessorEditor.h"
#include "plugin/PluginAudioProcessor.h"
#include "tests/support/ImageOutput.h"
#include "tests/support/LocalHttpServer.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/UserInput.h"

#include <gtest/gtest.h>

namespace
{
struct UpdateCheck : ::testing::Test
{
    void SetUp() override
    {
        editor.reset (static_cast<PluginProcessorEditor*> (processor.createEditor()));
        editor->setVisible (true);
        editor->updateServer = server.baseUrl();
        editor->onOpenUrl = [this] (const juce::URL& url) { opened.add (url.toString (false)); };
    }

    UpdateCheckDialog& dialog() { return editor->getUpdateOverlay()->dialog; }

    // The request has finished and its posted result has been handled.
    bool answered()
    {
        const auto finished = test::runMessageLoopUntil ([this] { return ! editor->isUpdateCheckRunning(); });
        test::runMessageLoopFor (50);
        return finished && editor->getUpdateOverlay() != nullptr;
    }

    test::LocalHttpServer server;
    PluginAudioProcessor processor;
    std::unique_ptr<PluginProcessorEditor> editor;
    juce::StringArray opened;
};
} // namespace

TEST (ReleaseVersion, dottedNumbersCompareTokenByToken)
{
    struct Case
    {
        const char *latest, *current;
        bool newer;
    };
    for (const auto& c : { Case { "1.1.10", "1.1.5", true }, Case { "1.1", "1.1.0", false }, Case { "2", "1.9.9", true },
                           Case { "1.1.5", "1.1.5", false }, Case { "1.1.4", "1.1.5", false }, Case { "1..2", "1.0.1", true },
                           Case { "1.2beta", "1.1.9", true }, Case { "x.y", "0.0", false }, Case { " 3", "2.9", true } })
        EXPECT_EQ (isNewerVersion (c.latest, c.current), c.newer) << c.latest << " vs " << c.current;
}

TEST_F (UpdateCheck, upToDateShowsCloseOnly)
{
    server.reply (R"({"version":"1.1.5"})");
    editor->checkForUpdates();
    ASSERT_NE (editor->getUpdateOverlay(), nullptr);
    EXPECT_EQ (dialog().getMessage(), "Checking for updates...");
    test::savePng (editor->createComponentSnapshot (editor->getLocalBounds()), "update-checking");
    ASSERT_TRUE (answered());
    EXPECT_EQ (dialog().getTitle(), "You're Up to Date");
    EXPECT_EQ (dialog().getMessage(), "You are running the latest version. (v1.1.5)");
    EXPECT_FALSE (dialog().downloadButton.isVisible());
    EXPECT_TRUE (dialog().closeButton.isVisible());
    EXPECT_EQ (dialog().closeButton.getRight(), 380 - 24);
    EXPECT_EQ (dialog().getBounds().getCentre(), editor->getLocalBounds().getCentre()) << "centred at its new size";
    test::savePng (editor->createComponentSnapshot (editor->getLocalBounds()), "update-up-to-date");
    test::Pointer (*editor->getUpdateOverlay()).press ({ 3, 3 });
    EXPECT_EQ (editor->getUpdateOverlay(), nullptr) << "a press beside it closes it";
    test::runMessageLoopFor (20);
}

TEST_F (UpdateCheck, newerReleaseListsChangesAndOffersTheDownload)
{
    server.reply (R"({"version":"1.2.0","downloadWindows":"https://example.invalid/get","changes":["Faster fits", 42]})");
    editor->checkForUpdates();
    ASSERT_TRUE (answered());
    EXPECT_EQ (dialog().getTitle(), "Update Available");
    EXPECT_EQ (dialog().getMessage(), "A new version is available: v1.2.0\nYou have: v1.1.5");
    EXPECT_EQ (dialog().getChanges(), juce::StringArray ({ "Faster fits", "42" }));
    ASSERT_TRUE (dialog().downloadButton.isVisible());
    EXPECT_EQ (dialog().downloadButton.getBounds().withY (0), juce::Rectangle<int> (246, 0, 110, dialog().downloadButton.getHeight()));
    EXPECT_EQ (dialog().closeButton.getRight(), 242);
    test::savePng (editor->createComponentSnapshot (editor->getLocalBounds()), "update-available");

    test::Pointer (dialog().downloadButton).click ({ 10, 10 });
    EXPECT_EQ (opened, juce::StringArray ({ "https://example.invalid/get" }));
    EXPECT_NE (editor->getUpdateOverlay(), nullptr) << "the dialog stays open";
}

TEST_F (UpdateCheck, badRepliesAndDevelopmentBuilds)
{
    struct Case
    {
        const char* reply;
        const char* currentVersion;
        const char* title;
        const char* messageStart;
    };
    for (const auto& c : { Case { "not json at all", "1.1.5", "Update Check", "Unable to parse update information from server." },
                           Case { R"({"version":""})", "1.1.5", "Update Check", "Unable to parse update information from server." },
                           Case { R"(["1.2"])", "1.1.5", "Update Check", "Unable to parse update information from server." },
                           Case { "", "1.1.5", "Update Check", "Unable to check for updates.\nPlease check your internet connection." },
                           Case { R"({"version":2,"changes":"not a list"})", "dev-42", "Development Build",
                                  "You are running a development build.\n\nLatest release: v2" } })
    {
        editor->showUpdateOverlay();
        editor->handleUpdateCheckResult (c.reply, c.currentVersion);
        EXPECT_EQ (dialog().getTitle(), c.title) << c.reply;
        EXPECT_EQ (dialog().getMessage(), c.messageStart) << c.reply;
        EXPECT_TRUE (dialog().getChanges().isEmpty()) << c.reply;
        test::savePng (editor->createComponentSnapshot (editor->getLocalBounds()),
                       juce::String ("update-") + juce::String (c.title).replaceCharacter (' ', '-').toLowerCase() + "-"
                           + juce::String (juce::String (c.reply).hashCode()));
    }
    editor->dismissUpdateOverlay();
    editor->handleUpdateCheckResult (R"({"version":"9"})", "1.1.5");
    EXPECT_EQ (editor->getUpdateOverlay(), nullptr) << "a reply with no dialog open changes nothing";
    test::runMessageLoopFor (20);
}

TEST_F (UpdateCheck, serverDownAndEmptyReplies)
{
    server.setBehaviour (test::LocalHttpServer::Behaviour::closeWithoutReply);
    editor->checkForUpdates();
    ASSERT_TRUE (answered());
    EXPECT_EQ (dialog().getMessage(), "Unable to check for updates.\nPlease check your internet connection.");

    editor->updateServer = "http://127.0.0.1:1"; // nothing listens there
    editor->checkForUpdates();
    ASSERT_TRUE (answered());
    EXPECT_EQ (dialog().getMessage(), "Unable to check for updates.\nPlease check your internet connection.");
}

TEST_F (UpdateCheck, twoQuickRequestsMakeOneDialogAndOneRequest)
{
    server.setBehaviour (test::LocalHttpServer::Behaviour::hang);
    editor->checkForUpdates();
    auto* first = editor->getUpdateOverlay();
    editor->checkForUpdates();
    EXPECT_EQ (editor->getUpdateOverlay(), first);
    test::runMessageLoopFor (300);
    EXPECT_EQ (server.requestCount(), 1);
    int overlays = 0;
    for (auto* child : editor->getChildren())
        overlays += dynamic_cast<UpdateCheckOverlay*> (child) != nullptr ? 1 : 0;
    EXPECT_EQ (overlays, 1);
}

TEST_F (UpdateCheck, closingTheEditorWhileTheRequestHangsReturnsPromptly)
{
    server.setBehaviour (test::LocalHttpServer::Behaviour::hang);
    editor->checkForUpdates();
    ASSERT_TRUE (test::runMessageLoopUntil ([this] { return server.requestCount() == 1; }));
    const auto start = juce::Time::getMillisecondCounterHiRes();
    editor.reset();
    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 1500.0) << "bounded by the 500 ms wait, with slack for a loaded machine";
    // A host may unload the module right after closing the editor: the
    // cancelled request must have ended its thread, not left it running.
    EXPECT_EQ (UpdateCheckThread::getNumInstances(), 0);
    test::runMessageLoopFor (100); // nothing may reach the destroyed editor
}

TEST_F (UpdateCheck, serverErrorsReadAsNoReplyAndOnlyWebAddressesOpen)
{
    auto releaseOffering = [] (const char* address)
    {
        juce::DynamicObject::Ptr release (new juce::DynamicObject());
        release->setProperty ("version", "9.0");
        release->setProperty ("downloadWindows", address);
        return juce::JSON::toString (juce::var (release.get()));
    };

    for (const auto* status : { "404 Not Found", "500 Internal Server Error", "503 Service Unavailable" })
    {
        server.reply ("<html><body>Oops</body></html>", status);
        editor->checkForUpdates();
        ASSERT_TRUE (answered()) << status;
        EXPECT_EQ (dialog().getMessage(), "Unable to check for updates.\nPlease check your internet connection.") << status;
    }

    for (const auto* address : { "file:///etc/passwd", "javascript:alert(1)", "/usr/bin/xterm", "ftp://example.invalid/x", "https://", "" })
    {
        SCOPED_TRACE (address);
        editor->showUpdateOverlay();
        editor->handleUpdateCheckResult (releaseOffering (address), "1.1.5");
        EXPECT_EQ (dialog().getTitle(), "Update Available");
        EXPECT_FALSE (dialog().downloadButton.isVisible()) << "no button for an address that is not a web page";
        if (dialog().onDownload)
            dialog().onDownload (address);
    }
    EXPECT_TRUE (opened.isEmpty()) << opened.joinIntoString (", ");
}

TEST (UpdateCheckDialog, heightFollowsTheContentAtAFixedWidth)
{
    UpdateCheckDialog dialog;
    dialog.setTopLeftPosition (40, 30);
    dialog.setMessage ("You are running the latest version. (v1.1.5)");
    const auto plain = dialog.getHeight();
    dialog.setChanges ({ "One change", "Another change" });
    EXPECT_GE (dialog.getHeight() - plain, 4 + 2 * (14 + 2)) << "a gap, then each bullet line and 2";
    dialog.setMessage ("A much longer message that wraps over more than one line of the dialog's 332 pixels of content width, "
                       "so the height grows again.");
    EXPECT_GT (dialog.getHeight(), plain);
    EXPECT_EQ (dialog.getWidth(), 380);
    EXPECT_EQ (dialog.getPosition(), juce::Point<int> (40, 30)) << "the height changes below a fixed top-left corner";
}
