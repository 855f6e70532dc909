#include "platform/paths.h"

#include <QFile>
#include <QFileInfo>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

QString JoinPath(QStringView folder, QStringView name)
{
    while (!folder.isEmpty() && (folder.back() == u'/' || folder.back() == u'\\') && folder.size() > 1)
        folder.chop(1);
    while (!name.isEmpty() && (name.front() == u'/' || name.front() == u'\\'))
        name = name.mid(1);
    if (folder.isEmpty())
        return name.toString();
    if (folder == u"/")
        return QStringLiteral("/") + name.toString();
    if (name.isEmpty())
        return folder.toString();
    return folder.toString() + QLatin1Char('/') + name.toString();
}

QString FileNameOf(QStringView path)
{
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(slash + 1).toString();
}

QString DataFilePathToLocal(QStringView path)
{
    QString local = path.toString();
    local.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return local;
}

bool IsRegularFile(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}

int OpenRegularFileForReading(const QString& path, LinkHandling links)
{
    const int noFollow = links == LinkHandling::Refuse ? O_NOFOLLOW : 0;
    const int fd = ::open(
        QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | noFollow | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat info { };
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    // Reads of a regular file never block; the flag only kept the open itself from waiting.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool OpenRegularFile(QFile& file, const QString& path)
{
    const int fd = OpenRegularFileForReading(path, LinkHandling::Follow);
    if (fd < 0)
        return false;
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

bool IsDirectory(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && info.isDir();
}

bool IsSafeComponent(QStringView name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c == u':' || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return name.toUtf8().size() <= 255;
}

} // namespace platform
