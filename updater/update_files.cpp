// The copy phase of the update: listing the package and copying it file by file.
#include "updater/update_ctrl.h"

#include "platform/dialog_service.h"
#include "platform/file_copy.h"
#include "platform/paths.h"
#include "updater/product_names.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A failed copy step: its code and the texts for a missing target folder and for a file that
// could not be replaced; the install and documents texts name a path.
struct CopyError {
    int code;
    const char16_t* fileFailed;
    const char16_t* folderMissing;
    bool namesPath;
};

const CopyError kCopyErrors[3] = {
    { 101, u"アップデート処理に失敗しました。(%1)\nインストールファイルの更新に失敗しました。\n[%2]",
        u"アップデート処理に失敗しました。(%1)\nインストールフォルダが見つかりませんでした。\n[%2]", true },
    { 102, u"アップデート処理に失敗しました。(%1)\n設定ファイルの更新に失敗しました。",
        u"アップデート処理に失敗しました。(%1)\n設定フォルダが見つかりませんでした。", false },
    { 103, u"アップデート処理に失敗しました。(%1)\nドキュメントファイルの更新に失敗しました。\n[%2]",
        u"アップデート処理に失敗しました。(%1)\nドキュメントフォルダが見つかりませんでした。\n[%2]", true },
};

constexpr unsigned kIconExclamation = platform::MB_ICONWARNING;

} // namespace

void CUpdateCtrl::EnumFiles(const QString& folder, QStringList& files, bool clear)
{
    if (clear)
        files.clear();
    // Without QDir::System and with NoSymLinks, links, devices, pipes and sockets stay out.
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir())
            EnumFiles(entry.filePath(), files, false);
        else if (entry.isFile())
            files.append(entry.filePath());
    }
}

bool CUpdateCtrl::MakeFolder(const QString& path, const std::optional<platform::FileOwner>& owner)
{
    return platform::MakeFolderTree(path, owner);
}

bool CUpdateCtrl::CopyOneFile(const QString& source,
    const QString& targetFolder,
    bool clearReadOnly,
    const std::optional<platform::FileOwner>& owner,
    const QString& sourceRoot)
{
    if (!QFileInfo::exists(source) || !MakeFolder(targetFolder, owner))
        return false;
    platform::CopyOptions options;
    options.makeWritable = clearReadOnly;
    options.owner = owner;
    options.sourceRoot = sourceRoot;
    return platform::CopyFileReplacing(
        source, platform::JoinPath(targetFolder, platform::FileNameOf(source)), options);
}

bool CUpdateCtrl::KeepsUsersSettings(int listIndex, const QString& relative, const QString& targetPath)
{
    // The settings file holds what the user set (work folder, cameras, the remote's address): the
    // package's default never replaces it, nor whatever else stands in its place.
    const QFileInfo target(targetPath);
    return listIndex == kSettingsList && relative == product::kSettingsFile
        && (target.exists() || target.isSymLink());
}

int CUpdateCtrl::CopiedTotal() const
{
    int total = 0;
    for (const FileList& list : m_lists)
        total += list.copied;
    return total;
}

UpdateStepResult CUpdateCtrl::UpdateThread()
{
    for (int index = 0; index < int(std::size(m_lists)); ++index) {
        FileList& list = m_lists[index];
        if (!list.HasFilesLeft())
            continue;
        const QString source = list.files[list.copied];
        const QString relative = source.mid(list.sourceRoot.size() + 1);
        const QString targetPath = platform::JoinPath(list.target, relative);
        const QString targetFolder = targetPath.left(targetPath.lastIndexOf(u'/'));
        if (!KeepsUsersSettings(index, relative, targetPath)
            && !CopyOneFile(source, targetFolder, true, list.owner, list.sourceRoot))
            return CopyFailure(index, targetPath);
        ++list.copied;
        return { false, CopiedTotal(), {}, 0 };
    }
    return RecordVersion();
}

UpdateStepResult CUpdateCtrl::CopyFailure(int listIndex, const QString& targetPath)
{
    m_updateFailed = true;
    // The program file is one of the install files.
    const CopyError& error = kCopyErrors[listIndex == kProgramList ? kInstallList : listIndex];
    const QString& target = m_lists[listIndex].target;
    const bool folderExists = QFileInfo(target).isDir();
    const QString text = QString::fromUtf16(folderExists ? error.fileFailed : error.folderMissing)
                             .arg(QString::number(error.code));
    return { true, CopiedTotal(), error.namesPath ? text.arg(folderExists ? targetPath : target) : text,
        kIconExclamation };
}

UpdateStepResult CUpdateCtrl::RecordVersion()
{
    bool recorded = true;
    if (m_started) {
        const std::pair<QString, QString> values[] = {
            { QStringLiteral("DisplayVersion"), m_newVersion },
            { QStringLiteral("PackageVersion"), m_packageVersion },
            { QStringLiteral("UpdateDate"), m_updateDate },
            { QStringLiteral("UpdateVersion"), m_updateVersion },
        };
        // Every value is tried, so one that fails does not keep the others from the entry.
        for (const auto& [name, value] : values)
            recorded = WriteUninstallValue(m_uninstallKey, name, value) && recorded;
    }
    // Files in place while the entry still names the old version is not plain success.
    m_updateFailed = !recorded;
    if (!recorded)
        return { true, CopiedTotal(),
            QStringLiteral("アップデート処理は完了しましたが、バージョン情報を記録できませんでした。"),
            kIconExclamation };
    return { true, CopiedTotal(), QStringLiteral("アップデート処理が正常に完了しました。"),
        platform::MB_ICONINFORMATION };
}
