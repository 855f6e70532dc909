#include "platform/paths.h"

#include <QFileInfo>

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
