#pragma once

#include "timeline/timeline_records.h"

#include <cstdint>

// The timeline's owner (the main view) learns of every change through this interface: one
// method per notification (timeline_messages.h names the numbers). Calls are synchronous: the
// owner has acted when the method returns, and it may call back into the timeline meanwhile
// (read faces, move the playhead). The records are copies, valid for the call.
//
// The record notifications return 0 when the owner handled them and -1 when it refused; the
// timeline does not act on the result. `notifyViewer` is the message's wParam: 1 when the
// outside viewer is to be told as well.
class CTimeLineOwner {
public:
    virtual ~CTimeLineOwner() = default;

    // WM_TL_FACE_ADDED: a face was added (AddFace).
    virtual int OnTlFaceAdded(const tagTL_FACE_DATA& face) = 0;
    // WM_TL_FACE_DELETED: a face was deleted; the record as it was before its items went.
    virtual int OnTlFaceDeleted(const tagTL_FACE_DATA& face) = 0;
    // WM_TL_ITEM_ADDED.
    virtual int OnTlItemAdded(const tagTL_FACE_ITEM_DATA& item) = 0;
    // WM_TL_ITEM_DELETED.
    virtual int OnTlItemDeleted(const tagTL_FACE_ITEM_DATA& item) = 0;
    // WM_TL_ITEM_MOVED: the item took a new key (face or start); the owner renames its
    // thumbnail from the old start to the new one.
    virtual int OnTlItemMoved(const ItemRecordPair& change) = 0;
    // WM_TL_ITEM_COPIED: `after` is a new item made from `before`.
    virtual int OnTlItemCopied(const ItemRecordPair& change) = 0;
    // WM_TL_FACE_CHANGED: the face record after the change; notifyViewer is 0 when the change
    // came from the viewer itself (SetFaceData).
    virtual int OnTlFaceChanged(const tagTL_FACE_DATA& face, int notifyViewer) = 0;
    // WM_TL_ITEM_CHANGED: the item kept its key.
    virtual int OnTlItemChanged(const ItemRecordPair& change) = 0;

    // WM_TL_SELECT_FACE: the face of the clicked item, or 0 and no item.
    virtual void OnTlSelectFace(int32_t faceNo, const tagTL_FACE_ITEM_DATA* item) = 0;
    // WM_TL_PLAYPOS_SET: the ruler was clicked or the playhead dropped; the owner moves the
    // playhead before returning.
    virtual void OnTlPlayPositionSet(int32_t time) = 0;
    // WM_TL_PLAYPOS_DRAG: the playhead is being dragged.
    virtual void OnTlPlayPositionDrag(int32_t time) = 0;
    // WM_TL_IN_MOVED, WM_TL_OUT_MOVED: a marker drag ended.
    virtual void OnTlInMoved(int32_t time) = 0;
    virtual void OnTlOutMoved(int32_t time) = 0;

    // WM_TL_FACE_MOVED, WM_TL_FACE_COPIED, WM_TL_FACE_INSERTED: faces were renumbered by row.
    virtual void OnTlFaceMoved(const FaceMoveInfo& info) = 0;
    virtual void OnTlFaceCopied(const FaceCopyInfo& info) = 0;
    virtual void OnTlFaceInserted(const FaceInsertInfo& info) = 0;
    // WM_TL_FACES_REFRESH: sent before each of the three above.
    virtual void OnTlFacesRefresh() = 0;

    // WM_TL_VIEWER_SYNC: 0 on each tick of a playhead drag, 1 when it ends.
    virtual void OnTlViewerSync(int ended) = 0;
    // WM_TL_WAIT_BEGIN, WM_TL_WAIT_END: a long operation begins or ends.
    virtual void OnTlWaitBegin() = 0;
    virtual void OnTlWaitEnd() = 0;
    // WM_TL_CHANGE_GROUP: 1 before the changes of one user action, 0 after them.
    virtual void OnTlChangeGroup(int begin) = 0;
};
