#pragma once

#include "timeline/timeline_drag.h"

#include <QTimer>
#include <map>
#include <memory>

class CTimeLineModel;

// What the mouse and key handling needs of the window it runs in.
class CTimeLineControllerHost {
public:
    virtual ~CTimeLineControllerHost() = default;
    // Keeps the mouse while a drag runs, so that the release comes back even outside the window.
    virtual void CaptureMouse(bool capture) = 0;
    // A cursor of timeline_messages.h (CursorId); TL_CURSOR_DEFAULT is the arrow.
    virtual void SetCursorId(int cursorId) = 0;
    virtual void TakeFocus() = 0;
    // The rows, items or selection changed: everything is painted again.
    virtual void RepaintAll() = 0;
    // Only the drag feedback moved: it is painted again over the picture kept.
    virtual void RepaintFeedback() = 0;
};

// The keys held with a mouse or key event. `link` is Alt, or Meta where the window manager
// keeps Alt-drags for itself.
struct TlModifiers {
    bool ctrl = false;
    bool link = false;
};

// The mouse and keys of the timeline: a press arms a drag, moves run it (with its feedback
// worked out once per move), the release commits it through the model, which tells the owner.
// The timers of the control live here: the four auto-scroll timers, the face hold and the
// viewer sync of a playhead drag. No window is needed: the host is the window's side.
class CTimeLineController {
public:
    CTimeLineController(CTimeLineModel& model, CTimeLineControllerHost& host);
    ~CTimeLineController();
    CTimeLineController(const CTimeLineController&) = delete;
    CTimeLineController& operator=(const CTimeLineController&) = delete;

    // Client coordinates of the control.
    void OnLButtonDown(int x, int y, TlModifiers modifiers);
    void OnMouseMove(int x, int y, TlModifiers modifiers);
    void OnLButtonUp(int x, int y, TlModifiers modifiers);
    // A double click arrives instead of the second press, never as one.
    void OnLButtonDblClk(int x, int y);
    // A key pressed (a Qt::Key): the shortcuts. True when the key was one of them.
    bool OnKeyDown(int key, TlModifiers modifiers);
    // The keys held changed (any key pressed or released): an item drag switches between move,
    // copy and link, a face drag between move and copy.
    void OnModifiers(TlModifiers modifiers);
    // Escape: ends any drag without committing anything; every drag timer stops and the mouse
    // is released.
    void CancelDrag();

    // The timer handler (timeline_messages.h: TL_TIMER_*), public so that tests drive it.
    void OnTimer(int timerId);
    bool IsTimerActive(int timerId) const;

    const TlDragFeedback& Feedback() const { return m_feedback; }
    int CursorId() const { return m_cursorId; }

private:
    int State() const;
    void SetState(int state);
    void SetCursor(int cursorId);
    void StartTimer(int timerId);
    void StopTimer(int timerId);
    void StopDragTimers();
    int TrackLeft() const;
    int64_t TimeAt(int x) const;
    int64_t LeftEdgeTime() const;
    void RefreshHover(int x, int y);
    void ArmPress(int state, int x, int y);
    bool PressMarkers(int x, int y);
    void PressRows(int x, int y, TlModifiers modifiers);
    void PressTrack(int row, int x, int y, TlModifiers modifiers);
    void PressEmptyTrack(int x, int y);
    void PromoteOnMove(TlModifiers modifiers);
    // Works the drag's result out again at the last point.
    void Replan();
    void Commit(int state);
    void UpdateAutoScroll(int x, int y);
    void EndDrag();

    CTimeLineModel& m_model;
    CTimeLineControllerHost& m_host;
    std::map<int, std::unique_ptr<QTimer>> m_timers;
    TlDragFeedback m_feedback;
    int m_markerGrabPx = 0;
    bool m_pressHeld = false; // the left button went down here and has not come up
    bool m_inDialog = false;
    int m_cursorId = 0;
    // The markers before a marker drag, put back when it is abandoned.
    int32_t m_savedPlay = 0;
    int32_t m_savedIn = 0;
    int32_t m_savedOut = 0;
    bool m_playheadDragTold = false; // the owner was told of playhead drag positions
};
