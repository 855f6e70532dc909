#pragma once

#include "project/face_data.h"
#include "timeline/timeline_records.h"

// The owner of the item panel, the main view: it learns of every edit made in the panel through
// this interface, one method per message the panel sends (item_panel_messages.h). Every call is
// synchronous: the view has acted when it returns, and it may call back into the panel (for
// example CSettingDlg::SetItemCaption) and into the timeline meanwhile. Records are copies, valid
// for the call.
class CSettingDlgOwner {
public:
    virtual ~CSettingDlgOwner() = default;

    // UM_ITEM_CHANGED (wParam 1): an item was edited in the panel, or a LINK item of another face
    // was brought in step with it; the pair is the record before and after. The view replaces
    // the item in the timeline (CTimeLine::SetItemData), repaints it, stores the change
    // (UpdateItemData) and, when the item is the one shown, calls CSettingDlg::SetItemCaption.
    // 0, or -1 when the change could not be stored (the panel goes on either way).
    virtual int OnItemChanged(const ItemRecordPair& change) = 0;
    // UM_REDRAW_PREVIEW: a thumbnail file was rewritten; the view repaints the timeline.
    virtual void OnRedrawPreview() = 0;
    // UM_ITEMS_CHANGED (wParam 1): one item of a start-time move: the view replaces the item
    // found by the old record's key (CTimeLine::ApplyItemChange), repaints, stores the change with
    // its new start (UpdateItemStartTime) and calls CSettingDlg::SetItemCaption. 0, or -1.
    virtual int OnItemsChanged(const ItemRecordPair& change) = 0;
    // UM_SHOW_ITEM: a link face was chosen; the timeline selects the item with this record's
    // face number and start and scrolls it into view (CTimeLine::SelectItem).
    virtual void OnShowItem(const tagTL_FACE_ITEM_DATA& item) = 0;
    // UM_UNDO, UM_REDO: Ctrl+Z or Ctrl+Y in the panel; the view undoes or redoes its newest
    // operation.
    virtual void OnUndo() = 0;
    virtual void OnRedo() = 0;
    // UM_EDIT_BATCH: 1 before the changes of one edit, 0 after them; the view makes them one undo
    // operation. The panel never nests them.
    virtual void OnEditBatch(int open) = 0;
};
