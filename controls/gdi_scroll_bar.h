#pragma once

#include "controls/controls_export.h"
#include "controls/picture_file.h"
#include "controls/scroll_bar_layout.h"
#include "controls/win_color.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class CGdiScrollBar;

// One scroll bar notification: what the user did, the position and the track position.
struct ScrollNotifyRecord {
    int32_t action = 0; // controls::ScrollAction
    int32_t position = 0;
    int32_t trackPosition = 0;
};

// Receives a scroll bar's notifications; the receiver applies the action to its own view and
// calls SetScrollPos. `message` is the bar's target message, or UM_SCROLLBAR_NOTIFY for a bar
// that reports to its parent.
class KALEIDRA_CONTROLS_EXPORT CScrollBarOwner {
public:
    CScrollBarOwner() = default;
    // A copy is another receiver, with a lifetime of its own.
    CScrollBarOwner(const CScrollBarOwner&) { }
    CScrollBarOwner& operator=(const CScrollBarOwner&) { return *this; }
    virtual ~CScrollBarOwner() = default;
    virtual void OnScrollBarNotify(unsigned message, const ScrollNotifyRecord& record, CGdiScrollBar& bar)
        = 0;

private:
    friend class CScrollBarTarget;
    // Expires with the receiver, so that a bar can tell a receiver that has gone.
    std::shared_ptr<const bool> m_alive = std::make_shared<const bool>(true);
};

// A bar's receiver, set like a pointer (bar.m_targetWindow = this). It reads as null once the
// receiver has been destroyed, so a bar that outlives its receiver never calls into freed
// memory.
class CScrollBarTarget {
public:
    CScrollBarTarget& operator=(CScrollBarOwner* owner)
    {
        m_owner = owner;
        m_alive = owner ? std::weak_ptr<const bool>(owner->m_alive) : std::weak_ptr<const bool>();
        return *this;
    }
    // The receiver, or null when none was set or it has been destroyed.
    CScrollBarOwner* get() const { return m_alive.expired() ? nullptr : m_owner; }
    bool IsSet() const { return m_owner != nullptr; }
    explicit operator bool() const { return get() != nullptr; }

private:
    CScrollBarOwner* m_owner = nullptr;
    std::weak_ptr<const bool> m_alive;
};

// A scroll bar drawn entirely by the program: two arrow buttons, a track and a thumb. It does
// not move itself when it reports to a receiver: the receiver sets the new position.
// Routing: to m_targetWindow with m_targetMessage when a target is set and still exists;
// otherwise, when neither a target nor a target message is set, to the parent (when it is a
// CScrollBarOwner) with UM_SCROLLBAR_NOTIFY; otherwise the bar scrolls itself.
class KALEIDRA_CONTROLS_EXPORT CGdiScrollBar : public QWidget {
    Q_OBJECT

public:
    struct ScrollInfo {
        int minimum = 0; // always 0
        int maximum = 100;
        int page = 10;
        int position = 0;
        int trackPosition = 0;
    };

    explicit CGdiScrollBar(QWidget* parent = nullptr);

    // The minimum is always 0; a negative maximum is taken as 0; the page is kept within 1 and
    // the maximum; the position and the track position are kept within the new range.
    void SetScrollRange(int minimum, int maximum);
    void SetScrollRange(int maximum) { SetScrollRange(0, maximum); }
    // Clamps to the range, sets position and track position and repaints. Reports nothing.
    int SetScrollPos(int position);
    int GetScrollPos() const { return m_scrollInfo.position; }
    // Scrolls the bar itself by an action (see controls::ScrollAction).
    void DoScroll(int action, int amount);
    void CalcLayout();

    // Painting helpers the timeline and the slider reuse.
    static void FillGradientV(
        QPainter& painter, COLORREF top, COLORREF bottom, const controls::WinRect& rect);
    static void FillGradientH(
        QPainter& painter, COLORREF left, COLORREF right, const controls::WinRect& rect);
    static void DrawFrameRect(QPainter& painter, COLORREF colour, const controls::WinRect& rect);
    static controls::WinRect DeflateRectByRatio(const controls::WinRect& rect, double ratio);

    // The repeat timer's handler; public so that tests can drive it with an injected clock.
    void OnTimer(int timerId);
    // The millisecond clock behind the repeat delay (tests inject their own).
    void SetClock(std::function<int64_t()> clock) { m_clock = std::move(clock); }

    // Members owners set directly.
    ScrollInfo m_scrollInfo;
    int m_lineStep = 1;
    std::array<COLORREF, 16> m_colors;
    QColor m_veilColor = QColor(136, 136, 136, 136);
    CScrollBarTarget m_targetWindow;
    unsigned m_targetMessage = 0;
    int m_arrowSize = 18;
    bool m_arrow1Active = true;
    bool m_arrow2Active = true;
    bool m_vertical = true;
    QImage m_arrow1Image;
    QImage m_arrow2Image;
    QImage m_arrow1PressedImage;
    QImage m_arrow2PressedImage;

    // Read-only state.
    int PressedPart() const { return m_part; }
    const controls::ScrollBarLayout& Layout() const { return m_layout; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void Notify(int action, int position, int trackPosition);
    void EndPress();
    void PaintArrow(QPainter& painter, const controls::WinRect& rect, int arrow) const;

    int64_t m_pressTime = 0;
    int m_part = controls::PART_NONE;
    QPoint m_dragOffset;
    QPoint m_lastMousePoint; // where the held button is now, for the repeat test
    controls::ScrollBarLayout m_layout;
    QTimer m_repeatTimer;
    QElapsedTimer m_elapsed;
    std::function<int64_t()> m_clock;
    mutable std::array<controls::CScaledPicture, 2> m_shownArrows; // arrow 1, arrow 2
};
