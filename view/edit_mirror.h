#pragma once

#include "project/face_data.h"
#include "timeline/timeline_records.h"

#include <QString>
#include <cstdint>
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
};

// Every change the user makes in the timeline or the item panel reaches the project through
// here, in one order: the project's files first (a failed write shows its message and stops
// there, so that the files keep their last good state and neither the viewer nor the undo list
// hears of the change), then the viewer, then the project's modified flag, then the undo record.
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
    CUndoHistory& m_undo;
    int32_t& m_modified;
    CMessageCatalog& m_messages;
    CEditMirrorHost& m_host;
};
