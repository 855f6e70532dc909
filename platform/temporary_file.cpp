#include "platform/temporary_file.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

constexpr qsizetype kRandomLength = 6;
// Folders are descended this deep at most when a tree is cleaned: deeper ones are no project's.
constexpr int kMaxCleanDepth = 64;

// "." + the target's name cut (never inside a UTF-8 sequence) so that the whole temporary name,
// with its "." and random part, fits a file name of NAME_MAX bytes + ".".
QByteArray TemporaryPrefix(const QByteArray& targetName)
{
    constexpr qsizetype kRoom = NAME_MAX - 2 - kRandomLength;
    qsizetype keep = std::min(targetName.size(), kRoom);
    while (keep > 0 && keep < targetName.size() && (uchar(targetName[keep]) & 0xC0) == 0x80)
        --keep;
    return '.' + targetName.left(keep) + '.';
}

QByteArray TemporaryName(const QByteArray& prefix)
{
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    quint32 random[kRandomLength];
    QRandomGenerator::global()->fillRange(random);
    QByteArray name = prefix;
    for (const quint32 value : random)
        name += kAlphabet[value % (sizeof kAlphabet - 1)];
    return name;
}

bool IsRandomPart(const char* text)
{
    for (qsizetype i = 0; i < kRandomLength; ++i) {
        const char c = text[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// "." + at least one character + "." + the random part.
bool IsTemporaryName(const QByteArray& name)
{
    const qsizetype size = name.size();
    return size >= kRandomLength + 3 && name[0] == '.' && name[size - kRandomLength - 1] == '.'
        && IsRandomPart(name.constData() + size - kRandomLength);
}

bool IsTemporaryNameOf(const QByteArray& name, const QByteArray& prefix)
{
    return name.size() == prefix.size() + kRandomLength && name.startsWith(prefix)
        && IsRandomPart(name.constData() + prefix.size());
}

// The user the thread creates and removes files as (see CActAsFileOwner): setfsuid with an id
// that is no user's changes nothing and tells the current one.
uid_t FileSystemUser()
{
    return uid_t(::setfsuid(uid_t(-1)));
}

// Removes the file when it is a regular file of the running user that no writer has locked.
// The lock is taken first and the name checked to be that file still, so neither a write in
// progress nor a file put in its place meanwhile is removed.
void RemoveIfAbandoned(int folder, const char* name)
{
    const int fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat opened { };
    struct stat named { };
    if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == FileSystemUser()
        && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 && opened.st_nlink > 0
        && ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == opened.st_dev
        && named.st_ino == opened.st_ino)
        ::unlinkat(folder, name, 0);
    ::close(fd);
}

// The names in the open folder, read through a descriptor of its own.
std::vector<QByteArray> NamesIn(int folder)
{
    std::vector<QByteArray> names;
    const int copy = ::dup(folder);
    DIR* dir = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!dir) {
        if (copy >= 0)
            ::close(copy);
        return names;
    }
    while (const dirent* entry = ::readdir(dir))
        names.emplace_back(entry->d_name);
    ::closedir(dir);
    return names;
}

// The folder a caller names, followed as given: a link there is the caller's choice.
int OpenFolder(const QByteArray& path)
{
    return ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

void RemoveBelow(int folder, int depth)
{
    for (const QByteArray& name : NamesIn(folder)) {
        if (name == "." || name == "..")
            continue;
        if (IsTemporaryName(name)) {
            RemoveIfAbandoned(folder, name.constData());
            continue;
        }
        struct stat status { };
        if (depth >= kMaxCleanDepth || ::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0
            || !S_ISDIR(status.st_mode))
            continue;
        const int subfolder
            = ::openat(folder, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (subfolder >= 0) {
            RemoveBelow(subfolder, depth + 1);
            ::close(subfolder);
        }
    }
}

// The temporaries found in each folder the first time the process wrote into it, not yet looked
// at. A folder is read once: a write of many files into one folder (the thumbnails of a face)
// would otherwise read it once per file.
class CAbandonedTemporaries {
public:
    // Removes the temporaries of the target in the folder that nobody holds.
    void RemoveOf(const QByteArray& folder, const QByteArray& prefix)
    {
        std::vector<QByteArray> candidates;
        {
            const std::lock_guard lock(m_mutex);
            auto found = m_candidates.find(folder);
            if (found == m_candidates.end()) {
                // The list is a cache: it is started again rather than grown without bound.
                if (m_candidates.size() >= kMaxFolders)
                    m_candidates.clear();
                found = m_candidates.insert(folder, TemporariesIn(folder));
            }
            auto& names = found.value();
            const auto ofTarget = std::stable_partition(names.begin(), names.end(),
                [&prefix](const QByteArray& name) { return !IsTemporaryNameOf(name, prefix); });
            candidates.assign(ofTarget, names.end());
            names.erase(ofTarget, names.end());
        }
        if (candidates.empty())
            return;
        const int fd = OpenFolder(folder);
        if (fd < 0)
            return;
        for (const QByteArray& name : candidates)
            RemoveIfAbandoned(fd, name.constData());
        ::close(fd);
    }

private:
    static constexpr qsizetype kMaxFolders = 4096;

    static std::vector<QByteArray> TemporariesIn(const QByteArray& folder)
    {
        std::vector<QByteArray> temporaries;
        const int fd = OpenFolder(folder);
        if (fd < 0)
            return temporaries;
        for (QByteArray& name : NamesIn(fd)) {
            if (IsTemporaryName(name))
                temporaries.push_back(std::move(name));
        }
        ::close(fd);
        return temporaries;
    }

    std::mutex m_mutex;
    QHash<QByteArray, std::vector<QByteArray>> m_candidates;
};

CAbandonedTemporaries& AbandonedTemporaries()
{
    static CAbandonedTemporaries temporaries;
    return temporaries;
}

void SyncFolder(const QByteArray& folder)
{
    const int fd = OpenFolder(folder);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

CTemporaryFile::CTemporaryFile(const QString& target, mode_t mode)
{
    const QFileInfo info(target);
    m_target = QFile::encodeName(info.absoluteFilePath());
    m_folder = QFile::encodeName(info.absolutePath());
    const QByteArray& folder = m_folder;
    const QByteArray prefix = TemporaryPrefix(QFile::encodeName(info.fileName()));
    // The temporaries a crashed writer of the same target left in the folder.
    AbandonedTemporaries().RemoveOf(folder, prefix);
    for (int attempt = 0; attempt < 100; ++attempt) {
        m_path = folder + '/' + TemporaryName(prefix);
        const int fd = ::open(m_path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            break;
        // Between the creation and the lock a cleaner may have taken the file for abandoned: it
        // then holds the lock or has removed the file, and another name is tried. A file system
        // without locks leaves the file unlocked, and no cleaner can take it either.
        struct stat status { };
        const bool taken = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        if (!taken && ::fstat(fd, &status) == 0 && status.st_nlink > 0) {
            m_fd = fd;
            return;
        }
        ::unlink(m_path.constData());
        ::close(fd);
    }
    m_error = errno;
    m_path.clear();
}

CTemporaryFile::~CTemporaryFile()
{
    if (m_fd < 0)
        return;
    // Removed while still locked, so no cleaner ever meets it unlocked.
    if (!m_renamed)
        ::unlink(m_path.constData());
    ::close(m_fd);
}

bool CTemporaryFile::RenameOverTarget()
{
    if (m_fd < 0 || m_renamed) {
        errno = EBADF;
        return false;
    }
    if (::rename(m_path.constData(), m_target.constData()) != 0)
        return false;
    m_renamed = true;
    // Without this a crash may leave the old file, or none, once the write was reported done.
    SyncFolder(m_folder);
    return true;
}

bool IsTemporaryFileName(const QString& fileName)
{
    return IsTemporaryName(QFile::encodeName(fileName));
}

void RemoveAbandonedTemporaries(const QString& target)
{
    // The temporaries lie beside the file a link leads to, where its writers write.
    const QString resolved = QFileInfo(target).canonicalFilePath();
    const QFileInfo info(resolved.isEmpty() ? target : resolved);
    const QByteArray prefix = TemporaryPrefix(QFile::encodeName(info.fileName()));
    const int folder = OpenFolder(QFile::encodeName(info.absolutePath()));
    if (folder < 0)
        return;
    for (const QByteArray& name : NamesIn(folder)) {
        if (IsTemporaryNameOf(name, prefix))
            RemoveIfAbandoned(folder, name.constData());
    }
    ::close(folder);
}

void RemoveAbandonedTemporariesBelow(const QString& folder)
{
    const int fd = OpenFolder(QFile::encodeName(folder));
    if (fd < 0)
        return;
    RemoveBelow(fd, 0);
    ::close(fd);
}

} // namespace platform
