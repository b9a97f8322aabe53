#include "persistence/FactoryOverrides.h"

#include "persistence/PlatformFolders.h"
#include "persistence/ValueTreeStreamCheck.h"

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
    juce::MemoryBlock bytes;
    if (! file.loadFileAsData (bytes))
        return juce::ValueTree (overridesType);
    return parseFactoryOverrides (bytes.getData(), bytes.getSize());
}

juce::ValueTree parseFactoryOverrides (const void* data, size_t size)
{
    // The toolkit's XML reader walks UTF-8 by trusting lead bytes, so text that
    // is not valid UTF-8 is refused before it gets there.
    auto* bytes = static_cast<const char*> (data);
    if (size >= 3 && (juce::uint8) bytes[0] == 0xef && (juce::uint8) bytes[1] == 0xbb && (juce::uint8) bytes[2] == 0xbf)
    {
        bytes += 3;
        size -= 3;
    }
    if (data == nullptr || ! isValidUtf8 (bytes, size))
        return juce::ValueTree (overridesType);

    const auto xml = juce::XmlDocument::parse (juce::String::fromUTF8 (bytes, (int) size));
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
