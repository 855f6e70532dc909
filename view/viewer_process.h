#pragma once

#include "platform/child_process.h"
#include "view/viewer_channel.h"

#include <QRect>
#include <QString>
#include <QStringList>

// The viewer program the view starts and ends: "Luxviewer x y width height" from the program
// folder, in a process group of its own.
class CViewerProcess final : public CViewerLiveness {
public:
    static constexpr int kStartIdleWaitMs = 20000;

    CViewerProcess();

    // The program and the arguments put before the rectangle (a test's stand-in or
    // "--headless"); the program folder's Luxviewer without arguments by default.
    void SetProgram(const QString& program, const QStringList& leadingArguments = {});
    QString Program() const { return m_program; }

    // Starts the viewer on the output rectangle; false when it could not be started.
    bool Start(const QRect& output);
    bool HasProcess() const { return m_child.HasProcess(); }
    bool IsViewerRunning() override { return m_child.IsRunning(); }
    pid_t ProcessId() const { return m_child.ProcessId(); }
    // After the quit command: up to waitMs for the viewer to end by itself, then it is
    // terminated (and killed if need be); always reaped, and the process is let go.
    void EndAfterQuit(int waitMs);
    // Lets an ended viewer go.
    void ReleaseEnded();

private:
    platform::CChildProcess m_child;
    QString m_program;
    QStringList m_leadingArguments;
};
