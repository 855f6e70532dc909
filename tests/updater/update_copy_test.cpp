#include "platform/file_version.h"
#include "tests/updater/stamped_program.h"
#include "tests/updater/update_fixture.h"
#include "updater/update_ctrl.h"
#include "updater/version_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace updater_text;

namespace {

const platform::FileOwner kDesktopOwner { 4242, 4343 };

QString VersionOf(const QString& path)
{
    const auto version = platform::ReadFileVersion(path);
    return version ? FormatFileVersion(*version, 4) : QString();
}

struct Status {
    mode_t mode = 0;
    uid_t uid = 0;
    gid_t gid = 0;
};

Status StatusOf(const QString& path)
{
    struct stat status { };
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &status), 0) << path.toStdString();
    return { mode_t(status.st_mode & 07777), status.st_uid, status.st_gid };
}

void SetMode(const QString& path, mode_t mode)
{
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
}

QString Failure(int code, const QString& what, const QString& path = QString())
{
    QString text = QStringLiteral("アップデート処理に失敗しました。(%1)\n%2").arg(code).arg(what);
    return path.isEmpty() ? text : text + QStringLiteral("\n[%1]").arg(path);
}

} // namespace

TEST(UpdateCopyTest, AConfirmedUpdateCopiesEveryTreeAndRecordsTheVersion)
{
    CUpdateSandbox sandbox;
    sandbox.m_environment.documents = sandbox.Path(QStringLiteral("home/Documents/new"));
    sandbox.Write(QStringLiteral("package/Data/ProgramFiles/Kaleidra/bin/.hidden"), "hidden");
    SetMode(sandbox.Package(QStringLiteral("ProgramData/OXTREL/Kaleidra/SETTING/Effect.ini")), 0444);
    // Links and special files in the package are neither followed nor copied.
    QFile::link(QStringLiteral("/etc/hostname"),
        sandbox.Package(QStringLiteral("ProgramFiles/Kaleidra/Skin/link.png")));
    QFile::link(QStringLiteral("/etc"), sandbox.Package(QStringLiteral("ProgramFiles/Kaleidra/etc")));
    ASSERT_EQ(
        ::mkfifo(
            QFile::encodeName(sandbox.Package(QStringLiteral("Document/Kaleidra/pipe"))).constData(), 0644),
        0);
    // Installed files the package does not hold stay; settings go where the editor reads them,
    // not into a folder of the same name in other letter case.
    sandbox.Write(QStringLiteral("install/Skin/old.png"), "old");
    sandbox.m_folder.MakeFolder(QStringLiteral("common/OXTREL"));
    sandbox.m_dialogs.AnswerMessageBox(platform::IDYES);
    sandbox.m_dialogs.AnswerMessageBox(platform::IDOK);

    EXPECT_TRUE(sandbox.Run());

    EXPECT_EQ(sandbox.m_dialogs.MessageTexts(),
        (std::vector<QString> { Confirm(QStringLiteral("1.6.1.5"), QStringLiteral("1.6.2.0")), Success() }));
    EXPECT_EQ(sandbox.m_dialogs.Requests().back().type, unsigned(platform::MB_ICONINFORMATION));
    EXPECT_EQ(VersionOf(sandbox.Install(QStringLiteral("bin/Kaleidra"))), u"1.6.2.0");
    const QMap<QString, QByteArray> installed = sandbox.Tree(QStringLiteral("install"));
    EXPECT_EQ(installed.keys(),
        (QStringList { QStringLiteral("Skin/button.png"), QStringLiteral("Skin/old.png"),
            QStringLiteral("bin/.hidden"), QStringLiteral("bin/Kaleidra"),
            QStringLiteral("bin/uninstaller") }));
    EXPECT_EQ(installed.value(QStringLiteral("Skin/button.png")), "new button");
    EXPECT_EQ(sandbox.Tree(QStringLiteral("common")).keys(),
        QStringList { QStringLiteral("Oxtrel/Kaleidra/SETTING/Effect.ini") });
    EXPECT_EQ(sandbox.Tree(QStringLiteral("home/Documents/new")).keys(),
        QStringList { QStringLiteral("Kaleidra/Sample/show.kdp") });

    // Mode bits come with the file; a read-only source arrives writable.
    EXPECT_EQ(StatusOf(sandbox.Install(QStringLiteral("bin/Kaleidra"))).mode, mode_t(0755));
    EXPECT_EQ(StatusOf(sandbox.Path(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Effect.ini"))).mode,
        mode_t(0644));

    const platform::CRegistryStore& registry = sandbox.m_environment.registry;
    EXPECT_EQ(registry.ValueNames(CUpdateSandbox::kUninstallKey),
        (QStringList { QStringLiteral("DisplayIcon"), QStringLiteral("UninstallString"),
            QStringLiteral("DisplayVersion"), QStringLiteral("PackageVersion"), QStringLiteral("UpdateDate"),
            QStringLiteral("UpdateVersion") }));
    const std::pair<const char*, const char*> values[] = { { "DisplayVersion", "1.6.2.0" },
        { "PackageVersion", "1.0" }, { "UpdateDate", "20260309" }, { "UpdateVersion", "1.0.3.4" } };
    for (const auto& [name, value] : values) {
        SCOPED_TRACE(name);
        EXPECT_EQ(registry.ReadString(CUpdateSandbox::kUninstallKey, QString::fromUtf8(name)),
            QString::fromUtf8(value));
    }
}

// The package's settings file is the default for a user who has none; a user's own settings file
// (or a link in its place) stays as it is, while the other settings files are replaced.
TEST(UpdateCopyTest, AUsersSettingsFileIsKept)
{
    const QByteArray packaged = "[SYSTEM]\nWorkFolder=~/KaleidraWork\n";
    const QByteArray own = "[SYSTEM]\nWorkFolder=/shows/work\n";
    const QString settingsFile = QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Kaleidra.ini");
    enum class Users { None, Own, Link };
    for (const Users users : { Users::None, Users::Own, Users::Link }) {
        SCOPED_TRACE(int(users));
        CUpdateSandbox sandbox;
        sandbox.Write(
            QStringLiteral("package/Data/ProgramData/OXTREL/Kaleidra/SETTING/Kaleidra.ini"), packaged);
        sandbox.Write(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Effect.ini"), "old table");
        if (users == Users::Own)
            sandbox.Write(settingsFile, own);
        if (users == Users::Link) {
            ASSERT_TRUE(QFile::link(
                sandbox.Path(QStringLiteral("elsewhere/Kaleidra.ini")), sandbox.Path(settingsFile)));
        }
        sandbox.m_dialogs.AnswerMessageBox(platform::IDYES);
        sandbox.m_dialogs.AnswerMessageBox(platform::IDOK);

        EXPECT_TRUE(sandbox.Run());

        EXPECT_EQ(sandbox.m_dialogs.MessageTexts().back(), Success());
        EXPECT_EQ(sandbox.Read(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Effect.ini")),
            sandbox.Read(QStringLiteral("package/Data/ProgramData/OXTREL/Kaleidra/SETTING/Effect.ini")));
        switch (users) {
        case Users::None:
            EXPECT_EQ(sandbox.Read(settingsFile), packaged);
            break;
        case Users::Own:
            EXPECT_EQ(sandbox.Read(settingsFile), own);
            break;
        case Users::Link:
            EXPECT_TRUE(QFileInfo(sandbox.Path(settingsFile)).isSymLink());
            EXPECT_FALSE(QFileInfo::exists(sandbox.Path(QStringLiteral("elsewhere"))));
            break;
        }
    }
}

TEST(UpdateCopyTest, WhatLandsInTheDesktopUsersDocumentsIsTheirs)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving files to the desktop user needs root";
    CUpdateSandbox sandbox;
    sandbox.ActForDesktopUser(kDesktopOwner);
    sandbox.m_environment.documents = sandbox.Path(QStringLiteral("home/Documents/new"));
    sandbox.m_dialogs.AnswerMessageBox(platform::IDYES);
    sandbox.m_dialogs.AnswerMessageBox(platform::IDOK);

    EXPECT_TRUE(sandbox.Run());

    EXPECT_EQ(sandbox.m_dialogs.MessageTexts().back(), Success());
    // Folders included; the rest is root's.
    for (const char* path : { "home/Documents/new", "home/Documents/new/Kaleidra/Sample",
             "home/Documents/new/Kaleidra/Sample/show.kdp" }) {
        SCOPED_TRACE(path);
        const Status status = StatusOf(sandbox.Path(QString::fromUtf8(path)));
        EXPECT_EQ(status.uid, kDesktopOwner.uid);
        EXPECT_EQ(status.gid, kDesktopOwner.gid);
    }
    EXPECT_EQ(StatusOf(sandbox.Path(QStringLiteral("home/Documents"))).uid, 0u);
    EXPECT_EQ(StatusOf(sandbox.Install(QStringLiteral("bin/Kaleidra"))).uid, 0u);
    EXPECT_EQ(StatusOf(sandbox.Path(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Effect.ini"))).uid, 0u);
}

TEST(UpdateCopyTest, SettingsInTheDesktopUsersHomeBecomeTheirs)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving files to the desktop user needs root";
    CUpdateSandbox sandbox;
    sandbox.ActForDesktopUser(kDesktopOwner);
    sandbox.m_environment.commonAppData = sandbox.Path(QStringLiteral("home/.local/share"));
    sandbox.m_dialogs.AnswerMessageBox(platform::IDYES);
    sandbox.m_dialogs.AnswerMessageBox(platform::IDOK);

    EXPECT_TRUE(sandbox.Run());

    for (const char* path :
        { "home/.local/share/Oxtrel", "home/.local/share/Oxtrel/Kaleidra/SETTING/Effect.ini" }) {
        SCOPED_TRACE(path);
        EXPECT_EQ(StatusOf(sandbox.Path(QString::fromUtf8(path))).uid, kDesktopOwner.uid);
    }
}

TEST(UpdateCopyTest, TheFirstFileThatCannotBeCopiedEndsTheUpdate)
{
    struct Case {
        const char* name;
        std::function<void(CUpdateSandbox&)> prepare;
        std::function<QString(const CUpdateSandbox&)> message;
        // Trees whose files are all copied before the failure, and the tree not reached.
        QStringList copied;
        QString untouched;
    };
    const QString install = QStringLiteral("install");
    const QString settings = QStringLiteral("common/Oxtrel");
    const QString documents = QStringLiteral("home/Documents/Kaleidra");
    const std::vector<Case> cases = {
        { "read-only installed file",
            [](CUpdateSandbox& s) {
                SetMode(s.Write(QStringLiteral("install/Skin/button.png"), "old"), 0444);
            },
            [](const CUpdateSandbox& s) {
                return Failure(101, QStringLiteral("インストールファイルの更新に失敗しました。"),
                    s.Install(QStringLiteral("Skin/button.png")));
            },
            {}, settings },
        { "installed folder blocked by a file",
            [](CUpdateSandbox& s) { s.Write(QStringLiteral("install/Skin"), "a file"); },
            [](const CUpdateSandbox& s) {
                return Failure(101, QStringLiteral("インストールファイルの更新に失敗しました。"),
                    s.Install(QStringLiteral("Skin/button.png")));
            },
            {}, settings },
        { "read-only settings file",
            [](CUpdateSandbox& s) {
                SetMode(s.Write(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Effect.ini"), "old"), 0444);
            },
            [](const CUpdateSandbox&) {
                return Failure(102, QStringLiteral("設定ファイルの更新に失敗しました。"));
            },
            { install }, documents },
        { "settings folder cannot be made",
            [](CUpdateSandbox& s) {
                s.m_environment.commonAppData = s.Write(QStringLiteral("commonfile"), "a file");
            },
            [](const CUpdateSandbox&) {
                return Failure(102, QStringLiteral("設定フォルダが見つかりませんでした。"));
            },
            { install }, documents },
        { "read-only document",
            [](CUpdateSandbox& s) {
                SetMode(s.Write(QStringLiteral("home/Documents/Kaleidra/Sample/show.kdp"), "old"), 0444);
            },
            [](const CUpdateSandbox& s) {
                return Failure(103, QStringLiteral("ドキュメントファイルの更新に失敗しました。"),
                    s.Path(QStringLiteral("home/Documents/Kaleidra/Sample/show.kdp")));
            },
            { install, settings }, {} },
        { "documents folder cannot be made",
            [](CUpdateSandbox& s) {
                s.m_environment.documents = s.Write(QStringLiteral("docsfile"), "a file");
            },
            [](const CUpdateSandbox& s) {
                return Failure(103, QStringLiteral("ドキュメントフォルダが見つかりませんでした。"),
                    s.Path(QStringLiteral("docsfile/Kaleidra")));
            },
            { install, settings }, {} },
        { "read-only installed program",
            [](CUpdateSandbox& s) { SetMode(s.Install(QStringLiteral("bin/Kaleidra")), 0555); },
            [](const CUpdateSandbox& s) {
                return Failure(101, QStringLiteral("インストールファイルの更新に失敗しました。"),
                    s.Install(QStringLiteral("bin/Kaleidra")));
            },
            { install, settings, documents }, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CUpdateSandbox sandbox;
        c.prepare(sandbox);
        const QByteArray hiveBefore = sandbox.HiveBytes();
        sandbox.m_dialogs.AnswerMessageBox(platform::IDYES);
        sandbox.m_dialogs.AnswerMessageBox(platform::IDOK);

        EXPECT_TRUE(sandbox.Run());

        ASSERT_EQ(sandbox.m_dialogs.MessageTexts().size(), 2u);
        EXPECT_EQ(sandbox.m_dialogs.MessageTexts().back(), c.message(sandbox));
        EXPECT_EQ(sandbox.m_dialogs.Requests().back().type, unsigned(platform::MB_ICONWARNING));
        EXPECT_EQ(sandbox.HiveBytes(), hiveBefore);
        EXPECT_EQ(VersionOf(sandbox.Install(QStringLiteral("bin/Kaleidra"))), u"1.6.1.5")
            << "the program whose version is checked is copied last of all";
        if (c.copied.contains(settings)) {
            EXPECT_EQ(
                sandbox.Read(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Effect.ini")), "[EFFECT]\n");
        }
        if (!c.untouched.isEmpty()) {
            EXPECT_FALSE(QFileInfo::exists(sandbox.Path(c.untouched)));
        }
        // No temporary file is left beside a target.
        for (const QString& tree : { install, QStringLiteral("common"), QStringLiteral("home") }) {
            for (const QString& file : sandbox.Tree(tree).keys())
                EXPECT_FALSE(QFileInfo(file).fileName().startsWith(u'.')) << file.toStdString();
        }
    }
}

TEST(UpdateCopyTest, AFailedUpdateRunsAgainOnceItsCauseIsMended)
{
    struct Case {
        const char* name;
        QString blocked; // made read-only, then writable again
        QString message;
    };
    CUpdateSandbox paths;
    const Case cases[] = {
        { "an installed file", QStringLiteral("install/Skin/button.png"),
            Failure(101, QStringLiteral("インストールファイルの更新に失敗しました。"),
                paths.Install(QStringLiteral("Skin/button.png"))) },
        { "a settings file", QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Effect.ini"),
            Failure(102, QStringLiteral("設定ファイルの更新に失敗しました。")) },
        { "a document", QStringLiteral("home/Documents/Kaleidra/Sample/show.kdp"),
            Failure(103, QStringLiteral("ドキュメントファイルの更新に失敗しました。"),
                paths.Path(QStringLiteral("home/Documents/Kaleidra/Sample/show.kdp"))) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CUpdateSandbox sandbox;
        const QString blocked = sandbox.Write(c.blocked, "old");
        SetMode(blocked, 0444);
        sandbox.m_dialogs.AnswerMessageBox(platform::IDYES);
        sandbox.m_dialogs.AnswerMessageBox(platform::IDOK);
        EXPECT_TRUE(sandbox.Run());
        ASSERT_EQ(sandbox.m_dialogs.MessageTexts().size(), 2u);
        EXPECT_EQ(sandbox.m_dialogs.MessageTexts().back(),
            QString(c.message).replace(paths.Path(QString()), sandbox.Path(QString())));

        // The user mends the cause and runs the update again: it is still the old version
        // that is installed, so the update is offered and completes.
        SetMode(blocked, 0644);
        sandbox.m_dialogs.AnswerMessageBox(platform::IDYES);
        sandbox.m_dialogs.AnswerMessageBox(platform::IDOK);
        EXPECT_TRUE(sandbox.Run());
        ASSERT_EQ(sandbox.m_dialogs.MessageTexts().size(), 4u);
        EXPECT_EQ(sandbox.m_dialogs.MessageTexts()[2],
            Confirm(QStringLiteral("1.6.1.5"), QStringLiteral("1.6.2.0")));
        EXPECT_EQ(sandbox.m_dialogs.MessageTexts()[3], Success());
        EXPECT_EQ(VersionOf(sandbox.Install(QStringLiteral("bin/Kaleidra"))), u"1.6.2.0");
        EXPECT_EQ(sandbox.m_environment.registry.ReadString(
                      CUpdateSandbox::kUninstallKey, QStringLiteral("DisplayVersion")),
            QStringLiteral("1.6.2.0"));
        EXPECT_NE(sandbox.Read(c.blocked), "old");
    }
}

TEST(UpdateCopyTest, TheProcessFailsWhenTheUpdateDidNotComplete)
{
    struct Case {
        const char* name;
        std::function<void(CUpdateSandbox&)> prepare;
        std::vector<int> answers;
        int exitCode;
    };
    const std::vector<Case> cases = {
        { "completed", [](CUpdateSandbox&) {}, { platform::IDYES, platform::IDOK }, 0 },
        { "declined", [](CUpdateSandbox&) {}, { platform::IDNO }, 0 },
        { "already current",
            [](CUpdateSandbox& s) {
                WriteStampedProgram(s.Install(QStringLiteral("bin/Kaleidra")), QStringLiteral("1.6.2.0"));
            },
            { platform::IDOK }, 0 },
        { "refused", [](CUpdateSandbox& s) { s.m_environment.administrator = false; }, { platform::IDOK },
            1 },
        { "a copy failed",
            [](CUpdateSandbox& s) {
                SetMode(s.Write(QStringLiteral("install/Skin/button.png"), "old"), 0444);
            },
            { platform::IDYES, platform::IDOK }, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CUpdateSandbox sandbox;
        c.prepare(sandbox);
        for (const int answer : c.answers)
            sandbox.m_dialogs.AnswerMessageBox(answer);
        EXPECT_EQ(RunUpdater(sandbox.m_environment), c.exitCode);
        EXPECT_TRUE(sandbox.m_dialogs.AllAnswersUsed());
    }
}

TEST(UpdateCopyTest, LinksInTheDesktopUsersFoldersLeadNowhereTheyCouldNotWrite)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "acting for the desktop user needs root";
    struct Case {
        const char* name;
        std::function<void(CUpdateSandbox&)> prepare;
        std::function<QString(const CUpdateSandbox&)> message;
    };
    const auto link = [](CUpdateSandbox& s, const char* target, const char* link) {
        QDir().mkpath(QFileInfo(s.Path(QString::fromUtf8(link))).path());
        ASSERT_TRUE(QFile::link(s.Path(QString::fromUtf8(target)), s.Path(QString::fromUtf8(link))));
    };
    const std::vector<Case> cases = {
        { "documents folder linked to a folder of root",
            [&](CUpdateSandbox& s) { link(s, "root", "home/Documents/Kaleidra"); },
            [](const CUpdateSandbox& s) {
                return Failure(103, QStringLiteral("ドキュメントファイルの更新に失敗しました。"),
                    s.Path(QStringLiteral("home/Documents/Kaleidra/Sample/show.kdp")));
            } },
        { "settings folder in the home linked to a folder of root",
            [&](CUpdateSandbox& s) {
                s.m_environment.commonAppData = s.Path(QStringLiteral("home/share"));
                link(s, "root", "home/share/Oxtrel");
            },
            [](const CUpdateSandbox&) {
                return Failure(102, QStringLiteral("設定ファイルの更新に失敗しました。"));
            } },
        { "machine hive in the home linked to a file of root",
            [&](CUpdateSandbox& s) {
                ASSERT_TRUE(
                    QFile::copy(s.m_environment.registry.File(), s.Path(QStringLiteral("root/hive.ini"))));
                link(s, "root/hive.ini", "home/hive.ini");
                s.m_environment.registry = platform::CRegistryStore(s.Path(QStringLiteral("home/hive.ini")));
            },
            [](const CUpdateSandbox&) {
                return QStringLiteral(
                    "アップデート処理は完了しましたが、バージョン情報を記録できませんでした。");
            } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CUpdateSandbox sandbox;
        sandbox.ActForDesktopUser(kDesktopOwner);
        SetMode(sandbox.m_folder.MakeFolder(QStringLiteral("root")), 0755);
        c.prepare(sandbox);
        const auto rootBefore = sandbox.Tree(QStringLiteral("root"));
        sandbox.m_dialogs.AnswerMessageBox(platform::IDYES);
        sandbox.m_dialogs.AnswerMessageBox(platform::IDOK);

        EXPECT_TRUE(sandbox.Run());

        EXPECT_EQ(sandbox.m_dialogs.MessageTexts().back(), c.message(sandbox));
        EXPECT_EQ(sandbox.Tree(QStringLiteral("root")), rootBefore);
        EXPECT_TRUE(QDir(sandbox.Path(QStringLiteral("root")))
                        .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
                        .isEmpty());
    }
}

// Runs a change of the machine just before the user is asked to confirm, after every check.
class CChangeBeforeQuestion final : public CTestUpdateEnvironment, private platform::CDialogService {
public:
    CChangeBeforeQuestion(CUpdateSandbox& sandbox, std::function<void()> change)
        : CTestUpdateEnvironment(sandbox.m_folder, sandbox.m_dialogs)
        , m_dialogs(sandbox.m_dialogs)
        , m_change(std::move(change))
    {
    }
    platform::CDialogService& Dialogs() override { return *this; }

private:
    int MessageBox(const QString& text, const QString& caption, unsigned type) override
    {
        if (type & platform::MB_YESNO)
            m_change();
        return m_dialogs.MessageBox(text, caption, type);
    }
    std::optional<QString> OpenFileName(
        const QString& c, const QString& f, const QString& x, QString* s) override
    {
        return m_dialogs.OpenFileName(c, f, x, s);
    }
    std::optional<QString> SaveFileName(
        const QString& c, const QString& p, const QString& x, QString* s) override
    {
        return m_dialogs.SaveFileName(c, p, x, s);
    }
    std::optional<QString> FolderName(const QString& c, const QString& f) override
    {
        return m_dialogs.FolderName(c, f);
    }
    std::optional<uint32_t> Colour(uint32_t initial) override { return m_dialogs.Colour(initial); }

    CScriptedDialogService& m_dialogs;
    std::function<void()> m_change;
};

TEST(UpdateCopyTest, AnInstallationFolderGoneBeforeCopyingIsNamed)
{
    CUpdateSandbox sandbox;
    CChangeBeforeQuestion environment(sandbox, [&sandbox] {
        ASSERT_TRUE(
            QDir().rename(sandbox.Path(QStringLiteral("install")), sandbox.Path(QStringLiteral("moved"))));
        sandbox.Write(QStringLiteral("install"), "a file where the installation was");
    });
    const QByteArray hiveBefore = sandbox.HiveBytes();
    sandbox.m_dialogs.AnswerMessageBox(platform::IDYES);
    sandbox.m_dialogs.AnswerMessageBox(platform::IDOK);

    CUpdateCtrl control(environment);
    EXPECT_TRUE(control.Run());

    EXPECT_EQ(sandbox.m_dialogs.MessageTexts().back(),
        Failure(101, QStringLiteral("インストールフォルダが見つかりませんでした。"),
            sandbox.Path(QStringLiteral("install"))));
    EXPECT_EQ(sandbox.m_dialogs.Requests().back().type, unsigned(platform::MB_ICONWARNING));
    EXPECT_EQ(sandbox.HiveBytes(), hiveBefore);
}

TEST(UpdateCopyTest, APackageFolderSwappedForALinkAfterListingIsNotFollowed)
{
    CUpdateSandbox sandbox;
    sandbox.Write(QStringLiteral("secret/show.kdp"), "secret");
    CChangeBeforeQuestion environment(sandbox, [&sandbox] {
        const QString sample = sandbox.Package(QStringLiteral("Document/Kaleidra/Sample"));
        ASSERT_TRUE(QDir().rename(sample, sandbox.Path(QStringLiteral("listed"))));
        ASSERT_TRUE(QFile::link(sandbox.Path(QStringLiteral("secret")), sample));
    });
    sandbox.m_dialogs.AnswerMessageBox(platform::IDYES);
    sandbox.m_dialogs.AnswerMessageBox(platform::IDOK);

    CUpdateCtrl control(environment);
    EXPECT_TRUE(control.Run());

    EXPECT_EQ(sandbox.m_dialogs.MessageTexts().back(),
        Failure(103, QStringLiteral("ドキュメントファイルの更新に失敗しました。"),
            sandbox.Path(QStringLiteral("home/Documents/Kaleidra/Sample/show.kdp"))));
    EXPECT_FALSE(QFileInfo::exists(sandbox.Path(QStringLiteral("home/Documents/Kaleidra/Sample/show.kdp"))));
}

// Reads the entry normally; from the copy worker on, the first writes find the hive below a
// regular file, where it cannot be written.
class CUnwritableHiveEnvironment final : public CTestUpdateEnvironment {
public:
    CUnwritableHiveEnvironment(CUpdateSandbox& sandbox, int failingWrites)
        : CTestUpdateEnvironment(sandbox.m_folder, sandbox.m_dialogs)
        , m_failingWrites(failingWrites)
    {
        updaterProgram = sandbox.m_environment.updaterProgram;
        registry = sandbox.m_environment.registry;
    }
    platform::CRegistryStore& MachineRegistry() override
    {
        if (std::this_thread::get_id() == m_guiThread)
            return registry;
        return m_failingWrites-- > 0 ? m_unwritable : registry;
    }

private:
    platform::CRegistryStore m_unwritable { QStringLiteral("/dev/null/registry.ini") };
    std::thread::id m_guiThread = std::this_thread::get_id();
    std::atomic<int> m_failingWrites;
};

TEST(UpdateCopyTest, AVersionThatCannotBeRecordedIsReported)
{
    struct Case {
        const char* name;
        int failingWrites;
        QStringList recorded;
    };
    const Case cases[] = {
        { "no value can be written", 4, {} },
        { "the first value cannot be written, the others are", 1,
            { QStringLiteral("PackageVersion"), QStringLiteral("UpdateDate"),
                QStringLiteral("UpdateVersion") } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CUpdateSandbox sandbox;
        CUnwritableHiveEnvironment environment(sandbox, c.failingWrites);
        sandbox.m_dialogs.AnswerMessageBox(platform::IDYES);
        sandbox.m_dialogs.AnswerMessageBox(platform::IDOK);

        CUpdateCtrl control(environment);
        EXPECT_TRUE(control.Run());
        EXPECT_TRUE(control.UpdateFailed()) << "the process ends with a failure";

        EXPECT_EQ(sandbox.m_dialogs.MessageTexts().back(),
            u"アップデート処理は完了しましたが、バージョン情報を記録できませんでした。");
        EXPECT_EQ(sandbox.m_dialogs.Requests().back().type, unsigned(platform::MB_ICONWARNING));
        EXPECT_EQ(VersionOf(sandbox.Install(QStringLiteral("bin/Kaleidra"))), u"1.6.2.0");
        EXPECT_EQ(environment.registry.ValueNames(CUpdateSandbox::kUninstallKey),
            QStringList({ QStringLiteral("DisplayIcon"), QStringLiteral("UninstallString") }) + c.recorded);
    }
}
