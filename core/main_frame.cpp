#include "core/main_frame.h"

#include "core/boot_param.h"
#include "core/document.h"
#include "core/frame_view.h"
#include "core/long_work.h"
#include "core/message_box.h"
#include "core/product_picture.h"
#include "core/skin_ini.h"
#include "core/splash_wnd.h"
#include "platform/x11_windows.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcKaleidraInstance, "kaleidra.instance")

CMainFrame::CMainFrame(CMemMapped* bootMemory, QWidget* parent)
    : QMainWindow(parent)
    , m_bootMemory(bootMemory)
{
    setWindowTitle(QString::fromUtf16(kKaleidraCaption));
}

void CMainFrame::OnCreate()
{
    const CSkinIni* skin = ApplicationSkin();
    CSplashWnd::EnableSplashScreen(true);
    CSplashWnd::ShowSplashScreen(this, skin ? skin->GetSplashImage() : QString(), 0);
}

void CMainFrame::SetActiveView(QWidget* view)
{
    m_activeView = view;
    m_frameView = dynamic_cast<CFrameView*>(view);
    setCentralWidget(view);
}

int CMainFrame::OnBootParam()
{
    if (!m_activeView || (m_frameView && !m_frameView->HasCompletedFirstUpdate()))
        return -1;
    if (!m_bootMemory)
        return 0;
    const std::optional<QString> path = TakeBootParam(*m_bootMemory);
    if (!path)
        return 0;
    m_lastHandedOverPath = *path;
    qCInfo(lcKaleidraInstance).noquote() << "project path handed over:" << *path;
    emit ProjectPathHandedOver(*path);
    return 0;
}

void CMainFrame::OnViewReady()
{
    OnBootParam();
}

void CMainFrame::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !m_frameView || !m_frameView->HasCompletedFirstUpdate())
        return;
    const pid_t viewer = m_frameView->ViewerProcessId();
    if (viewer <= 0)
        return;
    const Qt::WindowStates state = windowState();
    const bool minimised = state.testFlag(Qt::WindowMinimized);
    // Maximising leaves the viewer alone; only minimising and coming back to normal count.
    if (!minimised && state.testFlag(Qt::WindowMaximized))
        return;
    const platform::NativeWindowId window = platform::FindTopLevelWindowOfProcess(viewer);
    if (!window)
        return;
    if (minimised)
        platform::MinimizeWindow(window);
    else
        platform::RestoreWindow(window);
}

void CMainFrame::OnTerminationSignal(int signalNumber)
{
    if (IsLongWorkRunning()) {
        AfterLongWork(this, [this, signalNumber] { OnTerminationSignal(signalNumber); });
        return;
    }
    if (m_endingOnSignal)
        return;
    if (!m_closingOnSignal) {
        qCInfo(lcKaleidraInstance) << "closing on signal" << signalNumber;
        m_closingOnSignal = true;
        // Closed, the editor is ending and later signals change nothing; kept by the user, a
        // later signal asks again.
        const bool closed = close();
        m_closingOnSignal = false;
        if (closed)
            m_endingOnSignal = true;
        return;
    }
    qCInfo(lcKaleidraInstance) << "ending on signal" << signalNumber << "while the close waits";
    m_endingOnSignal = true;
    if (m_document)
        m_document->CloseWithoutQuestion();
    // Every event loop returns, the question's among them (answered as by Escape).
    QCoreApplication::exit(0);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_document && (m_endingOnSignal || !m_document->SaveModified())) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void CMainFrame::BringToFront()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void CMainFrame::OnInstanceMessage(quint32 message)
{
    if (message == kBootParamMessage)
        OnBootParam();
    else if (message == kBringToFrontMessage)
        BringToFront();
}
