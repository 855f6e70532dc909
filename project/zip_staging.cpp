#include "project/zip_staging.h"

#include "project/package_folders.h"
#include "project/sync_pool.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Syncs wait on the disk, not on the processor: more threads than cores still help the file
// system gather them into fewer journal commits.
constexpr int kSyncThreads = 8;

bool SyncPath(const QByteArray& path, int flags)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | flags);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

bool LinkStatus(const QByteArray& path, struct stat& status)
{
    return ::lstat(path.constData(), &status) == 0;
}

// A rename that never replaces; where the file system cannot promise that, a plain rename of a
// name checked to be free.
bool RenameToNewName(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    return (errno == EINVAL || errno == ENOSYS) && ::rename(from.constData(), to.constData()) == 0;
}

bool SwapEntries(const QByteArray& first, const QByteArray& second)
{
    return ::renameat2(AT_FDCWD, first.constData(), AT_FDCWD, second.constData(), RENAME_EXCHANGE) == 0;
}

} // namespace

CZipStaging::CZipStaging(const QString& destination)
    : m_destination(destination)
    , m_syncs(std::make_unique<CSyncPool>(kSyncThreads))
{
    QByteArray pattern = QFile::encodeName(destination + QStringLiteral("/.unzip-XXXXXX"));
    if (!::mkdtemp(pattern.data()))
        return;
    m_folder = QFile::decodeName(pattern);
    // The archive's entries go into a folder of their own; old entries they replace go beside it.
    if (::mkdir(QFile::encodeName(m_folder + QStringLiteral("/entries")).constData(), 0700) != 0) {
        package_folders::DeleteFolderTree(m_folder);
        m_folder.clear();
    }
}

CZipStaging::~CZipStaging()
{
    // No thread syncs a file of the folder any more when it is deleted.
    m_syncs.reset();
    if (IsValid())
        package_folders::DeleteFolderTree(m_folder);
}

QByteArray CZipStaging::Native(const QString& relative) const
{
    return QFile::encodeName(m_folder + QStringLiteral("/entries/") + relative);
}

bool CZipStaging::MakeFolder(const QString& relative)
{
    if (!IsValid())
        return false;
    QString path;
    for (const QString& component : relative.split(u'/', Qt::SkipEmptyParts)) {
        if (path.isEmpty() && std::find(m_topLevel.begin(), m_topLevel.end(), component) == m_topLevel.end())
            m_topLevel.push_back(component);
        path += path.isEmpty() ? component : u'/' + component;
        if (m_madeFolders.contains(path))
            continue;
        // The staging folder is new and the archive holds no links: what exists is a folder
        // made by an earlier entry, or the entry collides with a file and fails.
        struct stat status { };
        if (::mkdir(Native(path).constData(), 0777) != 0
            && (errno != EEXIST || !LinkStatus(Native(path), status) || !S_ISDIR(status.st_mode)))
            return false;
        m_madeFolders.insert(path);
        m_folders.push_back(path);
    }
    return true;
}

int CZipStaging::CreateFile(const QString& relative)
{
    const qsizetype slash = relative.lastIndexOf(u'/');
    if (slash > 0 && !MakeFolder(relative.left(slash)))
        return -1;
    if (!IsValid())
        return -1;
    if (slash < 0 && std::find(m_topLevel.begin(), m_topLevel.end(), relative) == m_topLevel.end())
        m_topLevel.push_back(relative);
    const int fd
        = ::open(Native(relative).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    return fd;
}

void CZipStaging::FinishFile(int fd)
{
    // The file's write-back starts now rather than when its sync reaches it.
    ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    m_syncs->Add(fd);
}

bool CZipStaging::MakeDurable()
{
    if (!m_syncs->Wait())
        return false;
    // A folder's entries are all made now; the order of the folders' syncs does not matter, as
    // nothing of the staging folder is in place before the last has ended.
    for (const QString& folder : m_folders) {
        const int fd = ::open(Native(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return false;
        m_syncs->Add(fd);
    }
    return m_syncs->Wait();
}

bool CZipStaging::MoveIntoPlace(QString* failed)
{
    const auto fail = [failed](const QString& path) {
        if (failed)
            *failed = path;
        return false;
    };
    if (!IsValid())
        return fail(m_destination);
    // Every existing entry is checked before the first one moves.
    std::vector<bool> exists;
    for (const QString& name : m_topLevel) {
        struct stat existing { };
        struct stat staged { };
        const bool found = LinkStatus(QFile::encodeName(m_destination + u'/' + name), existing);
        if (!found && errno != ENOENT)
            return fail(name);
        if (found
            && (S_ISLNK(existing.st_mode) || !LinkStatus(Native(name), staged)
                || S_ISDIR(existing.st_mode) != S_ISDIR(staged.st_mode)
                || (!S_ISDIR(existing.st_mode) && !S_ISREG(existing.st_mode))))
            return fail(name);
        exists.push_back(found);
    }
    // How each entry went into place, so that it can be taken back when a later one cannot.
    enum class Move { Renamed, Swapped, OldMovedAside };
    std::vector<Move> moves;
    const auto asideOf
        = [this](size_t i) { return QFile::encodeName(m_folder + QStringLiteral("/replaced-%1").arg(i)); };
    for (size_t i = 0; i < m_topLevel.size(); ++i) {
        const QByteArray staged = Native(m_topLevel[i]);
        const QByteArray target = QFile::encodeName(m_destination + u'/' + m_topLevel[i]);
        if (!exists[i] && RenameToNewName(staged, target)) {
            moves.push_back(Move::Renamed);
            continue;
        }
        // The old entry ends in the staging folder, which is deleted with it.
        if (exists[i] && SwapEntries(staged, target)) {
            moves.push_back(Move::Swapped);
            continue;
        }
        if (exists[i] && (errno == EINVAL || errno == ENOSYS)
            && ::rename(target.constData(), asideOf(i).constData()) == 0) {
            if (::rename(staged.constData(), target.constData()) == 0) {
                moves.push_back(Move::OldMovedAside);
                continue;
            }
            ::rename(asideOf(i).constData(), target.constData());
        }
        for (size_t back = moves.size(); back-- > 0;) {
            const QByteArray from = QFile::encodeName(m_destination + u'/' + m_topLevel[back]);
            const QByteArray to = Native(m_topLevel[back]);
            if (moves[back] == Move::Swapped) {
                SwapEntries(to, from);
                continue;
            }
            ::rename(from.constData(), to.constData());
            if (moves[back] == Move::OldMovedAside)
                ::rename(asideOf(back).constData(), from.constData());
        }
        return fail(m_topLevel[i]);
    }
    // The destination is followed as the caller names it.
    SyncPath(QFile::encodeName(m_destination), O_DIRECTORY);
    return true;
}
