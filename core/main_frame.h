#pragma once

#include <QMainWindow>
#include <QString>
#include <cstdint>

class CDocument;
class CFrameView;
class CMemMapped;

// Messages a second start sends to the running editor.
inline constexpr quint32 kBootParamMessage = 0x0401; // a project path waits in the boot block
inline constexpr quint32 kBringToFrontMessage = 0x8001; // raise the main window

// The editor's top-level window around the main view. It receives the project path that a
// second start of the editor hands over and passes it on to the view.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // bootMemory is the boot-parameter block; it may be null or unmapped when the block could not
    // be mapped.
    explicit CMainFrame(CMemMapped* bootMemory, QWidget* parent = nullptr);

    // After the frame is made: shows the splash over it.
    void OnCreate();
    // The document whose closing question runs before the frame closes.
    void SetDocument(CDocument* document) { m_document = document; }

    // The view shown in the frame; the frame takes ownership. A view that implements
    // CFrameView tells the frame when it is set up and which viewer it runs.
    void SetActiveView(QWidget* view);
    QWidget* ActiveView() const { return m_activeView; }

    // Takes the handed-over path: -1 without an active view, or while the view has not been
    // set up (the path keeps waiting), else 0. A waiting path is passed on with
    // ProjectPathHandedOver and the block is freed.
    int OnBootParam();
    // The view has completed its first update: a path handed over before then is taken now.
    void OnViewReady();
    // A termination signal (a logout, a stop request). The first runs the window's close with
    // its question; another one while that close is still open (its question waits for an
    // answer) ends the editor at once, as a confirmed close does but without closing the
    // project, so the work folder keeps the edits. While long work runs the signal waits for it.
    void OnTerminationSignal(int signalNumber);
    void BringToFront();
    // Dispatches a message of a second start.
    void OnInstanceMessage(quint32 message);

    // The last path handed over by a second start.
    QString LastHandedOverPath() const { return m_lastHandedOverPath; }

protected:
    // Minimising and restoring the editor minimise and restore the viewer's window with it.
    void changeEvent(QEvent* event) override;
    // The document's closing question decides whether the editor closes.
    void closeEvent(QCloseEvent* event) override;

signals:
    // The view opens the project (asking about the open one first).
    void ProjectPathHandedOver(const QString& path);

private:
    CMemMapped* m_bootMemory = nullptr;
    QWidget* m_activeView = nullptr;
    CFrameView* m_frameView = nullptr;
    CDocument* m_document = nullptr;
    bool m_closingOnSignal = false;
    bool m_endingOnSignal = false;
    QString m_lastHandedOverPath;
};
