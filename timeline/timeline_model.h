#pragma once

#include "core/language_data.h"
#include "project/camera_setting_data.h"
#include "project/face_data.h"
#include "timeline/face_list.h"
#include "timeline/item_selection.h"
#include "timeline/timeline_appearance.h"
#include "timeline/timeline_drag.h"
#include "timeline/timeline_geometry.h"
#include "timeline/timeline_item_panel.h"
#include "timeline/timeline_menu.h"
#include "timeline/timeline_owner.h"
#include "timeline/timeline_scroll_bar.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// A face row and time under a point; every value -1 when the point is on no face row.
struct TlFaceRowHit {
    int32_t channel = -1;
    int32_t faceNo = -1;
    int32_t subNo = -1;
    int32_t time = -1;
};

// An item part under a point (timeline_messages.h: ItemPart); all 0 when nothing is hit.
struct TlItemHit {
    int hit = 0;
    int32_t faceNo = 0;
    int32_t start = 0;
    int64_t end = 0;
    int part = 0;
};

// An effect area under a point: 0 none, 1 entry, 2 exit; handle 1 near the inner edge.
struct TlEffectHit {
    int area = 0;
    int handle = 0;
};

// What lies under the mouse while no drag runs, kept by the mouse handling.
struct TlHoverState {
    int valid = 0;
    int32_t faceNo = -1;
    int32_t start = -1;
    int64_t end = -1;
    int part = 0;
    TlEffectHit effect;
    TlRect filterIcon; // empty when the filter icon is not under the mouse
};

// The timeline control's model: the faces with their items, the selection, the playhead, IN and
// OUT, zoom and scroll position, the project context the view writes, and every operation of
// the control. It needs no window: the widget CTimeLine adds painting and input on top of it.
//
// Every change is told to the owner (timeline_owner.h) after the change is complete. Owners
// call back; the model never keeps a reference into its faces across such a call and finds
// items again by key afterwards. Refused edits are silent: no notification, nothing changed.
//
// Invariants the operations keep: faces sorted by (channel, number, sub-number); each face's
// items sorted by start with no two on one start.
class CQuickTimeMedia;

class CTimeLineModel : public CTimeLineFaceAccess {
public:
    CTimeLineModel();
    ~CTimeLineModel() override;
    CTimeLineModel(const CTimeLineModel&) = delete;
    CTimeLineModel& operator=(const CTimeLineModel&) = delete;

    // ---- Wiring -------------------------------------------------------------------------------
    // Null: notifications go nowhere.
    void SetOwner(CTimeLineOwner* owner) { m_owner = owner; }
    CTimeLineOwner* Owner() const { return m_owner; }
    // Null: the null panel (every effect name empty, nothing loaded).
    void SetItemPanel(CTimeLineItemPanel* panel);
    bool HasItemPanel() const { return m_panel != &m_nullPanel; }
    CTimeLineItemPanel& ItemPanel() const { return *m_panel; }
    // Either may be null (absent).
    void SetScrollBars(CTimeLineScrollBar* horizontal, CTimeLineScrollBar* vertical);

    // ---- Set-up and project context, written by the view --------------------------------------
    CTimeLineAppearance& Appearance() { return m_appearance; }
    const CTimeLineAppearance& Appearance() const { return m_appearance; }
    void SetSkin(const ViewSettingRecord& record);
    void LoadImages(const QString& folder);
    // Copies the 40 texts of the pop-up menus and the camera label. Until then the menu keeps
    // its own captions.
    void SetLanguageTexts(const ViewTextRecord& texts) { m_languageTexts = texts; }
    const std::optional<ViewTextRecord>& LanguageTexts() const { return m_languageTexts; }
    // The message catalogue's texts 29 to 32; an empty text leaves the built-in one in force.
    void SetMessageTexts(const std::array<QString, 4>& texts) { m_messageTexts = texts; }
    QString MessageText(int slot) const;

    QString ProjectFolder() const { return m_projectFolder; }
    void SetProjectFolder(const QString& folder) { m_projectFolder = folder; }
    QString ProjectName() const { return m_projectName; }
    void SetProjectName(const QString& name) { m_projectName = name; }
    int32_t ProjectLength() const { return m_projectLength; }
    void SetProjectLength(int32_t length) { m_projectLength = length; }
    // Play time of new IMAGE items.
    int32_t ImageDefaultTime() const { return m_imageDefaultTime; }
    void SetImageDefaultTime(int32_t time) { m_imageDefaultTime = time; }
    // The ten face colours (entries 1 to 10).
    const std::array<COLORREF, 10>& FrameColors() const { return m_frameColors; }
    void SetFrameColors(const std::array<COLORREF, 10>& colors) { m_frameColors = colors; }
    const std::vector<tagCAMERA_SETTING_DATA>& CameraList() const { return m_cameras; }
    void SetCameraList(std::vector<tagCAMERA_SETTING_DATA> cameras) { m_cameras = std::move(cameras); }
    bool IsPlaying() const { return m_playing; }
    void SetPlaying(bool playing) { m_playing = playing; }
    bool IsRemoteConnected() const { return m_remoteConnected; }
    void SetRemoteConnected(bool connected) { m_remoteConnected = connected; }
    bool IsProjectOpen() const { return m_projectOpen; }
    void SetProjectOpen(bool open) { m_projectOpen = open; }

    // Empties the model for a new, opened or closed project: faces, selection, current item,
    // playhead, IN, OUT and project length; scrolls to the start and clears the item panel. The
    // item clipboard goes only when asked.
    void ResetTimeLine(bool clearClipboard);

    // ---- Layout, scrolling, zoom and markers ----------------------------------------------------
    // Lays the rows out in the control's client rectangle and brings the scroll bars in step.
    void RecalcLayout(const TlRect& client);
    const CTimeLineViewport& Viewport() const { return m_viewport; }
    int ZoomMode() const { return m_viewport.zoomMode; }
    int UnitsPerColumn() const { return m_viewport.unitsPerColumn; }
    int FirstColumn() const { return m_viewport.firstColumn; }
    int FirstRow() const { return m_viewport.firstRow; }
    int VisibleColumns() const { return m_viewport.visibleColumns; }
    int VisibleRows() const { return m_viewport.visibleRows; }
    // The time at a track x (pixels right of the header).
    int32_t XToTime(int trackX) const;

    // Scroll by a signed count, clamped; 1 when the requested position lay inside the range
    // (0 .. maximum - 1), else 0.
    int ScrollHorz(int columns);
    int ScrollVert(int rows);
    void SetHorzScrollPos(int column);
    void SetVertScrollPos(int row);
    // max(0, project length / units per column - visible columns + 5).
    int GetHorzScrollMax() const;
    // Scrolls so that the playhead's column is visible, centring it when it was not.
    void EnsurePlayPositionVisible();
    void SetPlayPosition(int32_t time);
    // Sets the playhead and scrolls to follow it: the playhead runs to the middle of the view,
    // then the view scrolls under it.
    void SetPlayPositionFollow(int32_t time);
    void SetInOutPosition(int32_t inTime, int32_t outTime);
    // Modes 0..6 (1000 to 10 units per column); any other mode is mode 3.
    void SetZoomMode(int mode);
    int32_t PlayPosition() const { return m_playPosition; }
    int32_t InPosition() const { return m_inPosition; }
    int32_t OutPosition() const { return m_outPosition; }
    // Marker rectangles without the horizontal scroll (subtract FirstColumn() * 10 pixels).
    TlRect PlayMarkerRect() const { return m_viewport.PlayMarkerRect(m_playPosition); }
    TlRect InMarkerRect() const { return m_viewport.InMarkerRect(m_inPosition); }
    TlRect OutMarkerRect() const { return m_viewport.OutMarkerRect(m_outPosition); }

    // ---- Faces --------------------------------------------------------------------------------
    const timeline::FaceList& Faces() const { return m_faces; }
    // Grows whenever faces are added, removed, reordered or renumbered; an operation that tells
    // the owner between steps stops when the faces changed under it, as face numbers then name
    // other faces.
    uint64_t FaceListGeneration() const { return m_faceListGeneration; }
    int FaceCount() const { return int(m_faces.size()); }
    // Adds a face with the lowest free number, its default colour and corners; tells the owner.
    // Returns the number.
    int AddFace();
    // The face's lock and display switches and its colour, each stored and told to the owner
    // (with notifyViewer 1). The display switch of a locked face is refused. False when there is
    // no such face or nothing changed.
    bool ToggleFaceLock(int32_t faceNo);
    bool ToggleFaceDisplay(int32_t faceNo);
    bool SetFaceColour(int32_t faceNo, COLORREF colour);
    // Adds a face record without a notification (project loading, undo). Refused (0) when a
    // face with its key exists, when its number is below 1, or when its items share a start.
    // Returns the face number.
    int AddFaceRecord(tagTL_FACE_DATA face);
    // Writes status, lock, colour and corners of the face with the record's channel and number
    // and tells the owner. Always 1 (also when no face matches).
    int SetFaceDisplayPosition(const tagTL_FACE_DATA& face);
    // Deletes a face: each of its items (told one by one), the face itself; the faces behind it
    // are renumbered, LINK items that showed it become independent items of their linked kind,
    // the selection is emptied. 0 (nothing done) when there is no such face, and 0 when the owner
    // changed the faces while it was told of the items.
    int DeleteFace(int32_t channel, int32_t faceNo);
    // The viewer's face records: channel 1 is the only one.
    int GetFaceData(int32_t channel, int32_t faceNo, tagTL_FACE_DATA& face) const override;
    // Replaces colour and corners of the face (from the viewer) and tells the owner with
    // notifyViewer 0. 0 when there is no such face.
    int SetFaceData(const tagTL_FACE_DATA& face);
    void GetFaceNumbers(int32_t channel, std::vector<int32_t>& numbers) const override;

    // ---- Items --------------------------------------------------------------------------------
    // Adds an item record to its face in start order, without a notification. 0 when the face is
    // missing or the start is taken.
    int AddItemRecord(const tagTL_FACE_ITEM_DATA& item);
    // Adds a new item of a kind (0, 1, 2, 3, 6, 7) on face (1, faceNo, 0) at a time: it runs to
    // the next item or the project's end, an IMAGE at most the default image time. Nothing when
    // the time is outside the project or inside an item. Returns 1 when added.
    int AddItem(int32_t faceNo, int32_t time, int32_t kind);
    // Removes an item and tells the owner; 0 when there is none.
    int DeleteItem(int32_t channel, int32_t faceNo, int32_t start, int32_t subNo);
    // Moves an item to a new key (face and start); its effects follow it. Refused when the key
    // is unchanged, the target face is missing, the target start is taken or the source is not
    // there. Loads the new record into the item panel.
    int DropMovedItems(
        int32_t channel, int32_t faceNo, int32_t start, int32_t subNo, const tagTL_FACE_ITEM_DATA& source);
    // Copies an item to a new key; same refusals.
    int DropItemsAsCopy(
        int32_t channel, int32_t faceNo, int32_t start, int32_t subNo, const tagTL_FACE_ITEM_DATA& source);
    // Makes a LINK item at the new key showing the source (a picture, camera or movie item on
    // another face); it records the source's kind as its linked kind.
    int DropAltItems(
        int32_t channel, int32_t faceNo, int32_t start, int32_t subNo, const tagTL_FACE_ITEM_DATA& source);
    // A new start keeping the end. Refused when the start is unchanged, negative or taken, or the
    // play time would not stay above 0.
    bool MoveItemTo(int32_t faceNo, int32_t oldStart, int32_t newStart);
    // A new end keeping the start; refused when the play time would not be above 0.
    bool ResizeItemEnd(int32_t faceNo, int32_t start, int32_t end);
    bool SetItemLinkFace(int32_t faceNo, int32_t start, int32_t linkFaceNo);
    bool SetItemMode(int32_t faceNo, int32_t start, int32_t mode);
    // Replaces the item with the record's key and its selection copy; no notification.
    int SetItemData(const tagTL_FACE_ITEM_DATA& item) override;
    // Replaces the item found by the new record's face and the old record's start (an edit that
    // changed the start); refused when the new start is taken by another item.
    int ApplyItemChange(const tagTL_FACE_ITEM_DATA& oldItem, const tagTL_FACE_ITEM_DATA& newItem);

    // ---- Hit tests and lookups ------------------------------------------------------------------
    TlFaceRowHit HitTestFaceRow(int x, int y) const;
    TlItemHit HitTestItem(int x, int y) const;
    TlEffectHit HitTestEffectHandle(int32_t faceNo, int32_t start, int x, int y) const;
    // Remembers the filter icon's rectangle in the hover state while the point lies on it.
    void UpdateFilterIconHover(int32_t faceNo, int32_t start, int x, int y);
    bool GetItemRecord(int32_t faceNo, int32_t start, tagTL_FACE_ITEM_DATA& item) const override;
    bool FindNextItem(int32_t faceNo, int32_t time, tagTL_FACE_ITEM_DATA& item) const override;
    bool FindPreviousItem(int32_t faceNo, int32_t time, tagTL_FACE_ITEM_DATA& item) const;
    bool IsFaceLocked(int32_t faceNo) const;
    bool IsSelectionLocked() const;
    // The cursor for the hover and mouse state (timeline_messages.h: CursorId).
    int CursorForHover() const;
    // Kind of a file by its extension: 1 picture, 3 movie, 6 sound, 0 none.
    static int32_t GetMediaKindFromFile(const QString& path);

    // Label of a CAMERA item: the camera's name, "未設定" (or the language's text) without one.
    QString GetCameraName(int32_t cameraId) const;
    tagCAMERA_SETTING_DATA GetCameraSetting(int32_t cameraId) const;
    // The effect's name from the item panel's effect table; empty without the panel.
    QString GetEffectName(int32_t effectNo) const;
    // The track rectangle of the face row under the point.
    bool GetTrackRectAt(int x, int y, TlRect& track) const;
    // Replaces the pop-up menu's captions with the language texts (when they were given).
    void SetContextMenuTexts(timeline::MenuEntry& menu) const;

    // ---- Selection ----------------------------------------------------------------------------
    const std::vector<tagTL_FACE_ITEM_DATA>& Selection() const { return m_selection.Items(); }
    // Items by key (face number and start) in one number, for lookups among many.
    using SelectedKeys = QSet<quint64>;
    static quint64 SelectedKey(int32_t faceNo, int32_t start)
    {
        return (quint64(quint32(faceNo)) << 32) | quint32(start);
    }
    static quint64 SelectedKey(const tagTL_FACE_ITEM_DATA& item)
    {
        return SelectedKey(item.FaceNo, item.Start);
    }
    void ClearSelection();
    void AddToSelection(const tagTL_FACE_ITEM_DATA& item);
    void RemoveFromSelection(int32_t faceNo, int32_t start);
    bool IsItemSelected(int32_t faceNo, int32_t start) const;
    bool IsFaceSelected(int32_t faceNo) const;
    // Adds or removes the items linked with the item (not the item itself): for a LINK its
    // source and the source's other LINKs; for a picture, camera or movie its LINKs.
    void SelectLinkedItems(const tagTL_FACE_ITEM_DATA& item);
    void DeselectLinkedItems(const tagTL_FACE_ITEM_DATA& item);
    // The viewer reported a click on a face: selects the item under the time and shows it.
    void SelectItemAtTime(int32_t faceNo, int32_t time);
    // The item panel asked for an item: adds it and its linked items to the selection.
    void SelectItem(int32_t faceNo, int32_t start);
    // Tells the item panel that the faces changed.
    void SyncPanelFaceList();

    // ---- Interaction state kept for the mouse handling and the commands -------------------------
    int MouseState() const { return m_mouseState; }
    void SetMouseState(int state) { m_mouseState = state; }
    const TlHoverState& Hover() const { return m_hover; }
    void SetHover(const TlHoverState& hover) { m_hover = hover; }
    // The item last clicked (shown in the panel).
    TlItemRef CurrentItem() const { return m_currentItem; }
    void SetCurrentItem(TlItemRef item) { m_currentItem = item; }
    // The face of the row last clicked, -1 when none.
    int32_t CurrentFace() const { return m_currentFace; }
    void SetCurrentFace(int32_t faceNo) { m_currentFace = faceNo; }
    // The time under the last right click, -1 when none.
    int32_t ClickedTime() const { return m_clickedTime; }
    void SetClickedTime(int32_t time) { m_clickedTime = time; }
    // Where a dragged face would land, a position in the face list: the face's own row when the
    // drag begins, then the drop row under the pointer; -1 while no face drag runs.
    int FaceDropRow() const { return m_faceDropRow; }
    void SetFaceDropRow(int row) { m_faceDropRow = row; }

    // ---- Face insert, copy and move -----------------------------------------------------------
    // Inserts the face at row 0..count; the faces are numbered by row afterwards. 0 when the row
    // is outside.
    int InsertFace(int row, tagTL_FACE_DATA face);
    // Copies the face of source row 0..count-1 with its items to target row 0..count.
    int CopyFace(int sourceRow, int targetRow);
    // Moves the face of source row 0..count-1 before target row 0..count (count: to the end).
    int MoveFace(int sourceRow, int targetRow);
    int GetFaceIndex(int32_t faceNo) const;
    // The insertion row under y during a face drag; the face count below the rows, -1 when no
    // face drag runs or the visible rows run out.
    int GetFaceDropRow(int y) const;

    // ---- Deletion and LINK rules --------------------------------------------------------------
    // Deletes the selected items (skipping locked faces, and sources whose selected LINK lies on
    // a locked face); LINK items left without their source become independent items. 1 when it
    // ran; 0 without a project or a selection.
    int DeleteSelectedItems();
    // Deletes the current item; its LINK items become independent items.
    int DeleteCurrentItem();
    // The selected LINK items that show (faceNo, start).
    int CollectSelectedLinks(int32_t faceNo, int32_t start, std::vector<tagTL_FACE_ITEM_DATA>* links) const;
    int HasLockedSelectedLink(int32_t faceNo, int32_t start) const;
    // 1 when the selection is one item and LINK items that all show (faceNo, start).
    int IsSelectionLinkedTo(int32_t faceNo, int32_t start) const;
    // Whether the selection may be linked onto another face (an Alt drag).
    int IsLinkGroupSelected() const;
    // A picture, camera or movie item of the face at that start.
    int FindLinkableItem(int32_t faceNo, int32_t start, tagTL_FACE_ITEM_DATA& item) const;
    // Undo and redo: shows the item in the panel, or clears the panel when it is gone.
    void ShowItemInPanel(int32_t channel, int32_t faceNo, int32_t subNo, int32_t start);
    // Makes the item current and refreshes the panel with it; clears the panel when it is gone.
    void SetItemLink(int32_t channel, int32_t faceNo, int32_t subNo, int32_t start);

    // ---- Drags: planned on every mouse move, committed on release -------------------------------
    // Where the selected items of an item drag in mouse state 2 (move), 15 (copy) or 18 (link)
    // released at (x, y) land: the face and time under the point, less the grab offset (pixels
    // from the grabbed item's left end to the cursor), one column after the playhead snapping to
    // it, each item keeping its distance to the grabbed one; checked whole, nothing changed.
    TlItemDragPlan PlanItemDrag(int mouseState, int x, int y, int grabOffsetPx, TlItemRef grabbed) const;
    // The same drag with the grabbed item dropped on a face with its left end at `start` (the
    // pointer's time less the grab offset). Each item is checked against what stays on its target
    // face and against the items planned before it, in commit order.
    TlItemDragPlan PlanItemDragTo(int mouseState, int32_t faceNo, int64_t start, TlItemRef grabbed) const;
    // Commits a plan whole, each item where the plan puts it, in the plan's order; the selection
    // is emptied afterwards. 0 (nothing changed) when the plan is not valid or the model no longer
    // gives it.
    int CommitItemDrag(const TlItemDragPlan& plan);
    // An edge trim of the grabbed item to the time at client x, every other selected item
    // following it by the same shift.
    TlTrimPlan PlanTrim(bool leftEdge, int x, TlItemRef grabbed) const;
    // Commits a trim in one change group; the selection is emptied afterwards.
    void CommitTrim(const TlTrimPlan& plan);
    // The lengths an effect-edge drag of the held item's entry (side 1) or exit (side 2) effect
    // to client x sets.
    TlEffectEdgePlan PlanEffectEdge(int side, int x, TlItemRef held) const;
    void CommitEffectEdge(const TlEffectEdgePlan& plan);
    // The rubber band released: adds the items of the faces and times it spans, with their
    // linked items.
    void SelectItemsInBand(const TlRect& band);

    // ---- Dropped files ----------------------------------------------------------------------------
    // Files dropped at a client point: pictures, movies and sounds become items on the face row
    // under it, one after another from the time under it, each with its thumbnail; other files,
    // unreadable pictures, media that cannot be opened or are shorter than 1/100 s and paths too
    // long for an item are skipped; a file that does not fit ends the drop. Returns the number
    // of items added.
    int DropFiles(const QStringList& paths, int x, int y);
    // The item's thumbnail file; empty without a project folder.
    QString ThumbnailPath(const tagTL_FACE_ITEM_DATA& item) const;

    // ---- Item drag commit ---------------------------------------------------------------------
    // Whether the item, with its play time, may lie on the face from `start`. An item that would
    // start inside another and run past its end may move to that item's end (when the snap is on
    // and the drag is no link drag); with trimToFit an item that would run into the next one is
    // shortened to the gap. `start` and `item` change only when the answer is 1. With
    // skipSelected the item's own record and the selected items are no obstacles.
    int CanPlaceItem(int32_t channel,
        int32_t faceNo,
        int32_t subNo,
        int32_t& start,
        tagTL_FACE_ITEM_DATA& item,
        bool skipSelected,
        bool trimToFit) const;
    // Off while a paste runs: an item that would overlap another is left out, not pushed behind it.
    bool SnapAfterOverlap() const { return m_snapAfterOverlap; }
    // Commits the item drag of mouse state 2 (move), 15 (copy) or 18 (link) released at (x, y):
    // the selected items land on the face and time under the point, keeping their arrangement;
    // `grabbed` is the item held at the press and grabOffsetPx the distance in pixels from its
    // left end to the cursor. All or nothing: when any item has no face or does not fit, nothing
    // changes and the selection stays (result 0).
    int CommitItemDrag(int mouseState, int x, int y, int grabOffsetPx, TlItemRef grabbed);

    // ---- Editing the selected items -------------------------------------------------------------
    // Mode 0 aligns the starts to the earliest selected start, 1 to the latest; items that cannot
    // move without overlapping a neighbour stay.
    void AlignStartTime(int mode);
    // Mode 2 aligns the play times to the shortest, 3 to the longest; items whose effects would
    // not fit, or that would run into the next item, stay.
    void AlignDuration(int mode);
    // Closes the smallest gap before the selected items of each face (forward) or after them
    // (backward).
    void PackItemsForward();
    void PackItemsBackward();
    // Splits every selected item that the playhead lies strictly inside into two.
    void SplitItemAtPlayPosition();
    // Sets the lengths of an item's effects after an effect edge was dragged.
    int SetItemEffectTimes(int32_t faceNo, int32_t start, int32_t entryLength, int32_t exitLength);
    // Adds the items of faces firstFaceNo..lastFaceNo (0 or less: to the last face) that meet the
    // time span, with their linked items.
    void SelectItemsInRange(int32_t firstFaceNo, int32_t lastFaceNo, int32_t startTime, int32_t endTime);

    // ---- Clipboards -----------------------------------------------------------------------------
    const std::vector<tagTL_FACE_ITEM_DATA>& ItemClipboard() const { return m_itemClipboard; }
    // Copies the selected items; the number copied.
    int CopySelectedItems();
    // Pastes the clipboard with its first item on the face at the time, keeping the items'
    // arrangement; items that would fall off the faces or the project, or overlap, are left out.
    void PasteItems(int32_t faceNo, int32_t time);
    // On the current face at the playhead.
    void PasteItemsAtPlayPosition();
    // The effects and filter of the current item, for pasting on the selected items.
    int CopyItemEffect();
    int PasteItemEffect();
    // Mask 1 clears the entry effects, 2 the exit effects, 3 both.
    int ClearItemEffects(int mask);
    int CopyItemFilter();
    int PasteItemFilter();
    int ClearItemFilters();
    bool HasEffectBuffer() const { return m_effectBuffer.has_value(); }
    bool HasFilterBuffer() const { return m_filterBuffer.has_value(); }
    bool HasPositionBuffer() const { return m_positionBuffer.has_value(); }
    // The corners of the current face, for pasting on another face.
    int CopyFaceDisplayPosition();
    int PasteFaceDisplayPosition();
    // Switches the drawing of effect bars.
    void ToggleEffectDisplay();
    int EffectDisplay() const { return m_effectDisplay; }
    // The thumbnail file of a pasted picture or movie item; 1 when written.
    int CreateItemThumbnail(const tagTL_FACE_ITEM_DATA& item);
    // Whether the effect table allows the effect for items of that kind (never for a LINK).
    int IsEffectUsableForMode(int32_t effectNo, int32_t mode) const;
    // The media access used for thumbnails and dropped files.
    CQuickTimeMedia& Media();

    // ---- Pop-up menu and its commands -------------------------------------------------------
    // A right-button release at (x, y): selects what lies under it and remembers the face and
    // time. True when the pop-up menu may be shown (a project is open and no drag runs).
    bool OnRButtonUp(int x, int y, bool ctrl);
    // The pop-up menu with the language texts, greyed and checked for what was clicked.
    timeline::MenuEntry BuildContextMenu() const;
    // Runs a command of the pop-up menu (or the view's FACE add); false for an unknown id.
    bool RunCommand(int commandId);
    void OnFaceAdd();
    void OnFaceDelete();
    void OnFaceInsert();
    void OnFacePositionClear();
    void OnItemAdd(int32_t kind);
    void OnItemDelete();
    void OnItemDeleteSelected();
    void OnItemPaste();
    void OnItemSelectAllInFace();
    // Shows the item panel with page 0 (properties), 1 (effects) or 2 (filter).
    void ShowPanelPage(int tab);

protected:
    // Hooks for the widget: repaint the control, show the wait cursor, and the markers moved
    // (the widget repaints only what they covered).
    virtual void RepaintControl() { }
    virtual void ShowWaitCursor(bool /*show*/) { }
    virtual void PlayPositionChanged(int32_t /*oldTime*/) { }
    virtual void InOutPositionChanged(int32_t /*oldIn*/, int32_t /*oldOut*/) { }

private:
    // Shows the wait cursor while an operation runs.
    class CWaitCursorScope {
    public:
        explicit CWaitCursorScope(CTimeLineModel& model)
            : m_model(model)
        {
            m_model.ShowWaitCursor(true);
        }
        ~CWaitCursorScope() { m_model.ShowWaitCursor(false); }
        CWaitCursorScope(const CWaitCursorScope&) = delete;
        CWaitCursorScope& operator=(const CWaitCursorScope&) = delete;

    private:
        CTimeLineModel& m_model;
    };

    enum class DropKind { Move, Copy, Link };
    int DropItem(DropKind kind,
        int32_t channel,
        int32_t faceNo,
        int32_t start,
        int32_t subNo,
        const tagTL_FACE_ITEM_DATA& source);

    // Notifications (nothing without an owner).
    void NotifyChangeGroup(int begin);
    void NotifyWaitBegin();
    void NotifyWaitEnd();
    void NotifyItemChanged(const tagTL_FACE_ITEM_DATA& before, const tagTL_FACE_ITEM_DATA& after);

    // Brings the selection copy and the current item in step with an item that took a new key.
    void FollowItemKey(const tagTL_FACE_ITEM_DATA& before, const tagTL_FACE_ITEM_DATA& after);
    // Writes a LINK that lost its source as an independent item and tells the owner.
    void DissolveLinkItem(const tagTL_FACE_ITEM_DATA& link, int32_t kind);
    // Dissolves every LINK of another face that showed the (deleted) source.
    void DissolveLinksTo(const tagTL_FACE_ITEM_DATA& source);
    // Renumbers the selection, the current item and face after the faces were renumbered.
    void FollowFaceNumbers(const std::vector<int32_t>& oldNumbers, int skipRow);
    void UpdateVertScrollRange();
    // Opens the change group of a face insert, copy or move and asks the owner to re-send the faces.
    void BeginFaceOrderChange();
    // Ranges of both bars after the layout or the zoom changed; rows scroll back into range.
    void SyncScrollBars();
    void UpdateScrollBarPos(CTimeLineScrollBar* bar, int position);
    // The default corners of a face number: a 320 x 180 rectangle stepped 30 pixels for each of
    // five faces.
    static void SetDefaultCorners(tagTL_FACE_DATA& face, int32_t faceNo);
    // Sets the colour of FrameColors entry 1..10.
    void SetFrameColor(tagTL_FACE_DATA& face, int entry) const;

    tagTL_FACE_ITEM_DATA* FindLiveItem(int32_t faceNo, int32_t start);
    // The drops of a drag plan, told to the owner item by item; the records before and after.
    std::vector<ItemRecordPair> CommitLinkDrop(const TlItemDragPlan& plan);
    std::vector<ItemRecordPair> CommitMovesAndCopies(const TlItemDragPlan& plan);
    int PlaceItem(const tagTL_FACE_DATA& face,
        int32_t& start,
        tagTL_FACE_ITEM_DATA& item,
        bool skipSelected,
        bool trimToFit,
        bool snap) const;
    // The frame of the commands on the selected items: refused (false) when nothing is selected
    // or, unless the command skips them itself, a selected item lies on a locked face; else opens
    // the change group (and the wait window for two or more items).
    bool BeginSelectionCommand(bool refuseLocked = true);
    void EndSelectionCommand();
    // The LINK check: each LINK of the set without another item of the set on its face at its
    // start with its play time takes its linked kind.
    void ApplyLinkCheck(const std::vector<tagTL_FACE_ITEM_DATA>& items);
    // LINK items left without the item they show after items moved away from `vacated` keys or
    // were made at `made` keys become independent items of their linked kind.
    void ReleaseOrphanLinks(
        const std::vector<tagTL_FACE_ITEM_DATA>& vacated, const std::vector<tagTL_FACE_ITEM_DATA>& made);
    // Stores a changed item of a selection command, tells the owner and refreshes the panel.
    void WriteChangedItem(const tagTL_FACE_ITEM_DATA& before, const tagTL_FACE_ITEM_DATA& after);
    bool AskYesNo(const QString& text) const;
    // The items linked with the item; `links`, when given, is an index of the LINK items taken
    // for many items at once.
    void LinkedItems(const tagTL_FACE_ITEM_DATA& item,
        std::vector<tagTL_FACE_ITEM_DATA>& linked,
        const timeline::CLinkIndex* links = nullptr) const;
    // Adds each item after the items linked with it, as a click on each would.
    void SelectWithLinkedItems(const std::vector<tagTL_FACE_ITEM_DATA>& items);
    void RefreshPanelAfterChange(const tagTL_FACE_ITEM_DATA& before, const tagTL_FACE_ITEM_DATA& after);

    timeline::FaceList m_faces;
    uint64_t m_faceListGeneration = 0;
    timeline::CItemSelection m_selection;
    std::vector<tagTL_FACE_ITEM_DATA> m_itemClipboard;
    // The entry and exit effect (pattern, direction, start, end each) of the copied item.
    std::optional<std::array<int32_t, 8>> m_effectBuffer;
    struct FilterBuffer {
        int32_t filterNo = 0;
        std::array<int32_t, tagTL_FACE_ITEM_DATA::FILTER_PARAMS> params {};
    };
    std::optional<FilterBuffer> m_filterBuffer;
    struct PositionBuffer {
        std::array<int32_t, 4> x {};
        std::array<int32_t, 4> y {};
    };
    std::optional<PositionBuffer> m_positionBuffer;
    bool m_snapAfterOverlap = true;
    int m_effectDisplay = 0;
    std::unique_ptr<CQuickTimeMedia> m_media;

    CTimeLineOwner* m_owner = nullptr;
    CNullTimeLineItemPanel m_nullPanel;
    CTimeLineItemPanel* m_panel = &m_nullPanel;
    CTimeLineScrollBar* m_horzBar = nullptr;
    CTimeLineScrollBar* m_vertBar = nullptr;

    CTimeLineAppearance m_appearance;
    std::optional<ViewTextRecord> m_languageTexts;
    std::array<QString, 4> m_messageTexts;
    QString m_projectFolder;
    QString m_projectName;
    int32_t m_projectLength = 0;
    int32_t m_imageDefaultTime = 0;
    std::array<COLORREF, 10> m_frameColors {};
    std::vector<tagCAMERA_SETTING_DATA> m_cameras;
    bool m_playing = false;
    bool m_remoteConnected = false;
    bool m_projectOpen = false;

    CTimeLineViewport m_viewport;
    int32_t m_playPosition = 0;
    int32_t m_inPosition = 0;
    int32_t m_outPosition = 0;

    int m_mouseState = 0;
    TlHoverState m_hover;
    TlItemRef m_currentItem;
    int32_t m_currentFace = -1;
    int32_t m_clickedTime = -1;
    int m_faceDropRow = -1;
};
