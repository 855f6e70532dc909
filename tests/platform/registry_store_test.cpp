#include "platform/registry_store.h"
#include "tests/fixtures/scoped_env.h"
#include "tests/fixtures/temp_folder.h"

#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    ASSERT_TRUE(store.WriteDword(
        QStringLiteral("software\\oxtrel\\kaleidra\\setting"), QStringLiteral("SetWndPos"), 4000000000u));

    CRegistryStore reread(store.File());
    EXPECT_TRUE(reread.KeyExists(QStringLiteral("SOFTWARE\\oxtrel\\KALEIDRA\\history")));
    EXPECT_EQ(reread.ReadString(key, QStringLiteral("history01")), QStringLiteral("/shows/展示.kdp"));
    EXPECT_EQ(reread.ReadString(key, QStringLiteral("History02")), QStringLiteral(" padded "));
    EXPECT_EQ(
        reread.ReadDword(QStringLiteral("Software\\OXTREL\\Kaleidra\\Setting"), QStringLiteral("setwndpos")),
        4000000000u);
    // A value of the other type is not read as this one.
    EXPECT_FALSE(reread.ReadDword(key, QStringLiteral("History01")).has_value());
    EXPECT_EQ(
        reread.ValueNames(key), QStringList({ QStringLiteral("History01"), QStringLiteral("History02") }));

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
    ASSERT_TRUE(store.WriteStrings(key,
        { { QStringLiteral("History01"), QStringLiteral("/a.kdp") },
            { QStringLiteral("History02"), QStringLiteral("/b.kdp") } }));
    EXPECT_EQ(store.ReadString(key, QStringLiteral("History02")), QStringLiteral("/b.kdp"));
    // One value that cannot be stored keeps every other one from being written.
    EXPECT_FALSE(store.WriteStrings(key,
        { { QStringLiteral("History01"), QStringLiteral("/c.kdp") },
            { QStringLiteral("History02"), QStringLiteral("two\nlines") } }));
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
    EXPECT_EQ(CRegistryStore::HiveFile(RegistryHive::LocalMachine),
        QStringLiteral("/srv/common/OXTREL/registry.ini"));
    CScopedEnv config("XDG_CONFIG_HOME", "/home/u/.cfg");
    CScopedEnv noHkcu("KALEIDRA_REGISTRY_HKCU", "");
    EXPECT_EQ(CRegistryStore::ForHive(RegistryHive::CurrentUser).File(),
        QStringLiteral("/home/u/.cfg/OXTREL/registry.ini"));
}

TEST(RegistryStore, UnwritableHiveReportsFailure)
{
    CTempFolder temp;
    CRegistryStore store(temp.MakeFolder(QStringLiteral("a-folder")));
    EXPECT_FALSE(store.WriteString(QStringLiteral("K"), QStringLiteral("V"), QStringLiteral("x")));
    EXPECT_FALSE(store.WriteString(QStringLiteral("K"), QStringLiteral("V"), QStringLiteral("two\nlines")));

    // A FIFO planted as the lock file fails the change at once instead of blocking it.
    CRegistryStore planted(temp.FilePath(QStringLiteral("planted.ini")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(planted.File() + QStringLiteral(".lock")).constData(), 0600), 0);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(planted.WriteString(QStringLiteral("K"), QStringLiteral("V"), QStringLiteral("x")));
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST(RegistryStore, ProblemSaysWhyAHiveCannotServe)
{
    CTempFolder temp;
    ASSERT_EQ(::mkfifo(QFile::encodeName(temp.FilePath(QStringLiteral("fifo.ini"))).constData(), 0600), 0);
    temp.WriteFile(QStringLiteral("hive.ini"), "[K]\r\nV=sz:x\r\n");
    const QString lockedFolder = temp.MakeFolder(QStringLiteral("locked"));
    ASSERT_EQ(::chmod(QFile::encodeName(lockedFolder).constData(), 0500), 0);
    // Permissions do not stop the superuser.
    const bool permissionsHold = ::geteuid() != 0;
    using Use = CRegistryStore::Use;
    const struct {
        const char* name;
        QString path;
        bool problemReading;
        bool problemWriting;
    } cases[] = {
        { "an existing hive", temp.FilePath(QStringLiteral("hive.ini")), false, false },
        { "a hive not made yet, in folders not made yet", temp.FilePath(QStringLiteral("new/sub/hive.ini")),
            false, false },
        { "a folder", temp.MakeFolder(QStringLiteral("folder.ini")), true, true },
        { "a FIFO", temp.FilePath(QStringLiteral("fifo.ini")), true, true },
        { "no name", QString(), true, true },
        { "a hive in a folder that cannot be written", lockedFolder + QStringLiteral("/hive.ini"), false,
            permissionsHold },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const CRegistryStore store(c.path);
        const std::optional<QString> reading = store.Problem(Use::Reading);
        const std::optional<QString> writing = store.Problem(Use::ReadingAndWriting);
        EXPECT_EQ(reading.has_value(), c.problemReading);
        EXPECT_EQ(writing.has_value(), c.problemWriting);
        if (writing && !c.path.isEmpty()) {
            EXPECT_TRUE(writing->contains(c.path)) << writing->toStdString();
        }
    }
    ::chmod(QFile::encodeName(lockedFolder).constData(), 0700);
}

TEST(RegistryStore, ChangesOfTwoProcessesAllArrive)
{
    CTempFolder temp;
    const QString hiveFile = temp.FilePath(QStringLiteral("OXTREL/registry.ini"));
    const QString key = QStringLiteral("Software\\OXTREL\\Kaleidra\\Test");
    constexpr int kWriters = 2;
    constexpr int kValuesEach = 300;
    // The writers start together when the start pipe is closed.
    int start[2];
    ASSERT_EQ(::pipe(start), 0);
    std::vector<pid_t> writers;
    for (int writer = 0; writer < kWriters; ++writer) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(start[1]);
            char ignored = 0;
            (void)::read(start[0], &ignored, 1);
            CRegistryStore store(hiveFile);
            bool allWritten = true;
            for (int value = 0; value < kValuesEach; ++value) {
                const QString name = QStringLiteral("Writer%1Value%2").arg(writer).arg(value);
                allWritten = (value % 2 == 0 ? store.WriteString(key, name, name)
                                             : store.WriteDword(key, name, uint32_t(value)))
                    && allWritten;
            }
            ::_exit(allWritten ? 0 : 1);
        }
        writers.push_back(pid);
    }
    ::close(start[0]);
    ::close(start[1]);
    for (const pid_t pid : writers) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer reported a failed write";
    }

    const CRegistryStore store(hiveFile);
    EXPECT_EQ(store.ValueNames(key).size(), kWriters * kValuesEach);
    int wrong = 0;
    for (int writer = 0; writer < kWriters; ++writer) {
        for (int value = 0; value < kValuesEach; ++value) {
            const QString name = QStringLiteral("Writer%1Value%2").arg(writer).arg(value);
            const bool right = value % 2 == 0 ? store.ReadString(key, name) == name
                                              : store.ReadDword(key, name) == uint32_t(value);
            wrong += right ? 0 : 1;
        }
    }
    EXPECT_EQ(wrong, 0);
}

} // namespace
