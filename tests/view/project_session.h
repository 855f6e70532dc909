#pragma once

#include "core/message_catalog.h"
#include "core/pm_param_block.h"
#include "project/project_folder_store.h"
#include "tests/fixtures/temp_folder.h"
#include "timeline/timeline_model.h"
#include "view/edit_mirror.h"
#include "view/undo_history.h"
#include "view/undo_replay.h"
#include "view/viewer_channel.h"

#include <QStringList>
#include <map>
#include <memory>
#include <ostream>
#include <vector>

// A project on disk edited without windows: the timeline's model tells this owner of every
// change, which hands it to the edit mirror as the view does; undo replays through the same
// CUndoReplay. The viewer is a block in memory that no viewer process reads.
class CProjectSession : public CTimeLineOwner, public CEditMirrorHost, public CUndoReplayHost {
public:
    // Makes the project "Show" of the length in a work folder of the temporary folder.
    explicit CProjectSession(const CTempFolder& temp, int32_t projectTime = 6000);

    // Writes a face with its items into the project's files and loads the timeline again.
    void AddStoredFace(const tagTL_FACE_DATA& face);
    // The timeline reads the project's files again.
    void Reload();

    QString WorkFolder() const { return m_work; }
    QString ChannelFolder() const;
    QString FaceFolder(int32_t faceNo) const;
    // The names of the files and folders in the channel folder and its face folders, relative.
    QStringList ChannelTree() const;

    // What a fresh read of the files holds: each face entry with its items, and the files of
    // every face folder. Equal states mean the same project on disk.
    struct DiskState {
        std::map<int32_t, FaceXmlRecord> faces;
        std::map<int32_t, std::map<int32_t, ItemXmlRecord>> items;
        QStringList files;
        int32_t projectTime = 0, start = 0, end = 0, playTime = 0;
        bool operator==(const DiskState&) const = default;
    };
    DiskState ReadDisk() const;

    CProjectFolderStore store;
    CUndoHistory undo;
    int32_t modified = 0;
    CMessageCatalog messages;
    std::unique_ptr<PmParamBlock> block;
    CTimeLineModel timeline;
    std::unique_ptr<CViewerChannel> channel;
    std::unique_ptr<CEditMirror> mirror;
    std::unique_ptr<CUndoReplay> replay;
    int waitWindowShown = 0;
    int waitCursorShown = 0;
    bool guide = false;

    // CTimeLineOwner, routed as the view routes it.
    int OnTlFaceAdded(const tagTL_FACE_DATA& face) override { return mirror->AddFaceData(face, 1) ? 0 : -1; }
    int OnTlFaceDeleted(const tagTL_FACE_DATA& face) override;
    int OnTlItemAdded(const tagTL_FACE_ITEM_DATA& item) override
    {
        return mirror->AddItemData(item, 1) ? 0 : -1;
    }
    int OnTlItemDeleted(const tagTL_FACE_ITEM_DATA& item) override
    {
        return mirror->DeleteItemData(item, 1) ? 0 : -1;
    }
    int OnTlItemMoved(const ItemRecordPair& change) override { return mirror->ItemMoved(change, 1); }
    int OnTlItemCopied(const ItemRecordPair& change) override { return mirror->ItemCopied(change, 1); }
    int OnTlFaceChanged(const tagTL_FACE_DATA& face, int notify) override
    {
        return mirror->UpdateFaceData(face, notify) ? 0 : -1;
    }
    int OnTlItemChanged(const ItemRecordPair& change) override
    {
        return mirror->UpdateItemData(change.before, change.after, 1) ? 0 : -1;
    }
    void OnTlSelectFace(int32_t, const tagTL_FACE_ITEM_DATA*) override { }
    void OnTlPlayPositionSet(int32_t) override { }
    void OnTlPlayPositionDrag(int32_t) override { }
    void OnTlInMoved(int32_t) override { }
    void OnTlOutMoved(int32_t) override { }
    void OnTlFaceMoved(const FaceMoveInfo& info) override;
    void OnTlFaceCopied(const FaceCopyInfo& info) override;
    void OnTlFaceInserted(const FaceInsertInfo& info) override;
    void OnTlFacesRefresh() override { }
    void OnTlViewerSync(int) override { }
    void OnTlWaitBegin() override { }
    void OnTlWaitEnd() override { }
    void OnTlChangeGroup(int begin) override { mirror->OnChangeGroup(begin); }

    // CEditMirrorHost.
    CViewerChannel& ViewerChannel() override { return *channel; }
    void StopPlayback() override { }
    void ShowWaitWindow(bool shown) override { waitWindowShown += shown ? 1 : 0; }
    void ShowWaitCursor(bool shown) override { waitCursorShown += shown ? 1 : 0; }
    bool IsGuideOn() const override { return guide; }
    // The view posts this; the session reads the files again at once.
    void PutBackTimeLineFaces() override
    {
        ++putBacks;
        Reload();
    }

    // CUndoReplayHost.
    bool ApplyPlayRange(int32_t in, int32_t out) override;
    bool ApplyProjectTime(int32_t time) override;
    void SendFaceCorners(int32_t, const std::array<int32_t, 8>&) override { }
    int32_t FaceNumberAt(int32_t position) override;
    QString ThumbnailPath(const tagTL_FACE_ITEM_DATA& item) override { return mirror->ThumbnailPath(item); }
    void Redraw() override { }
    void BeginEditBatch() override { mirror->BeginBatch(); }
    bool EndEditBatch() override { return mirror->EndBatch(); }
    void AfterItemWrites(std::function<void()> step) override { mirror->AfterItemWrites(std::move(step)); }

    // Renumberings that could not be written (the faces were read back from the files).
    int failedRenumberings = 0;
    // Change groups whose item edits could not be written (the timeline read the files again).
    int putBacks = 0;

private:
    QString m_work;
};

// For failure messages: the faces, items, files and times.
void PrintTo(const CProjectSession::DiskState& state, std::ostream* out);

// An item record of the face at the start.
tagTL_FACE_ITEM_DATA SessionItem(
    int32_t faceNo, int32_t start, int32_t playTime, int32_t mode = tagTL_FACE_ITEM_DATA::MODE_IMAGE);
// A face record with default corners.
tagTL_FACE_DATA SessionFace(int32_t faceNo, std::vector<tagTL_FACE_ITEM_DATA> items = {});
