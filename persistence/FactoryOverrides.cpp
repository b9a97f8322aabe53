#include "persistence/FactoryOverrides.h"

#include "persistence/PlatformFolders.h"

namespace
{
const juce::Identifier overridesType ("FactoryOverrides");

// Any non-zero integer, or "true" / "yes" in any case, after trimming.
bool readsAsTrue (const juce::var& value)
{
    const auto text = value.toString().trim();
    return text.getIntValue() != 0 || text.equalsIgnoreCase ("true") || text.equalsIgnoreCase ("yes");
}
} // namespace

juce::File factoryOverridesFile()
{
    return PlatformFolders::userCompanyFolder().getChildFile ("factory-overrides.xml");
}

juce::ValueTree loadFactoryOverrides()
{
    const auto file = factoryOverridesFile();
    if (file.getFullPathName().isEmpty() || ! file.existsAsFile())
        return juce::ValueTree (overridesType);
    return parseFactoryOverrides (file.loadFileAsString());
}

juce::ValueTree parseFactoryOverrides (const juce::String& xmlText)
{
    const auto xml = juce::XmlDocument::parse (xmlText);
    if (xml == nullptr)
        return juce::ValueTree (overridesType);

    auto tree = juce::ValueTree::fromXml (*xml);
    if (! tree.isValid() || ! tree.hasType (overridesType))
        return juce::ValueTree (overridesType);
    return tree;
}

bool isHiddenIn (const juce::ValueTree& overrides, const juce::String& key)
{
    if (key.isEmpty())
        return false;

    for (const auto& entry : overrides)
        if (entry.hasProperty ("key") && entry.getProperty ("key").toString() == key)
            return readsAsTrue (entry.getProperty ("hidden", false));
    return false;
}

bool isFactoryPresetHidden (const juce::String& key)
{
    if (key.isEmpty())
        return false;
    return isHiddenIn (loadFactoryOverrides(), key);
}
