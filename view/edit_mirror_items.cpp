#include "view/edit_mirror.h"

#include "platform/file_copy.h"
#include "project/project_folder_store.h"
#include "project/record_conversion.h"
#include "view/folder_tree.h"
#include "view/viewer_channel.h"

#include <QFile>
#include <QFileInfo>

// Item edits and the change groups that collect them.

void CEditMirror::OnChangeGroup(int begin)
{
    if (begin != 0) {
        m_groupOpen = true;
        m_recorder.OnChangeGroup(begin);
        return;
    }
    WriteItemEdits();
    m_groupOpen = false;
    m_recorder.OnChangeGroup(0);
}

void CEditMirror::BeginBatch()
{
    m_replayOpen = true;
}

bool CEditMirror::EndBatch()
{
    const bool written = WriteItemEdits();
    m_replayOpen = false;
    return written;
}

void CEditMirror::AfterItemWrites(std::function<void()> step)
{
    if (IsCollecting())
        m_batch.AddFileStep(std::move(step));
    else
        step();
}

bool CEditMirror::WriteItemEdits()
{
    if (m_batch.IsEmpty()) {
        m_recorder.Commit();
        return true;
    }
    CItemWriteBatch batch = std::exchange(m_batch, CItemWriteBatch());
    if (const std::optional<CItemWriteBatch::Failure> failure = batch.Write(m_store)) {
        m_recorder.Discard();
        Fail(failure->messageId);
        // The timeline shows what the files hold; an edit outside a group stays in the timeline
        // as the user made it.
        if (IsCollecting())
            m_host.PutBackTimeLineFaces();
        return false;
    }
    for (const auto& [faceNo, tellViewer] : batch.TouchedFaces())
        NotifyViewer(tellViewer ? 1 : 0, kPmDataFaceChanged, faceNo);
    MarkModified();
    m_recorder.Commit();
    return true;
}

bool CEditMirror::AddItemData(const tagTL_FACE_ITEM_DATA& item, int notify)
{
    ItemXmlRecord entry;
    if (!ToItemXmlRecord(item, entry))
        return Fail(kMsgItemWrite);
    m_batch.SetItem(item.FaceNo, entry, kMsgItemWrite);
    m_batch.TellViewer(item.FaceNo, notify);
    m_recorder.ItemAdded(item);
    return FinishItemEdit();
}

bool CEditMirror::DeleteItemData(const tagTL_FACE_ITEM_DATA& item, int notify)
{
    m_batch.DeleteItem(item.FaceNo, item.Start, kMsgItemWrite);
    m_batch.TellViewer(item.FaceNo, notify);
    const QString thumbnail = ThumbnailPath(item);
    if (!thumbnail.isEmpty())
        m_batch.AddFileStep([thumbnail] { QFile::remove(thumbnail); });
    m_recorder.ItemDeleted(item);
    return FinishItemEdit();
}

bool CEditMirror::UpdateItemData(
    const tagTL_FACE_ITEM_DATA& before, const tagTL_FACE_ITEM_DATA& after, int notify)
{
    // The record as it was stored: nothing to write, nothing to undo.
    if (before == after)
        return true;
    ItemXmlRecord entry;
    if (!ToItemXmlRecord(after, entry))
        return Fail(kMsgItemWrite);
    m_batch.SetItem(after.FaceNo, entry, kMsgItemWrite);
    m_batch.TellViewer(after.FaceNo, notify);
    m_recorder.ItemChanged({ before, after });
    return FinishItemEdit();
}

namespace {

// The thumbnail follows its item to the new start, once the item is written there.
void RenameThumbnail(const QString& from, const QString& to)
{
    if (!from.isEmpty() && !to.isEmpty() && QFileInfo::exists(from))
        RenameFileRetry(from, to);
}

} // namespace

bool CEditMirror::UpdateItemStartTime(
    const tagTL_FACE_ITEM_DATA& before, const tagTL_FACE_ITEM_DATA& after, int notify)
{
    if (before.FaceNo == after.FaceNo && before.Start == after.Start)
        return UpdateItemData(before, after, notify);
    ItemXmlRecord entry;
    if (!ToItemXmlRecord(after, entry))
        return Fail(kMsgItemAdd);
    // The new entry and the old one's removal go into the face file together.
    m_batch.SetItem(after.FaceNo, entry, kMsgItemAdd);
    m_batch.DeleteItem(before.FaceNo, before.Start, kMsgItemDelete);
    m_batch.TellViewer(after.FaceNo, notify);
    m_batch.TellViewer(before.FaceNo, notify);
    m_batch.AddFileStep(
        [from = ThumbnailPath(before), to = ThumbnailPath(after)] { RenameThumbnail(from, to); });
    m_recorder.ItemStartChanged({ before, after });
    return FinishItemEdit();
}

int CEditMirror::ItemMoved(const ItemRecordPair& change, int notify)
{
    const tagTL_FACE_ITEM_DATA& before = change.before;
    const tagTL_FACE_ITEM_DATA& after = change.after;
    if (before.Channel == after.Channel && before.FaceNo == after.FaceNo && before.Start == after.Start)
        return -1;
    ItemXmlRecord entry;
    if (!ToItemXmlRecord(after, entry)) {
        Fail(kMsgItemWrite);
        return -1;
    }
    m_batch.SetItem(after.FaceNo, entry, kMsgItemWrite);
    m_batch.DeleteItem(before.FaceNo, before.Start, kMsgItemWrite);
    m_batch.TellViewer(after.FaceNo, notify);
    m_batch.TellViewer(before.FaceNo, notify);
    m_batch.AddFileStep(
        [from = ThumbnailPath(before), to = ThumbnailPath(after)] { RenameThumbnail(from, to); });
    m_recorder.ItemMoved(change);
    return FinishItemEdit() ? 0 : -1;
}

int CEditMirror::ItemCopied(const ItemRecordPair& change, int notify)
{
    if (!AddItemData(change.after, notify))
        return -1;
    const QString from = ThumbnailPath(change.before);
    const QString to = ThumbnailPath(change.after);
    if (!from.isEmpty() && !to.isEmpty())
        AfterItemWrites([from, to] {
            if (QFileInfo::exists(from))
                platform::CopyFileReplacing(from, to, {});
        });
    return 0;
}
