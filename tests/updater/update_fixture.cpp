#include "tests/updater/update_fixture.h"

#include "tests/updater/stamped_program.h"
#include "updater/update_ctrl.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <gtest/gtest.h>

const QString CUpdateSandbox::kUninstallKey
    = QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kaleidra");

CTestUpdateEnvironment::CTestUpdateEnvironment(const CTempFolder& folder, CScriptedDialogService& dialogs)
    : updaterProgram(folder.FilePath(QStringLiteral("package/updater")))
    , documents(folder.FilePath(QStringLiteral("home/Documents")))
    , commonAppData(folder.FilePath(QStringLiteral("common")))
    , registry(folder.FilePath(QStringLiteral("hive/registry.ini")))
    , m_dialogs(dialogs)
{
}

CUpdateSandbox::CUpdateSandbox(
    const QString& updaterVersion, const QString& newVersion, const QString& installedVersion)
    : m_environment(m_folder, m_dialogs)
{
    WriteStampedProgram(m_environment.updaterProgram, updaterVersion);
    WriteStampedProgram(Package(QStringLiteral("ProgramFiles/Kaleidra/bin/Kaleidra")), newVersion);
    WriteUnstampedProgram(Package(QStringLiteral("ProgramFiles/Kaleidra/bin/uninstaller")));
    Write(QStringLiteral("package/Data/ProgramFiles/Kaleidra/Skin/button.png"), "new button");
    Write(QStringLiteral("package/Data/ProgramData/OXTREL/Kaleidra/SETTING/Effect.ini"), "[EFFECT]\n");
    Write(QStringLiteral("package/Data/Document/Kaleidra/Sample/show.kdp"), "show");

    WriteStampedProgram(Install(QStringLiteral("bin/Kaleidra")), installedVersion);
    WriteUnstampedProgram(Install(QStringLiteral("bin/uninstaller")));
    m_folder.MakeFolder(QStringLiteral("common"));
    m_folder.MakeFolder(QStringLiteral("home/Documents"));
    WriteEntry(QStringLiteral("DisplayIcon"), Install(QStringLiteral("bin/Kaleidra")));
    WriteEntry(QStringLiteral("UninstallString"), Install(QStringLiteral("bin/uninstaller")));
}

QString CUpdateSandbox::Package(const QString& relative) const
{
    return Path(QStringLiteral("package/Data/") + relative);
}

void CUpdateSandbox::WriteEntry(const QString& valueName, const QString& value)
{
    ASSERT_TRUE(m_environment.registry.WriteString(kUninstallKey, valueName, value));
}

void CUpdateSandbox::ActForDesktopUser(const platform::FileOwner& owner)
{
    m_environment.desktopUser = platform::DesktopUser { owner, Path(QStringLiteral("home")) };
    const auto open = [](const QString& path, QFile::Permissions permissions) {
        ASSERT_TRUE(QFile::setPermissions(path, permissions)) << path.toStdString();
    };
    const QFile::Permissions everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
        | QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther
        | QFile::ExeOther;
    open(m_folder.Path(), everyone & ~(QFile::WriteGroup | QFile::WriteOther));
    open(Path(QStringLiteral("home")), everyone);
    open(Path(QStringLiteral("home/Documents")), everyone);
}

QByteArray CUpdateSandbox::HiveBytes() const
{
    QFile hive(m_environment.registry.File());
    return hive.open(QIODevice::ReadOnly) ? hive.readAll() : QByteArray("(no hive)");
}

QMap<QString, QByteArray> CUpdateSandbox::Tree(const QString& relative) const
{
    QMap<QString, QByteArray> files;
    const QDir root(Path(relative));
    QDirIterator it(root.path(), QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        files.insert(
            root.relativeFilePath(path), file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return files;
}

bool CUpdateSandbox::Run()
{
    CUpdateCtrl control(m_environment);
    const bool result = control.Run();
    EXPECT_TRUE(m_dialogs.AllAnswersUsed());
    return result;
}

namespace updater_text {
QString NoFiles()
{
    return QStringLiteral("インストールファイルが見つかりませんでした");
}
QString NeedsRights()
{
    return QStringLiteral("Kaleidra のアップデート処理を行うには管理者権限が必要です。");
}
QString NotInstalled()
{
    return QStringLiteral("Kaleidra のインストールを確認できませんでした。");
}
QString PackageMismatch(const QString& installed, const QString& package)
{
    return QStringLiteral("Kaleidra "
                          "のパッケージバージョン（%1）が一致しませんでした。更新プログラムのバージョン（%"
                          "2）をご確認ください。")
        .arg(installed, package);
}
QString AlreadyApplied(const QString& installed)
{
    return QStringLiteral("既にバージョン %1 が適用されています。以前のバージョンに戻すには、Kaleidra "
                          "の再インストールが必要です。")
        .arg(installed);
}
QString Confirm(const QString& installed, const QString& newer)
{
    return QStringLiteral("Kaleidra のアップデート処理を行います（Ver %1 → Ver %2）\nよろしいですか？")
        .arg(installed, newer);
}
QString Success()
{
    return QStringLiteral("アップデート処理が正常に完了しました。");
}
} // namespace updater_text
