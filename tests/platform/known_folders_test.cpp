#include "platform/known_folders.h"
#include "tests/fixtures/scoped_env.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

TEST(KnownFolders, EnvironmentOverridesWin)
{
    CScopedEnv common("KALEIDRA_COMMON_APPDATA", "/srv/common/");
    CScopedEnv documents("KALEIDRA_DOCUMENTS_DIR", "/srv/docs");
    CScopedEnv program("KALEIDRA_PROGRAM_DIR", "/opt/kaleidra/bin");
    EXPECT_EQ(platform::CommonAppDataFolder(), QStringLiteral("/srv/common"));
    EXPECT_EQ(platform::SettingsFolder(), QStringLiteral("/srv/common/Oxtrel/Kaleidra/SETTING"));
    EXPECT_EQ(platform::DocumentsFolder(), QStringLiteral("/srv/docs"));
    EXPECT_EQ(platform::ProgramFolder(), QStringLiteral("/opt/kaleidra/bin"));
}

TEST(KnownFolders, DefaultsFollowTheDesktopConventions)
{
    CScopedEnv common("KALEIDRA_COMMON_APPDATA", "");
    CScopedEnv program("KALEIDRA_PROGRAM_DIR", "");
    {
        CScopedEnv xdg("XDG_DATA_HOME", "/xdg/data");
        EXPECT_EQ(platform::CommonAppDataFolder(), QStringLiteral("/xdg/data"));
    }
    CScopedEnv xdg("XDG_DATA_HOME", "");
    EXPECT_EQ(platform::CommonAppDataFolder(), platform::HomeFolder() + QStringLiteral("/.local/share"));
    EXPECT_EQ(platform::ProgramFolder(), QCoreApplication::applicationDirPath());
}

} // namespace
