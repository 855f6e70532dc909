#include "view/kaleidra_view.h"

#include "controls/gdi_button.h"
#include "core/main_frame.h"
#include "core/message_catalog.h"
#include "core/wait_dlg.h"
#include "itempanel/setting_dlg.h"
#include "platform/dialog_service.h"
#include "project/export_dlg.h"
#include "project/import_dlg.h"
#include "project/package.h"
#include "project/package_flows.h"
#include "timeline/time_line.h"
#include "view/kaleidra_doc.h"
#include "view/view_commands.h"

// The view's own package side: the export and import dialogs run as the view's modal windows,
// questions and messages in the editor's message box, the wait window with its second picture.
class CViewPackageFlows final : public CPackageFlows, public CPackageFlowOwner {
public:
    explicit CViewPackageFlows(CKaleidraView& view)
        : m_view(view)
    {
    }

    // CPackageFlows.
    bool RebaseMediaPaths(const QString& projectXml,
        const QString& projectFolder,
        const QString& dataFolder,
        const QString& maskFolder) override
    {
        return ::RebaseMediaPaths(projectXml, projectFolder, dataFolder, maskFolder, *this);
    }
    bool SavePackageProject() override { return m_view.SavePackageProject(); }

    // CPackageFlowOwner.
    bool RunExportDialog(QString& outputFolder, QString& projectFile) override
    {
        CExportDlg dialog(&m_view.m_frame);
        dialog.m_skinFolder = m_view.m_document.GetSkinFolder();
        if (m_view.RunModal(dialog) != QDialog::Accepted)
            return false;
        outputFolder = dialog.m_outputFolder;
        projectFile = dialog.m_projectFile;
        return true;
    }
    bool RunImportDialog(QString& packageFile, QString& projectFolder, QString& dataFolder) override
    {
        CImportDlg dialog(&m_view.m_frame);
        dialog.m_skinFolder = m_view.m_document.GetSkinFolder();
        if (m_view.RunModal(dialog) != QDialog::Accepted)
            return false;
        packageFile = dialog.m_packageFile;
        projectFolder = dialog.m_projectFolder;
        dataFolder = dialog.m_dataFolder;
        return true;
    }
    bool AskYesNo(int messageId) override
    {
        return m_view.ShowMessage(
                   m_view.Messages().GetMessage(messageId), platform::MB_YESNO | platform::MB_ICONQUESTION)
            == platform::IDYES;
    }
    bool RunUnderWait(const std::function<bool(CPackageReporter&)>& work) override
    {
        CPackageNoticeList notices;
        bool result = false;
        m_view.RunLongWork([&] { result = work(notices); });
        notices.ReportTo(*this);
        return result;
    }
    void Report(const PackageNotice& notice) override
    {
        const QString text = notice.messageId == 0
            ? notice.detail
            : m_view.Messages().GetMessage(notice.messageId) + notice.detail;
        m_view.ShowMessage(text, platform::MB_OK);
    }

private:
    CKaleidraView& m_view;
};

namespace {

// The view's own flows (the dialogs and messages); a test's replacement of the rebase and save
// does not replace them.
CViewPackageFlows& OwnFlows(CKaleidraView& view, std::unique_ptr<CPackageFlows>& own)
{
    if (!own)
        own = std::make_unique<CViewPackageFlows>(view);
    return static_cast<CViewPackageFlows&>(*own);
}

} // namespace

CPackageFlows& CKaleidraView::PackageFlows()
{
    return m_packageFlows ? *m_packageFlows : OwnFlows(*this, m_ownPackageFlows);
}

bool CKaleidraView::OnCreatePackage()
{
    CModalGuard busy(*this);
    // The show is paused (and stopped) before the long work.
    if (m_timeLine && m_timeLine->IsPlaying())
        OnStartPause();
    return CreatePackage(OwnFlows(*this, m_ownPackageFlows), m_document.GetWorkFolder());
}

bool CKaleidraView::OnExpandPackage()
{
    CModalGuard busy(*this);
    if (m_timeLine && m_timeLine->IsPlaying())
        OnStartPause();
    return ExpandPackage(OwnFlows(*this, m_ownPackageFlows), m_document.GetWorkFolder());
}

bool CKaleidraView::SavePackageProject()
{
    CViewPackageFlows& flows = OwnFlows(*this, m_ownPackageFlows);
    if (m_itemPanel)
        m_itemPanel->ClearItem();
    if (m_viewer.IsViewerRunning())
        FetchFaceCorners();

    const QString work = m_document.GetWorkFolder();
    const QString name = m_document.GetProjectName();
    // The package is the file the project was opened from, whatever its name says.
    const QString package = m_document.GetOpenedPath();
    const bool saved = flows.RunUnderWait(
        [&](CPackageReporter& reporter) { return ::SavePackageProject(work, name, package, reporter); });
    if (!saved)
        return false;
    ShowWaitPicture(CWaitDlg::kWaitPicture);
    // The work copy's items now name the renumbered media: the timeline and the viewer take them.
    const QString projectXml = PackageWorkCopyProjectXml(work, name);
    if (!LoadProject(projectXml, PackageWorkCopy(work, name))) {
        HideWaitWindow();
        ShowMessage(
            Messages().GetMessage(kMsgPackageReload) + projectXml, platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    m_document.SetProjectFilePath(projectXml);
    if (IsGuideOn())
        m_channel->SendCommand(kPmCommandGuide, { QStringLiteral("1") }, CViewerChannel::kWaitPasses);
    m_document.Modified = 0;
    HideWaitWindow();
    return true;
}
