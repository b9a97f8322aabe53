#include "persistence/PresetManager.h"

#include "persistence/FactoryOverrides.h"
#include "persistence/SafeFileWrite.h"

PresetManager::PresetManager (ExportCallback exportCb, LoadCallback loadCb, NameCallback nameCb, SavedCallback savedCb,
                              const juce::String& ext, const juce::File& factory, const juce::File& user)
    : factoryFolder (factory),
      userFolder (user),
      extension (ext),
      exportCallback (std::move (exportCb)),
      loadCallback (std::move (loadCb)),
      nameCallback (std::move (nameCb)),
      savedCallback (std::move (savedCb))
{
    if (userFolder.getFullPathName().isEmpty() || ! userFolder.isDirectory())
        userFolder.createDirectory();
}

juce::File PresetManager::redirectOutOfFactoryFolder (const juce::File& file) const
{
    if (factoryFolder.getFullPathName().isEmpty() || ! file.isAChildOf (factoryFolder))
        return file;

    auto target = userFolder.getChildFile (file.getRelativePathFrom (factoryFolder));
    target.getParentDirectory().createDirectory();
    return target;
}

bool PresetManager::savePreset (const juce::File& file)
{
    if (! exportCallback)
        return false;

    const auto target = redirectOutOfFactoryFolder (file);
    juce::MemoryBlock bytes;
    exportCallback (bytes, target);

    // An export that produced nothing, or a write that fails part way, must
    // never cost the user an existing preset.
    if (! replaceFileSafely (target, bytes.getData(), bytes.getSize()))
        return false;

    if (savedCallback)
        savedCallback (target.getFullPathName());
    refreshPresetList();
    return true;
}

juce::String PresetManager::factoryKeyFor (const juce::File& file) const
{
    const auto relative = file.getRelativePathFrom (factoryFolder);
    if (relative.isEmpty() || relative.startsWith (".."))
        return {};
    return factoryFolder.getFileName() + "/" + relative;
}

void PresetManager::addFactoryPresets()
{
    if (factoryFolder.getFullPathName().isEmpty() || ! factoryFolder.isDirectory())
        return;

    const auto overrides = loadFactoryOverrides();
    for (const auto& file : factoryFolder.findChildFiles (juce::File::findFiles, true, "*" + extension))
    {
        const auto key = factoryKeyFor (file);
        if (key.isNotEmpty() && isHiddenIn (overrides, key))
            continue;
        presets.add ({ file, true });
    }
}

void PresetManager::addUserPresets()
{
    if (userFolder.getFullPathName().isEmpty() || ! userFolder.isDirectory())
        return;

    for (const auto& file : userFolder.findChildFiles (juce::File::findFiles, true, "*" + extension))
        presets.add ({ file, false });
}

void PresetManager::refreshPresetList()
{
    presets.clearQuick();
    addFactoryPresets();
    addUserPresets();

    struct ByPathIgnoringCase
    {
        static int compareElements (const PresetEntry& a, const PresetEntry& b)
        {
            return a.file.getFullPathName().compareIgnoreCase (b.file.getFullPathName());
        }
    } comparator;
    presets.sort (comparator);
}
