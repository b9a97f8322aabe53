#include "persistence/FactoryOverrides.h"

#include "persistence/PlatformFolders.h"
#include "persistence/ValueTreeStreamCheck.h"

namespace
{
const juce::Identifier overridesType ("FactoryOverrides");

// The toolkit's reader runs past the end of the text on a malformed character
// reference ("&#x" at the end, too many digits): every '&' must start a
// complete, valid reference.
bool referencesAreWellFormed (const juce::String& text)
{
    for (auto position = text.indexOfChar ('&'); position >= 0; position = text.indexOfChar (position + 1, '&'))
    {
        const auto end = text.indexOfChar (position, ';');
        if (end < 0 || end - position > 10)
            return false;
        const auto name = text.substring (position + 1, end);
        if (name.equalsIgnoreCase ("amp") || name.equalsIgnoreCase ("quot") || name.equalsIgnoreCase ("apos")
            || name.equalsIgnoreCase ("lt") || name.equalsIgnoreCase ("gt"))
            continue;
        if (! name.startsWithChar ('#') || name.length() < 2)
            return false;

        const auto hex = name[1] == 'x' || name[1] == 'X';
        const auto digits = name.substring (hex ? 2 : 1);
        if (digits.isEmpty() || digits.length() > 7 || ! digits.containsOnly (hex ? "0123456789abcdefABCDEF" : "0123456789"))
            return false;
        const auto code = hex ? digits.getHexValue64() : digits.getLargeIntValue();
        if (code <= 0 || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
            return false;
    }
    return true;
}

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

    // The toolkit's reader loops forever on a processing instruction followed
    // by text inside an element; only the leading XML declaration may use one.
    const auto text = juce::String::fromUTF8 (bytes, (int) size);
    const auto body = text.trimStart().startsWith ("<?") ? text.trimStart().fromFirstOccurrenceOf ("?>", false, false) : text;
    if (body.contains ("<?") || ! referencesAreWellFormed (text))
        return juce::ValueTree (overridesType);

    const auto xml = juce::XmlDocument::parse (text);
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
