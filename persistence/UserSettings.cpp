#include "persistence/UserSettings.h"

#include "persistence/PlatformFolders.h"

namespace
{
constexpr const char* artistSettings = "artist-settings";
constexpr const char* themeSettings = "theme-settings";
constexpr const char* pluginPreferences = "plugin-preferences";
constexpr const char* gridStrengthKey = "Sonderlith.gridStrength";

juce::PropertiesFile::Options optionsFor (const juce::String& applicationName)
{
    juce::PropertiesFile::Options options;
    options.applicationName = applicationName;
    options.folderName = PlatformFolders::companyName;
    options.filenameSuffix = ".xml";
    options.storageFormat = juce::PropertiesFile::storeAsXML;
    options.millisecondsBeforeSaving = 3000;
    options.commonToAllUsers = false;
    options.ignoreCaseOfKeyNames = false;
    options.doNotSave = false;
    options.processLock = nullptr;
    return options;
}

// The toolkit would pick its own folder from the options; the file is given
// explicitly so every platform uses the company folder resolved above.
std::unique_ptr<juce::PropertiesFile> open (const juce::String& applicationName)
{
    return std::make_unique<juce::PropertiesFile> (settingsFile (applicationName), optionsFor (applicationName));
}

template <typename Value>
void store (const juce::String& applicationName, std::initializer_list<std::pair<const char*, Value>> values)
{
    auto file = open (applicationName);
    for (const auto& [key, value] : values)
        file->setValue (key, value);
    file->saveIfNeeded();
}
} // namespace

juce::File settingsFile (const juce::String& applicationName)
{
    return PlatformFolders::userCompanyFolder().getChildFile (applicationName + ".xml");
}

juce::String loadArtistName() { return open (artistSettings)->getValue ("artistName"); }

// An empty name never replaces a stored one; any other text is kept as typed.
void saveArtistName (const juce::String& name)
{
    if (name.isNotEmpty())
        store<juce::var> (artistSettings, { { "artistName", name } });
}

bool loadDoNotAskAgain() { return open (artistSettings)->getBoolValue ("doNotAskAgain", false); }

void setDoNotAskAgain() { store<juce::var> (artistSettings, { { "doNotAskAgain", true } }); }

ThemeSettings loadThemeSettings()
{
    const auto file = open (themeSettings);
    const ThemeSettings defaults;
    ThemeSettings t;
    t.primaryHue = (float) file->getDoubleValue ("primaryHue", (double) defaults.primaryHue);
    t.secondaryHue = (float) file->getDoubleValue ("secondaryHue", (double) defaults.secondaryHue);
    const auto scale = file->getDoubleValue ("saturationScale", 1.0);
    t.primarySaturationScale = (float) file->getDoubleValue ("primarySaturationScale", scale);
    t.secondarySaturationScale = (float) file->getDoubleValue ("secondarySaturationScale", scale);
    t.glowEnabled = file->getBoolValue ("glowEnabled", defaults.glowEnabled);
    t.glowIntensity = (float) file->getDoubleValue ("glowIntensity", (double) defaults.glowIntensity);
    return t;
}

void saveThemeSettings (float primaryHue, float secondaryHue, float primarySaturationScale, float secondarySaturationScale,
                        bool glowEnabled, float glowIntensity)
{
    store<juce::var> (themeSettings, { { "primaryHue", (double) primaryHue },
                                       { "secondaryHue", (double) secondaryHue },
                                       { "primarySaturationScale", (double) primarySaturationScale },
                                       { "secondarySaturationScale", (double) secondarySaturationScale },
                                       { "glowEnabled", glowEnabled },
                                       { "glowIntensity", (double) glowIntensity } });
}

int loadGridStrength() { return juce::jlimit (0, 2, open (pluginPreferences)->getIntValue (gridStrengthKey, 0)); }

void saveGridStrength (int strength) { store<juce::var> (pluginPreferences, { { gridStrengthKey, juce::jmin (strength, 2) } }); }
