#include "persistence/PlatformFolders.h"

namespace PlatformFolders
{
namespace
{
juce::File& commonBaseOverride()
{
    static juce::File base;
    return base;
}

juce::File userBase()
{
   #if JUCE_LINUX || JUCE_BSD
    const auto xdg = juce::SystemStats::getEnvironmentVariable ("XDG_CONFIG_HOME", {});
    if (juce::File::isAbsolutePath (xdg))
        return juce::File (xdg);
    const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    return home.getFullPathName().isEmpty() ? juce::File() : home.getChildFile (".config");
   #else
    return juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory);
   #endif
}

juce::File commonBase()
{
    if (commonBaseOverride() != juce::File())
        return commonBaseOverride();
    return juce::File::getSpecialLocation (juce::File::commonApplicationDataDirectory);
}
} // namespace

// A missing base gives a folder derived from the empty path by getChildFile.
juce::File userCompanyFolder() { return userBase().getChildFile (companyName); }
juce::File commonCompanyFolder() { return commonBase().getChildFile (companyName); }
juce::File userPresetFolder() { return userCompanyFolder().getChildFile (presetFolderName); }
juce::File factoryPresetFolder() { return commonCompanyFolder().getChildFile (presetFolderName); }

void setCommonBaseForTesting (const juce::File& base) { commonBaseOverride() = base; }
} // namespace PlatformFolders
