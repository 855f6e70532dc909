#include "platform/runtime_folder.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool IsPrivateFolder(const QString& path, QString* why)
{
    auto refuse = [&](const QString& reason) {
        if (why)
            *why = QStringLiteral("%1: %2").arg(path, reason);
        return false;
    };
    if (path.isEmpty() || !path.startsWith(QLatin1Char('/')))
        return refuse(QStringLiteral("not an absolute path"));
    struct stat info { };
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return refuse(QString::fromLocal8Bit(std::strerror(errno)));
    if (!S_ISDIR(info.st_mode))
        return refuse(QStringLiteral("not a folder"));
    if (info.st_uid != ::geteuid())
        return refuse(QStringLiteral("owned by another user"));
    if (info.st_mode & 077)
        return refuse(QStringLiteral("open to other users"));
    return true;
}

std::optional<QString> UserRuntimeFolder(QString* error)
{
    QString reasons;
    auto note = [&](const QString& why) {
        if (!reasons.isEmpty())
            reasons += QStringLiteral("; ");
        reasons += why;
    };
    QString why;
    const QString fromEnvironment = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!fromEnvironment.isEmpty()) {
        if (IsPrivateFolder(fromEnvironment, &why))
            return fromEnvironment;
        note(why);
    }
    const QString uid = QString::number(::geteuid());
    const QString systemFolder = QStringLiteral("/run/user/") + uid;
    if (IsPrivateFolder(systemFolder, &why))
        return systemFolder;
    note(why);
    // A fixed path, not the temporary folder of the environment: every process of the user
    // must find the same folder. mkdir never follows a planted link, and a folder planted by
    // another user fails the check below.
    const QString fallback = QStringLiteral("/tmp/kaleidra-") + uid;
    if (::mkdir(QFile::encodeName(fallback).constData(), 0700) != 0 && errno != EEXIST)
        note(QStringLiteral("%1: %2").arg(fallback, QString::fromLocal8Bit(std::strerror(errno))));
    else if (IsPrivateFolder(fallback, &why))
        return fallback;
    else
        note(why);
    if (error)
        *error = QStringLiteral("no private runtime folder: ") + reasons;
    return std::nullopt;
}

} // namespace platform
