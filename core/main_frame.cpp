#include "core/main_frame.h"

#include "core/boot_param.h"
#include "core/message_box.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcKaleidraInstance, "kaleidra.instance")

CMainFrame::CMainFrame(CMemMapped* bootMemory, QWidget* parent)
    : QMainWindow(parent)
    , m_bootMemory(bootMemory)
{
    setWindowTitle(QString::fromUtf16(kKaleidraCaption));
}

void CMainFrame::SetActiveView(QWidget* view)
{
    m_activeView = view;
    setCentralWidget(view);
}

int CMainFrame::OnBootParam()
{
    if (!m_activeView)
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
