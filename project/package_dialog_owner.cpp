#include "project/package_dialog_owner.h"

#include "core/dialog_services.h"
#include "core/long_work.h"
#include "core/message_box.h"
#include "core/message_catalog.h"
#include "platform/dialog_service.h"
#include "project/export_dlg.h"
#include "project/import_dlg.h"

CPackageDialogFlowOwner::CPackageDialogFlowOwner(
    QWidget* parent, QString skinFolder, std::function<void(bool shown)> showWait)
    : m_parent(parent)
    , m_skinFolder(std::move(skinFolder))
    , m_showWait(std::move(showWait))
{
}

bool CPackageDialogFlowOwner::RunExportDialog(QString& outputFolder, QString& projectFile)
{
    CExportDlg dialog(m_parent);
    dialog.m_skinFolder = m_skinFolder;
    if (dialog.exec() != QDialog::Accepted)
        return false;
    outputFolder = dialog.m_outputFolder;
    projectFile = dialog.m_projectFile;
    return true;
}

bool CPackageDialogFlowOwner::RunImportDialog(
    QString& packageFile, QString& projectFolder, QString& dataFolder)
{
    CImportDlg dialog(m_parent);
    dialog.m_skinFolder = m_skinFolder;
    if (dialog.exec() != QDialog::Accepted)
        return false;
    packageFile = dialog.m_packageFile;
    projectFolder = dialog.m_projectFolder;
    dataFolder = dialog.m_dataFolder;
    return true;
}

bool CPackageDialogFlowOwner::AskYesNo(int messageId)
{
    return KaleidraMessageBox(dialog_services::Messages().GetMessage(messageId), platform::MB_YESNO)
        == platform::IDYES;
}

bool CPackageDialogFlowOwner::RunUnderWait(const std::function<bool(CPackageReporter&)>& work)
{
    if (m_showWait)
        m_showWait(true);
    CPackageNoticeList notices;
    bool result = false;
    RunOffWindowThread([&] { result = work(notices); });
    if (m_showWait)
        m_showWait(false);
    notices.ReportTo(*this);
    return result;
}

void CPackageDialogFlowOwner::Report(const PackageNotice& notice)
{
    if (notice.messageId == 0)
        KaleidraMessageBox(notice.detail, platform::MB_OK);
    else
        dialog_services::ShowMessage(notice.messageId, platform::MB_OK, notice.detail);
}
