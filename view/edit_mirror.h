#pragma once

#include "project/face_data.h"
#include "timeline/timeline_records.h"
#include "view/item_write_batch.h"
#include "view/undo_recorder.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

class CMessageCatalog;
class CProjectFolderStore;
class CUndoHistory;
class CViewerChannel;

// What the edit writers need of the view beyond the project's files and the undo lists.
class CEditMirrorHost {
public:
    virtual ~CEditMirrorHost() = default;
    // The channel to the viewer as it is now (the view maps it after it was made).
    virtual CViewerChannel& ViewerChannel() = 0;
    virtual void StopPlayback() = 0;
    // The wait window while a face is deleted, the wait cursor while faces are renumbered.
    virtual void ShowWaitWindow(bool shown) = 0;
    virtual void ShowWaitCursor(bool shown) = 0;
    virtual bool IsGuideOn() const = 0;
    // The timeline shows the faces and items of the project's files again (the item edits of a
    // change group could not be written). The timeline may still be inside the operation that
    // told of them.
    virtual void PutBackTimeLineFaces() = 0;
};

// Every change the user makes in the timeline or the item panel reaches the project through
// here, in one order: the project's files first (a failed write shows its message and stops
// there, so that the files keep their last good state and neither the viewer nor the undo list
// hears of the change), then the viewer, then the project's modified flag, then the undo record
// (CUndoRecorder).
//
// Item edits made while a change group is open are collected per face (CItemWriteBatch); the
// group's end writes each touched face file once, tells the viewer once per touched face, sets
// the flag and records the group's undo steps. A face that cannot be written then brings every
// face of the group back to its file, and the timeline shows the files again. An item edit
// outside a group is a group of its own, written at once. Any other change (faces, the
// project's times) writes the collected item edits first, so that the files and the undo list
// take the changes in the order they came.
//
// Faces are numbered by their row. When faces are deleted, inserted, copied or moved, the
// channel folder is backed up first; the face entries, the "Face_<n>" folders and their face
// files follow the new numbers, and the LINK items follow the faces they show. A step that
// fails brings the channel folder back from the backup, so the project on disk is the one
// before the change; the backup is deleted in every case.
class CEditMirror {
public:
    // Waits of the viewer's project reload after faces were renumbered (rounds of 10 ms).
    static constexpr int kReloadWaitPasses = 3000;

    CEditMirror(CProjectFolderStore& store,
        CUndoHistory& undo,
        int32_t& modified,
        CMessageCatalog& messages,
        CEditMirrorHost& host);

    // ---- Change groups ----------------------------------------------------------------------------
    // The timeline's or the item panel's bracket: 1 opens the group, 0 writes what it collected
    // and closes the undo operation.
    void OnChangeGroup(int begin);
    // A replay's bracket: the replayed edits are collected and written together at the end, and
    // no undo operation is counted. False when the end's write failed (told to the user).
    void BeginBatch();
    bool EndBatch();
    // A step on the files that follow the items (a thumbnail rebuilt), run after the collected
    // edits were written, or at once when nothing is being collected.
    void AfterItemWrites(std::function<void()> step);

    // ---- Faces and items ------------------------------------------------------------------------
    // `notify` is the notification's wParam: only with 1 is the viewer told.
    bool AddFaceData(const tagTL_FACE_DATA& face, int notify);
    // The face's items were deleted before (each told on its own); the face's folder goes, the
    // faces after it are numbered down and the project is reloaded from its files.
    bool DeleteFaceData(const tagTL_FACE_DATA& face, int notify);
    bool UpdateFaceData(const tagTL_FACE_DATA& face, int notify);
    bool AddItemData(const tagTL_FACE_ITEM_DATA& item, int notify);
    // Removes the item and its thumbnail.
    bool DeleteItemData(const tagTL_FACE_ITEM_DATA& item, int notify);
    bool UpdateItemData(const tagTL_FACE_ITEM_DATA& before, const tagTL_FACE_ITEM_DATA& after, int notify);
    // An edit that moved the item's start: the item is written under its new start before the
    // old entry goes, so a failed write never loses it; the thumbnail follows. One operation of
    // two records (the old item deleted, the new one added).
    bool UpdateItemStartTime(
        const tagTL_FACE_ITEM_DATA& before, const tagTL_FACE_ITEM_DATA& after, int notify);
    // WM_TL_ITEM_MOVED: -1 for a key that did not change and when storing failed, else 0.
    int ItemMoved(const ItemRecordPair& change, int notify);
    // WM_TL_ITEM_COPIED: the copy stored, the source's thumbnail copied to it; -1 on failure.
    int ItemCopied(const ItemRecordPair& change, int notify);

    // ---- The project's times ---------------------------------------------------------------------
    // Play time (OUT - IN), IN and OUT into the project file.
    bool SetPlayRange(int32_t playTime, int32_t in, int32_t out);
    bool SetProjectTime(int32_t time);

    // ---- Face order --------------------------------------------------------------------------------
    bool FaceInserted(const FaceInsertInfo& info);
    bool FaceCopied(const FaceCopyInfo& info);
    bool FaceMoved(const FaceMoveInfo& info);

    // ---- Paths -------------------------------------------------------------------------------------
    // The item's thumbnail "thumbnail_<start>.jpg" in its face's folder; empty without a project.
    QString ThumbnailPath(const tagTL_FACE_ITEM_DATA& item) const;

private:
    // Catalogue messages of failed writes.
    enum : int {
        kMsgFaceWrite = 38,
        kMsgItemWrite = 39,
        kMsgTemporaryName = 40,
        kMsgTemporaryCopy = 41,
        kMsgFaceRead = 42,
        kMsgItemDelete = 45,
        kMsgItemAdd = 46,
        kMsgProjectTime = 47,
        kMsgPlayRange = 48,
        kMsgCopySourceRead = 83,
    };

    bool IsCollecting() const { return m_groupOpen || m_replayOpen; }
    // An item edit was collected: inside a group or a replay it waits for the end, otherwise it
    // is written at once. False when that write failed.
    bool FinishItemEdit() { return IsCollecting() || WriteItemEdits(); }
    // Writes the collected item edits, tells the viewer, sets the flag and records their undo
    // steps; false when they could not be written (told to the user).
    bool WriteItemEdits();

    // One face of the channel after a renumbering: the number it had (0 for a face that is new)
    // and the number it gets; a new face takes the folder of `sourceNo` (a copy) or an empty one.
    struct FaceNumbering {
        int32_t oldNo = 0;
        int32_t newNo = 0;
        bool isNew = false;
        int32_t sourceNo = 0;
        tagTL_FACE_DATA newFace; // a new face's record
    };
    enum class RenumberKind { Delete, Insert, Copy, Move };
    bool RenumberFaces(const std::vector<FaceNumbering>& faces, RenumberKind kind);
    bool RebuildFaces(const std::vector<FaceNumbering>& faces,
        RenumberKind kind,
        const QString& channelFolder,
        const QString& backup);
    bool RepointLinkItems(const std::vector<FaceNumbering>& faces);
    bool ReloadStore();
    void TellViewerToReload();

    bool Fail(int messageId);
    bool FailFace(int messageId, int32_t faceNo);
    void NotifyViewer(int notify, int32_t dataKind, int32_t faceNo);
    void MarkModified() { m_modified = 1; }

    CProjectFolderStore& m_store;
    CUndoRecorder m_recorder;
    CItemWriteBatch m_batch;
    // A change group or a replay is collecting item edits.
    bool m_groupOpen = false;
    bool m_replayOpen = false;
    int32_t& m_modified;
    CMessageCatalog& m_messages;
    CEditMirrorHost& m_host;
};
