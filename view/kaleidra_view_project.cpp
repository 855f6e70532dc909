#include "view/kaleidra_view.h"

#include "controls/gdi_button.h"
#include "core/language_data.h"
#include "core/main_frame.h"
#include "core/message_box.h"
#include "core/message_catalog.h"
#include "core/wait_dlg.h"
#include "itempanel/propety_dlg.h"
#include "itempanel/setting_dlg.h"
#include "platform/dialog_service.h"
#include "platform/paths.h"
#include "platform/temporary_file.h"
#include "project/zip_file.h"
#include "timeline/time_line.h"
#include "view/add_new_dlg.h"
#include "view/folder_tree.h"
#include "view/kaleidra_doc.h"
#include "view/project_faces.h"
#include "view/project_names.h"
#include "view/startup_dlg.h"
#include "view/view_commands.h"
#include "view/work_folder.h"

#include <QFileInfo>

namespace {

enum : int {
    kMsgSaveAsFailed = 58,
    kMsgSaveAsReload = 59,
    kMsgSaveFailed = 63,
    kMsgNewProjectFailed = 64,
    kMsgNewReload = 65,
    kMsgUnpackProject = 66,
    kMsgOpenProject = 67,
    kMsgUnpackPackage = 68,
    kMsgRebase = 69,
    kMsgOpenPackage = 70,
    kMsgCloseModified = 71,
};

const char16_t kRenameFailed[] = u"プロジェクトファイルのリネームに失敗しました。";

QString Joined(const QString& folder, const QString& name)
{
    return platform::JoinPath(folder, name);
}

QString XmlOf(const QString& projectFolder, const QString& name)
{
    return Joined(projectFolder, name + QStringLiteral(".xml"));
}

// The view's own answers to the start-up choice, the hand-overs and the viewer's keys.
class COwnCommandHandlers final : public CViewCommandHandlers {
public:
    explicit COwnCommandHandlers(CKaleidraView& view)
        : m_view(view)
    {
    }
    int RunStartupDialog(const QStringList& history, QString& recentPath) override
    {
        return m_view.RunStartupDialog(history, recentPath);
    }
    bool NewProject() override { return m_view.OnNewProject(); }
    bool OpenProject(const QString* path) override { return m_view.OnOpenProject(path); }
    bool OpenProjectFile(const QString& path) override { return m_view.OpenProjectFile(path) == 1; }
    bool SaveProject() override { return m_view.OnSaveProject(); }
    void Undo() override { m_view.Undo(); }
    void Redo() override { m_view.Redo(); }
    void RecordFaceCorners(const FaceCornerRecord& corners) override { m_view.RecordFaceCorners(corners); }

private:
    CKaleidraView& m_view;
};

} // namespace

std::unique_ptr<CViewCommandHandlers> MakeOwnCommandHandlers(CKaleidraView& view)
{
    return std::make_unique<COwnCommandHandlers>(view);
}

bool CKaleidraView::IsProjectOpen() const
{
    return m_document.ProjectOpen != 0;
}

QString CKaleidraView::ProjectRoot() const
{
    const QString work = m_document.GetWorkFolder();
    if (m_document.ProjectSource == 2)
        return Joined(work, m_document.GetProjectName() + QStringLiteral("_Package"));
    return work;
}

// ---- Loading ---------------------------------------------------------------------------------------------

bool CKaleidraView::LoadProject(const QString& projectXmlPath, const QString& folder)
{
    if (!m_timeLine || !m_document.OpenProjectFile(projectXmlPath, folder))
        return false;
    CProjectFolderStore& store = m_document.GetProjectStore(1);
    const CProjectXml& project = store.GetProjectXml();
    m_document.SetProjectName(store.GetProjectName());

    m_timeLine->ResetTimeLine(false);
    m_timeLine->SetProjectFolder(folder);
    m_timeLine->SetProjectName(store.GetProjectName());
    m_timeLine->SetPlayPosition(project.StartTime);
    m_timeLine->SetProjectLength(project.ProjectTime);
    m_timeLine->SetInOutPosition(project.StartTime, project.EndTime);
    SetNowTime(0);
    SetPlayTime(project.TotalTime);
    SetProjectTimeField(project.ProjectTime);
    if (m_loopButton)
        m_loopButton->SetCheckState(project.Loop == 1 ? 1 : 0);
    for (tagTL_FACE_DATA& face : ReadProjectFaces(store))
        m_timeLine->AddFaceRecord(std::move(face));
    Redraw();

    // The viewer loads the project named in the block.
    WriteProjectToBlock(projectXmlPath, folder, project.Version);
    m_channel->WriteResoMode(m_document.ResoMode);
    m_channel->RaiseProjectFlag(kPmProjectLoad, CViewerChannel::kNoWait);
    m_channel->SendCommand(
        kPmCommandSeek, { QString::number(m_timeLine->PlayPosition()) }, CViewerChannel::kWaitPasses);
    if (m_playState == kPlaying)
        StopPlayback();
    m_playState = kStopped;

    m_frame.setWindowTitle(
        QStringLiteral("%1 - %2").arg(QString::fromUtf16(kKaleidraCaption), store.GetProjectName()));
    m_timeLine->SetZoomMode(m_timeLine->ZoomMode());
    m_undo.Reset();
    return true;
}

void CKaleidraView::StartViewerForProject(bool openFlow)
{
    ShowWaitPicture(CWaitDlg::kPreviewStartPicture);
    StartViewer();
    if (PmParamBlock* block = m_channel->Block())
        m_channel->WaitForFlag(block->commandFlag, CViewerChannel::kWaitPasses);
    if (m_guideButton)
        m_guideButton->SetCheckState(m_document.GuideDefaultStatus == 1 ? 1 : 0);
    m_channel->SendCommand(
        kPmCommandGuide, { QString::number(m_document.GuideDefaultStatus) }, CViewerChannel::kNoWait);
    if (openFlow) {
        if (PmParamBlock* block = m_channel->Block())
            m_channel->WaitForFlag(block->commandFlag, CViewerChannel::kWaitPasses);
    }
    EnableControls(true);
    m_timeLine->SetCameraList(m_document.CameraList);
    m_timeLine->SetProjectOpen(true);
    m_timeLine->update();
    CPropetyDlg* properties = m_itemPanel->PropertyPage();
    properties->SetCameraList(m_document.CameraList);
    properties->InitComboItems();
    m_itemPanel->SetProject(m_document.GetProjectName(), m_document.ProjectSource);
    if (!m_itemPanel->isVisible())
        m_itemPanel->ShowPanel();
    HideWaitWindow();
}

// ---- Close ---------------------------------------------------------------------------------------------

void CKaleidraView::CloseProject()
{
    // The remote drives an open project only: the link ends with it.
    if (m_remoteLink)
        m_remoteLink->DisconnectHost();
    for (CGdiButton* toggle : { m_screenButton, m_guideButton }) {
        if (toggle) {
            toggle->SetCheckState(0);
            toggle->update();
        }
    }
    if (m_playState != kStopped)
        StopPlayback();
    m_playState = kStopped;
    m_document.ProjectOpen = 0;
    m_document.SetOpenedPath(QString());
    m_document.SetProjectFilePath(QString());
    if (m_timeLine) {
        m_timeLine->ResetTimeLine(m_document.ProjectSource == 2);
        m_timeLine->SetProjectOpen(false);
        m_timeLine->update();
    }
    SetNowTime(0);
    SetPlayTime(0);
    SetProjectTimeField(0);
    EnableControls(false);
    if (m_itemPanel)
        m_itemPanel->ClearItem();
    CloseViewer();
    m_channel->WriteVersion(QString());
    m_channel->WriteProjectPath(QString());
    m_channel->SetPlayTime(0);
    m_frame.setWindowTitle(QString::fromUtf16(kKaleidraCaption));
    // The work copy of one project at a time: nothing of the closed one stays.
    ClearWorkFolder(m_document.GetWorkFolder());
    if (m_itemPanel)
        m_itemPanel->hide();
    m_document.Modified = 0;
    m_document.ProjectSource = 1;
    m_undo.Reset();
}

bool CKaleidraView::AskCloseModified()
{
    if (!IsProjectOpen() || !m_document.Modified)
        return true;
    return ShowMessage(
               Messages().GetMessage(kMsgCloseModified), platform::MB_YESNO | platform::MB_ICONQUESTION)
        == platform::IDYES;
}

// ---- New
// ---------------------------------------------------------------------------------------------------

bool CKaleidraView::NewProject()
{
    CAddNewDlg dialog(&m_frame);
    dialog.m_mode = CAddNewDlg::kModeNew;
    dialog.m_skinFolder = m_document.GetSkinFolder();
    dialog.m_folder = m_defaultFolder;
    dialog.m_playTime = m_document.ProjectDefaultTime;
    if (RunModal(dialog) != QDialog::Accepted)
        return false;

    m_document.ProjectSource = 1;
    const QString name = CutAtFirstDot(dialog.m_projectName);
    const QString work = m_document.GetWorkFolder();
    const QString projectFile = Joined(dialog.m_folder, name + QStringLiteral(".kdp"));
    const QString projectFolder = Joined(work, name);
    const QString projectXml = XmlOf(projectFolder, name);
    const unsigned error = platform::MB_OK | platform::MB_ICONERROR;
    // The work folder is emptied at every close: a project file there would be lost with it.
    if (!IsUsableProjectName(name) || IsInsideWorkFolder(projectFile, work)) {
        ShowMessage(Messages().GetMessage(kMsgNewProjectFailed) + projectFile, error);
        return false;
    }
    // An existing project file is replaced only when the new one has been packed whole.
    if (!DeleteFolderTree(projectFolder)
        || !MakeFolderPath(Joined(projectFolder, QStringLiteral("Channel_1")))
        || !m_document.GetProjectStore(1).CreateProject(projectXml, work, dialog.m_playTime)) {
        ShowMessage(Messages().GetMessage(kMsgNewProjectFailed), error);
        return false;
    }
    CZipFile zip;
    if (!zip.Zip(projectFolder, projectFile)) {
        ShowMessage(Messages().GetMessage(kMsgNewProjectFailed) + zip.ErrorText(), error);
        return false;
    }
    if (!LoadProject(projectXml, work)) {
        ShowMessage(Messages().GetMessage(kMsgNewReload) + projectFile, error);
        return false;
    }
    m_document.SetOpenedPath(projectFile);
    m_document.SetProjectFilePath(projectXml);
    AddHistory(projectFile);
    m_document.ProjectOpen = 1;
    StartViewerForProject(false);
    m_undo.Reset();
    return true;
}

// ---- Open
// ---------------------------------------------------------------------------------------------------

bool CKaleidraView::OpenProject(const QString* path)
{
    if (m_timeLine)
        m_timeLine->ResetTimeLine(false);
    const unsigned error = platform::MB_OK | platform::MB_ICONERROR;
    QString file;
    if (!path) {
        const CLanguageData& language = Language();
        const QString filter = QStringLiteral("%1 (*.kdp *.kdpp);;%2 (*.kdpp)")
                                   .arg(language.GetFileTypeProject(), language.GetFileTypePackage());
        std::optional<QString> picked;
        {
            CModalGuard modal(*this);
            picked = platform::DialogService().OpenFileName(QString(), m_defaultFolder, filter);
        }
        if (!picked || picked->isEmpty())
            return false;
        file = *picked;
        m_defaultFolder = QFileInfo(file).absolutePath();
    } else {
        file = *path;
    }

    const ProjectPathParts parts = SplitProjectPath(file);
    const QString& title = parts.title;
    const int unpackMessage = parts.isPackage ? kMsgUnpackPackage : kMsgUnpackProject;
    // The names become folders and files in the work folder: each must be one plain name.
    const QString inner = GetPackageProjectName(file);
    if (!IsUsableProjectName(title) || !IsUsableProjectName(inner)
        || IsInsideWorkFolder(file, m_document.GetWorkFolder())) {
        ShowMessage(Messages().GetMessage(unpackMessage) + file, error);
        return false;
    }
    const int source = parts.isPackage ? 2 : 1;
    m_document.ProjectSource = source;
    const QString work = m_document.GetWorkFolder();
    const QString suffix = source == 2 ? QStringLiteral("_Package") : QString();
    const QString root = Joined(work, title + suffix);
    const QString innerRoot = Joined(work, inner + suffix);

    // The archive's folder replaces a work copy of its name only once it was read whole: a
    // refused archive leaves that copy as it was.
    CZipFile zip;
    bool unpacked = false;
    RunLongWork([&] { unpacked = zip.UnZip(file, work); });
    if (!unpacked) {
        ShowMessage(Messages().GetMessage(unpackMessage) + zip.ErrorText(), error);
        return false;
    }
    // What saves of a crashed editor left: temporaries beside the file, and inside its archive.
    platform::RemoveAbandonedTemporaries(file);
    platform::RemoveAbandonedTemporariesBelow(innerRoot);
    // A project file renamed by the user holds the folder of its old name.
    const QString projectFolder = source == 2 ? Joined(root, title) : root;
    if (inner != title) {
        bool moved = DeleteFolderTree(root) && MoveFolderTree(innerRoot, root);
        if (source == 2) {
            for (const QString& part : { QString(), QStringLiteral("_Data"), QStringLiteral("_Mask") })
                moved = moved && MoveFolderTree(Joined(root, inner + part), Joined(root, title + part));
        }
        if (!moved || !RenameFileRetry(XmlOf(projectFolder, inner), XmlOf(projectFolder, title))) {
            ShowMessage(QString::fromUtf16(kRenameFailed), error);
            return false;
        }
    }
    const QString projectXml = XmlOf(projectFolder, title);
    if (source == 2) {
        const bool rebased = PackageFlows().RebaseMediaPaths(projectXml, root,
            Joined(root, title + QStringLiteral("_Data")), Joined(root, title + QStringLiteral("_Mask")));
        if (!rebased) {
            ShowMessage(Messages().GetMessage(kMsgRebase), error);
            return false;
        }
    }
    if (!LoadProject(projectXml, source == 2 ? root : work)) {
        ShowMessage(
            Messages().GetMessage(source == 2 ? kMsgOpenPackage : kMsgOpenProject) + projectXml, error);
        return false;
    }
    m_document.SetOpenedPath(file);
    m_document.SetProjectFilePath(projectXml);
    AddHistory(file);
    m_document.ProjectOpen = 1;
    StartViewerForProject(true);
    m_undo.Reset();
    m_document.Modified = 0;
    return true;
}

// ---- Save and save as ---------------------------------------------------------------------------------

bool CKaleidraView::SaveProject()
{
    if (m_viewer.IsViewerRunning())
        FetchFaceCorners();
    // The archive is written beside the project file and put in its place only when whole, so
    // the old file survives every failure.
    CZipFile zip;
    const QString projectFolder = Joined(m_document.GetWorkFolder(), m_document.GetProjectName());
    const QString projectFile = m_document.GetOpenedPath();
    bool packed = false;
    RunLongWork([&] { packed = zip.Zip(projectFolder, projectFile); });
    if (!packed) {
        ShowMessage(Messages().GetMessage(kMsgSaveFailed) + zip.ErrorText(),
            platform::MB_OK | platform::MB_ICONERROR);
        return false;
    }
    m_document.Modified = 0;
    return true;
}

bool CKaleidraView::SaveProjectAs()
{
    const QString oldName = m_document.GetProjectName();
    CAddNewDlg dialog(&m_frame);
    dialog.m_mode = CAddNewDlg::kModeSaveAs;
    dialog.m_skinFolder = m_document.GetSkinFolder();
    dialog.m_folder = m_defaultFolder;
    dialog.m_playTime = m_document.GetProjectStore(1).GetProjectXml().ProjectTime;
    dialog.m_currentProjectName = oldName;
    if (RunModal(dialog) != QDialog::Accepted)
        return false;
    if (m_viewer.IsViewerRunning())
        FetchFaceCorners();

    const unsigned error = platform::MB_OK | platform::MB_ICONERROR;
    const QString newName = CutAtFirstDot(dialog.m_projectName);
    const QString work = m_document.GetWorkFolder();
    const QString oldFolder = Joined(work, oldName);
    const QString newFolder = Joined(work, newName);
    const QString projectFile = Joined(dialog.m_folder, newName + QStringLiteral(".kdp"));
    // The old work copy is deleted below: a new name that would name it is refused, and so is
    // a project file in the work folder, which the next close empties.
    if (!IsUsableProjectName(newName) || newName.compare(oldName, Qt::CaseInsensitive) == 0
        || IsInsideWorkFolder(projectFile, work)) {
        ShowMessage(Messages().GetMessage(kMsgSaveAsFailed) + projectFile, error);
        return false;
    }
    const auto fail = [&](const QString& text) {
        DeleteFolderTree(newFolder);
        ShowMessage(text, error);
        return false;
    };
    bool copied = false;
    bool packed = false;
    CZipFile zip;
    RunLongWork([&] {
        copied = DeleteFolderTree(newFolder) && CopyFolderTree(oldFolder, newFolder)
            && RenameFileRetry(XmlOf(newFolder, oldName), XmlOf(newFolder, newName));
        packed = copied && zip.Zip(newFolder, projectFile);
    });
    if (!copied)
        return fail(Messages().GetMessage(kMsgSaveAsFailed));
    if (!packed)
        return fail(Messages().GetMessage(kMsgSaveAsFailed) + zip.ErrorText());
    if (!LoadProject(XmlOf(newFolder, newName), work)) {
        // The project stays the one it was.
        LoadProject(XmlOf(oldFolder, oldName), work);
        return fail(Messages().GetMessage(kMsgSaveAsReload) + projectFile);
    }
    DeleteFolderTree(oldFolder);
    m_document.SetOpenedPath(projectFile);
    m_document.SetProjectFilePath(XmlOf(newFolder, newName));
    AddHistory(projectFile);
    m_itemPanel->SetProject(newName, m_document.ProjectSource);
    if (IsGuideOn())
        m_channel->SendCommand(kPmCommandGuide, { QStringLiteral("1") }, CViewerChannel::kNoWait);
    return true;
}

// ---- The File menu's commands -----------------------------------------------------------------------

bool CKaleidraView::OnNewProject()
{
    if (m_timeLine && m_timeLine->IsRemoteConnected())
        return false;
    CBusyGuard busy(*this, kBusyNew);
    if (IsProjectOpen()) {
        if (!AskCloseModified())
            return false;
        CloseProject();
    }
    return NewProject();
}

bool CKaleidraView::OnOpenProject(const QString* path)
{
    if (m_timeLine && m_timeLine->IsRemoteConnected())
        return false;
    CBusyGuard busy(*this, kBusyOpen);
    if (IsProjectOpen()) {
        if (!AskCloseModified())
            return false;
        CloseProject();
    }
    return OpenProject(path);
}

bool CKaleidraView::OnSaveProject()
{
    if (!IsProjectOpen())
        return false;
    if (m_document.ProjectSource == 2)
        return PackageFlows().SavePackageProject();
    return SaveProject();
}

bool CKaleidraView::OnSaveProjectAs()
{
    if (!IsProjectOpen() || m_document.ProjectSource != 1)
        return false;
    CBusyGuard busy(*this, kBusySaveAs);
    if (m_timeLine && m_timeLine->IsPlaying())
        OnStartPause();
    return SaveProjectAs();
}

bool CKaleidraView::OnCloseProject()
{
    if (!IsProjectOpen() || !AskCloseModified())
        return false;
    CloseProject();
    return true;
}

int CKaleidraView::OpenProjectFile(const QString& path)
{
    const QFileInfo file(path);
    if (path.isEmpty() || !file.exists() || file.isDir())
        return 0;
    if (IsProjectOpen()) {
        if (!AskCloseModified())
            return 0;
        CloseProject();
    }
    if (!OpenProject(&path))
        return 0;
    if (m_document.AutoPlayMode == 1)
        AutoPlay();
    return 1;
}

int CKaleidraView::RunStartupDialog(const QStringList& history, QString& recentPath)
{
    CStartupDlg dialog(&m_frame);
    dialog.m_history = history;
    if (RunModal(dialog) != QDialog::Accepted)
        return CStartupDlg::kNone;
    recentPath = dialog.m_path;
    return dialog.m_result;
}
