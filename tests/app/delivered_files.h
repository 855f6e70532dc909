#pragma once

#include <QDir>
#include <QString>

// Where the build delivers the programs' data files, and the sources they are documented in.
inline QString ProgramFolderOfBuild()
{
    return QStringLiteral(KALEIDRA_BUILD_PROGRAM_FOLDER);
}

inline QString DeliveredFile(const QString& relative)
{
    return QDir(ProgramFolderOfBuild()).filePath(relative);
}

inline QString SourceFile(const QString& relative)
{
    return QDir(QStringLiteral(KALEIDRA_SOURCE_FOLDER)).filePath(relative);
}
