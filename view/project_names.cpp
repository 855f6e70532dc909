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
