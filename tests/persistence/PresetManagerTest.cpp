#include "persistence/FactoryOverrides.h"
#include "persistence/PresetManager.h"
#include "tests/support/TemporaryFolders.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace
{
void writeOverrides (const test::TemporaryFolders& folders, const juce::String& body)
{
    folders.company().createDirectory();
    folders.company().getChildFile ("factory-overrides.xml").replaceWithText (body);
}

juce::String entry (const juce::String& key, const juce::String& hiddenAttribute)
{
    return "<Entry key=\"" + key + "\"" + hiddenAttribute + "/>";
}

struct Manager
{
    explicit Manager (const test::TemporaryFolders& folders, juce::MemoryBlock bytes = juce::MemoryBlock ("preset", 6))
        : exported (std::move (bytes)),
          // JUCE copies even an empty block with memcpy (undefined for null), so an empty export is left as is.
          manager ([this] (juce::MemoryBlock& b, const juce::File&) { if (! exported.isEmpty()) b = exported; }, {}, {},
                   [this] (const juce::String& path) { saved.add (path); }, "tfunc", folders.factoryPresets(),
                   folders.userPresets())
    {
    }

    juce::StringArray listed() const
    {
        juce::StringArray paths;
        for (const auto& p : manager.getPresets())
            paths.add ((p.isFactory ? "factory:" : "user:") + p.file.getFileName());
        return paths;
    }

    juce::MemoryBlock exported;
    juce::StringArray saved;
    PresetManager manager;
};

void touch (const juce::File& f)
{
    f.getParentDirectory().createDirectory();
    f.replaceWithText ("x");
}
} // namespace

TEST (FactoryOverrides, hiddenValuesAndMatching)
{
    test::TemporaryFolders folders;
    EXPECT_FALSE (isFactoryPresetHidden ("Transfer Functions/Warm.tfunc")) << "no file hides nothing";

    struct Case
    {
        const char* attribute;
        bool hidden;
    };
    for (const auto& c : { Case { " hidden=\"1\"", true }, Case { " hidden=\"yes\"", true }, Case { " hidden=\"TRUE\"", true },
                           Case { " hidden=\" true \"", true }, Case { " hidden=\"7\"", true }, Case { " hidden=\"0\"", false },
                           Case { " hidden=\"no\"", false }, Case { "", false } })
    {
        writeOverrides (folders, "<FactoryOverrides>" + entry ("Transfer Functions/Warm.tfunc", c.attribute) + "</FactoryOverrides>");
        EXPECT_EQ (isFactoryPresetHidden ("Transfer Functions/Warm.tfunc"), c.hidden) << c.attribute;
    }

    writeOverrides (folders, "<FactoryOverrides>" + entry ("Transfer Functions/Warm.tfunc", " hidden=\"1\"")
                                 + entry ("Transfer Functions/Warm.tfunc", " hidden=\"0\"") + "<Other hidden=\"1\"/></FactoryOverrides>");
    EXPECT_TRUE (isFactoryPresetHidden ("Transfer Functions/Warm.tfunc")) << "the first entry wins";
    EXPECT_FALSE (isFactoryPresetHidden ("transfer functions/warm.tfunc")) << "keys are case-sensitive";
    EXPECT_FALSE (isFactoryPresetHidden ("")) << "an empty key is never hidden";

    for (const auto& body : { "<Overrides>" + entry ("Transfer Functions/Warm.tfunc", " hidden=\"1\"") + "</Overrides>",
                              juce::String ("<FactoryOverrides><Entry key=") })
    {
        writeOverrides (folders, body);
        EXPECT_FALSE (isFactoryPresetHidden ("Transfer Functions/Warm.tfunc")) << body;
        EXPECT_TRUE (loadFactoryOverrides().hasType ("FactoryOverrides"));
    }
}

TEST (FactoryOverrides, invalidUtf8AndByteOrderMark)
{
    test::TemporaryFolders folders;
    const auto file = folders.company().getChildFile ("factory-overrides.xml");
    folders.company().createDirectory();

    const juce::String valid = "<FactoryOverrides>" + entry ("Transfer Functions/Warm.tfunc", " hidden=\"1\"") + "</FactoryOverrides>";
    juce::MemoryBlock withBom ("\xef\xbb\xbf", 3);
    withBom.append (valid.toRawUTF8(), valid.getNumBytesAsUTF8());
    file.replaceWithData (withBom.getData(), withBom.getSize());
    EXPECT_TRUE (isFactoryPresetHidden ("Transfer Functions/Warm.tfunc")) << "a UTF-8 byte-order mark is fine";

    file.replaceWithText ("<?xml version=\"1.0\"?>\n" + valid);
    EXPECT_TRUE (isFactoryPresetHidden ("Transfer Functions/Warm.tfunc")) << "with the usual declaration";
    file.replaceWithText ("<FactoryOverrides><Entry key=\"a\" hidden=\"1\"/><?pi x?>text</FactoryOverrides>");
    EXPECT_FALSE (isFactoryPresetHidden ("a")) << "an instruction inside the body would hang the toolkit's reader";

    file.replaceWithText ("<FactoryOverrides><Entry key=\"Transfer Functions/W&#97;rm.tfunc\" hidden=\"&#x31;\"/></FactoryOverrides>");
    EXPECT_TRUE (isFactoryPresetHidden ("Transfer Functions/Warm.tfunc")) << "character references are read";
    file.replaceWithText ("<FactoryOverrides><Entry key=\"a\" hidden=\"1\"/>&#x");
    EXPECT_FALSE (isFactoryPresetHidden ("a")) << "a reference cut off at the end would make the toolkit read past it";

    juce::MemoryBlock broken (valid.toRawUTF8(), valid.getNumBytesAsUTF8());
    broken.append ("\xff\xff\xf0", 3);
    file.replaceWithData (broken.getData(), broken.getSize());
    EXPECT_FALSE (isFactoryPresetHidden ("Transfer Functions/Warm.tfunc")) << "bytes that are not UTF-8 count as an empty file";
}

TEST (PresetManager, constructionCreatesTheUserFolderButScansNothing)
{
    test::TemporaryFolders folders;
    touch (folders.factoryPresets().getChildFile ("A.tfunc"));
    Manager m (folders);
    EXPECT_TRUE (folders.userPresets().isDirectory());
    EXPECT_TRUE (m.manager.getPresets().isEmpty());
}

TEST (PresetManager, saveWritesReplacesAndRescans)
{
    test::TemporaryFolders folders;
    Manager m (folders);
    const auto target = folders.userPresets().getChildFile ("Mine.tfunc");

    ASSERT_TRUE (m.manager.savePreset (target));
    m.exported = juce::MemoryBlock ("second", 6);
    ASSERT_TRUE (m.manager.savePreset (target));

    EXPECT_EQ (target.loadFileAsString(), "second");
    EXPECT_EQ (folders.userPresets().findChildFiles (juce::File::findFilesAndDirectories, false, "*", juce::File::FollowSymlinks::no).size(), 1)
        << "no temporary file is left behind";
    EXPECT_EQ (m.saved.size(), 2);
    EXPECT_EQ (m.saved[0], target.getFullPathName());
    EXPECT_EQ (m.saved[1], target.getFullPathName());
}

TEST (PresetManager, savingIntoTheFactoryFolderIsRedirected)
{
    test::TemporaryFolders folders;
    folders.factoryPresets().createDirectory();
    Manager m (folders);

    ASSERT_TRUE (m.manager.savePreset (folders.factoryPresets().getChildFile ("Amps/Tube/Warm.tfunc")));
    const auto redirected = folders.userPresets().getChildFile ("Amps/Tube/Warm.tfunc");
    EXPECT_TRUE (redirected.existsAsFile());
    EXPECT_FALSE (folders.factoryPresets().getChildFile ("Amps").exists());
    EXPECT_EQ (m.saved, juce::StringArray (redirected.getFullPathName()));
}

TEST (PresetManager, emptyExportOrFailedWriteNeverLosesAFile)
{
    test::TemporaryFolders folders;
    Manager m (folders, {});
    const auto existing = folders.userPresets().getChildFile ("Keep.tfunc");
    existing.replaceWithText ("precious");

    EXPECT_FALSE (m.manager.savePreset (existing));
    EXPECT_EQ (existing.loadFileAsString(), "precious");

    PresetManager noExport ({}, {}, {}, {}, "tfunc", folders.factoryPresets(), folders.userPresets());
    EXPECT_FALSE (noExport.savePreset (existing));

}

// A write that fails half way (here: the file-size limit cuts it off, which
// binds root too) leaves the old file whole and no temporary file behind.
TEST (PresetManager, writeFailingHalfWayLeavesTheOldFile)
{
    test::TemporaryFolders folders;
    Manager writer (folders, juce::MemoryBlock (200000, true));
    const auto old = folders.userPresets().getChildFile ("Old.tfunc");
    old.replaceWithText ("old contents");

    rlimit previous {};
    ::getrlimit (RLIMIT_FSIZE, &previous);
    auto* previousHandler = std::signal (SIGXFSZ, SIG_IGN);
    rlimit small = previous;
    small.rlim_cur = 4096;
    ::setrlimit (RLIMIT_FSIZE, &small);
    const auto saved = writer.manager.savePreset (old);
    ::setrlimit (RLIMIT_FSIZE, &previous);
    std::signal (SIGXFSZ, previousHandler);

    EXPECT_FALSE (saved);
    EXPECT_EQ (old.loadFileAsString(), "old contents");
    EXPECT_TRUE (writer.saved.isEmpty());
    EXPECT_EQ (folders.userPresets().getNumberOfChildFiles (juce::File::findFilesAndDirectories, "*"), 1);
}

TEST (PresetManager, readOnlyFolderRefusesTheSave)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions (the file-size test covers the failure path)";

    test::TemporaryFolders folders;
    Manager writer (folders);
    const auto locked = folders.root.getChildFile ("locked");
    locked.createDirectory();
    locked.getChildFile ("Old.tfunc").replaceWithText ("old contents");
    locked.setReadOnly (true);
    EXPECT_FALSE (writer.manager.savePreset (locked.getChildFile ("Old.tfunc")));
    EXPECT_EQ (locked.getChildFile ("Old.tfunc").loadFileAsString(), "old contents");
}

TEST (PresetManager, scanListsBothFoldersSortedWithoutHiddenFactoryFiles)
{
    test::TemporaryFolders folders;
    touch (folders.factoryPresets().getChildFile ("Warm.tfunc"));
    touch (folders.factoryPresets().getChildFile ("b-clean.tfunc"));
    touch (folders.factoryPresets().getChildFile ("Sub/Deep.tfunc"));
    touch (folders.factoryPresets().getChildFile ("notes.txt"));
    touch (folders.userPresets().getChildFile ("Warm.tfunc"));
    touch (folders.userPresets().getChildFile ("a-mine.tfunc"));
    touch (folders.userPresets().getChildFile ("nodottfunc"));
    writeOverrides (folders, "<FactoryOverrides>" + entry ("Transfer Functions/Warm.tfunc", " hidden=\"1\"") + "</FactoryOverrides>");

    Manager m (folders);
    ASSERT_TRUE (m.manager.savePreset (folders.userPresets().getChildFile ("Zed.tfunc")));

    juce::StringArray expected;
    for (const auto& f : { folders.factoryPresets().getChildFile ("b-clean.tfunc"), folders.factoryPresets().getChildFile ("Sub/Deep.tfunc"),
                           folders.userPresets().getChildFile ("a-mine.tfunc"), folders.userPresets().getChildFile ("nodottfunc"),
                           folders.userPresets().getChildFile ("Warm.tfunc"), folders.userPresets().getChildFile ("Zed.tfunc") })
        expected.add (f.getFullPathName());
    expected.sort (true);

    juce::StringArray listed;
    for (const auto& p : m.manager.getPresets())
    {
        listed.add (p.file.getFullPathName());
        EXPECT_EQ (p.isFactory, p.file.isAChildOf (folders.factoryPresets())) << p.file.getFullPathName();
    }
    EXPECT_EQ (listed, expected);
}

TEST (PresetManager, noFoldersGiveAnEmptyList)
{
    test::TemporaryFolders folders;
    PresetManager manager ({}, {}, {}, {}, "tfunc", folders.root.getChildFile ("none/a"), folders.root.getChildFile ("none/b"));
    folders.root.getChildFile ("none").deleteRecursively();
    manager.refreshPresetList();
    EXPECT_TRUE (manager.getPresets().isEmpty());
}
