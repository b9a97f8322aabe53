#include "engine/InputFile.h"

#include <filesystem>

juce::String whyUnreadable (const juce::File& file)
{
    std::error_code error;
    const auto status = std::filesystem::status (file.getFullPathName().toStdString(), error);
    if (! std::filesystem::exists (status))
        return "there is no such file";
    if (std::filesystem::is_directory (status))
        return "it is a folder, not a file";
    if (! std::filesystem::is_regular_file (status))
        return "it is not a regular file (a pipe or a device); save the recording to a file first";
    juce::FileInputStream in (file);
    if (! in.openedOk())
        return in.getStatus().getErrorMessage().toLowerCase();
    return {};
}

bool readSmallFile (const juce::File& file, juce::int64 limit, const juce::String& kind, juce::MemoryBlock& bytes, juce::String& error)
{
    auto refuse = [&] (const juce::String& why)
    {
        error = "Cannot read " + file.getFullPathName() + ": " + why;
        return false;
    };
    if (const auto why = whyUnreadable (file); why.isNotEmpty())
        return refuse (why);
    if (file.getSize() > limit)
        return refuse ("it is " + juce::File::descriptionOfSizeInBytes (file.getSize()) + ", larger than " + kind + " can be ("
                       + juce::File::descriptionOfSizeInBytes (limit) + " at most)");
    juce::FileInputStream in (file);
    bytes.reset();
    if (in.readIntoMemoryBlock (bytes, (ssize_t) limit + 1) > (size_t) limit)
        return refuse ("it is larger than " + kind + " can be");
    return true;
}

juce::String printable (const juce::String& text)
{
    juce::String out;
    for (auto p = text.getCharPointer(); ! p.isEmpty();)
    {
        const auto c = p.getAndAdvance();
        if (c < 0x20 || c == 0x7f || (c >= 0x80 && c < 0xa0))
            out << "\\x" << juce::String::toHexString ((int) c).paddedLeft ('0', 2);
        else
            out << juce::String::charToString (c);
    }
    return out;
}
