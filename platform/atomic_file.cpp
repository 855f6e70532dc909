#include "platform/atomic_file.h"

#include "platform/temporary_file.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
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

} // namespace

bool WriteFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& writer, QString* error)
{
    const QString target = ResolveTarget(path);
    const QFileInfo targetInfo(target);

    struct stat existing { };
    const bool exists = ::stat(QFile::encodeName(target).constData(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        SetError(error, QStringLiteral("%1 is not a regular file").arg(target));
        return false;
    }

    // Removed on every way out unless it has become the target.
    CTemporaryFile temporary(target, 0666);
    if (!temporary.IsOpen()) {
        SetError(error,
            QStringLiteral("cannot create a temporary file in %1: %2")
                .arg(targetInfo.absolutePath(), ErrnoText(temporary.Error())));
        return false;
    }
    const int fd = temporary.Descriptor();
    QFile file;
    if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
        SetError(error, QStringLiteral("cannot open a temporary file: %1").arg(file.errorString()));
        return false;
    }
    const bool written = writer(file);
    const bool flushed = written && file.flush();
    const QString writeError = file.errorString();
    const bool synced = flushed && ::fsync(fd) == 0;
    const int syncErrno = errno;
    // A new file keeps the mode it was created with; a replaced one keeps its own.
    const bool modeSet = synced && (!exists || ::fchmod(fd, existing.st_mode & 07777) == 0);
    const int modeErrno = errno;
    file.close();
    if (!written || !flushed) {
        SetError(error, QStringLiteral("cannot write %1: %2").arg(target, writeError));
        return false;
    }
    if (!synced) {
        SetError(error, QStringLiteral("cannot write %1: %2").arg(target, ErrnoText(syncErrno)));
        return false;
    }
    if (!modeSet) {
        SetError(
            error, QStringLiteral("cannot set the permissions of %1: %2").arg(target, ErrnoText(modeErrno)));
        return false;
    }
    if (!temporary.RenameOverTarget()) {
        SetError(error, QStringLiteral("cannot replace %1: %2").arg(target, ErrnoText(errno)));
        return false;
    }
    return true;
}

bool WriteFileAtomically(const QString& path, const QByteArray& bytes, QString* error)
{
    return WriteFileAtomically(
        path, [&](QIODevice& device) { return device.write(bytes) == bytes.size(); }, error);
}

} // namespace platform
