#include "platform/wait_cursor.h"

#include <QCursor>
#include <QGuiApplication>

CWaitCursor::CWaitCursor()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

CWaitCursor::~CWaitCursor()
{
    QGuiApplication::restoreOverrideCursor();
}
