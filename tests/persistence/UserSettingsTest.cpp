#include "persistence/UserSettings.h"
#include "tests/support/TemporaryFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
void writeSettings (const juce::String& applicationName, const juce::String& xmlValues)
{
    const auto file = settingsFile (applicationName);
    file.getParentDirectory().createDirectory();
    file.replaceWithText ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<PROPERTIES>" + xmlValues + "</PROPERTIES>\n");
}

juce::String value (const juce::String& name, const juce::String& v)
{
    return "<VALUE name=\"" + name + "\" val=\"" + v + "\"/>";
}
} // namespace

TEST (UserSettings, defaultsWithoutAnyFile)
{
    test::TemporaryFolders folders;
    const auto theme = loadThemeSettings();
    EXPECT_EQ (theme.primaryHue, 0.011f);
    EXPECT_EQ (theme.secondaryHue, 0.086f);
    EXPECT_EQ (theme.primarySaturationScale, 1.0f);
    EXPECT_EQ (theme.secondarySaturationScale, 1.0f);
    EXPECT_TRUE (theme.glowEnabled);
    EXPECT_EQ (theme.glowIntensity, 0.716f);
    EXPECT_EQ (loadGridStrength(), 0);
    EXPECT_EQ (loadArtistName(), "");
    EXPECT_FALSE (loadDoNotAskAgain());
    EXPECT_FALSE (folders.company().getChildFile ("theme-settings.xml").exists()) << "reading must not create files";
}

TEST (UserSettings, filesLiveInTheCompanyFolderOfTheConfigHome)
{
    test::TemporaryFolders folders;
    saveArtistName ("Ada");
    EXPECT_TRUE (folders.company().getChildFile ("artist-settings.xml").existsAsFile());

    // Without XDG_CONFIG_HOME the folder is ~/.config.
    const auto config = juce::SystemStats::getEnvironmentVariable ("XDG_CONFIG_HOME", {});
    const auto home = folders.root.getChildFile ("home");
    const auto previousHome = juce::SystemStats::getEnvironmentVariable ("HOME", {});
    ::unsetenv ("XDG_CONFIG_HOME");
    ::setenv ("HOME", home.getFullPathName().toRawUTF8(), 1);
    EXPECT_EQ (settingsFile ("theme-settings"), home.getChildFile (".config/Veltrasonic/theme-settings.xml"));
    ::setenv ("HOME", previousHome.toRawUTF8(), 1);
    ::setenv ("XDG_CONFIG_HOME", config.toRawUTF8(), 1);
}

TEST (UserSettings, artistSettings)
{
    test::TemporaryFolders folders;
    saveArtistName ("Ada");
    saveArtistName ("");
    EXPECT_EQ (loadArtistName(), "Ada") << "an empty name leaves the stored one";
    saveArtistName (" ");
    EXPECT_EQ (loadArtistName(), " ");

    struct Case
    {
        const char* stored;
        bool expected;
    };
    for (const auto& c : { Case { "true", false }, Case { "1", true }, Case { "0", false }, Case { "2", true }, Case { "", false } })
    {
        writeSettings ("artist-settings", value ("doNotAskAgain", c.stored));
        EXPECT_EQ (loadDoNotAskAgain(), c.expected) << "\"" << c.stored << "\"";
    }

    writeSettings ("artist-settings", "");
    setDoNotAskAgain();
    EXPECT_TRUE (loadDoNotAskAgain());
}

TEST (UserSettings, themeFallbackAndPrecedence)
{
    test::TemporaryFolders folders;
    writeSettings ("theme-settings", value ("saturationScale", "1.5"));
    auto theme = loadThemeSettings();
    EXPECT_EQ (theme.primarySaturationScale, 1.5f);
    EXPECT_EQ (theme.secondarySaturationScale, 1.5f);

    saveThemeSettings (0.5f, 0.25f, 0.75f, 1.25f, false, 0.3f);
    theme = loadThemeSettings();
    EXPECT_EQ (theme.primaryHue, 0.5f);
    EXPECT_EQ (theme.secondaryHue, 0.25f);
    EXPECT_EQ (theme.primarySaturationScale, 0.75f);
    EXPECT_EQ (theme.secondarySaturationScale, 1.25f);
    EXPECT_FALSE (theme.glowEnabled);
    EXPECT_EQ (theme.glowIntensity, 0.3f);

    const auto xml = juce::XmlDocument::parse (settingsFile ("theme-settings"));
    ASSERT_NE (xml, nullptr);
    EXPECT_NE (xml->toString().indexOf ("saturationScale\" val=\"1.5"), -1) << "the old key is kept, never written";
}

TEST (UserSettings, gridStrength)
{
    test::TemporaryFolders folders;
    const std::pair<const char*, int> cases[] = { { "7", 2 }, { "1", 1 }, { "-3", 0 }, { "junk", 0 } };
    for (auto [stored, expected] : cases)
    {
        writeSettings ("plugin-preferences", value ("Sonderlith.gridStrength", stored));
        EXPECT_EQ (loadGridStrength(), expected) << stored;
    }

    saveGridStrength (9);
    EXPECT_EQ (juce::PropertiesFile (settingsFile ("plugin-preferences"), {}).getIntValue ("Sonderlith.gridStrength"), 2);
}

TEST (UserSettings, malformedFilesReadAsEmpty)
{
    test::TemporaryFolders folders;
    settingsFile ("artist-settings").getParentDirectory().createDirectory();
    settingsFile ("artist-settings").replaceWithText ("<PROPERTIES><VALUE name=");
    EXPECT_EQ (loadArtistName(), "");
    saveArtistName ("Recovered");
    EXPECT_EQ (loadArtistName(), "Recovered");
}
