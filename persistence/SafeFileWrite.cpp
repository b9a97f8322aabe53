#include "persistence/SafeFileWrite.h"

juce::Result replaceFileSafely (const juce::File& target, const void* data, size_t size)
{
    if (data == nullptr || size == 0)
        return juce::Result::fail ("nothing to write");
    if (target.isDirectory())
        return juce::Result::fail ("it is a folder");
    if (! target.getParentDirectory().isDirectory())
        return juce::Result::fail ("its folder " + target.getParentDirectory().getFullPathName() + " does not exist");

    // A fresh name each time, opened from its start: a stale file left by an
    // interrupted run is never appended to.
    juce::TemporaryFile temporary (target, juce::TemporaryFile::useHiddenFile);
    {
        juce::FileOutputStream out (temporary.getFile());
        if (! out.openedOk())
            return juce::Result::fail (out.getStatus().getErrorMessage());
        out.setPosition (0);
        out.truncate();
        if (! out.write (data, size))
            return juce::Result::fail (out.getStatus().failed() ? out.getStatus().getErrorMessage() : juce::String ("the write failed (is the disk full?)"));
        out.flush();
        if (out.getStatus().failed())
            return out.getStatus();
    }

    if (temporary.getFile().getSize() != (juce::int64) size)
        return juce::Result::fail ("the file came out shorter than written (is the disk full?)");
    if (! temporary.overwriteTargetFileWithTemporary())
        return juce::Result::fail (target.existsAsFile() && ! target.hasWriteAccess() ? "permission denied" : "it could not be replaced");
    return juce::Result::ok();
}
