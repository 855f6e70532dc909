#include "platform/registry_store.h"
#include "tests/fixtures/scoped_env.h"
#include "tests/fixtures/temp_folder.h"

#include <gtest/gtest.h>

namespace {

using platform::CRegistryStore;
using platform::RegistryHive;

TEST(RegistryStore, StringsAndDwordsWithCaseInsensitiveNames)
{
    CTempFolder temp;
    CRegistryStore store(temp.FilePath(QStringLiteral("hive/hkcu.ini")));
    const QString key = QStringLiteral("Software\\OXTREL\\Kaleidra\\History");
    EXPECT_FALSE(store.KeyExists(key));
    EXPECT_FALSE(store.ReadString(key, QStringLiteral("History01")).has_value());

    ASSERT_TRUE(store.WriteString(key, QStringLiteral("History01"), QStringLiteral("/shows/展示.kdp")));
    ASSERT_TRUE(store.WriteString(key, QStringLiteral("History02"), QStringLiteral(" padded ")));
    ASSERT_TRUE(store.WriteDword(QStringLiteral("software\\oxtrel\\kaleidra\\setting"), QStringLiteral("SetWndPos"),
                                 4000000000u));

    CRegistryStore reread(store.File());
    EXPECT_TRUE(reread.KeyExists(QStringLiteral("SOFTWARE\\oxtrel\\KALEIDRA\\history")));
    EXPECT_EQ(reread.ReadString(key, QStringLiteral("history01")), QStringLiteral("/shows/展示.kdp"));
    EXPECT_EQ(reread.ReadString(key, QStringLiteral("History02")), QStringLiteral(" padded "));
    EXPECT_EQ(reread.ReadDword(QStringLiteral("Software\\OXTREL\\Kaleidra\\Setting"), QStringLiteral("setwndpos")),
              4000000000u);
    // A value of the other type is not read as this one.
    EXPECT_FALSE(reread.ReadDword(key, QStringLiteral("History01")).has_value());
    EXPECT_EQ(reread.ValueNames(key), QStringList({QStringLiteral("History01"), QStringLiteral("History02")}));

    ASSERT_TRUE(reread.WriteString(key, QStringLiteral("HISTORY01"), QStringLiteral("/other.kdp")));
    EXPECT_EQ(reread.ReadString(key, QStringLiteral("History01")), QStringLiteral("/other.kdp"));
    ASSERT_TRUE(reread.DeleteValue(key, QStringLiteral("History02")));
    EXPECT_FALSE(reread.ReadString(key, QStringLiteral("History02")).has_value());
    ASSERT_TRUE(reread.DeleteKey(key));
    EXPECT_FALSE(reread.KeyExists(key));
}

TEST(RegistryStore, SeveralValuesAreWrittenTogetherOrNotAtAll)
{
    CTempFolder temp;
    CRegistryStore store(temp.FilePath(QStringLiteral("hkcu.ini")));
    const QString key = QStringLiteral("Software\\OXTREL\\Kaleidra\\History");
    ASSERT_TRUE(store.WriteStrings(key, {{QStringLiteral("History01"), QStringLiteral("/a.kdp")},
                                         {QStringLiteral("History02"), QStringLiteral("/b.kdp")}}));
    EXPECT_EQ(store.ReadString(key, QStringLiteral("History02")), QStringLiteral("/b.kdp"));
    // One value that cannot be stored keeps every other one from being written.
    EXPECT_FALSE(store.WriteStrings(key, {{QStringLiteral("History01"), QStringLiteral("/c.kdp")},
                                          {QStringLiteral("History02"), QStringLiteral("two\nlines")}}));
    EXPECT_EQ(store.ReadString(key, QStringLiteral("History01")), QStringLiteral("/a.kdp"));
}

TEST(RegistryStore, ReadingNeverCreatesTheHive)
{
    CTempFolder temp;
    CRegistryStore store(temp.FilePath(QStringLiteral("hklm.ini")));
    EXPECT_FALSE(store.KeyExists(QStringLiteral("Software\\X")));
    EXPECT_FALSE(store.ReadString(QStringLiteral("Software\\X"), QStringLiteral("V")).has_value());
    EXPECT_FALSE(QFile::exists(store.File()));
}

TEST(RegistryStore, HiveFilesFollowTheEnvironment)
{
    CScopedEnv hkcu("KALEIDRA_REGISTRY_HKCU", "/tmp/x/hkcu.ini");
    CScopedEnv hklm("KALEIDRA_REGISTRY_HKLM", "");
    CScopedEnv common("KALEIDRA_COMMON_APPDATA", "/srv/common");
    EXPECT_EQ(CRegistryStore::HiveFile(RegistryHive::CurrentUser), QStringLiteral("/tmp/x/hkcu.ini"));
    EXPECT_EQ(CRegistryStore::HiveFile(RegistryHive::LocalMachine), QStringLiteral("/srv/common/OXTREL/registry.ini"));
    CScopedEnv config("XDG_CONFIG_HOME", "/home/u/.cfg");
    CScopedEnv noHkcu("KALEIDRA_REGISTRY_HKCU", "");
    EXPECT_EQ(CRegistryStore::ForHive(RegistryHive::CurrentUser).File(), QStringLiteral("/home/u/.cfg/OXTREL/registry.ini"));
}

TEST(RegistryStore, UnwritableHiveReportsFailure)
{
    CTempFolder temp;
    CRegistryStore store(temp.MakeFolder(QStringLiteral("a-folder")));
    EXPECT_FALSE(store.WriteString(QStringLiteral("K"), QStringLiteral("V"), QStringLiteral("x")));
    EXPECT_FALSE(store.WriteString(QStringLiteral("K"), QStringLiteral("V"), QStringLiteral("two\nlines")));
}

} // namespace
