#pragma once

#include "view/view_records.h"

#include <QString>
#include <QStringList>

// The commands the view's set-up, a second start's hand-over and the viewer's keys reach but
// that the project flows, undo and the edit commands carry out. The view calls them through
// this interface; without an implementation installed they do nothing and answer no.
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
