#include "platform/file_copy.h"
#include "platform/known_folders.h"
#include "platform/paths.h"
#include "platform/user_account.h"
#include "tests/fixtures/scoped_env.h"
#include "tests/fixtures/sync_recorder.h"
#include "tests/fixtures/temp_folder.h"
#include "updater/update_ctrl.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>
#include <latch>
#include <pwd.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

mode_t ModeOf(const QString& path)
{
    struct stat status { };
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &status), 0) << path.toStdString();
    return status.st_mode;
}

void SetMode(const QString& path, mode_t mode)
{
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

const QDateTime kSourceTime = QDateTime::fromSecsSinceEpoch(1234567890);

void SetModificationTime(const QString& path, const QDateTime& time)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
}

} // namespace

TEST(FileCopyTest, CopyReplacesTheTargetAsAWholeOrNotAtAll)
{
    struct Case {
        const char* name;
        std::function<void(const CTempFolder&)> prepare;
        bool copied;
    };
    const Case cases[] = {
        { "new target", [](const CTempFolder&) {}, true },
        { "writable target", [](const CTempFolder& f) { f.WriteFile(QStringLiteral("out/target"), "old"); },
            true },
        { "read-only target",
            [](const CTempFolder& f) { SetMode(f.WriteFile(QStringLiteral("out/target"), "old"), 0444); },
            false },
        { "target is a folder", [](const CTempFolder& f) { f.MakeFolder(QStringLiteral("out/target")); },
            false },
        { "target is a link: the link is replaced, its file untouched",
            [](const CTempFolder& f) {
                QFile::link(
                    f.WriteFile(QStringLiteral("linked"), "old"), f.FilePath(QStringLiteral("out/target")));
            },
            true },
        { "source is a link",
            [](const CTempFolder& f) {
                QFile::remove(f.FilePath(QStringLiteral("source")));
                QFile::link(f.WriteFile(QStringLiteral("real"), "new"), f.FilePath(QStringLiteral("source")));
            },
            false },
        { "source is a pipe",
            [](const CTempFolder& f) {
                QFile::remove(f.FilePath(QStringLiteral("source")));
                ::mkfifo(QFile::encodeName(f.FilePath(QStringLiteral("source"))).constData(), 0644);
            },
            false },
        { "source missing", [](const CTempFolder& f) { QFile::remove(f.FilePath(QStringLiteral("source"))); },
            false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder folder;
        SetMode(folder.WriteFile(QStringLiteral("source"), "new"), 0550);
        SetModificationTime(folder.FilePath(QStringLiteral("source")), kSourceTime);
        folder.MakeFolder(QStringLiteral("out"));
        c.prepare(folder);
        const QByteArray before = folder.ReadFile(QStringLiteral("out/target"));

        platform::CopyOptions options;
        options.makeWritable = true;
        EXPECT_EQ(platform::CopyFileReplacing(folder.FilePath(QStringLiteral("source")),
                      folder.FilePath(QStringLiteral("out/target")), options),
            c.copied);

        const QString target = folder.FilePath(QStringLiteral("out/target"));
        if (c.copied) {
            EXPECT_EQ(folder.ReadFile(QStringLiteral("out/target")), "new");
            EXPECT_EQ(ModeOf(target), mode_t(S_IFREG | 0750));
            EXPECT_EQ(QFileInfo(target).lastModified(), kSourceTime); // as the source's
        } else {
            EXPECT_EQ(folder.ReadFile(QStringLiteral("out/target")), before);
        }
        if (QFileInfo::exists(folder.FilePath(QStringLiteral("linked")))) {
            EXPECT_EQ(folder.ReadFile(QStringLiteral("linked")), "old");
        }
        EXPECT_EQ(QDir(folder.FilePath(QStringLiteral("out")))
                      .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System),
            QFileInfo::exists(target) || QFileInfo(target).isSymLink()
                ? QStringList { QStringLiteral("target") }
                : QStringList {});
    }
}

TEST(FileCopyTest, ACopyIsSyncedAndThenItsFolder)
{
    CTempFolder folder;
    folder.WriteFile(QStringLiteral("source"), "new");
    folder.WriteFile(QStringLiteral("out/target"), "old");
    const QString outFolder = QFileInfo(folder.FilePath(QStringLiteral("out"))).canonicalFilePath();

    std::vector<CSyncRecorder::Sync> syncs;
    {
        const CSyncRecorder recorder;
        ASSERT_TRUE(platform::CopyFileReplacing(
            folder.FilePath(QStringLiteral("source")), folder.FilePath(QStringLiteral("out/target")), {}));
        syncs = recorder.Syncs();
    }
    // The bytes first, then the folder that holds the renamed file, or a crash may leave the
    // old file or none at all.
    ASSERT_EQ(syncs.size(), 2u);
    EXPECT_FALSE(syncs[0].folder);
    EXPECT_EQ(QFileInfo(syncs[0].path).path(), outFolder);
    EXPECT_TRUE(syncs[1].folder);
    EXPECT_EQ(syncs[1].path, outFolder);
}

TEST(FileCopyTest, NoLinkBelowTheSourceRootIsFollowed)
{
    struct Case {
        const char* name;
        const char* root;
        const char* source;
        bool copied;
    };
    // package/real/file is a file, package/linked a link to package/real, alias a link to package.
    const Case cases[] = {
        { "file in a folder of the tree", "package", "package/real/file", true },
        { "root reached through a link", "alias", "alias/real/file", true },
        { "folder of the tree is a link", "package", "package/linked/file", false },
        { "source outside the root", "package/real", "package/other", false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder folder;
        folder.WriteFile(QStringLiteral("package/real/file"), "new");
        folder.WriteFile(QStringLiteral("package/other"), "other");
        ASSERT_TRUE(QFile::link(folder.FilePath(QStringLiteral("package/real")),
            folder.FilePath(QStringLiteral("package/linked"))));
        ASSERT_TRUE(QFile::link(
            folder.FilePath(QStringLiteral("package")), folder.FilePath(QStringLiteral("alias"))));
        platform::CopyOptions options;
        options.sourceRoot = folder.FilePath(QString::fromUtf8(c.root));

        EXPECT_EQ(platform::CopyFileReplacing(folder.FilePath(QString::fromUtf8(c.source)),
                      folder.FilePath(QStringLiteral("target")), options),
            c.copied);
        EXPECT_EQ(QFileInfo::exists(folder.FilePath(QStringLiteral("target"))), c.copied);
    }
}

TEST(FileCopyTest, MakeFolderGivesOnlyTheFoldersItCreatesToTheOwner)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "changing owners needs root";
    CTempFolder folder;
    // The owner may pass through the temporary folder and create in "a", which stays root's.
    SetMode(folder.Path(), 0755);
    SetMode(folder.MakeFolder(QStringLiteral("a")), 0777);
    EXPECT_TRUE(CUpdateCtrl::MakeFolder(
        folder.FilePath(QStringLiteral("a/b/c")), platform::FileOwner { 4242, 4343 }));
    // The thread has its own rights back: it makes a folder where the owner could not.
    EXPECT_TRUE(CUpdateCtrl::MakeFolder(folder.FilePath(QStringLiteral("d"))));
    struct stat status { };
    for (const auto& [path, uid] : { std::pair { "a", 0u }, std::pair { "a/b", 4242u },
             std::pair { "a/b/c", 4242u }, std::pair { "d", 0u } }) {
        SCOPED_TRACE(path);
        ASSERT_EQ(
            ::stat(QFile::encodeName(folder.FilePath(QString::fromUtf8(path))).constData(), &status), 0);
        EXPECT_EQ(status.st_uid, uid);
    }
    EXPECT_FALSE(
        CUpdateCtrl::MakeFolder(folder.WriteFile(QStringLiteral("file"), "x") + QStringLiteral("/sub")));
}

TEST(FileCopyTest, SettingsLandWhereTheEditorReadsThem)
{
    const QStringList existingCases[] = {
        {},
        { QStringLiteral("OXTREL") }, // the machine hive's folder
        { QStringLiteral("oxTrel") },
        { QStringLiteral("OXTREL"), QStringLiteral("Oxtrel") },
    };
    for (const QStringList& existing : existingCases) {
        SCOPED_TRACE(existing.join(u',').toStdString());
        CTempFolder folder;
        for (const QString& name : existing)
            folder.MakeFolder(name);
        const CScopedEnv common("KALEIDRA_COMMON_APPDATA", QFile::encodeName(folder.Path()));
        EXPECT_EQ(platform::JoinPath(CUpdateCtrl::SettingsTargetIn(folder.Path()), u"Kaleidra/SETTING"),
            platform::SettingsFolder());
    }
}

TEST(UserAccountTest, DocumentsFolderComesFromTheUsersDirectoryList)
{
    struct Case {
        const char* name;
        QByteArray dirs; // empty: no list
        QString expected;
    };
    const Case cases[] = {
        { "no list", {}, QStringLiteral("Documents") },
        { "home relative", "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/書類\"\n",
            QStringLiteral("書類") },
        { "absolute", "XDG_DOCUMENTS_DIR=\"/srv/docs\"\n", QStringLiteral("/srv/docs") },
        { "relative path ignored", "XDG_DOCUMENTS_DIR=\"docs\"\n", QStringLiteral("Documents") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder home;
        if (!c.dirs.isEmpty())
            home.WriteFile(QStringLiteral(".config/user-dirs.dirs"), c.dirs);
        const QString expected = c.expected.startsWith(u'/') ? c.expected : home.FilePath(c.expected);
        EXPECT_EQ(platform::DocumentsFolderOfHome(home.Path()), expected);
    }
}

TEST(UserAccountTest, TheDesktopUserIsWhoeverElevatedTheProgram)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only a program running as root acts for a desktop user";
    EXPECT_TRUE(platform::HasAdministratorRights());
    const passwd* nobody = ::getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    const QByteArray nobodyUid = QByteArray::number(nobody->pw_uid);
    const CScopedEnv noPkexec("PKEXEC_UID", {});
    {
        const CScopedEnv sudo("SUDO_UID", nobodyUid);
        const auto user = platform::ElevatingDesktopUser();
        ASSERT_TRUE(user);
        EXPECT_EQ(user->owner.uid, nobody->pw_uid);
        EXPECT_EQ(user->owner.gid, nobody->pw_gid);
        EXPECT_EQ(user->home, QFile::decodeName(nobody->pw_dir));
    }
    for (const QByteArray& uid : { QByteArray("0"), QByteArray(), QByteArray("x") }) {
        const CScopedEnv sudo("SUDO_UID", uid);
        EXPECT_FALSE(platform::ElevatingDesktopUser()) << uid.constData();
    }
}

TEST(UserAccountTest, AdministratorRightsFollowTheEffectiveUserId)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "switching the effective user needs root";
    const passwd* nobody = ::getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    const CScopedEnv sudo("SUDO_UID", QByteArray::number(nobody->pw_uid));
    EXPECT_TRUE(platform::HasAdministratorRights());
    ASSERT_EQ(::seteuid(nobody->pw_uid), 0);
    const bool rightsAsNobody = platform::HasAdministratorRights();
    const bool desktopUserAsNobody = platform::ElevatingDesktopUser().has_value();
    ASSERT_EQ(::seteuid(0), 0);
    EXPECT_FALSE(rightsAsNobody);
    EXPECT_FALSE(desktopUserAsNobody); // only an elevated run acts for someone else
}

TEST(UserAccountTest, ActingAsTheOwnerChangesOnlyTheCallingThread)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "taking another user's identity needs root";
    CTempFolder folder;
    SetMode(folder.Path(), 0755);
    const auto makes = [&folder](const char* name) {
        return ::mkdir(QFile::encodeName(folder.FilePath(QString::fromUtf8(name))).constData(), 0755) == 0;
    };
    std::latch acting(1);
    std::latch checked(1);
    bool ownerMade = true;
    bool ownerOk = false;
    std::thread worker([&] {
        const platform::CActAsFileOwner actAsOwner(platform::FileOwner { 4242, 4343 });
        ownerOk = actAsOwner.Ok();
        ownerMade = makes("by owner"); // the folder is root's and not open to the owner
        acting.count_down();
        checked.wait();
    });
    acting.wait();
    const bool rootMade = makes("by root while the owner acts");
    checked.count_down();
    worker.join();

    EXPECT_TRUE(ownerOk);
    EXPECT_FALSE(ownerMade);
    EXPECT_TRUE(rootMade);
}
