#include "view/viewer_process.h"

#include "platform/known_folders.h"
#include "platform/paths.h"

CViewerProcess::CViewerProcess()
    : m_program(platform::JoinPath(platform::ProgramFolder(), u"Luxviewer"))
{
}

void CViewerProcess::SetProgram(const QString& program, const QStringList& leadingArguments)
{
    m_program = program;
    m_leadingArguments = leadingArguments;
}

bool CViewerProcess::Start(const QRect& output)
{
    QStringList arguments = m_leadingArguments;
    arguments << QString::number(output.x()) << QString::number(output.y()) << QString::number(output.width())
              << QString::number(output.height());
    return m_child.Start(m_program, arguments);
}

void CViewerProcess::EndAfterQuit(int waitMs)
{
    if (!m_child.HasProcess())
        return;
    if (!m_child.WaitForExit(waitMs))
        m_child.Terminate(1000);
    m_child.Release();
}

void CViewerProcess::ReleaseEnded()
{
    if (m_child.HasProcess() && !m_child.IsRunning())
        m_child.Release();
}
