#include "view/project_names.h"

#include "platform/paths.h"
#include "project/zip_file.h"

#include <QStringList>

QString CutAtFirstDot(const QString& name)
{
    const qsizetype dot = name.indexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

bool IsUsableProjectName(const QString& name)
{
    return platform::IsSafeComponent(name);
}

ProjectPathParts SplitProjectPath(const QString& path)
{
    const QString fileName = platform::FileNameOf(path);
    ProjectPathParts parts;
    parts.title = CutAtFirstDot(fileName);
    const qsizetype lastDot = fileName.lastIndexOf(u'.');
    parts.isPackage
        = lastDot > 0 && fileName.mid(lastDot + 1).compare(QLatin1String("kdpp"), Qt::CaseInsensitive) == 0;
    return parts;
}

QString GetPackageProjectName(const QString& archive)
{
    CZipFile zip;
    QStringList entries;
    if (!zip.ReadZipFile(archive, entries) || entries.isEmpty())
        return QString();
    const QString& first = entries.front();
    qsizetype separator = first.indexOf(u'\\');
    if (separator <= 0)
        separator = first.indexOf(u'/');
    if (separator <= 0)
        return QString();
    QString name = first.left(separator);
    if (name.endsWith(QLatin1String("_Package")))
        name.chop(8);
    return name;
}
