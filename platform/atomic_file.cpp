#include "platform/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

void SetError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString ErrnoText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// The file a write must replace: the target of a symbolic link, so that the link stays.
QString ResolveTarget(const QString& path)
{
    QString target = QFileInfo(path).absoluteFilePath();
    for (int depth = 0; depth < 32; ++depth) {
        const QFileInfo info(target);
        if (!info.isSymLink())
            break;
        target = info.symLinkTarget();
    }
    return target;
}

// The temporary file's name: "." + the target's name + "." + six random characters, with the
// target's name cut (at a character boundary) so that the whole fits a file name of NAME_MAX
// bytes, however long the target's name is.
QByteArray TemporaryName(const QByteArray& targetName)
{
    constexpr qsizetype kSuffixLength = 6;
    constexpr qsizetype kRoom = NAME_MAX - 2 - kSuffixLength;
    qsizetype keep = std::min(targetName.size(), kRoom);
    // Never keep half of a UTF-8 sequence: step back over continuation bytes.
    while (keep > 0 && keep < targetName.size() && (uchar(targetName[keep]) & 0xC0) == 0x80)
        --keep;
    static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray name = '.' + targetName.left(keep) + '.';
    for (qsizetype i = 0; i < kSuffixLength; ++i)
        name += kAlphabet[QRandomGenerator::system()->bounded(int(sizeof kAlphabet - 1))];
    return name;
}

// Creates the temporary file exclusively. The mode asked for is 0666: the kernel applies the
// umask (and a default ACL of the folder) itself, so nothing reads or changes the process's
// umask, which other threads rely on while they create files.
int CreateTemporaryFile(const QByteArray& folder, const QByteArray& targetName, QByteArray& path)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = folder + '/' + TemporaryName(targetName);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

bool WriteFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& writer, QString* error)
{
    const QString target = ResolveTarget(path);
    const QFileInfo targetInfo(target);
    const QByteArray folder = QFile::encodeName(targetInfo.absolutePath());

    struct stat existing { };
    const bool exists = ::stat(QFile::encodeName(target).constData(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        SetError(error, QStringLiteral("%1 is not a regular file").arg(target));
        return false;
    }

    QByteArray tempName;
    const int fd = CreateTemporaryFile(folder, QFile::encodeName(targetInfo.fileName()), tempName);
    if (fd < 0) {
        SetError(error,
            QStringLiteral("cannot create a temporary file in %1: %2")
                .arg(targetInfo.absolutePath(), ErrnoText(errno)));
        return false;
    }
    auto fail = [&](const QString& text) {
        ::unlink(tempName.constData());
        SetError(error, text);
        return false;
    };

    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(QStringLiteral("cannot open a temporary file: %1").arg(file.errorString()));
    }
    const bool written = writer(file);
    const bool flushed = written && file.flush();
    const QString writeError = file.errorString();
    const bool synced = flushed && ::fsync(fd) == 0;
    const int syncErrno = errno;
    // A new file keeps the mode it was created with; a replaced one keeps its own.
    const bool modeSet = synced && (!exists || ::fchmod(fd, existing.st_mode & 07777) == 0);
    file.close();
    if (!written || !flushed)
        return fail(QStringLiteral("cannot write %1: %2").arg(target, writeError));
    if (!synced)
        return fail(QStringLiteral("cannot write %1: %2").arg(target, ErrnoText(syncErrno)));
    if (!modeSet)
        return fail(QStringLiteral("cannot set the permissions of %1: %2").arg(target, ErrnoText(errno)));

    if (::rename(tempName.constData(), QFile::encodeName(target).constData()) != 0)
        return fail(QStringLiteral("cannot replace %1: %2").arg(target, ErrnoText(errno)));

    // Make the rename itself durable.
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    return WriteFileAtomically(
        path, [&](QIODevice& device) { return device.write(bytes) == bytes.size(); }, error);
}

} // namespace platform
