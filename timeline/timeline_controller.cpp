#include "timeline/timeline_controller.h"

#include "platform/dialog_service.h"
#include "timeline/timeline_messages.h"
#include "timeline/timeline_model.h"

#include <QtCore/qnamespace.h>
#include <algorithm>

using namespace timeline;

namespace {

constexpr int kAutoScrollMs = 150;
constexpr int kFaceHoldMs = 800;
constexpr int kViewerSyncMs = 10;
constexpr int kAutoScrollZone = 20;

bool IsItemDragState(int state)
{
    return state == TL_MOUSE_ITEM_MOVE || state == TL_MOUSE_ITEM_COPY || state == TL_MOUSE_ITEM_LINK;
}

bool IsFaceDragState(int state)
{
    return state == TL_MOUSE_FACE_MOVE || state == TL_MOUSE_FACE_COPY;
}

int32_t ToTime(int64_t time)
{
    return int32_t(std::clamp<int64_t>(time, INT32_MIN, INT32_MAX));
}

} // namespace

CTimeLineController::CTimeLineController(CTimeLineModel& model, CTimeLineControllerHost& host)
    : m_model(model)
    , m_host(host)
{
    for (const int id : { TL_TIMER_SCROLL_LEFT, TL_TIMER_SCROLL_RIGHT, TL_TIMER_SCROLL_UP,
             TL_TIMER_SCROLL_DOWN, TL_TIMER_FACE_HOLD, TL_TIMER_VIEWER_SYNC }) {
        auto timer = std::make_unique<QTimer>();
        if (id == TL_TIMER_VIEWER_SYNC)
            timer->setTimerType(Qt::PreciseTimer);
        timer->setSingleShot(id == TL_TIMER_FACE_HOLD);
        timer->setInterval(id == TL_TIMER_FACE_HOLD ? kFaceHoldMs
                : id == TL_TIMER_VIEWER_SYNC        ? kViewerSyncMs
                                                    : kAutoScrollMs);
        QObject::connect(timer.get(), &QTimer::timeout, [this, id] { OnTimer(id); });
        m_timers.emplace(id, std::move(timer));
    }
}

CTimeLineController::~CTimeLineController() = default;

// ---- State and small helpers ------------------------------------------------------------------

int CTimeLineController::State() const
{
    return m_model.MouseState();
}

void CTimeLineController::SetState(int state)
{
    m_model.SetMouseState(state);
    m_feedback.mouseState = state;
}

void CTimeLineController::SetCursor(int cursorId)
{
    m_cursorId = cursorId;
    m_host.SetCursorId(cursorId);
}

void CTimeLineController::StartTimer(int timerId)
{
    QTimer& timer = *m_timers.at(timerId);
    // A timer that runs already keeps its beat: moves inside a scroll zone must not hold it off.
    if (!timer.isActive())
        timer.start();
}

void CTimeLineController::StopTimer(int timerId)
{
    m_timers.at(timerId)->stop();
}

void CTimeLineController::StopDragTimers()
{
    for (const int id : { TL_TIMER_SCROLL_LEFT, TL_TIMER_SCROLL_RIGHT, TL_TIMER_SCROLL_UP,
             TL_TIMER_SCROLL_DOWN, TL_TIMER_FACE_HOLD })
        StopTimer(id);
}

bool CTimeLineController::IsTimerActive(int timerId) const
{
    const auto found = m_timers.find(timerId);
    return found != m_timers.end() && found->second->isActive();
}

int CTimeLineController::TrackLeft() const
{
    return m_model.Viewport().client.left + kHeaderWidth;
}

int64_t CTimeLineController::TimeAt(int x) const
{
    return m_model.Viewport().XToTime(int64_t(x) - TrackLeft());
}

int64_t CTimeLineController::LeftEdgeTime() const
{
    return m_model.Viewport().LeftEdgeTime();
}

void CTimeLineController::RefreshHover(int x, int y)
{
    TlHoverState hover;
    const TlItemHit hit = m_model.HitTestItem(x, y);
    // Items of a locked face are never armed for a drag: no hover over them.
    if (hit.hit && !m_model.IsFaceLocked(hit.faceNo)) {
        hover.valid = 1;
        hover.faceNo = hit.faceNo;
        hover.start = hit.start;
        hover.end = hit.end;
        hover.part = hit.part;
        hover.effect = m_model.HitTestEffectHandle(hit.faceNo, hit.start, x, y);
    }
    m_model.SetHover(hover);
    if (hover.valid)
        m_model.UpdateFilterIconHover(hit.faceNo, hit.start, x, y);
}

void CTimeLineController::ArmPress(int state, int x, int y)
{
    SetState(state);
    m_feedback.pressX = m_feedback.pointerX = x;
    m_feedback.pressY = m_feedback.pointerY = y;
    m_feedback.firstColumnAtPress = m_model.FirstColumn();
    m_savedPlay = m_model.PlayPosition();
    m_savedIn = m_model.InPosition();
    m_savedOut = m_model.OutPosition();
    m_playheadDragTold = false;
    m_host.CaptureMouse(true);
}

// ---- Press ------------------------------------------------------------------------------------

void CTimeLineController::OnLButtonDown(int x, int y, TlModifiers modifiers)
{
    m_host.TakeFocus();
    m_pressHeld = true;
    m_feedback.pointerX = m_feedback.pointerY = 0;
    m_feedback.grabOffsetPx = 0;
    m_feedback.itemPlan = {};
    m_feedback.trimPlan = {};
    m_feedback.effectPlan = {};
    m_model.SetCurrentFace(-1);
    m_model.SetClickedTime(-1);
    if (PressMarkers(x, y))
        return;
    PressRows(x, y, modifiers);
}

bool CTimeLineController::PressMarkers(int x, int y)
{
    CTimeLineOwner* owner = m_model.Owner();
    const int scroll = m_model.FirstColumn() * kColumnWidth;
    const auto onScreen = [scroll](TlRect rect) {
        rect.left -= scroll;
        rect.right -= scroll;
        return rect;
    };
    const struct {
        TlRect rect;
        int state;
        int anchorX; // the centre of the playhead, the left of IN, the right of OUT
    } markers[] = {
        { onScreen(m_model.PlayMarkerRect()), TL_MOUSE_PLAYPOS_DOWN,
            onScreen(m_model.PlayMarkerRect()).left + 12 },
        { onScreen(m_model.InMarkerRect()), TL_MOUSE_IN_DOWN, onScreen(m_model.InMarkerRect()).left },
        { onScreen(m_model.OutMarkerRect()), TL_MOUSE_OUT_DOWN, onScreen(m_model.OutMarkerRect()).right },
    };
    for (const auto& marker : markers) {
        if (!marker.rect.Contains(x, y))
            continue;
        if (m_model.IsRemoteConnected())
            return true; // the remote control drives the play position meanwhile
        m_markerGrabPx = marker.anchorX - x;
        ArmPress(marker.state, x, y);
        Replan();
        if (owner)
            owner->OnTlSelectFace(0, nullptr);
        m_host.RepaintAll();
        return true;
    }

    const TlRect& client = m_model.Viewport().client;
    if (x >= TrackLeft() && x < client.right && y >= client.top && y < client.top + kRulerHeight) {
        if (m_model.IsRemoteConnected())
            return true;
        const int64_t time
            = ClampedPlayheadTime(TimeAt(x), m_model.InPosition(), m_model.OutPosition(), LeftEdgeTime());
        // The owner moves the playhead before it returns; the grab is taken from the moved marker.
        if (owner)
            owner->OnTlPlayPositionSet(ToTime(time));
        m_markerGrabPx = onScreen(m_model.PlayMarkerRect()).left + 12 - x;
        ArmPress(TL_MOUSE_PLAYPOS_DOWN, x, y);
        Replan();
        if (owner)
            owner->OnTlSelectFace(0, nullptr);
        m_host.RepaintAll();
        return true;
    }
    return false;
}

void CTimeLineController::PressRows(int x, int y, TlModifiers modifiers)
{
    const CTimeLineViewport& viewport = m_model.Viewport();
    const int row = viewport.RowAt(x, y);
    const int64_t index = row < 0 ? -1 : int64_t(viewport.firstRow) + row;
    if (row < 0 || index >= m_model.FaceCount()) {
        m_model.ClearSelection();
        m_model.ItemPanel().ClearItem();
        if (row >= 0 && !viewport.rowRects[size_t(row)].rcHeader.Contains(x, y))
            ArmPress(TL_MOUSE_RANGE_DOWN, x, y);
    } else if (row == int(viewport.rowRects.size()) - 1) {
        // The partly shown row at the bottom: a press brings it into view, nothing else.
        m_model.ScrollVert(1);
        m_host.RepaintAll();
        return;
    } else {
        const tagTL_FACE_DATA& face = m_model.Faces()[size_t(index)];
        const int32_t faceNo = face.No;
        const tagTL_FACE_RECT& rects = viewport.rowRects[size_t(row)];
        m_model.SetCurrentFace(faceNo);
        if (rects.rcButton2.Contains(x, y)) {
            m_model.ToggleFaceLock(faceNo);
            m_host.RepaintAll();
        } else if (rects.rcButton1.Contains(x, y)) {
            m_model.ToggleFaceDisplay(faceNo);
            m_host.RepaintAll();
        } else if (rects.rcHeader.Contains(x, y)) {
            m_model.ClearSelection();
            m_model.ItemPanel().ClearItem();
            ArmPress(TL_MOUSE_FACE_HOLD, x, y);
            StartTimer(TL_TIMER_FACE_HOLD);
            m_model.SetFaceDropRow(m_model.GetFaceIndex(faceNo));
            m_feedback.faceDropRow = m_model.FaceDropRow();
        } else if (rects.rcTrack.Contains(x, y)) {
            PressTrack(row, x, y, modifiers);
        }
    }
    if (m_model.Selection().empty()) {
        if (CTimeLineOwner* owner = m_model.Owner())
            owner->OnTlSelectFace(0, nullptr);
        m_host.RepaintAll();
    }
}

void CTimeLineController::PressEmptyTrack(int x, int y)
{
    m_model.SetCurrentItem(TlItemRef());
    m_model.ItemPanel().ClearItem();
    ArmPress(TL_MOUSE_RANGE_DOWN, x, y);
    m_host.RepaintAll();
}

void CTimeLineController::PressTrack(int row, int x, int y, TlModifiers modifiers)
{
    const CTimeLineViewport& viewport = m_model.Viewport();
    const tagTL_FACE_DATA& face = m_model.Faces()[size_t(viewport.firstRow + row)];
    const int32_t faceNo = face.No;
    const int32_t lock = face.Lock == 1 ? 1 : 0;
    const int64_t t = m_model.XToTime(x - viewport.rowRects[size_t(row)].rcTrack.left);
    RefreshHover(x, y);
    const TlHoverState hover = m_model.Hover();

    // The item under the press: the one the hover names (the cursor showed its edge or body),
    // else the one whose span holds the time (a time on a start belongs to the item before).
    tagTL_FACE_ITEM_DATA item;
    bool hit = hover.valid && hover.faceNo == faceNo && m_model.GetItemRecord(faceNo, hover.start, item);
    if (!hit) {
        for (const tagTL_FACE_ITEM_DATA& candidate : face.Items) {
            if (candidate.Start < t && t <= ItemEnd(candidate)) {
                item = candidate;
                hit = true;
                break;
            }
        }
    }
    if (!hit) {
        m_model.ClearSelection();
        PressEmptyTrack(x, y);
        return;
    }

    const bool selected = m_model.IsItemSelected(item.FaceNo, item.Start);
    if (modifiers.ctrl && selected) {
        // Ctrl on a selected item takes it and its linked items out; the press goes on as one on
        // empty track space that keeps the rest of the selection.
        m_model.RemoveFromSelection(item.FaceNo, item.Start);
        m_model.DeselectLinkedItems(item);
        PressEmptyTrack(x, y);
        return;
    }
    if (modifiers.ctrl || !selected) {
        if (!modifiers.ctrl)
            m_model.ClearSelection();
        m_model.SelectLinkedItems(item);
        m_model.AddToSelection(item);
    }

    if (!m_model.IsSelectionLocked()) {
        if (!hover.filterIcon.IsEmpty())
            m_model.ShowPanelPage(2);
        else if (hover.effect.area != TL_EFFECT_NONE)
            m_model.ShowPanelPage(1);
        else
            m_model.ShowPanelPage(0);
        int state = TL_MOUSE_ITEM_DOWN;
        if (hover.effect.area != TL_EFFECT_NONE && hover.effect.handle)
            state = TL_MOUSE_EFFECT_DOWN;
        else if (hover.valid && (hover.part == TL_PART_LEFT_EDGE || hover.part == TL_PART_BEFORE))
            state = TL_MOUSE_LEFT_DOWN;
        else if (hover.valid && (hover.part == TL_PART_RIGHT_EDGE || hover.part == TL_PART_AFTER))
            state = TL_MOUSE_RIGHT_DOWN;
        m_feedback.held = TlItemRef { item.FaceNo, item.Start };
        m_feedback.effectSide = state == TL_MOUSE_EFFECT_DOWN ? hover.effect.area : 0;
        m_feedback.grabOffsetPx = int(std::clamp<int64_t>(
            x - TrackLeft() - (int64_t(item.Start) - LeftEdgeTime()) / viewport.UnitsPerPixel(),
            INT32_MIN / 2, INT32_MAX / 2));
        ArmPress(state, x, y);
        Replan();
    }
    // Locked or not, the item is shown in the panel; a locked one is not armed for a drag.
    m_host.RepaintAll();
    if (CTimeLineOwner* owner = m_model.Owner())
        owner->OnTlSelectFace(item.FaceNo, &item);
    m_model.SyncPanelFaceList();
    m_model.ItemPanel().SetItem(item);
    m_model.ItemPanel().SetLock(lock);
    m_model.SetCurrentItem(TlItemRef { item.FaceNo, item.Start });
}

// ---- Move -------------------------------------------------------------------------------------

void CTimeLineController::OnMouseMove(int x, int y, TlModifiers modifiers)
{
    // Held keys switch a running drag first, as they do between moves.
    OnModifiers(modifiers);
    if (State() == TL_MOUSE_NONE) {
        RefreshHover(x, y);
        SetCursor(m_model.CursorForHover());
        return;
    }
    const bool moved = x != m_feedback.pressX || y != m_feedback.pressY;
    const bool movedSinceLast = x != m_feedback.pointerX || y != m_feedback.pointerY;
    if (moved)
        PromoteOnMove(modifiers);
    if (State() == TL_MOUSE_NONE) {
        UpdateAutoScroll(x, y);
        return;
    }
    // (Ctrl switched a face drag between move and copy above.)
    if (IsFaceDragState(State()) && movedSinceLast) {
        const int drop = m_model.GetFaceDropRow(y);
        if (drop >= 0 && drop != m_model.FaceDropRow())
            m_model.SetFaceDropRow(drop);
    }
    m_feedback.pointerX = x;
    m_feedback.pointerY = y;
    Replan();
    if (State() == TL_MOUSE_PLAYPOS_DRAG) {
        m_playheadDragTold = true;
        if (CTimeLineOwner* owner = m_model.Owner())
            owner->OnTlPlayPositionDrag(ToTime(m_feedback.markerTime));
    }
    // The dragged face's rows are drawn with the faces; every other drag only moves feedback.
    if (IsFaceDragState(State()))
        m_host.RepaintAll();
    else
        m_host.RepaintFeedback();
    UpdateAutoScroll(x, y);
}

void CTimeLineController::PromoteOnMove(TlModifiers modifiers)
{
    switch (State()) {
    case TL_MOUSE_ITEM_DOWN:
        if (modifiers.ctrl) {
            SetState(TL_MOUSE_ITEM_COPY);
            SetCursor(TL_CURSOR_COPY);
        } else if (modifiers.link && m_model.IsLinkGroupSelected()) {
            SetState(TL_MOUSE_ITEM_LINK);
            SetCursor(TL_CURSOR_LINK);
        } else {
            SetState(TL_MOUSE_ITEM_MOVE);
            SetCursor(TL_CURSOR_DEFAULT);
        }
        m_host.RepaintAll(); // moved items leave their tracks
        break;
    case TL_MOUSE_PLAYPOS_DOWN:
        SetState(TL_MOUSE_PLAYPOS_DRAG);
        StartTimer(TL_TIMER_VIEWER_SYNC);
        break;
    case TL_MOUSE_IN_DOWN:
        SetState(TL_MOUSE_IN_DRAG);
        break;
    case TL_MOUSE_OUT_DOWN:
        SetState(TL_MOUSE_OUT_DRAG);
        break;
    case TL_MOUSE_LEFT_DOWN:
        SetState(TL_MOUSE_LEFT_DRAG);
        break;
    case TL_MOUSE_RIGHT_DOWN:
        SetState(TL_MOUSE_RIGHT_DRAG);
        break;
    case TL_MOUSE_RANGE_DOWN:
        SetState(TL_MOUSE_RANGE_DRAG);
        break;
    case TL_MOUSE_EFFECT_DOWN:
        SetState(TL_MOUSE_EFFECT_DRAG);
        m_host.RepaintAll(); // the dragged effect band is emphasised
        break;
    case TL_MOUSE_FACE_HOLD:
        // Moved before the hold was up: no face drag.
        SetState(TL_MOUSE_NONE);
        m_host.CaptureMouse(false);
        StopTimer(TL_TIMER_FACE_HOLD);
        m_model.SetFaceDropRow(-1);
        break;
    default:
        break;
    }
}

void CTimeLineController::Replan()
{
    const int state = State();
    const int x = m_feedback.pointerX;
    const int y = m_feedback.pointerY;
    m_feedback.mouseState = state;
    m_feedback.faceDropRow = m_model.FaceDropRow();
    if (IsItemDragState(state)) {
        m_feedback.itemPlan = m_model.PlanItemDrag(state, x, y, m_feedback.grabOffsetPx, m_feedback.held);
    } else if (state == TL_MOUSE_PLAYPOS_DOWN || state == TL_MOUSE_PLAYPOS_DRAG) {
        m_feedback.markerTime = state == TL_MOUSE_PLAYPOS_DOWN
            ? m_model.PlayPosition()
            : ClampedPlayheadTime(
                TimeAt(x + m_markerGrabPx), m_model.InPosition(), m_model.OutPosition(), LeftEdgeTime());
    } else if (state == TL_MOUSE_IN_DOWN || state == TL_MOUSE_IN_DRAG) {
        m_feedback.markerTime = state == TL_MOUSE_IN_DOWN
            ? m_model.InPosition()
            : ClampedInTime(TimeAt(x + m_markerGrabPx), m_model.OutPosition(), LeftEdgeTime());
    } else if (state == TL_MOUSE_OUT_DOWN || state == TL_MOUSE_OUT_DRAG) {
        m_feedback.markerTime = state == TL_MOUSE_OUT_DOWN
            ? m_model.OutPosition()
            : ClampedOutTime(
                TimeAt(x + m_markerGrabPx), m_model.ProjectLength(), m_model.InPosition(), LeftEdgeTime());
    } else if (state == TL_MOUSE_LEFT_DRAG || state == TL_MOUSE_RIGHT_DRAG) {
        m_feedback.trimPlan = m_model.PlanTrim(state == TL_MOUSE_LEFT_DRAG, x, m_feedback.held);
    } else if (state == TL_MOUSE_LEFT_DOWN || state == TL_MOUSE_RIGHT_DOWN) {
        // Released now the trim changes nothing: the frame stays on the item.
        m_feedback.trimPlan = {};
        m_feedback.trimPlan.leftEdge = state == TL_MOUSE_LEFT_DOWN;
        tagTL_FACE_ITEM_DATA held;
        if (m_model.GetItemRecord(m_feedback.held.faceNo, m_feedback.held.start, held))
            m_feedback.trimPlan.changes.push_back({ held.FaceNo, held.Start, held.Start, ItemEnd(held) });
    } else if (state == TL_MOUSE_EFFECT_DRAG) {
        m_feedback.effectPlan = m_model.PlanEffectEdge(m_feedback.effectSide, x, m_feedback.held);
    }
}

void CTimeLineController::UpdateAutoScroll(int x, int y)
{
    const CTimeLineViewport& viewport = m_model.Viewport();
    if (viewport.rowRects.empty())
        return;
    const TlRect& track = viewport.rowRects.front().rcTrack;
    const int state = State();
    const bool horizontal = IsItemDragState(state) || state == TL_MOUSE_PLAYPOS_DRAG
        || state == TL_MOUSE_IN_DRAG || state == TL_MOUSE_OUT_DRAG || state == TL_MOUSE_LEFT_DRAG
        || state == TL_MOUSE_RIGHT_DRAG || state == TL_MOUSE_EFFECT_DRAG;
    const bool vertical = IsItemDragState(state) || IsFaceDragState(state);
    const auto run = [this](int timerId, bool on) {
        if (on)
            StartTimer(timerId);
        else
            StopTimer(timerId);
    };
    if (horizontal) {
        run(TL_TIMER_SCROLL_LEFT, x < track.left + kAutoScrollZone);
        run(TL_TIMER_SCROLL_RIGHT, x > track.right - kAutoScrollZone);
    }
    if (vertical) {
        run(TL_TIMER_SCROLL_UP, y < track.top + kAutoScrollZone);
        run(TL_TIMER_SCROLL_DOWN, y > viewport.client.bottom - kAutoScrollZone);
    }
}

// ---- Release ----------------------------------------------------------------------------------

void CTimeLineController::OnLButtonUp(int x, int y, TlModifiers modifiers)
{
    m_pressHeld = false;
    OnModifiers(modifiers);
    const int state = State();
    if (state == TL_MOUSE_NONE)
        return;
    m_host.CaptureMouse(false);
    StopDragTimers();
    if (x != m_feedback.pointerX || y != m_feedback.pointerY) {
        m_feedback.pointerX = x;
        m_feedback.pointerY = y;
        Replan();
    }
    Commit(state);
    EndDrag();
    m_feedback.pointerX = x;
    m_feedback.pointerY = y;
}

void CTimeLineController::Commit(int state)
{
    CTimeLineOwner* owner = m_model.Owner();
    const int32_t markerTime = ToTime(m_feedback.markerTime);
    switch (state) {
    case TL_MOUSE_PLAYPOS_DRAG:
        StopTimer(TL_TIMER_VIEWER_SYNC);
        if (owner) {
            owner->OnTlViewerSync(1);
            owner->OnTlPlayPositionSet(markerTime);
        }
        break;
    case TL_MOUSE_IN_DRAG:
        if (owner)
            owner->OnTlInMoved(markerTime);
        break;
    case TL_MOUSE_OUT_DRAG:
        if (owner)
            owner->OnTlOutMoved(markerTime);
        break;
    case TL_MOUSE_LEFT_DRAG:
    case TL_MOUSE_RIGHT_DRAG:
        m_model.CommitTrim(m_feedback.trimPlan);
        break;
    case TL_MOUSE_RANGE_DRAG:
        m_model.SelectItemsInBand(RubberBand(m_feedback.pressX, m_feedback.pressY, m_feedback.pointerX,
            m_feedback.pointerY, m_model.Viewport().client));
        break;
    case TL_MOUSE_FACE_MOVE: {
        const int row = m_model.GetFaceIndex(m_model.CurrentFace());
        const int target = m_model.FaceDropRow();
        if (row >= 0 && target >= 0 && target != row)
            m_model.MoveFace(row, target);
        break;
    }
    case TL_MOUSE_FACE_COPY: {
        const int row = m_model.GetFaceIndex(m_model.CurrentFace());
        const int target = m_model.FaceDropRow();
        if (row >= 0 && target >= 0)
            m_model.CopyFace(row, target);
        break;
    }
    case TL_MOUSE_EFFECT_DRAG:
        m_model.CommitEffectEdge(m_feedback.effectPlan);
        SetCursor(TL_CURSOR_DEFAULT);
        break;
    case TL_MOUSE_ITEM_MOVE:
    case TL_MOUSE_ITEM_COPY:
    case TL_MOUSE_ITEM_LINK:
        m_model.CommitItemDrag(m_feedback.itemPlan);
        break;
    default:
        break; // an armed press released without a move commits nothing
    }
}

void CTimeLineController::EndDrag()
{
    SetState(TL_MOUSE_NONE);
    m_model.SetFaceDropRow(-1);
    m_model.SetHover(TlHoverState());
    m_feedback = TlDragFeedback();
    SetCursor(TL_CURSOR_DEFAULT);
    m_host.RepaintAll();
}

void CTimeLineController::CancelDrag()
{
    const int state = State();
    m_pressHeld = false;
    if (state == TL_MOUSE_NONE)
        return;
    StopDragTimers();
    StopTimer(TL_TIMER_VIEWER_SYNC);
    m_host.CaptureMouse(false);
    // Markers moved with the view by auto-scroll go back; the owner, told of the playhead's drag
    // positions, is given the playhead it kept.
    if (state == TL_MOUSE_PLAYPOS_DRAG) {
        m_model.SetPlayPosition(m_savedPlay);
        if (CTimeLineOwner* owner = m_model.Owner(); owner && m_playheadDragTold) {
            owner->OnTlViewerSync(1);
            owner->OnTlPlayPositionSet(m_savedPlay);
        }
    } else if (state == TL_MOUSE_IN_DRAG || state == TL_MOUSE_OUT_DRAG) {
        m_model.SetInOutPosition(m_savedIn, m_savedOut);
    }
    EndDrag();
}

// ---- Double click, keys, timers -----------------------------------------------------------------

void CTimeLineController::OnLButtonDblClk(int x, int y)
{
    if (m_model.IsPlaying() || m_inDialog)
        return;
    const CTimeLineViewport& viewport = m_model.Viewport();
    const int row = viewport.RowAt(x, y);
    if (row < 0)
        return;
    const int64_t index = int64_t(viewport.firstRow) + row;
    if (index >= m_model.FaceCount())
        return;
    if (row == int(viewport.rowRects.size()) - 1) {
        m_model.ScrollVert(1);
        m_host.RepaintAll();
        return;
    }
    const tagTL_FACE_DATA& face = m_model.Faces()[size_t(index)];
    if (face.Lock == 1 || !viewport.rowRects[size_t(row)].rcColorBar.Contains(x, y))
        return;
    // Everything the dialog needs is taken before it opens; the face is found again after it.
    const int32_t faceNo = face.No;
    const COLORREF initial = platform::Rgb(uint8_t(face.R), uint8_t(face.G), uint8_t(face.B));
    const uint64_t generation = m_model.FaceListGeneration();
    m_inDialog = true;
    const std::optional<uint32_t> chosen = platform::DialogService().Colour(initial);
    m_inDialog = false;
    if (!chosen || m_model.FaceListGeneration() != generation)
        return;
    m_model.SetFaceColour(faceNo, *chosen);
    m_host.RepaintAll();
}

bool CTimeLineController::OnKeyDown(int key, TlModifiers modifiers)
{
    bool handled = true;
    if (key == Qt::Key_Escape) {
        CancelDrag();
    } else if (State() != TL_MOUSE_NONE) {
        // Edits wait until the drag is over: it commits from the items as they were planned.
        handled = false;
    } else if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
        m_model.OnItemDeleteSelected();
    } else if (modifiers.ctrl && key == Qt::Key_Left) {
        m_model.PackItemsForward();
    } else if (modifiers.ctrl && key == Qt::Key_Right) {
        m_model.PackItemsBackward();
    } else if (modifiers.ctrl && key == Qt::Key_C) {
        m_model.CopySelectedItems();
    } else if (modifiers.ctrl && key == Qt::Key_E) {
        m_model.ToggleEffectDisplay();
    } else if (modifiers.ctrl && key == Qt::Key_K) {
        m_model.SplitItemAtPlayPosition();
    } else if (modifiers.ctrl && key == Qt::Key_V) {
        m_model.PasteItemsAtPlayPosition();
    } else {
        handled = false;
    }
    if (handled && key != Qt::Key_Escape)
        m_host.RepaintAll();
    OnModifiers(modifiers);
    return handled;
}

void CTimeLineController::OnModifiers(TlModifiers modifiers)
{
    const int state = State();
    int next = state;
    if (IsItemDragState(state)) {
        next = modifiers.ctrl                                 ? TL_MOUSE_ITEM_COPY
            : modifiers.link && m_model.IsLinkGroupSelected() ? TL_MOUSE_ITEM_LINK
                                                              : TL_MOUSE_ITEM_MOVE;
    } else if (IsFaceDragState(state)) {
        next = modifiers.ctrl ? TL_MOUSE_FACE_COPY : TL_MOUSE_FACE_MOVE;
    }
    if (next == state)
        return;
    SetState(next);
    SetCursor(next == TL_MOUSE_ITEM_COPY || next == TL_MOUSE_FACE_COPY ? TL_CURSOR_COPY
            : next == TL_MOUSE_ITEM_LINK                               ? TL_CURSOR_LINK
                                                                       : TL_CURSOR_DEFAULT);
    Replan();
    m_host.RepaintAll();
}

void CTimeLineController::OnTimer(int timerId)
{
    const int state = State();
    switch (timerId) {
    case TL_TIMER_SCROLL_LEFT:
    case TL_TIMER_SCROLL_RIGHT: {
        const int direction = timerId == TL_TIMER_SCROLL_LEFT ? -1 : 1;
        if (m_model.ScrollHorz(direction) == 1) {
            // A dragged marker moves with the view (the owner learns of it on release).
            const int32_t step = direction * m_model.UnitsPerColumn();
            if (state == TL_MOUSE_PLAYPOS_DRAG)
                m_model.SetPlayPosition(m_model.PlayPosition() + step);
            else if (state == TL_MOUSE_IN_DRAG)
                m_model.SetInOutPosition(m_model.InPosition() + step, m_model.OutPosition());
            else if (state == TL_MOUSE_OUT_DRAG)
                m_model.SetInOutPosition(m_model.InPosition(), m_model.OutPosition() + step);
        }
        Replan();
        m_host.RepaintAll();
        break;
    }
    case TL_TIMER_SCROLL_UP:
    case TL_TIMER_SCROLL_DOWN:
        m_model.ScrollVert(timerId == TL_TIMER_SCROLL_UP ? -1 : 1);
        if (IsFaceDragState(state)) {
            const int drop = m_model.GetFaceDropRow(m_feedback.pointerY);
            if (drop >= 0 && drop != m_model.FaceDropRow())
                m_model.SetFaceDropRow(drop);
        }
        Replan();
        m_host.RepaintAll();
        break;
    case TL_TIMER_FACE_HOLD:
        StopTimer(TL_TIMER_FACE_HOLD);
        // Only while the press that armed it is still held and the mouse has not moved.
        if (state != TL_MOUSE_FACE_HOLD || !m_pressHeld)
            break;
        m_model.SetFaceDropRow(m_model.GetFaceIndex(m_model.CurrentFace()));
        SetState(TL_MOUSE_FACE_MOVE);
        m_model.ClearSelection();
        m_model.ItemPanel().ClearItem();
        Replan();
        m_host.RepaintAll();
        break;
    case TL_TIMER_VIEWER_SYNC:
        if (state != TL_MOUSE_PLAYPOS_DRAG) {
            StopTimer(TL_TIMER_VIEWER_SYNC);
            break;
        }
        if (CTimeLineOwner* owner = m_model.Owner())
            owner->OnTlViewerSync(0);
        break;
    default:
        break;
    }
}
