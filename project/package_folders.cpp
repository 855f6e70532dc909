#include "project/package_folders.h"

#include "platform/file_copy.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace package_folders {
namespace {

QByteArray Native(const QString& path)
{
    return QFile::encodeName(path);
}

bool Exists(const QString& path)
{
    struct stat info { };
    return ::lstat(Native(path).constData(), &info) == 0;
}

QFileInfoList Children(const QString& folder)
{
    return QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

// Walks the tree below `from`: folders are made below `to`, and each regular file is handed to
// `take` with its target path. Special files are left out; a link fails the walk, naming it: what
// it leads to is not followed, and would be missing from the copy.
bool WalkFiles(const QString& from,
    const QString& to,
    QString* failedPath,
    const std::function<bool(const QString&, const QString&)>& take)
{
    if (!platform::MakeFolderTree(to)) {
        if (failedPath)
            *failedPath = to;
        return false;
    }
    for (const QFileInfo& child : Children(from)) {
        if (child.isSymLink()) {
            if (failedPath)
                *failedPath = child.absoluteFilePath();
            return false;
        }
        const QString target = platform::JoinPath(to, child.fileName());
        if (child.isDir()) {
            if (!WalkFiles(child.absoluteFilePath(), target, failedPath, take))
                return false;
        } else if (child.isFile() && !take(child.absoluteFilePath(), target)) {
            if (failedPath)
                *failedPath = child.absoluteFilePath();
            return false;
        }
    }
    return true;
}

bool CopyReplacing(const QString& source, const QString& target, const QString& root)
{
    platform::CopyOptions options;
    options.sourceRoot = root;
    return platform::CopyFileReplacing(source, target, options);
}

} // namespace

std::optional<QString> MakeTemporaryFolder(const QString& parent, const QString& prefix)
{
    if (parent.isEmpty() || !platform::IsSafeComponent(prefix))
        return std::nullopt;
    QByteArray pattern = Native(platform::JoinPath(parent, prefix + QStringLiteral("XXXXXX")));
    if (::mkdtemp(pattern.data()) == nullptr)
        return std::nullopt;
    return QFile::decodeName(pattern);
}

bool DeleteFolderTree(const QString& folder)
{
    if (folder.isEmpty())
        return false;
    const QFileInfo info(folder);
    if (!info.isSymLink() && !info.exists())
        return true;
    if (info.isSymLink() || !info.isDir())
        return ::unlink(Native(folder).constData()) == 0 || errno == ENOENT;
    bool removed = true;
    for (const QFileInfo& child : Children(folder))
        removed = DeleteFolderTree(child.absoluteFilePath()) && removed;
    return removed && (::rmdir(Native(folder).constData()) == 0 || errno == ENOENT);
}

bool MoveFolder(const QString& from, const QString& to)
{
    if (from.isEmpty() || to.isEmpty() || !Exists(from) || Exists(to))
        return false;
    if (::rename(Native(from).constData(), Native(to).constData()) == 0)
        return true;
    if (errno != EXDEV)
        return false;
    if (!QFileInfo(from).isDir() || QFileInfo(from).isSymLink())
        return CopyReplacing(from, to, QString()) && ::unlink(Native(from).constData()) == 0;
    if (CopyFolderTree(from, to))
        return DeleteFolderTree(from);
    DeleteFolderTree(to);
    return false;
}

bool RenameFile(const QString& from, const QString& to)
{
    return !from.isEmpty() && !to.isEmpty()
        && ::rename(Native(from).constData(), Native(to).constData()) == 0;
}

bool StageFile(const QString& source, const QString& target)
{
    const QString resolved = QFileInfo(source).canonicalFilePath();
    if (resolved.isEmpty() || !platform::IsRegularFile(resolved))
        return false;
    if (Exists(target) && ::unlink(Native(target).constData()) != 0)
        return false;
    if (::link(Native(resolved).constData(), Native(target).constData()) == 0)
        return true;
    return CopyReplacing(resolved, target, QString());
}

bool CopyFolderTree(const QString& from, const QString& to, QString* failedPath)
{
    return WalkFiles(from, to, failedPath, [&from](const QString& source, const QString& target) {
        return CopyReplacing(source, target, from);
    });
}

bool MoveFilesInto(const QString& from, const QString& to, QString* failedPath)
{
    return WalkFiles(from, to, failedPath, [&from](const QString& source, const QString& target) {
        if (::rename(Native(source).constData(), Native(target).constData()) == 0)
            return true;
        return errno == EXDEV && CopyReplacing(source, target, from);
    });
}

} // namespace package_folders
