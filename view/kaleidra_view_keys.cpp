#include "view/kaleidra_view.h"

#include "controls/gdi_button.h"
#include "controls/gdi_scroll_bar.h"
#include "controls/gdi_slider_ctrl.h"
#include "controls/msk_edit.h"
#include "core/main_frame.h"
#include "timeline/time_line.h"
#include "view/main_menu.h"
#include "view/view_commands.h"

#include <QKeyEvent>
#include <QSignalBlocker>
#include <QWheelEvent>
#include <algorithm>

namespace c = menu_command;

namespace {

// One notch of a wheel; finer wheels and touch pads add up to it.
constexpr int kWheelNotch = 120;
constexpr int kWheelRows = 3;
constexpr int kZoomModeMax = 6;

// The zoom control's notifications: only what the user did with it.
class CZoomSliderOwner final : public CSliderOwner {
public:
    explicit CZoomSliderOwner(CKaleidraView& view)
        : m_view(view)
    {
    }
    void OnSliderHScroll(CGdiSliderBase&, int, int position) override { m_view.OnZoomSliderMoved(position); }

private:
    CKaleidraView& m_view;
};

} // namespace

// ---- Busy flags ------------------------------------------------------------------------------------

CKaleidraView::CBusyGuard::CBusyGuard(CKaleidraView& view, BusyFlag flag)
    : m_view(view)
    , m_flag(flag)
    , m_modal(view)
{
    m_view.m_busy[size_t(m_flag)] = true;
}

CKaleidraView::CBusyGuard::~CBusyGuard()
{
    // Cleared before the modal guard goes, which opens a hand-over that waited.
    m_view.m_busy[size_t(m_flag)] = false;
}

bool CKaleidraView::IsBusy() const
{
    return std::any_of(m_busy.begin(), m_busy.end(), [](bool busy) { return busy; });
}

// ---- Set-up ----------------------------------------------------------------------------------------

void CKaleidraView::ConnectKeysAndZoom()
{
    // The keys reach the view whichever of its children has the focus, and the frame's own
    // when none has (no project open: every control is disabled).
    WatchKeysOf(this);
    for (QWidget* child : findChildren<QWidget*>())
        if (child->window() == window())
            WatchKeysOf(child);
    WatchKeysOf(&m_frame);

    connect(m_zoomOutButton, &CGdiButton::clicked, this, &CKaleidraView::ZoomOut);
    connect(m_zoomInButton, &CGdiButton::clicked, this, &CKaleidraView::ZoomIn);
    m_zoomSliderOwner = std::make_unique<CZoomSliderOwner>(*this);
    m_zoomSlider->SetOwner(m_zoomSliderOwner.get());
    m_zoomSlider->setValue(m_timeLine->ZoomMode());
}

void CKaleidraView::WatchKeysOf(QWidget* widget)
{
    widget->removeEventFilter(this);
    widget->installEventFilter(this);
}

// ---- Keys ------------------------------------------------------------------------------------------

bool CKaleidraView::HandleViewKey(QObject* watched, QKeyEvent& event)
{
    const int key = event.key();
    const bool ctrl = event.modifiers().testFlag(Qt::ControlModifier);
    const bool shift = event.modifiers().testFlag(Qt::ShiftModifier);
    const bool alt = event.modifiers().testFlag(Qt::AltModifier);
    const bool enterKey = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool tabKey = key == Qt::Key_Tab || key == Qt::Key_Backtab;

    // Tab and Enter take what was typed into a time field; Tab then moves the focus on.
    if (enterKey || tabKey) {
        if (watched == m_nowTimeEdit) {
            SetNowTime(NowTime()); // shows the value as it is read
            SeekToCurrentTime();
            m_timeLine->update();
            return enterKey;
        }
        if (watched == m_projectTimeEdit) {
            CommitProjectTime();
            return enterKey;
        }
        return false;
    }
    // Escape closes nothing here; the timeline still cancels a drag with it.
    if (key == Qt::Key_Escape)
        return watched != m_timeLine;
    if (key == Qt::Key_Space && !ctrl && !alt) {
        if (!m_startPauseButton->isEnabled())
            return false;
        OnStartPause();
        return true;
    }
    if ((key == Qt::Key_Left || key == Qt::Key_Right) && !ctrl) {
        if (watched == m_nowTimeEdit || watched == m_playTimeEdit || watched == m_projectTimeEdit
            || watched == m_zoomSlider)
            return false;
        if (!IsProjectOpen())
            return false;
        StepCurrentTime(key == Qt::Key_Left ? -1 : 1, shift);
        m_timeLine->update();
        return true;
    }
    if (!ctrl || alt)
        return false;
    switch (key) {
    case Qt::Key_A:
        RunMenuCommand(c::kFaceAdd);
        return true;
    case Qt::Key_G:
        RunTransportCommand(c::kGuide);
        return true;
    case Qt::Key_L:
        RunTransportCommand(c::kLoop);
        return true;
    case Qt::Key_P:
        RunTransportCommand(c::kScreen);
        return true;
    case Qt::Key_T:
        RunTransportCommand(c::kTop);
        return true;
    case Qt::Key_I:
        if (shift)
            return false;
        RunMenuCommand(c::kSetIn);
        return true;
    case Qt::Key_O:
        if (shift) {
            if (m_handlers)
                m_handlers->OpenProject(nullptr);
        } else {
            RunMenuCommand(c::kSetOut);
        }
        return true;
    case Qt::Key_N:
        if (!shift)
            return false;
        if (m_handlers)
            m_handlers->NewProject();
        return true;
    case Qt::Key_S:
        if (m_handlers)
            m_handlers->SaveProject();
        return true;
    case Qt::Key_Y:
        // Without a redo the key stays with the field that has the focus.
        if (!CanRedo())
            return false;
        if (m_handlers)
            m_handlers->Redo();
        return true;
    case Qt::Key_Z:
        if (!CanUndo())
            return false;
        if (m_handlers)
            m_handlers->Undo();
        return true;
    default:
        return false;
    }
}

void CKaleidraView::RunTransportCommand(int commandId)
{
    const auto flipAndRun = [this](CGdiButton* toggle, void (CKaleidraView::*command)()) {
        if (!toggle || !toggle->isEnabled())
            return;
        toggle->SetCheckState(toggle->GetCheckState() ? 0 : 1);
        (this->*command)();
    };
    switch (commandId) {
    case c::kTop:
        if (m_topButton && m_topButton->isEnabled())
            OnTop();
        break;
    case c::kScreen:
        flipAndRun(m_screenButton, &CKaleidraView::OnScreen);
        break;
    case c::kGuide:
        flipAndRun(m_guideButton, &CKaleidraView::OnGuide);
        break;
    case c::kLoop:
        flipAndRun(m_loopButton, &CKaleidraView::OnLoop);
        break;
    case c::kStartPause:
        if (m_startPauseButton && m_startPauseButton->isEnabled())
            OnStartPause();
        break;
    default:
        break;
    }
}

// ---- Wheel and zoom --------------------------------------------------------------------------------

bool CKaleidraView::HandleTimeLineWheel(QWheelEvent& event)
{
    // With Alt held the window system may turn the wheel sideways.
    const QPoint angle = event.angleDelta();
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    if (delta == 0)
        return false;
    if ((m_wheelRemainder > 0) != (delta > 0))
        m_wheelRemainder = 0;
    m_wheelRemainder += delta;
    const int notches = m_wheelRemainder / kWheelNotch;
    m_wheelRemainder -= notches * kWheelNotch;
    const bool zoom = event.modifiers().testFlag(Qt::AltModifier);
    for (int step = 0; step < std::abs(notches); ++step) {
        // Away from the user: rows up, or zoom in.
        if (zoom)
            notches > 0 ? ZoomIn() : ZoomOut();
        else
            m_timeLine->ScrollVert(notches > 0 ? -kWheelRows : kWheelRows);
    }
    if (!zoom && notches != 0)
        m_timeLine->update();
    event.accept();
    return true;
}

void CKaleidraView::ShowZoomMode(int mode)
{
    m_timeLine->SetZoomMode(mode);
    m_timeLine->EnsurePlayPositionVisible();
    {
        const QSignalBlocker quiet(m_zoomSlider);
        m_zoomSlider->setValue(m_timeLine->ZoomMode());
    }
    m_zoomSlider->update();
    m_timeLine->update();
}

void CKaleidraView::ZoomOut()
{
    ShowZoomMode(std::max(m_timeLine->ZoomMode() - 1, 0));
    FocusTimeLine();
}

void CKaleidraView::ZoomIn()
{
    ShowZoomMode(std::min(m_timeLine->ZoomMode() + 1, kZoomModeMax));
    FocusTimeLine();
}

void CKaleidraView::OnZoomSliderMoved(int position)
{
    m_timeLine->SetZoomMode(std::clamp(position, 0, kZoomModeMax));
    m_timeLine->EnsurePlayPositionVisible();
    m_timeLine->update();
}
