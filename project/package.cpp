#include "project/package.h"

#include "platform/file_copy.h"
#include "platform/paths.h"
#include "project/package_folders.h"
#include "project/package_media.h"
#include "project/project_folder_store.h"
#include "project/zip_file.h"

#include <QStringList>
#include <optional>

using package_folders::DeleteFolderTree;
using package_folders::MakeTemporaryFolder;
using package_folders::MoveFolder;
using platform::IsDirectory;
using platform::JoinPath;

namespace {

const QString kPackageSuffix = QStringLiteral("_Package");
const QString kDataSuffix = QStringLiteral("_Data");
const QString kMaskSuffix = QStringLiteral("_Mask");

// A temporary folder of the work folder that is deleted with everything in it on every way out.
class CTemporaryFolder {
public:
    CTemporaryFolder(const QString& parent, const QString& prefix)
        : m_path(MakeTemporaryFolder(parent, prefix).value_or(QString()))
    {
    }
    ~CTemporaryFolder()
    {
        if (!m_path.isEmpty())
            DeleteFolderTree(m_path);
    }
    CTemporaryFolder(const CTemporaryFolder&) = delete;
    CTemporaryFolder& operator=(const CTemporaryFolder&) = delete;

    bool IsValid() const { return !m_path.isEmpty(); }
    const QString& Path() const { return m_path; }

private:
    QString m_path;
};

bool Fail(CPackageReporter& reporter, int messageId, const QString& detail = QString())
{
    reporter.Report({ messageId, detail });
    return false;
}

QString OnItsOwnLine(const QString& path)
{
    return QLatin1Char('\n') + path;
}

QString ProjectXmlIn(const QString& folder, const QString& name)
{
    return JoinPath(JoinPath(folder, name), name + QStringLiteral(".xml"));
}

// Gives the project folder of `from` inside `folder` the name `to`, its project XML included.
bool RenameProject(const QString& folder, const QString& from, const QString& to)
{
    if (!MoveFolder(JoinPath(folder, from), JoinPath(folder, to)))
        return false;
    const QString projectFolder = JoinPath(folder, to);
    return package_folders::RenameFile(JoinPath(projectFolder, from + QStringLiteral(".xml")),
        JoinPath(projectFolder, to + QStringLiteral(".xml")));
}

bool MakeFolders(std::initializer_list<QString> folders)
{
    for (const QString& folder : folders) {
        if (!platform::MakeFolderTree(folder))
            return false;
    }
    return true;
}

// Rewrites the items of the project in `folder` with package names and copies their media and
// masks into the data and mask folders beside it. The items as written; nothing on failure
// (reported).
std::optional<ProjectMediaMap> PackProjectMedia(
    const QString& folder, const QString& name, CPackageReporter& reporter)
{
    CProjectFolderStore store;
    if (!OpenProjectStore(store, folder, ProjectXmlIn(folder, name))) {
        Fail(reporter, kMsgPackageProjectUnreadable);
        return std::nullopt;
    }
    const PackageMediaPlan plan = PlanPackageMedia(
        ReadProjectItems(store), JoinPath(folder, name + kDataSuffix), JoinPath(folder, name + kMaskSuffix));
    if (const std::optional<QString> failed = CopyPackageMedia(plan)) {
        Fail(reporter, kMsgTemporaryCopy, OnItsOwnLine(*failed));
        return std::nullopt;
    }
    if (!WriteProjectItems(store, plan.items)) {
        Fail(reporter, kMsgItemWrite);
        return std::nullopt;
    }
    return plan.items;
}

// Writes the items, their media and mask paths pointed into the folders, into the project.
bool WriteRebasedItems(const QString& projectXml,
    const QString& folder,
    ProjectMediaMap items,
    const QString& dataFolder,
    const QString& maskFolder,
    CPackageReporter& reporter)
{
    CProjectFolderStore store;
    if (!OpenProjectStore(store, folder, projectXml))
        return Fail(reporter, kMsgRebaseUnreadable);
    if (!RebaseItems(items, dataFolder, maskFolder, true))
        return Fail(reporter, kMsgRebaseUnreadable);
    if (!WriteProjectItems(store, items))
        return Fail(reporter, kMsgItemWrite);
    return true;
}

// Puts the folder `replacement` in the place of `target`; the old target goes into `trash`.
bool ReplaceFolder(const QString& target, const QString& replacement, const QString& trash)
{
    const bool hadTarget = IsDirectory(target);
    if (hadTarget && !MoveFolder(target, trash))
        return false;
    if (MoveFolder(replacement, target))
        return true;
    if (hadTarget)
        MoveFolder(trash, target);
    return false;
}

} // namespace

QString ProjectNameOfFile(const QString& path)
{
    QString name = platform::FileNameOf(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    return name;
}

QString GetPackageProjectName(const QString& zipFile)
{
    QStringList entries;
    CZipFile zip;
    if (!zip.ReadZipFile(zipFile, entries) || entries.isEmpty())
        return QString();
    const QString& first = entries.first();
    qsizetype end = first.indexOf(QLatin1Char('\\'));
    if (end <= 0)
        end = first.indexOf(QLatin1Char('/'));
    if (end <= 0)
        return QString();
    QString name = first.left(end);
    if (name.endsWith(kPackageSuffix))
        name.chop(kPackageSuffix.size());
    return platform::IsSafeComponent(name) ? name : QString();
}

QString PackageWorkCopy(const QString& workFolder, const QString& name)
{
    return JoinPath(workFolder, name + kPackageSuffix);
}

QString PackageWorkCopyProjectXml(const QString& workFolder, const QString& name)
{
    return ProjectXmlIn(PackageWorkCopy(workFolder, name), name);
}

bool WritePackage(const QString& workFolder,
    const QString& outputFolder,
    const QString& projectFile,
    const QString& name,
    CPackageReporter& reporter)
{
    if (workFolder.isEmpty() || outputFolder.isEmpty() || projectFile.isEmpty()
        || !platform::IsSafeComponent(name))
        return false;
    const CTemporaryFolder temporary(workFolder, QStringLiteral("Export"));
    if (!temporary.IsValid())
        return Fail(reporter, kMsgTemporaryName);
    const QString root = JoinPath(temporary.Path(), name + kPackageSuffix);
    if (!platform::MakeFolderTree(root))
        return Fail(reporter, kMsgTemporaryName);

    const QString innerName = GetPackageProjectName(projectFile);
    CZipFile zip;
    if (innerName.isEmpty() || !zip.UnZip(projectFile, root) || !IsDirectory(JoinPath(root, innerName)))
        return Fail(reporter, kMsgProjectUnzip, zip.ErrorText());
    if (name != innerName && !RenameProject(root, innerName, name))
        return Fail(reporter, 0, QString::fromUtf16(kProjectRenameFailedText));
    if (!MakeFolders({ JoinPath(root, name + kDataSuffix), JoinPath(root, name + kMaskSuffix) }))
        return Fail(reporter, kMsgTemporaryCopy, OnItsOwnLine(root));
    if (!PackProjectMedia(root, name, reporter))
        return false;
    if (!zip.Zip(root, JoinPath(outputFolder, name + QStringLiteral(".kdpp"))))
        return Fail(reporter, kMsgPackageZip, zip.ErrorText());
    return true;
}

bool ExtractPackage(const QString& workFolder,
    const QString& packageFile,
    const QString& projectFolder,
    const QString& dataFolder,
    const QString& name,
    const QString& innerName,
    CPackageReporter& reporter)
{
    if (workFolder.isEmpty() || packageFile.isEmpty() || projectFolder.isEmpty() || dataFolder.isEmpty()
        || !platform::IsSafeComponent(name) || !platform::IsSafeComponent(innerName))
        return false;
    const CTemporaryFolder temporary(workFolder, QStringLiteral("Import"));
    if (!temporary.IsValid())
        return Fail(reporter, kMsgTemporaryName);
    CZipFile zip;
    if (!zip.UnZip(packageFile, temporary.Path()))
        return Fail(reporter, kMsgPackageUnzip, zip.ErrorText());

    const QString root = JoinPath(temporary.Path(), name + kPackageSuffix);
    if (name != innerName) {
        bool moved = MoveFolder(JoinPath(temporary.Path(), innerName + kPackageSuffix), root)
            && RenameProject(root, innerName, name);
        for (const QString& suffix : { kDataSuffix, kMaskSuffix }) {
            const QString from = JoinPath(root, innerName + suffix);
            if (moved && IsDirectory(from))
                moved = MoveFolder(from, JoinPath(root, name + suffix));
        }
        if (!moved)
            return Fail(reporter, 0, QString::fromUtf16(kProjectRenameFailedText));
    }

    const QString dataTarget = JoinPath(dataFolder, name + kDataSuffix);
    const QString maskTarget = JoinPath(dataFolder, name + kMaskSuffix);
    if (!MakeFolders({ dataTarget, maskTarget }))
        return Fail(reporter, kMsgProcessFailed, OnItsOwnLine(dataTarget));
    for (const auto& [from, to] :
        { std::pair { name + kDataSuffix, dataTarget }, std::pair { name + kMaskSuffix, maskTarget } }) {
        QString failed;
        const QString source = JoinPath(root, from);
        if (IsDirectory(source) && !package_folders::MoveFilesInto(source, to, &failed))
            return Fail(reporter, kMsgProcessFailed, OnItsOwnLine(failed));
    }

    CProjectFolderStore store;
    if (!OpenProjectStore(store, root, ProjectXmlIn(root, name)))
        return Fail(reporter, kMsgExtractedProjectUnreadable);
    const ProjectMediaMap stored = ReadProjectItems(store);
    ProjectMediaMap items = stored;
    if (!RebaseItems(items, dataTarget, maskTarget, false))
        return Fail(reporter, kMsgExtractedProjectUnreadable);
    for (auto face = items.begin(); face != items.end();) {
        face = face->second == stored.at(face->first) ? items.erase(face) : std::next(face);
    }
    if (!WriteProjectItems(store, items))
        return Fail(reporter, kMsgItemWrite);

    if (!zip.Zip(JoinPath(root, name), JoinPath(projectFolder, name + QStringLiteral(".kdp"))))
        return Fail(reporter, kMsgProjectFileOutput, zip.ErrorText());
    return true;
}

bool RebaseMediaPaths(const QString& projectXml,
    const QString& folder,
    const QString& dataFolder,
    const QString& maskFolder,
    CPackageReporter& reporter)
{
    if (projectXml.isEmpty() || folder.isEmpty() || dataFolder.isEmpty() || maskFolder.isEmpty())
        return false;
    CProjectFolderStore store;
    if (!OpenProjectStore(store, folder, projectXml))
        return Fail(reporter, kMsgRebaseUnreadable);
    return WriteRebasedItems(projectXml, folder, ReadProjectItems(store), dataFolder, maskFolder, reporter);
}

bool SavePackageProject(
    const QString& workFolder, const QString& name, const QString& packageFile, CPackageReporter& reporter)
{
    if (workFolder.isEmpty() || packageFile.isEmpty() || !platform::IsSafeComponent(name))
        return false;
    const QString workCopy = PackageWorkCopy(workFolder, name);
    const CTemporaryFolder temporary(workFolder, QStringLiteral("Package"));
    if (!temporary.IsValid())
        return Fail(reporter, kMsgTemporaryName);

    // The package is built from a copy of the project folder, so the work copy keeps pointing at
    // its media until the package is written.
    const QString stage = JoinPath(temporary.Path(), name + kPackageSuffix);
    QString failed;
    if (!package_folders::CopyFolderTree(JoinPath(workCopy, name), JoinPath(stage, name), &failed))
        return Fail(reporter, kMsgTemporaryCopy, OnItsOwnLine(failed));
    const QString stagedData = JoinPath(stage, name + kDataSuffix);
    const QString stagedMask = JoinPath(stage, name + kMaskSuffix);
    if (!MakeFolders({ stagedData, stagedMask }))
        return Fail(reporter, kMsgTemporaryCopy, OnItsOwnLine(stage));
    const std::optional<ProjectMediaMap> packed = PackProjectMedia(stage, name, reporter);
    if (!packed)
        return false;
    CZipFile zip;
    if (!zip.Zip(stage, packageFile))
        return Fail(reporter, kMsgPackageSaveZip, zip.ErrorText());

    // The package is written: the work copy takes the renumbered media, so that nothing stale
    // stays in its data folder, and its items point at them by their new names.
    const QString data = JoinPath(workCopy, name + kDataSuffix);
    const QString mask = JoinPath(workCopy, name + kMaskSuffix);
    if (!ReplaceFolder(data, stagedData, JoinPath(temporary.Path(), QStringLiteral("OldData")))
        || !ReplaceFolder(mask, stagedMask, JoinPath(temporary.Path(), QStringLiteral("OldMask"))))
        return Fail(reporter, kMsgPackageSaveRebase);
    if (!WriteRebasedItems(ProjectXmlIn(workCopy, name), workCopy, *packed, data, mask, reporter)) {
        reporter.Report({ kMsgPackageSaveRebase, QString() });
        return false;
    }
    return true;
}
