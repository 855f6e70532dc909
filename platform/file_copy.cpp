#include "platform/file_copy.h"

#include "platform/temporary_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Closes a descriptor on every way out.
class CFileDescriptor {
public:
    explicit CFileDescriptor(int fd)
        : m_fd(fd)
    {
    }
    ~CFileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;

    int Get() const { return m_fd; }

private:
    int m_fd;
};

bool WriteAll(int fd, const char* bytes, ssize_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= written;
    }
    return true;
}

bool CopyBytes(int from, int to)
{
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (!WriteAll(to, buffer, got))
            return false;
    }
}

constexpr int kOpenSource = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;

// Opens the source without following a link at its end or, when a root is given, in any of its
// folders below that root, even one that was put there after the tree was listed. The root's
// own path is the program's choice and is followed as it is.
int OpenSource(const QString& source, const QString& root)
{
    if (root.isEmpty())
        return ::open(QFile::encodeName(source).constData(), kOpenSource);
    const QString relative = QDir(root).relativeFilePath(source);
    if (relative.isEmpty() || relative.startsWith(u"..") || QDir::isAbsolutePath(relative))
        return -1;
    const QStringList parts = relative.split(u'/');
    int folder = ::open(QFile::encodeName(root).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (qsizetype index = 0; folder >= 0 && index + 1 < parts.size(); ++index) {
        const int next = ::openat(folder, QFile::encodeName(parts[index]).constData(),
            O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
        ::close(folder);
        folder = next;
    }
    if (folder < 0)
        return -1;
    const int file = ::openat(folder, QFile::encodeName(parts.last()).constData(), kOpenSource);
    ::close(folder);
    return file;
}

bool TargetMayBeReplaced(const QByteArray& target)
{
    struct stat status { };
    if (::lstat(target.constData(), &status) != 0)
        return errno == ENOENT;
    if (S_ISLNK(status.st_mode))
        return true;
    return S_ISREG(status.st_mode) && (status.st_mode & S_IWUSR) != 0;
}

} // namespace

bool MakeFolderTree(const QString& path, const std::optional<FileOwner>& owner)
{
    const CActAsFileOwner actAsOwner(owner);
    if (!actAsOwner.Ok())
        return false;
    const QString absolute = QDir::cleanPath(QDir(path).absolutePath());
    QString prefix;
    for (const QString& part : absolute.split(u'/', Qt::SkipEmptyParts)) {
        prefix += u'/' + part;
        if (::mkdir(QFile::encodeName(prefix).constData(), 0777) != 0 && errno != EEXIST)
            return false;
    }
    return QFileInfo(absolute).isDir();
}

bool CopyFileReplacing(const QString& source, const QString& target, const CopyOptions& options)
{
    const QByteArray targetPath = QFile::encodeName(target);
    // O_NONBLOCK: opening a pipe must not wait for a writer before it is refused.
    CFileDescriptor input(OpenSource(source, options.sourceRoot));
    struct stat status { };
    if (input.Get() < 0 || ::fstat(input.Get(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    // The source is read with the program's own rights, the target side is reached as its owner.
    const CActAsFileOwner actAsOwner(options.owner);
    if (!actAsOwner.Ok() || !TargetMayBeReplaced(targetPath))
        return false;

    CTemporaryFile temporary(target, 0600);
    if (!temporary.IsOpen())
        return false;
    const int output = temporary.Descriptor();
    mode_t mode = status.st_mode & 0777;
    if (options.makeWritable)
        mode |= S_IWUSR;
    // The copy keeps the source's modification time, as a copied program file does.
    const timespec times[2] = { status.st_atim, status.st_mtim };
    return CopyBytes(input.Get(), output) && ::fchmod(output, mode) == 0 && ::futimens(output, times) == 0
        && ::fsync(output) == 0 && temporary.RenameOverTarget();
}

} // namespace platform
