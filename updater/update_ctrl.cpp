#include "updater/update_ctrl.h"

#include "platform/file_version.h"
#include "platform/paths.h"
#include "platform/wait_cursor.h"
#include "updater/dlg_progress.h"
#include "updater/product_names.h"
#include "updater/version_text.h"

#include <QDir>

namespace {

using product::BinFile;
using product::kDisplayName;
using product::kMainProgram;
using product::kUninstaller;
const QString& kProductFolder = product::kFolderName;
// Used when the installed program carries no version, and when the entry has no package version.
const QString kUnknownInstalledVersion = QStringLiteral("1.2.1.2");
const QString kFirstPackageVersion = QStringLiteral("1.0");

} // namespace

CUpdateCtrl::CUpdateCtrl(CUpdateEnvironment& environment)
    : m_environment(environment)
    , m_title(QStringLiteral("%1 更新プログラム").arg(kDisplayName))
    , m_uninstallKey(product::kUninstallKey)
{
    const QString packageFolder = QFileInfo(environment.UpdaterProgramFile()).absolutePath();
    const QString data = platform::JoinPath(packageFolder, u"Data");
    m_lists[kInstallList].sourceRoot
        = platform::JoinPath(platform::JoinPath(data, u"ProgramFiles"), kProductFolder);
    m_lists[kSettingsList].sourceRoot = platform::JoinPath(data, u"ProgramData/OXTREL");
    m_lists[kDocumentsList].sourceRoot
        = platform::JoinPath(platform::JoinPath(data, u"Document"), kProductFolder);
    m_lists[kProgramList].sourceRoot = m_lists[kInstallList].sourceRoot;
}

int CUpdateCtrl::CompareVersion(const QString& installed, const QString& newer, int parts)
{
    return CompareVersionTexts(installed, newer, parts);
}

QString CUpdateCtrl::GetFileVersionText(const QString& path, int parts) const
{
    const auto version
        = platform::ReadFileVersion(path.isEmpty() ? m_environment.UpdaterProgramFile() : path);
    return version ? FormatFileVersion(*version, parts) : QString();
}

QString CUpdateCtrl::ReadUninstallValue(const QString& key, const QString& valueName) const
{
    platform::CRegistryStore& hive = m_environment.MachineRegistry();
    // A hive in the desktop user's home is reached with their rights, not through their links
    // with root's.
    const platform::CActAsFileOwner actAsOwner(DesktopOwnerOf(m_environment, hive.File()));
    if (!actAsOwner.Ok())
        return QString();
    return hive.ReadString(key, valueName).value_or(QString());
}

bool CUpdateCtrl::WriteUninstallValue(const QString& key, const QString& valueName, const QString& text)
{
    platform::CRegistryStore& hive = m_environment.MachineRegistry();
    const platform::CActAsFileOwner actAsOwner(DesktopOwnerOf(m_environment, hive.File()));
    return actAsOwner.Ok() && hive.WriteString(key, valueName, text);
}

int CUpdateCtrl::Message(const QString& text, unsigned type)
{
    return m_environment.Dialogs().MessageBox(text, m_title, type);
}

QString CUpdateCtrl::SettingsTargetIn(const QString& commonAppData)
{
    // The spelling the editor reads its settings under. Another folder of the same name in
    // other letter case (the machine hive lives in "OXTREL") is never read by the editor on a
    // case-sensitive file system; on a case-insensitive one this path reaches it anyway.
    return platform::JoinPath(commonAppData, u"Oxtrel");
}

bool CUpdateCtrl::Run()
{
    m_started = true;
    m_updateDate = m_environment.Today().toString(u"yyyyMMdd");
    m_updateVersion = GetFileVersionText(QString(), 4);
    m_newVersion = GetFileVersionText(BinFile(m_lists[kInstallList].sourceRoot, kMainProgram), 4);
    m_packageVersion = GetFileVersionText(QString(), 2);

    bool anyFiles = false;
    {
        const CWaitCursor waitCursor;
        for (const int index : { kInstallList, kSettingsList, kDocumentsList }) {
            EnumFiles(m_lists[index].sourceRoot, m_lists[index].files, true);
            anyFiles = anyFiles || !m_lists[index].files.isEmpty();
        }
    }
    // The program file is copied last of all (see m_lists).
    m_lists[kProgramList].files.clear();
    const QString packagedProgram = BinFile(m_lists[kInstallList].sourceRoot, kMainProgram);
    if (m_lists[kInstallList].files.removeOne(packagedProgram))
        m_lists[kProgramList].files.append(packagedProgram);
    for (FileList& list : m_lists)
        list.copied = 0;
    if (!anyFiles) {
        Message(QStringLiteral("インストールファイルが見つかりませんでした"), platform::MB_ICONINFORMATION);
        return true;
    }

    if (!m_environment.HasAdministratorRights()) {
        Message(QStringLiteral("%1 のアップデート処理を行うには管理者権限が必要です。").arg(kDisplayName),
            platform::MB_ICONINFORMATION);
        return false;
    }

    const QString notInstalled
        = QStringLiteral("%1 のインストールを確認できませんでした。").arg(kDisplayName);
    QString programFile = ReadUninstallValue(m_uninstallKey, QStringLiteral("DisplayIcon"));
    QString uninstaller = ReadUninstallValue(m_uninstallKey, QStringLiteral("UninstallString"));
    QString installedPackageVersion = ReadUninstallValue(m_uninstallKey, QStringLiteral("PackageVersion"));
    if (programFile.isEmpty() || uninstaller.isEmpty()) {
        Message(notInstalled, platform::MB_ICONINFORMATION);
        return false;
    }
    const std::optional<bool> found = FindInstallation(programFile, uninstaller);
    if (!found)
        return true;
    if (!*found) {
        Message(notInstalled, platform::MB_ICONINFORMATION);
        return false;
    }

    QString installedVersion = GetFileVersionText(programFile, 4);
    if (installedVersion.isEmpty())
        installedVersion = kUnknownInstalledVersion;
    if (installedPackageVersion.isEmpty())
        installedPackageVersion = kFirstPackageVersion;

    if (installedPackageVersion != m_packageVersion) {
        Message(QStringLiteral("%1 "
                               "のパッケージバージョン（%"
                               "2）が一致しませんでした。更新プログラムのバージョン（%3）をご確認ください。")
                    .arg(kDisplayName, installedPackageVersion, m_packageVersion),
            platform::MB_ICONINFORMATION);
        return false;
    }
    if (CompareVersion(installedVersion, m_newVersion, 4) != kVersionInstalledOlder) {
        Message(QStringLiteral("既にバージョン %1 が適用されています。以前のバージョンに戻すには、%2 "
                               "の再インストールが必要です。")
                    .arg(installedVersion, kDisplayName),
            platform::MB_ICONINFORMATION);
        return true;
    }

    SetTargets(programFile);
    const int answer
        = Message(QStringLiteral("%1 のアップデート処理を行います（Ver %2 → Ver %3）\nよろしいですか？")
                      .arg(kDisplayName, installedVersion, m_newVersion),
            platform::MB_YESNO | platform::MB_ICONQUESTION);
    if (answer != platform::IDYES)
        return true;

    int total = 0;
    for (const FileList& list : m_lists)
        total += int(list.files.size());
    CDlgProgress progress(
        total, [this] { return UpdateThread(); }, m_environment.Dialogs(), m_title);
    progress.RunModal();
    return true;
}

std::optional<bool> CUpdateCtrl::FindInstallation(QString& programFile, QString& uninstaller)
{
    const bool entryHolds = platform::IsRegularFile(uninstaller) && platform::IsRegularFile(programFile)
        && platform::FileNameOf(programFile) == kMainProgram;
    if (!entryHolds) {
        const std::optional<QString> picked
            = m_environment.Dialogs().FolderName(QStringLiteral("インストール先選択"), QString());
        if (!picked)
            return std::nullopt;
        QString folder = QDir::cleanPath(*picked);
        if (platform::FileNameOf(folder) == u"bin")
            folder = QFileInfo(folder).path();
        programFile = BinFile(folder, kMainProgram);
        uninstaller = BinFile(folder, kUninstaller);
    }
    return platform::IsRegularFile(uninstaller) && platform::IsRegularFile(programFile);
}

void CUpdateCtrl::SetTargets(const QString& programFile)
{
    m_binFolder = QFileInfo(programFile).absolutePath();
    m_lists[kInstallList].target = QFileInfo(m_binFolder).path();
    m_lists[kSettingsList].target = SettingsTargetIn(GetCommonAppDataFolder());
    m_lists[kDocumentsList].target = platform::JoinPath(GetDocumentsFolder(), kProductFolder);

    // Files made for the desktop user in their own folders belong to them, not to root.
    if (const auto user = m_environment.DesktopUser())
        m_lists[kDocumentsList].owner = user->owner;
    m_lists[kSettingsList].owner = DesktopOwnerOf(m_environment, m_lists[kSettingsList].target);

    // The program file goes where the other install files go.
    m_lists[kProgramList].target = m_lists[kInstallList].target;
    m_lists[kProgramList].owner = m_lists[kInstallList].owner;
}

int RunUpdater(CUpdateEnvironment& environment)
{
    CUpdateCtrl control(environment);
    const bool ended = control.Run();
    return ended && !control.UpdateFailed() ? 0 : 1;
}
