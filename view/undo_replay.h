#pragma once

#include "view/undo_history.h"

#include <QString>
#include <array>
#include <cstdint>
#include <functional>

class CQuickTimeMedia;
class CTimeLineModel;
class CTimeLineOwner;

// What a replay needs of the view besides the timeline.
class CUndoReplayHost {
public:
    virtual ~CUndoReplayHost() = default;
    // The play range and the project time as the view sets them: its time fields, the
    // timeline, the project file and the viewer. False when the project file was not written
    // (the writer told the user).
    virtual bool ApplyPlayRange(int32_t in, int32_t out) = 0;
    virtual bool ApplyProjectTime(int32_t time) = 0;
    // Hands the viewer a face's corners when it runs.
    virtual void SendFaceCorners(int32_t faceNo, const std::array<int32_t, 8>& corners) = 0;
    // The number of the face at a position of the channel file's face list; 0 when none.
    virtual int32_t FaceNumberAt(int32_t position) = 0;
    // Where the item's thumbnail lies; empty without a project.
    virtual QString ThumbnailPath(const tagTL_FACE_ITEM_DATA& item) = 0;
    // Repaints the timeline with its scroll ranges brought in step with its faces.
    virtual void Redraw() = 0;
    // Around the replay of one operation: the item edits it makes are written together at the
    // end. False when that write failed (the writer told the user).
    virtual void BeginEditBatch() = 0;
    virtual bool EndEditBatch() = 0;
    // Runs a step on the thumbnails once the item edits before it were written.
    virtual void AfterItemWrites(std::function<void()> step) = 0;
};

// Replays undo records through the timeline's model operations. The timeline tells its owner
// (the view) of every change it makes, so the view's handlers write the files and tell the
// viewer; where an operation tells nothing (a face or an item added from a record), the replay
// tells the owner itself. Thumbnails of replayed items are rebuilt from their media files.
class CUndoReplay final : public CUndoReplayer {
public:
    CUndoReplay(CTimeLineModel& timeLine, CTimeLineOwner& owner, CUndoReplayHost& host);

    void BeginReplay() override { m_host.BeginEditBatch(); }
    bool EndReplay() override { return m_host.EndEditBatch(); }
    Result ReplayUndo(tagCKD_UNDO_INFO& record) override { return Apply(record, true); }
    Result ReplayRedo(tagCKD_UNDO_INFO& record) override { return Apply(record, false); }

    // The undo move of a face moved from row `from` to `to`: the (source, target) rows that
    // put it back.
    static std::pair<int, int> ReverseMoveRows(int from, int to);

private:
    Result Apply(tagCKD_UNDO_INFO& record, bool backwards);
    Result AddItem(const tagTL_FACE_ITEM_DATA& item);
    Result RemoveItem(const tagTL_FACE_ITEM_DATA& item);
    Result ChangeItem(const tagTL_FACE_ITEM_DATA& current, const tagTL_FACE_ITEM_DATA& target);
    Result DeleteFace(tagTL_FACE_DATA& face);
    Result ApplyCorners(int32_t faceNo, const std::array<int32_t, 8>& corners);
    // Writes the item's thumbnail from its file once the item is written; for a changed item
    // (`removeWhenUnfit`) a thumbnail whose file is missing or of another kind is deleted.
    void RebuildThumbnail(const tagTL_FACE_ITEM_DATA& item, bool removeWhenUnfit);
    void WriteThumbnail(const tagTL_FACE_ITEM_DATA& item, const QString& thumbnail, bool removeWhenUnfit);

    CTimeLineModel& m_timeLine;
    CTimeLineOwner& m_owner;
    CUndoReplayHost& m_host;
};
