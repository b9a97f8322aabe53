#include "tests/support/TemporaryFolders.h"

#include "persistence/PlatformFolders.h"

#include <cstdlib>

namespace test
{
TemporaryFolders::TemporaryFolders()
    : root (juce::File::createTempFile ("sonderlith-folders")),
      config (root.getChildFile ("config")),
      common (root.getChildFile ("common")),
      previousConfig (juce::SystemStats::getEnvironmentVariable ("XDG_CONFIG_HOME", {}))
{
    config.createDirectory();
    common.createDirectory();
    ::setenv ("XDG_CONFIG_HOME", config.getFullPathName().toRawUTF8(), 1);
    PlatformFolders::setCommonBaseForTesting (common);
}

TemporaryFolders::~TemporaryFolders()
{
    PlatformFolders::setCommonBaseForTesting ({});
    ::setenv ("XDG_CONFIG_HOME", previousConfig.toRawUTF8(), 1);
    root.setReadOnly (false, true);
    root.deleteRecursively();
}
} // namespace test
