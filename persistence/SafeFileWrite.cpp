#include "persistence/SafeFileWrite.h"

bool replaceFileSafely (const juce::File& target, const void* data, size_t size)
{
    if (data == nullptr || size == 0)
        return false;

    juce::TemporaryFile temporary (target, juce::TemporaryFile::useHiddenFile);
    {
        juce::FileOutputStream out (temporary.getFile());
        if (! out.openedOk() || ! out.write (data, size))
            return false;
        out.flush();
        if (out.getStatus().failed())
            return false;
    }

    if (temporary.getFile().getSize() != (juce::int64) size)
        return false;
    return temporary.overwriteTargetFileWithTemporary();
}
