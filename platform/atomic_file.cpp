#include "platform/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
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

QString ErrnoText(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

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

mode_t CurrentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

} // namespace

bool WriteFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& writer, QString* error)
{
    const QString target = ResolveTarget(path);
    const QFileInfo targetInfo(target);
    const QByteArray folder = QFile::encodeName(targetInfo.absolutePath());

    struct stat existing {};
    const bool exists = ::stat(QFile::encodeName(target).constData(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        SetError(error, QStringLiteral("%1 is not a regular file").arg(target));
        return false;
    }

    QByteArray tempName = folder + "/." + QFile::encodeName(targetInfo.fileName()) + ".XXXXXX";
    const int fd = ::mkostemp(tempName.data(), O_CLOEXEC);
    if (fd < 0) {
        SetError(error, QStringLiteral("cannot create a temporary file in %1: %2")
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
    const mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~CurrentUmask());
    const bool modeSet = synced && ::fchmod(fd, mode) == 0;
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
