#include "tests/updater/stamped_program.h"
#include "tests/updater/update_fixture.h"
#include "updater/uninstaller.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>

namespace {

// An installation as the install rules lay it out, in a temporary folder, with its entry in
// the machine hive; the uninstaller's program file is install/bin/uninstaller.
class CInstallation {
public:
    CInstallation()
        : m_machine(m_folder, m_dialogs)
    {
        WriteStampedProgram(Path(QStringLiteral("install/bin/Kaleidra")), QStringLiteral("1.6.2.0"));
        WriteUnstampedProgram(Path(QStringLiteral("install/bin/uninstaller")));
        m_folder.WriteFile(QStringLiteral("install/lib/libkaleidra_platform.so"), "library");
        m_folder.WriteFile(QStringLiteral("install/bin/Skin/Skin.ini"), "[SKIN]\n");
        WriteList({ QStringLiteral("bin/Kaleidra"), QStringLiteral("bin/uninstaller"),
            QStringLiteral("bin/Skin/Skin.ini"), QStringLiteral("bin/uninstall.list"),
            QStringLiteral("lib/libkaleidra_platform.so") });
        m_machine.updaterProgram = Path(QStringLiteral("install/bin/uninstaller"));
        EXPECT_TRUE(Uninstaller().Register(&m_error)) << m_error.toStdString();
    }

    QString Path(const QString& relative) const { return m_folder.FilePath(relative); }
    void WriteList(const QStringList& files) const
    {
        m_folder.WriteFile(QStringLiteral("install/bin/uninstall.list"), files.join(u'\n').toUtf8() + '\n');
    }
    QStringList Files() const
    {
        QStringList files;
        QDirIterator it(Path(QStringLiteral("install")), QDir::Files | QDir::Hidden | QDir::System,
            QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(QDir(Path(QStringLiteral("install"))).relativeFilePath(it.next()));
        files.sort();
        return files;
    }
    bool EntryExists() const { return m_machine.registry.KeyExists(CUpdateSandbox::kUninstallKey); }
    CUninstaller Uninstaller() { return CUninstaller(m_machine); }

    CTempFolder m_folder;
    CScriptedDialogService m_dialogs;
    CTestUpdateEnvironment m_machine;
    QString m_error;
};

TEST(UninstallerTest, RegistersTheInstallationItLiesIn)
{
    CInstallation installation;
    const platform::CRegistryStore& hive = installation.m_machine.registry;
    const std::pair<const char*, QString> values[] = {
        { "DisplayIcon", installation.Path(QStringLiteral("install/bin/Kaleidra")) },
        { "UninstallString", installation.Path(QStringLiteral("install/bin/uninstaller")) },
        { "DisplayVersion", QStringLiteral("1.6.2.0") },
        { "PackageVersion", QStringLiteral("1.6") },
    };
    for (const auto& [name, value] : values)
        EXPECT_EQ(hive.ReadString(CUpdateSandbox::kUninstallKey, QString::fromUtf8(name)), value) << name;

    // Without a stamped program there is nothing to record, and the entry is left alone.
    WriteUnstampedProgram(installation.Path(QStringLiteral("install/bin/Kaleidra")));
    QString error;
    EXPECT_FALSE(installation.Uninstaller().Register(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("carries no version"))) << error.toStdString();
    EXPECT_EQ(hive.ReadString(CUpdateSandbox::kUninstallKey, QStringLiteral("DisplayVersion")), u"1.6.2.0");
}

TEST(UninstallerTest, RemovesOnlyWhatWasInstalledAndOnlyItsOwnEntry)
{
    struct Case {
        const char* name;
        std::function<void(CInstallation&)> prepare;
        std::vector<int> answers;
        int exitCode;
        QStringList left; // files below install/ afterwards
        bool entryLeft;
        QString lastMessageStart;
    };
    const QStringList everything = { QStringLiteral("bin/Kaleidra"), QStringLiteral("bin/Skin/Skin.ini"),
        QStringLiteral("bin/uninstall.list"), QStringLiteral("bin/uninstaller"),
        QStringLiteral("lib/libkaleidra_platform.so") };
    const std::vector<Case> cases = {
        { "removed", [](CInstallation&) {}, { platform::IDYES, platform::IDOK }, 0, {}, false,
            QStringLiteral("Kaleidra のアンインストールが完了しました。") },
        { "declined", [](CInstallation&) {}, { platform::IDNO }, 0, everything, true,
            QStringLiteral("Kaleidra をアンインストールします。") },
        { "a file the user added stays, with its folders",
            [](CInstallation& i) {
                i.m_folder.WriteFile(QStringLiteral("install/bin/Skin/mine.png"), "mine");
            },
            { platform::IDYES, platform::IDOK }, 0, { QStringLiteral("bin/Skin/mine.png") }, false,
            QStringLiteral("Kaleidra のアンインストールが完了しました。") },
        { "the entry of another installation stays",
            [](CInstallation& i) {
                i.m_machine.registry.WriteString(CUpdateSandbox::kUninstallKey,
                    QStringLiteral("UninstallString"), QStringLiteral("/opt/other/bin/uninstaller"));
            },
            { platform::IDYES, platform::IDOK }, 0, {}, true,
            QStringLiteral("Kaleidra のアンインストールが完了しました。") },
        { "a listed file already gone",
            [](CInstallation& i) { QFile::remove(i.Path(QStringLiteral("install/bin/Kaleidra"))); },
            { platform::IDYES, platform::IDOK }, 0, {}, false,
            QStringLiteral("Kaleidra のアンインストールが完了しました。") },
        { "a list reaching outside the installation is refused whole",
            [](CInstallation& i) {
                i.m_folder.WriteFile(QStringLiteral("outside"), "not the installation's");
                i.WriteList({ QStringLiteral("bin/Kaleidra"), QStringLiteral("../outside") });
            },
            { platform::IDOK }, 1, everything, true,
            QStringLiteral("Kaleidra のアンインストール情報を読めませんでした。") },
        { "no list",
            [](CInstallation& i) { QFile::remove(i.Path(QStringLiteral("install/bin/uninstall.list"))); },
            { platform::IDOK }, 1, everything.mid(0, 2) + everything.mid(3), true,
            QStringLiteral("Kaleidra のアンインストール情報を読めませんでした。") },
        // A folder on the way swapped for a link: what lies behind the link is not touched.
        { "a folder that became a link is not followed",
            [](CInstallation& i) {
                i.m_folder.WriteFile(QStringLiteral("elsewhere/libkaleidra_platform.so"), "not ours");
                QDir(i.Path(QStringLiteral("install/lib"))).removeRecursively();
                QFile::link(i.Path(QStringLiteral("elsewhere")), i.Path(QStringLiteral("install/lib")));
            },
            { platform::IDYES, platform::IDOK }, 1, {}, false,
            QStringLiteral(
                "Kaleidra "
                "のアンインストールで、次のものを削除できませんでした。\nlib/libkaleidra_platform.so") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CInstallation installation;
        c.prepare(installation);
        for (const int answer : c.answers)
            installation.m_dialogs.AnswerMessageBox(answer);

        EXPECT_EQ(installation.Uninstaller().Run(), c.exitCode);

        EXPECT_TRUE(installation.m_dialogs.AllAnswersUsed());
        ASSERT_FALSE(installation.m_dialogs.MessageTexts().empty());
        EXPECT_TRUE(installation.m_dialogs.MessageTexts().back().startsWith(c.lastMessageStart))
            << installation.m_dialogs.MessageTexts().back().toStdString();
        EXPECT_EQ(installation.Files(), c.left);
        EXPECT_EQ(installation.EntryExists(), c.entryLeft);
        if (c.left.isEmpty() && !QFileInfo(installation.Path(QStringLiteral("install/lib"))).isSymLink()) {
            EXPECT_FALSE(QFileInfo::exists(installation.Path(QStringLiteral("install"))))
                << "the emptied installation folder goes too";
        }
        EXPECT_TRUE(QFileInfo::exists(installation.Path(QStringLiteral("elsewhere/libkaleidra_platform.so")))
            || !QFileInfo::exists(installation.Path(QStringLiteral("elsewhere"))));
        if (QFileInfo::exists(installation.Path(QStringLiteral("outside")))) {
            EXPECT_EQ(installation.m_folder.ReadFile(QStringLiteral("outside")), "not the installation's");
        }
    }
}

} // namespace
