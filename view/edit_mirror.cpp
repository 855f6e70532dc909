#include "view/edit_mirror.h"

#include "core/message_box.h"
#include "core/message_catalog.h"
#include "core/xml_data.h"
#include "platform/dialog_service.h"
#include "platform/paths.h"
#include "project/project_folder_store.h"
#include "project/record_conversion.h"
#include "view/folder_tree.h"
#include "view/undo_history.h"
#include "view/viewer_channel.h"

#include <QFile>
#include <QFileInfo>
#include <map>
#include <set>

namespace {

QString FaceFolderName(int32_t faceNo)
{
    return QStringLiteral("Face_%1").arg(faceNo);
}

QString FaceFileName(int32_t faceNo)
{
    return QStringLiteral("Face_%1.xml").arg(faceNo);
}

// Shows the wait cursor or window while it lives.
class CBusy {
public:
    CBusy(CEditMirrorHost& host, bool window)
        : m_host(host)
        , m_window(window)
    {
        window ? m_host.ShowWaitWindow(true) : m_host.ShowWaitCursor(true);
    }
    ~CBusy() { m_window ? m_host.ShowWaitWindow(false) : m_host.ShowWaitCursor(false); }
    CBusy(const CBusy&) = delete;
    CBusy& operator=(const CBusy&) = delete;

private:
    CEditMirrorHost& m_host;
    bool m_window;
};

} // namespace

CEditMirror::CEditMirror(CProjectFolderStore& store,
    CUndoHistory& undo,
    int32_t& modified,
    CMessageCatalog& messages,
    CEditMirrorHost& host)
    : m_store(store)
    , m_recorder(undo)
    , m_modified(modified)
    , m_messages(messages)
    , m_host(host)
{
}

bool CEditMirror::Fail(int messageId)
{
    KaleidraMessageBox(m_messages.GetMessage(messageId), platform::MB_OK | platform::MB_ICONERROR);
    return false;
}

bool CEditMirror::FailFace(int messageId, int32_t faceNo)
{
    KaleidraMessageBox(QStringLiteral("%1 Face%2").arg(m_messages.GetMessage(messageId)).arg(faceNo),
        platform::MB_OK | platform::MB_ICONERROR);
    return false;
}

void CEditMirror::NotifyViewer(int notify, int32_t dataKind, int32_t faceNo)
{
    if (notify == 1)
        m_host.ViewerChannel().SendData(PmData(dataKind), faceNo, CViewerChannel::kWaitPasses);
}

QString CEditMirror::ThumbnailPath(const tagTL_FACE_ITEM_DATA& item) const
{
    const QString folder = m_store.FaceFolderPath(item.FaceNo);
    return folder.isEmpty() ? QString()
                            : platform::JoinPath(folder, QStringLiteral("thumbnail_%1.jpg").arg(item.Start));
}

// ---- Faces and items ---------------------------------------------------------------------------------

bool CEditMirror::AddFaceData(const tagTL_FACE_DATA& face, int notify)
{
    if (!WriteItemEdits())
        return false;
    const QString folder = m_store.FaceFolderPath(face.No);
    if (folder.isEmpty() || !MakeFolderPath(folder) || !m_store.AddFace(ToFaceXmlRecord(face)))
        return Fail(kMsgFaceWrite);
    NotifyViewer(notify, kPmDataFaceAdded, face.No);
    MarkModified();
    m_recorder.FaceAdded(face);
    m_recorder.Commit();
    return true;
}

bool CEditMirror::UpdateFaceData(const tagTL_FACE_DATA& face, int notify)
{
    if (!WriteItemEdits())
        return false;
    FaceXmlRecord entry;
    entry.No = face.No;
    if (!m_store.GetFaceData(&entry))
        return Fail(kMsgFaceWrite);
    const tagTL_FACE_DATA before = ToFaceData(entry, face.Channel);
    FaceXmlRecord changed = ToFaceXmlRecord(face);
    changed.FilePath = entry.FilePath;
    // The same values again (corners read back unchanged) change nothing.
    if (changed == entry)
        return true;
    if (!m_store.UpdateFace(changed))
        return Fail(kMsgFaceWrite);
    NotifyViewer(notify, kPmDataFaceChanged, face.No);
    MarkModified();
    m_recorder.FaceChanged(before, face);
    m_recorder.Commit();
    return true;
}

// ---- The project's times -------------------------------------------------------------------------

bool CEditMirror::SetPlayRange(int32_t playTime, int32_t in, int32_t out)
{
    if (!WriteItemEdits())
        return false;
    CProjectXml& project = m_store.GetProjectXml();
    const int32_t oldIn = project.StartTime;
    const int32_t oldOut = project.EndTime;
    const int32_t oldPlayTime = project.TotalTime;
    project.TotalTime = playTime;
    project.StartTime = in;
    project.EndTime = out;
    if (!project.UpdateProjectXml()) {
        project.TotalTime = oldPlayTime;
        project.StartTime = oldIn;
        project.EndTime = oldOut;
        return Fail(kMsgPlayRange);
    }
    m_host.ViewerChannel().RaiseProjectFlag(kPmProjectTimes, CViewerChannel::kNoWait);
    MarkModified();
    m_recorder.PlayRangeChanged(oldIn, oldOut, in, out);
    m_recorder.Commit();
    return true;
}

bool CEditMirror::SetProjectTime(int32_t time)
{
    if (!WriteItemEdits())
        return false;
    CProjectXml& project = m_store.GetProjectXml();
    const int32_t oldTime = project.ProjectTime;
    project.ProjectTime = time;
    if (!project.UpdateProjectXml()) {
        project.ProjectTime = oldTime;
        return Fail(kMsgProjectTime);
    }
    m_host.ViewerChannel().RaiseProjectFlag(kPmProjectTimes, CViewerChannel::kNoWait);
    MarkModified();
    m_recorder.ProjectTimeChanged(oldTime, time);
    m_recorder.Commit();
    return true;
}

// ---- Face order -----------------------------------------------------------------------------------

bool CEditMirror::DeleteFaceData(const tagTL_FACE_DATA& face, int notify)
{
    // The face's items, deleted before, leave its file first.
    if (!WriteItemEdits())
        return false;
    m_host.StopPlayback();
    // The faces that stay keep their order and are numbered 1, 2, ... by it.
    std::vector<FaceNumbering> faces;
    int32_t row = -1;
    for (const auto& [number, entry] : m_store.GetFaceListXml().Faces()) {
        if (number == face.No) {
            row = int32_t(faces.size());
            continue;
        }
        FaceNumbering numbering;
        numbering.oldNo = number;
        numbering.newNo = int32_t(faces.size()) + 1;
        faces.push_back(numbering);
    }
    if (row < 0)
        return FailFace(kMsgFaceRead, face.No);
    bool done = false;
    {
        const CBusy busy(m_host, true);
        done = RenumberFaces(faces, RenumberKind::Delete);
    }
    if (!done)
        return false;
    if (notify == 1)
        TellViewerToReload();
    MarkModified();
    m_recorder.FaceDeleted(face, row);
    m_recorder.Commit();
    return true;
}

bool CEditMirror::FaceInserted(const FaceInsertInfo& info)
{
    if (!WriteItemEdits())
        return false;
    m_host.StopPlayback();
    std::vector<FaceNumbering> faces;
    for (size_t row = 0; row < info.newNumbers.size(); ++row) {
        FaceNumbering numbering;
        numbering.newNo = info.newNumbers[row];
        if (int(row) == info.row) {
            numbering.isNew = true;
            numbering.newFace = info.face;
        } else {
            numbering.oldNo = info.oldNumbers[row];
        }
        faces.push_back(numbering);
    }
    bool done = false;
    {
        const CBusy busy(m_host, false);
        done = RenumberFaces(faces, RenumberKind::Insert);
    }
    if (!done)
        return false;
    TellViewerToReload();
    MarkModified();
    m_recorder.FaceInserted(info);
    m_recorder.Commit();
    return true;
}

bool CEditMirror::FaceCopied(const FaceCopyInfo& info)
{
    if (!WriteItemEdits())
        return false;
    m_host.StopPlayback();
    std::vector<FaceNumbering> faces;
    for (size_t row = 0; row < info.newNumbers.size(); ++row) {
        FaceNumbering numbering;
        numbering.newNo = info.newNumbers[row];
        if (int(row) == info.targetRow) {
            numbering.isNew = true;
            // The copy carries its source's number from before the renumbering.
            numbering.sourceNo = info.oldNumbers[row];
            numbering.newFace = info.newFace;
        } else {
            numbering.oldNo = info.oldNumbers[row];
        }
        faces.push_back(numbering);
    }
    bool done = false;
    {
        const CBusy busy(m_host, false);
        done = RenumberFaces(faces, RenumberKind::Copy);
    }
    if (!done)
        return false;
    TellViewerToReload();
    MarkModified();
    m_recorder.FaceCopied(info);
    m_recorder.Commit();
    return true;
}

bool CEditMirror::FaceMoved(const FaceMoveInfo& info)
{
    if (!WriteItemEdits())
        return false;
    m_host.StopPlayback();
    std::vector<FaceNumbering> faces;
    for (size_t row = 0; row < info.facesBefore.size() && row < info.facesAfter.size(); ++row) {
        FaceNumbering numbering;
        numbering.oldNo = info.facesBefore[row].No;
        numbering.newNo = info.facesAfter[row].No;
        faces.push_back(numbering);
    }
    bool done = false;
    {
        const CBusy busy(m_host, false);
        done = RenumberFaces(faces, RenumberKind::Move);
    }
    if (!done)
        return false;
    TellViewerToReload();
    MarkModified();
    m_recorder.FaceMoved(info);
    m_recorder.Commit();
    return true;
}

void CEditMirror::TellViewerToReload()
{
    CViewerChannel& channel = m_host.ViewerChannel();
    channel.RaiseProjectFlag(kPmProjectLoad, kReloadWaitPasses);
    if (m_host.IsGuideOn())
        channel.SendCommand(kPmCommandGuide, { QStringLiteral("1") }, CViewerChannel::kWaitPasses);
}

bool CEditMirror::ReloadStore()
{
    return m_store.OpenProject(m_store.GetProjectFilePath(), 1);
}

bool CEditMirror::RenumberFaces(const std::vector<FaceNumbering>& faces, RenumberKind kind)
{
    const QString channelFolder = m_store.ChannelFolderPath(1);
    if (channelFolder.isEmpty())
        return Fail(kMsgFaceWrite);
    const QString projectFolder = QFileInfo(channelFolder).path();
    const QString backup = MakeTemporaryFolder(projectFolder);
    if (backup.isEmpty())
        return Fail(kMsgTemporaryName);
    if (!CopyFolderTree(channelFolder, backup)) {
        DeleteFolderTree(backup);
        return Fail(kMsgTemporaryCopy);
    }
    const bool done = RebuildFaces(faces, kind, channelFolder, backup);
    if (!done) {
        // The channel as it was before the change comes back, and the store reads it again.
        if (DeleteFolderTree(channelFolder) && MoveFolderTree(backup, channelFolder))
            ReloadStore();
    }
    DeleteFolderTree(backup);
    return done;
}

bool CEditMirror::RebuildFaces(const std::vector<FaceNumbering>& faces,
    RenumberKind kind,
    const QString& channelFolder,
    const QString& backup)
{
    CFaceListXml& faceList = m_store.GetFaceListXml();
    const std::map<int32_t, FaceXmlRecord> oldEntries = faceList.Faces();

    // The channel file: every face's entry under its new number, written once.
    std::map<int32_t, FaceXmlRecord> entries;
    std::set<int32_t> newNumbers;
    for (const FaceNumbering& face : faces) {
        FaceXmlRecord entry;
        if (face.isNew) {
            entry = ToFaceXmlRecord(face.newFace);
            if (kind == RenumberKind::Copy && !oldEntries.count(face.sourceNo))
                return FailFace(kMsgCopySourceRead, face.sourceNo);
        } else {
            const auto found = oldEntries.find(face.oldNo);
            if (found == oldEntries.end())
                return FailFace(kMsgFaceRead, face.oldNo);
            entry = found->second;
        }
        entry.No = face.newNo;
        entry.FilePath = FaceFileName(face.newNo);
        entries[face.newNo] = entry;
        newNumbers.insert(face.newNo);
    }
    faceList.Faces() = entries;
    faceList.SetCount(int32_t(entries.size()));
    if (!faceList.SaveFaceXml())
        return Fail(kMsgFaceWrite);

    // The folders: each renumbered face is built again from the backup under its new number
    // (whatever order the numbers moved in, no folder is overwritten before it was saved).
    for (const FaceNumbering& face : faces) {
        if (!face.isNew && face.oldNo == face.newNo)
            continue;
        const QString target = platform::JoinPath(channelFolder, FaceFolderName(face.newNo));
        if (!DeleteFolderTree(target))
            return Fail(kMsgFaceWrite);
        const int32_t from = face.isNew ? face.sourceNo : face.oldNo;
        if (from == 0) {
            CXmlData empty;
            if (!MakeFolderPath(target)
                || !empty.CreateXmlData(
                    platform::JoinPath(target, FaceFileName(face.newNo)), QStringLiteral("Face")))
                return Fail(kMsgFaceWrite);
            continue;
        }
        const QString oldFile = oldEntries.at(from).FilePath;
        const QString source = platform::JoinPath(backup, FaceFolderName(from));
        if (!platform::IsSafeComponent(oldFile) || !CopyFolderTree(source, target))
            return FailFace(kMsgFaceRead, from);
        if (oldFile != FaceFileName(face.newNo)
            && !RenameFileRetry(
                platform::JoinPath(target, oldFile), platform::JoinPath(target, FaceFileName(face.newNo))))
            return Fail(kMsgFaceWrite);
    }
    // Folders of numbers no face has any more.
    for (const auto& [number, entry] : oldEntries) {
        if (!newNumbers.count(number)
            && !DeleteFolderTree(platform::JoinPath(channelFolder, FaceFolderName(number))))
            return Fail(kMsgFaceWrite);
    }

    if (!ReloadStore())
        return Fail(kMsgFaceRead);
    return RepointLinkItems(faces);
}

bool CEditMirror::RepointLinkItems(const std::vector<FaceNumbering>& faces)
{
    for (const auto& [faceNo, items] : m_store.GetFaceItemMap()) {
        std::vector<ItemXmlRecord> changed;
        for (const auto& [start, entry] : items.Items()) {
            if (entry.Mode != tagTL_FACE_ITEM_DATA::MODE_LINK)
                continue;
            for (const FaceNumbering& face : faces) {
                if (face.isNew || face.oldNo != entry.LinkFaceNo)
                    continue;
                if (face.newNo != face.oldNo) {
                    ItemXmlRecord repointed = entry;
                    repointed.LinkFaceNo = face.newNo;
                    changed.push_back(repointed);
                }
                break;
            }
        }
        if (!changed.empty() && !m_store.SetItems(faceNo, changed))
            return Fail(kMsgItemWrite);
    }
    // A new face's own items (a face inserted with items) go into its new face file.
    for (const FaceNumbering& face : faces) {
        if (!face.isNew || face.sourceNo != 0 || face.newFace.Items.empty())
            continue;
        std::vector<ItemXmlRecord> items;
        for (const tagTL_FACE_ITEM_DATA& item : face.newFace.Items) {
            ItemXmlRecord entry;
            if (!ToItemXmlRecord(item, entry))
                return Fail(kMsgItemWrite);
            items.push_back(entry);
        }
        if (!m_store.SetItems(face.newNo, items))
            return Fail(kMsgItemWrite);
    }
    return true;
}
