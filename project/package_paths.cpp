#include "project/package_paths.h"

#include "platform/paths.h"

#include <QFileInfo>

namespace {

// A path that names something: a file, a folder, or a link to one.
bool Exists(const QString& path)
{
    return QFileInfo::exists(path);
}

// The checks of a file field: empty, missing, a folder, another kind of file.
int CheckFile(const QString& path, int emptyMessage, const QString& extension, int wrongKindMessage)
{
    if (path.isEmpty())
        return emptyMessage;
    if (!Exists(path))
        return emptyMessage + 1;
    if (QFileInfo(path).isDir())
        return emptyMessage + 2;
    if (!HasExtension(path, extension))
        return wrongKindMessage;
    return 0;
}

int CheckFolder(const QString& path, int emptyMessage)
{
    if (path.isEmpty())
        return emptyMessage;
    // Something that is not a folder cannot take the files either.
    return QFileInfo(path).isDir() ? 0 : emptyMessage + 1;
}

} // namespace

bool HasExtension(const QString& path, const QString& extension)
{
    const QString name = platform::FileNameOf(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && name.mid(dot + 1).compare(extension, Qt::CaseInsensitive) == 0;
}

QString FolderWithOneSeparator(const QString& folder)
{
    QString trimmed = folder;
    while (trimmed.endsWith(QLatin1Char('/')) || trimmed.endsWith(QLatin1Char('\\')))
        trimmed.chop(1);
    return trimmed + QLatin1Char('/');
}

PackagePathCheck CheckExportPaths(const QString& outputFolder, const QString& projectFile)
{
    if (const int message = CheckFolder(outputFolder, 8))
        return { message, kExportOutputFolder };
    if (const int message = CheckFile(projectFile, 10, QStringLiteral("kdp"), 13))
        return { message, kExportProjectFile };
    return {};
}

PackagePathCheck CheckImportPaths(
    const QString& packageFile, const QString& projectFolder, const QString& dataFolder)
{
    if (const int message = CheckFile(packageFile, 14, QStringLiteral("kdpp"), 17))
        return { message, kImportPackageFile };
    if (const int message = CheckFolder(projectFolder, 18))
        return { message, kImportProjectFolder };
    if (const int message = CheckFolder(dataFolder, 20))
        return { message, kImportDataFolder };
    return {};
}
