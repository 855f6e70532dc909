#pragma once

#include <QObject>
#include <QSize>
#include <QString>
#include <QWidget>

class CMainFrame;

// Stand-ins for the editor's settings document and main view until those exist: enough for the
// editor to start, show its main window and take a project path handed over by a second start.
// They keep the paths they were given and nothing else.

class CShellDocument final : public QObject {
    Q_OBJECT
public:
    // A path named on the command line; kept for the view.
    bool OpenDocumentFile(const QString& path);
    QString PathToOpen() const { return m_pathToOpen; }

private:
    QString m_pathToOpen;
};

class CShellView final : public QWidget {
    Q_OBJECT
public:
    CShellView(CMainFrame& frame, CShellDocument& document);

    // What the real view's open-project-from-path operation will be called with.
    void OpenProjectFile(const QString& path);
    QString RequestedProject() const { return m_requestedProject; }

    // The main window's size until the real view places it.
    QSize sizeHint() const override { return QSize(1280, 720); }

private:
    CShellDocument& m_document;
    QString m_requestedProject;
};
