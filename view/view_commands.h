#pragma once

#include "view/view_records.h"

#include <QString>
#include <QStringList>

// The commands the view's set-up, a second start's hand-over and the viewer's keys reach: the
// start-up choice, the project flows, undo and redo. The view carries them out itself; a test
// installs its own to see what the view asks for.
class CViewCommandHandlers {
public:
    virtual ~CViewCommandHandlers() = default;

    // The start-up choice: 0 cancel, 1 a new project, 2 open one through the file dialog, 3 the
    // recent project returned in `recentPath`.
    virtual int RunStartupDialog(const QStringList& history, QString& recentPath) = 0;
    virtual bool NewProject() = 0;
    // Opens the project file or package at the path; with none the user picks one.
    virtual bool OpenProject(const QString* path) = 0;
    // A path handed over by a second start: asks about the open project first, then opens it.
    virtual bool OpenProjectFile(const QString& path) = 0;
    virtual bool SaveProject() = 0;
    virtual void Undo() = 0;
    virtual void Redo() = 0;
    // Corners the user moved in the viewer, after the timeline took them: one undo operation.
    virtual void RecordFaceCorners(const FaceCornerRecord& corners) = 0;
};

// The package side of the project flows, carried by the package component: a project opened
// from a package has its media paths pointed into the package's data and mask folders, and is
// saved back into its package.
class CPackageFlows {
public:
    virtual ~CPackageFlows() = default;
    // Points every item's media path of the project whose XML lies in `projectFolder` into the
    // data folder and every mask path into the mask folder; false (the user was told) on failure.
    virtual bool RebaseMediaPaths(const QString& projectXml,
        const QString& projectFolder,
        const QString& dataFolder,
        const QString& maskFolder)
        = 0;
    // Saves the open project, which came from a package, into that package.
    virtual bool SavePackageProject() = 0;
};
