#include "dialogs/ReleaseVersion.h"

namespace
{
// The value of the leading digits after optional white space and a sign.
juce::int64 leadingNumber (const juce::String& token)
{
    auto text = token.trimStart();
    const auto negative = text.startsWithChar ('-');
    if (text.startsWithChar ('-') || text.startsWithChar ('+'))
        text = text.substring (1);
    juce::int64 value = 0;
    for (auto c : text)
    {
        if (! juce::CharacterFunctions::isDigit (c) || value > (juce::int64) 1e15)
            break;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}
} // namespace

bool isNewerVersion (const juce::String& latest, const juce::String& current)
{
    juce::StringArray a, b;
    a.addTokens (latest, ".", "");
    b.addTokens (current, ".", "");
    for (int i = 0; i < juce::jmax (a.size(), b.size()); ++i)
    {
        const auto x = leadingNumber (a[i]), y = leadingNumber (b[i]);
        if (x != y)
            return x > y;
    }
    return false;
}

bool isWebAddress (const juce::String& address)
{
    const juce::URL url (address.trim());
    const auto scheme = url.getScheme().toLowerCase();
    return (scheme == "http" || scheme == "https") && url.getDomain().isNotEmpty() && ! address.containsAnyOf ("\r\n");
}
