#pragma once

#include "project/package.h" // GetPackageProjectName

#include <QString>

// Project names and paths as every project flow reads them, so that the file a dialog asks
// about is the file a flow writes.

// A project's name: the text before its first '.' (the whole text without one).
QString CutAtFirstDot(const QString& name);

// Whether a name (already cut) can name a project's folder and files: one safe path component.
bool IsUsableProjectName(const QString& name);

// A project file or package path as the open flow takes it: the title is the file name up to its
// first '.', and it is a package when the file name's last extension is "kdpp" in any letter
// case ("show.kdp.bak" is a project file).
struct ProjectPathParts {
    QString title;
    bool isPackage = false;
};
ProjectPathParts SplitProjectPath(const QString& path);
