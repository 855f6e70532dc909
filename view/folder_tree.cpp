#include "view/folder_tree.h"

#include "platform/file_copy.h"
#include "view/work_folder.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kDeleteTries = 5;
constexpr int kRenameTries = 10;
constexpr auto kRetryDelay = std::chrono::milliseconds(100);

// A descriptor closed on every way out.
class CDescriptor {
public:
    explicit CDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~CDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CDescriptor(const CDescriptor&) = delete;
    CDescriptor& operator=(const CDescriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

QByteArray Native(const QString& path)
{
    return QFile::encodeName(path);
}

QString WithoutTrailingSlashes(QString path)
{
    while (path.size() > 1 && (path.endsWith(u'/') || path.endsWith(u'\\')))
        path.chop(1);
    return path;
}

// Errors a later try may not meet again (a file still in use elsewhere, an interrupted call).
bool MayPass(int error)
{
    return error == EBUSY || error == ETXTBSY || error == EINTR || error == EAGAIN;
}

// Runs the step until it succeeds or fails for good; an entry that is already gone counts as
// done.
bool Retry(int tries, const std::function<int()>& step)
{
    for (int attempt = 1;; ++attempt) {
        if (step() == 0 || errno == ENOENT)
            return true;
        if (attempt >= tries || !MayPass(errno))
            return false;
        std::this_thread::sleep_for(kRetryDelay);
    }
}

// The names in an open folder, without "." and "..", sorted.
bool ReadNames(int folder, std::vector<QByteArray>& names)
{
    const int copy = ::dup(folder);
    if (copy < 0)
        return false;
    DIR* dir = ::fdopendir(copy);
    if (!dir) {
        ::close(copy);
        return false;
    }
    ::rewinddir(dir);
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.push_back(name);
        errno = 0;
    }
    const bool complete = errno == 0;
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return complete;
}

constexpr int kOpenFolder = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW;

// Deletes what the open folder holds; a subfolder is opened from its parent without following
// a link, so nothing outside the tree is reached even when an entry is swapped meanwhile.
bool DeleteContents(int folder)
{
    std::vector<QByteArray> names;
    if (!ReadNames(folder, names))
        return false;
    for (const QByteArray& name : names) {
        struct stat status { };
        if (::fstatat(folder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT)
                continue;
            return false;
        }
        if (S_ISDIR(status.st_mode)) {
            const CDescriptor subfolder(::openat(folder, name.constData(), kOpenFolder));
            if (subfolder.Get() < 0 || !DeleteContents(subfolder.Get()))
                return false;
            if (!Retry(kDeleteTries, [&] { return ::unlinkat(folder, name.constData(), AT_REMOVEDIR); }))
                return false;
        } else if (!Retry(kDeleteTries, [&] { return ::unlinkat(folder, name.constData(), 0); })) {
            return false;
        }
    }
    return true;
}

bool CopyContents(const QString& source, const QString& root, int sourceFolder, const QString& target)
{
    std::vector<QByteArray> names;
    if (!ReadNames(sourceFolder, names))
        return false;
    for (const QByteArray& name : names) {
        struct stat status { };
        if (::fstatat(sourceFolder, name.constData(), &status, AT_SYMLINK_NOFOLLOW) != 0)
            return false;
        const QString entry = QFile::decodeName(name);
        const QString from = source + u'/' + entry;
        const QString to = target + u'/' + entry;
        if (S_ISDIR(status.st_mode)) {
            const CDescriptor subfolder(::openat(sourceFolder, name.constData(), kOpenFolder));
            if (subfolder.Get() < 0 || !MakeFolderPath(to) || !CopyContents(from, root, subfolder.Get(), to))
                return false;
        } else if (S_ISREG(status.st_mode)) {
            platform::CopyOptions options;
            options.sourceRoot = root;
            if (!platform::CopyFileReplacing(from, to, options))
                return false;
        }
    }
    return true;
}

bool IsFolder(const QString& path)
{
    struct stat status { };
    return ::lstat(Native(path).constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

} // namespace

bool MakeFolderPath(const QString& path)
{
    if (path.isEmpty())
        return false;
    // A link where a folder of the path should be is not made into one by following it.
    struct stat status { };
    const QString folder = WithoutTrailingSlashes(path);
    if (::lstat(Native(folder).constData(), &status) == 0)
        return S_ISDIR(status.st_mode);
    return platform::MakeFolderTree(folder) && IsFolder(folder);
}

bool DeleteFolderTree(const QString& folder)
{
    const QString path = WithoutTrailingSlashes(folder);
    if (path.isEmpty())
        return false;
    const QByteArray native = Native(path);
    struct stat status { };
    if (::lstat(native.constData(), &status) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(status.st_mode))
        return Retry(kDeleteTries, [&] { return ::unlink(native.constData()); });
    {
        const CDescriptor opened(::open(native.constData(), kOpenFolder));
        if (opened.Get() < 0 || !DeleteContents(opened.Get()))
            return false;
    }
    return Retry(kDeleteTries, [&] { return ::rmdir(native.constData()); });
}

bool CopyFolderTree(const QString& source, const QString& target)
{
    const QString from = WithoutTrailingSlashes(source);
    const QString to = WithoutTrailingSlashes(target);
    if (from.isEmpty() || to.isEmpty())
        return false;
    const CDescriptor opened(::open(Native(from).constData(), kOpenFolder));
    if (opened.Get() < 0 || !MakeFolderPath(to))
        return false;
    return CopyContents(from, from, opened.Get(), to);
}

bool MoveFolderTree(const QString& source, const QString& target)
{
    const QString from = WithoutTrailingSlashes(source);
    const QString to = WithoutTrailingSlashes(target);
    struct stat status { };
    if (::lstat(Native(from).constData(), &status) != 0)
        return errno == ENOENT;
    if (!S_ISDIR(status.st_mode))
        return false;
    if (::lstat(Native(to).constData(), &status) != 0 && errno == ENOENT) {
        if (::rename(Native(from).constData(), Native(to).constData()) == 0)
            return true;
    }
    return CopyFolderTree(from, to) && DeleteFolderTree(from);
}

bool RenameFileRetry(const QString& from, const QString& to)
{
    const QByteArray source = Native(from);
    const QByteArray target = Native(to);
    for (int attempt = 1;; ++attempt) {
        if (::rename(source.constData(), target.constData()) == 0)
            return true;
        if (attempt >= kRenameTries || !MayPass(errno))
            return false;
        std::this_thread::sleep_for(kRetryDelay);
    }
}

bool ClearWorkFolder(const QString& workFolder)
{
    if (!IsAcceptableWorkFolder(workFolder))
        return false;
    const CDescriptor opened(::open(Native(workFolder).constData(), kOpenFolder));
    return opened.Get() >= 0 && DeleteContents(opened.Get());
}

int ListFolderFiles(const QString& folder, QStringList& files)
{
    files.clear();
    const QString path = WithoutTrailingSlashes(folder);
    const CDescriptor opened(path.isEmpty() ? -1 : ::open(Native(path).constData(), kOpenFolder));
    std::vector<QByteArray> names;
    if (opened.Get() < 0 || !ReadNames(opened.Get(), names))
        return 0;
    for (const QByteArray& name : names) {
        struct stat status { };
        if (::fstatat(opened.Get(), name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0
            && S_ISREG(status.st_mode))
            files << path + u'/' + QFile::decodeName(name);
    }
    return int(files.size());
}

QString MakeTemporaryFolder(const QString& parent)
{
    QByteArray pattern = Native(WithoutTrailingSlashes(parent) + QStringLiteral("/tmpXXXXXX"));
    if (!::mkdtemp(pattern.data()))
        return QString();
    return QFile::decodeName(pattern);
}
