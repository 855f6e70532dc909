#include "view/kaleidra_view.h"

#include "core/long_work.h"
#include "core/wait_dlg.h"

#include <QTimer>

void CKaleidraView::RunLongWork(const std::function<void()>& work)
{
    // A handed-over project opens once the work is done; the viewer's replies, which may write
    // the project's files, are read then too.
    CModalGuard modal(*this);
    const bool polling = m_pollTimer && m_pollTimer->isActive();
    if (polling)
        m_pollTimer->stop();
    if (m_waitDlg)
        m_waitDlg->RunWork(CWaitDlg::kWaitPicture, work);
    else
        RunOffWindowThread(work);
    if (polling)
        m_pollTimer->start();
}
