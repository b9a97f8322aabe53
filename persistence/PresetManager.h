#pragma once

#include <juce_core/juce_core.h>

#include <functional>

// Owns the factory and user preset folders, writes preset files and keeps a
// sorted list of those it finds. It knows nothing of transfer functions: the
// processor hands it callbacks that produce and consume the file bytes.
class PresetManager
{
public:
    using ExportCallback = std::function<void (juce::MemoryBlock&, const juce::File&)>;
    using LoadCallback = std::function<void (const void*, int, const juce::File&)>;
    using NameCallback = std::function<juce::String()>;
    using SavedCallback = std::function<void (const juce::String&)>;

    struct PresetEntry
    {
        juce::File file;
        bool isFactory = false;
    };

    PresetManager (ExportCallback exportCallback, LoadCallback loadCallback, NameCallback nameCallback,
                   SavedCallback savedCallback, const juce::String& extension, const juce::File& factoryFolder,
                   const juce::File& userFolder);

    bool savePreset (const juce::File& file);
    void refreshPresetList();

    const juce::File& getUserFolder() const noexcept { return userFolder; }
    const juce::File& getFactoryFolder() const noexcept { return factoryFolder; }
    const juce::String& getExtension() const noexcept { return extension; }
    const juce::Array<PresetEntry>& getPresets() const noexcept { return presets; }

private:
    juce::File redirectOutOfFactoryFolder (const juce::File& file) const;
    void addFactoryPresets();
    void addUserPresets();
    juce::String factoryKeyFor (const juce::File& file) const;

    juce::File factoryFolder, userFolder;
    juce::String extension;
    juce::Array<PresetEntry> presets;
    ExportCallback exportCallback;
    LoadCallback loadCallback;
    NameCallback nameCallback;
    SavedCallback savedCallback;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PresetManager)
};
