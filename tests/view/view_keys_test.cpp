// The view's keyboard map, the wheel over the timeline, the zoom controls and the layout, driven
// by key, wheel and mouse events sent to the real child windows of a set-up view.

#include "controls/gdi_button.h"
#include "controls/gdi_slider_ctrl.h"
#include "controls/msk_edit.h"
#include "tests/core/qstring_printer.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/view/view_fixture.h"
#include "timeline/time_line.h"
#include "view/main_menu.h"
#include "view/view_layout.h"

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

namespace {

// Counts the key presses that reach a window.
class CKeyCounter : public QObject {
public:
    QList<int> keys;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress)
            keys << static_cast<QKeyEvent*>(event)->key();
        return false;
    }
};

void Wheel(
    QWidget* target, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool sideways = false)
{
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    const QPoint angle = sideways ? QPoint(delta, 0) : QPoint(0, delta);
    QWheelEvent event(
        at, target->mapToGlobal(at), QPoint(), angle, Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
}

} // namespace

// A view with a project open, its controls enabled and a stand-in viewer.
class ViewKeys : public ViewFixture {
protected:
    void SetUp() override
    {
        ViewFixture::SetUp();
        ASSERT_TRUE(MakeView());
        StartFakeViewer();
        OpenTestProject(60000);
        document->ProjectSource = 1;
        view->EnableControls(true);
        view->resize(1400, 500);
        view->RecalcLayout();
        TimeLine().SetInOutPosition(1000, 20000);
        view->SetPlayTime(19000);
        TimeLine().SetPlayPosition(1000);
        view->SetNowTime(0);
        handlers.calls.clear();
        viewer->ClearRecords();
    }
    CTimeLine& TimeLine() { return *view->TimeLine(); }
    std::vector<int32_t> CommandKinds()
    {
        std::vector<int32_t> kinds;
        for (const auto& command : viewer->Commands())
            kinds.push_back(command.kind);
        return kinds;
    }
};

TEST_F(ViewKeys, TheKeyTableActsForWhicheverChildHasTheKey)
{
    struct Case {
        const char* name;
        QWidget* target;
        int key;
        Qt::KeyboardModifiers modifiers;
        QStringList calls; // what the project flows and undo were asked
    };
    QWidget* line = view->TimeLine();
    QWidget* now = view->NowTimeEdit();
    QWidget* project = view->ProjectTimeEdit();
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers ctrlShift = Qt::ControlModifier | Qt::ShiftModifier;
    const Case cases[] = {
        { "open from the timeline", line, Qt::Key_O, ctrlShift, { QStringLiteral("open") } },
        { "open from a time field", now, Qt::Key_O, ctrlShift, { QStringLiteral("open") } },
        { "new", project, Qt::Key_N, ctrlShift, { QStringLiteral("new") } },
        { "Ctrl+N alone is nothing", line, Qt::Key_N, ctrl, {} },
        { "save", now, Qt::Key_S, ctrl, { QStringLiteral("save") } },
        { "save from the view itself", view, Qt::Key_S, ctrl, { QStringLiteral("save") } },
        { "undo with nothing to undo stays with the field", now, Qt::Key_Z, ctrl, {} },
        { "redo with nothing to redo", line, Qt::Key_Y, ctrl, {} },
        { "a key the view has no use for", line, Qt::Key_B, ctrl, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        handlers.calls.clear();
        QTest::keyClick(c.target, Qt::Key(c.key), c.modifiers);
        EXPECT_EQ(handlers.calls, c.calls);
    }

    // The frame's own keys (no child has the focus, as with no project open) reach the map too.
    handlers.calls.clear();
    QTest::keyClick(frame.get(), Qt::Key_N, ctrlShift);
    EXPECT_EQ(handlers.calls, QStringList { QStringLiteral("new") });

    // Undo and redo once there is something to undo.
    TimeLine().OnFaceAdd();
    ASSERT_TRUE(view->CanUndo());
    handlers.calls.clear();
    QTest::keyClick(now, Qt::Key_Z, ctrl);
    EXPECT_EQ(handlers.calls, QStringList { QStringLiteral("undo") });
}

TEST_F(ViewKeys, TransportKeysNeedTheirButtonsEnabled)
{
    struct Case {
        const char* name;
        int key;
        CGdiButton* button;
        int32_t command;
    };
    const Case toggles[] = {
        { "GUIDE", Qt::Key_G, view->GuideButton(), kPmCommandGuide },
        { "SCREEN", Qt::Key_P, view->ScreenButton(), kPmCommandScreen },
    };
    for (const Case& c : toggles) {
        SCOPED_TRACE(c.name);
        const int before = c.button->GetCheckState();
        viewer->ClearRecords();
        QTest::keyClick(view->NowTimeEdit(), Qt::Key(c.key), Qt::ControlModifier);
        EXPECT_NE(c.button->GetCheckState(), before) << "flipped";
        EXPECT_TRUE(QTest::qWaitFor([&] {
            const std::vector<int32_t> kinds = CommandKinds();
            return std::find(kinds.begin(), kinds.end(), c.command) != kinds.end();
        })) << "and its command run";

        c.button->setEnabled(false);
        viewer->ClearRecords();
        QTest::keyClick(view->TimeLine(), Qt::Key(c.key), Qt::ControlModifier);
        EXPECT_NE(c.button->GetCheckState(), before) << "a disabled button is left alone";
        EXPECT_TRUE(viewer->Commands().empty());
        c.button->setEnabled(true);
    }

    // Space starts and pauses; TOP goes back to IN.
    QTest::keyClick(view->TimeLine(), Qt::Key_Space);
    EXPECT_EQ(view->PlayState(), CKaleidraView::kPlaying);
    QTest::keyClick(view->TimeLine(), Qt::Key_Space);
    EXPECT_NE(view->PlayState(), CKaleidraView::kPlaying);
    TimeLine().SetPlayPosition(5000);
    view->SetNowTime(4000);
    QTest::keyClick(view->TimeLine(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(TimeLine().PlayPosition(), 1000);
    EXPECT_EQ(view->NowTime(), 0);

    view->StartPauseButton()->setEnabled(false);
    QTest::keyClick(view->TimeLine(), Qt::Key_Space);
    EXPECT_EQ(view->PlayState(), CKaleidraView::kStopped) << "START/PAUSE disabled";
    view->TopButton()->setEnabled(false);
    TimeLine().SetPlayPosition(5000);
    QTest::keyClick(view->TimeLine(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(TimeLine().PlayPosition(), 5000) << "TOP disabled";
}

TEST_F(ViewKeys, StepsInAndOutAndTheTimeFields)
{
    // One pixel of the scale, ten with Shift; never before IN nor past the play time.
    const int32_t step = TimeLine().UnitsPerColumn() / 10;
    ASSERT_GT(step, 0);
    struct Case {
        const char* name;
        QWidget* target;
        int key;
        Qt::KeyboardModifiers modifiers;
        int32_t nowAfter;
    };
    const Case cases[] = {
        { "Right", view->TimeLine(), Qt::Key_Right, Qt::NoModifier, step },
        { "Shift+Right", view->TimeLine(), Qt::Key_Right, Qt::ShiftModifier, 11 * step },
        { "Left", view, Qt::Key_Left, Qt::NoModifier, 10 * step },
        { "Ctrl+Left is not a step", view->TimeLine(), Qt::Key_Left, Qt::ControlModifier, 10 * step },
        { "Left in a time field moves its cursor", view->NowTimeEdit(), Qt::Key_Left, Qt::NoModifier,
            10 * step },
        { "Shift+Left", view->TimeLine(), Qt::Key_Left, Qt::ShiftModifier, 0 },
        { "Left at IN", view->TimeLine(), Qt::Key_Left, Qt::NoModifier, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTest::keyClick(c.target, Qt::Key(c.key), c.modifiers);
        EXPECT_EQ(view->NowTime(), c.nowAfter);
        EXPECT_EQ(TimeLine().PlayPosition(), 1000 + c.nowAfter);
    }
    view->SetNowTime(18990);
    view->SeekToCurrentTime();
    QTest::keyClick(view->TimeLine(), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(view->NowTime(), 19000) << "up to the play time";

    // Left and Right over the zoom control move the zoom, not the time.
    const int zoom = TimeLine().ZoomMode();
    QTest::keyClick(view->ZoomSlider(), zoom > 0 ? Qt::Key_Left : Qt::Key_Right);
    EXPECT_NE(TimeLine().ZoomMode(), zoom);
    EXPECT_EQ(TimeLine().ZoomMode(), view->ZoomSlider()->value());
    EXPECT_EQ(view->NowTime(), 19000);

    // Enter in the current-time field seeks to what was typed, held to the range.
    view->NowTimeEdit()->setText(CMskEdit::GetFormatTimeStr(5000));
    viewer->ClearRecords();
    QTest::keyClick(view->NowTimeEdit(), Qt::Key_Return);
    EXPECT_EQ(view->NowTime(), 5000);
    EXPECT_EQ(TimeLine().PlayPosition(), 6000);
    ASSERT_FALSE(viewer->Commands().empty());
    EXPECT_EQ(viewer->Commands().back().kind, kPmCommandSeek);
    EXPECT_EQ(viewer->Commands().back().cell0, QStringLiteral("6000"));
    view->NowTimeEdit()->setText(CMskEdit::GetFormatTimeStr(360000));
    QTest::keyClick(view->NowTimeEdit(), Qt::Key_Tab);
    EXPECT_EQ(view->NowTime(), 19000) << "OUT - IN at most";
    EXPECT_EQ(TimeLine().PlayPosition(), 20000);

    // Tab in the project-time field takes the new project time; OUT follows a shorter one.
    view->ProjectTimeEdit()->SetWindowTime(int64_t(15000));
    QTest::keyClick(view->ProjectTimeEdit(), Qt::Key_Tab);
    EXPECT_EQ(TimeLine().ProjectLength(), 15000);
    EXPECT_EQ(TimeLine().OutPosition(), 15000);

    // IN and OUT at the playhead; Ctrl+Shift+I is nothing.
    TimeLine().SetPlayPosition(3000);
    QTest::keyClick(view->TimeLine(), Qt::Key_I, Qt::ControlModifier);
    EXPECT_EQ(TimeLine().InPosition(), 3000);
    TimeLine().SetPlayPosition(9000);
    QTest::keyClick(view->TimeLine(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(TimeLine().OutPosition(), 9000);
    TimeLine().SetPlayPosition(4000);
    QTest::keyClick(view->TimeLine(), Qt::Key_I, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(TimeLine().InPosition(), 3000);

    // Ctrl+A adds a face, also from a time field.
    const int faces = TimeLine().FaceCount();
    QTest::keyClick(view->ProjectTimeEdit(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(TimeLine().FaceCount(), faces + 1);
}

TEST_F(ViewKeys, EscapeIsSwallowedButStillCancelsADragInTheTimeline)
{
    CKeyCounter frameKeys;
    frame->installEventFilter(&frameKeys);
    CKeyCounter timelineKeys;
    TimeLine().installEventFilter(&timelineKeys);
    for (QWidget* target :
        std::initializer_list<QWidget*> { view->NowTimeEdit(), view->ProjectTimeEdit(), view })
        QTest::keyClick(target, Qt::Key_Escape);
    EXPECT_TRUE(frameKeys.keys.isEmpty()) << "nothing passes Escape on to the frame";
    QTest::keyClick(view->TimeLine(), Qt::Key_Escape);
    EXPECT_EQ(timelineKeys.keys, QList<int> { Qt::Key_Escape });
    EXPECT_TRUE(frameKeys.keys.isEmpty());
    // A key nobody uses still travels up to the frame.
    QTest::keyClick(view->NowTimeEdit(), Qt::Key_F5);
    EXPECT_EQ(frameKeys.keys, QList<int> { Qt::Key_F5 });
}

TEST_F(ViewKeys, TheWheelScrollsRowsAndWithAltZooms)
{
    for (int32_t face = 1; face <= 30; ++face)
        AddFace(face, { 0, 0, 100, 0, 100, 100, 0, 100 });
    TimeLine().RecalcLayout();
    ASSERT_LT(TimeLine().VisibleRows(), 20);
    ASSERT_EQ(TimeLine().FirstRow(), 0);

    Wheel(view->TimeLine(), -120);
    EXPECT_EQ(TimeLine().FirstRow(), 3) << "toward the user: down three rows";
    Wheel(view->TimeLine(), -240);
    EXPECT_EQ(TimeLine().FirstRow(), 9);
    Wheel(view->TimeLine(), 120);
    EXPECT_EQ(TimeLine().FirstRow(), 6) << "away: up three rows";
    Wheel(view->TimeLine(), 60);
    EXPECT_EQ(TimeLine().FirstRow(), 6) << "half a notch waits for the other half";
    Wheel(view->TimeLine(), 60);
    EXPECT_EQ(TimeLine().FirstRow(), 3);

    TimeLine().SetZoomMode(3);
    Wheel(view->TimeLine(), 120, Qt::AltModifier);
    EXPECT_EQ(TimeLine().ZoomMode(), 4) << "away with Alt: zoom in";
    EXPECT_EQ(view->ZoomSlider()->value(), 4);
    Wheel(view->TimeLine(), -120, Qt::AltModifier, true);
    EXPECT_EQ(TimeLine().ZoomMode(), 3) << "the window system may turn an Alt wheel sideways";
    EXPECT_EQ(TimeLine().FirstRow(), 3) << "zooming scrolls no rows";

    // A wheel elsewhere is not the timeline's.
    Wheel(view->NowTimeEdit(), -120);
    EXPECT_EQ(TimeLine().FirstRow(), 3);
}

TEST_F(ViewKeys, ZoomButtonsStopAtTheEndsAndTheSliderFollows)
{
    TimeLine().SetZoomMode(5);
    for (int expected : { 6, 6 }) {
        QTest::mouseClick(view->ZoomInButton(), Qt::LeftButton);
        EXPECT_EQ(TimeLine().ZoomMode(), expected);
        EXPECT_EQ(view->ZoomSlider()->value(), expected);
    }
    TimeLine().SetZoomMode(1);
    for (int expected : { 0, 0 }) {
        QTest::mouseClick(view->ZoomOutButton(), Qt::LeftButton);
        EXPECT_EQ(TimeLine().ZoomMode(), expected);
        EXPECT_EQ(view->ZoomSlider()->value(), expected);
    }
    // The playhead is brought into view by a zoom.
    TimeLine().SetPlayPosition(59000);
    QTest::mouseClick(view->ZoomInButton(), Qt::LeftButton);
    const int column = 59000 / TimeLine().UnitsPerColumn();
    EXPECT_GE(column, TimeLine().FirstColumn());
    EXPECT_LT(column, TimeLine().FirstColumn() + TimeLine().VisibleColumns());

    // A position the user gives the slider is the zoom mode.
    QTest::keyClick(view->ZoomSlider(), Qt::Key_End);
    EXPECT_EQ(TimeLine().ZoomMode(), 6);
    QTest::keyClick(view->ZoomSlider(), Qt::Key_Home);
    EXPECT_EQ(TimeLine().ZoomMode(), 0);
}

TEST_F(ViewKeys, TheLayoutFollowsTheWidthAndHidesZoomControlsTheTimelineDoesNotReach)
{
    struct Case {
        int width;
        int timelineWidth;
        bool zoomOut;
        bool slider;
        bool zoomIn;
    };
    const Case cases[] = {
        { 1400, 1150, true, true, true },
        { 316, 66, true, true, true },
        { 315, 65, true, true, false },
        { 266, 16, true, true, false },
        { 265, 15, true, false, false },
        { 251, 1, true, false, false },
        { 250, 0, false, false, false },
        { 200, 0, false, false, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        view->resize(c.width, 400);
        view->RecalcLayout();
        EXPECT_EQ(TimeLine().geometry(), QRect(0, 0, c.timelineWidth, 384));
        EXPECT_EQ(view->ZoomOutButton()->geometry(), QRect(0, 384, 15, 15));
        // The zoom slider fits the 16-pixel strip below the timeline.
        EXPECT_EQ(view->ZoomSlider()->geometry(), QRect(15, 384, 50, 16));
        EXPECT_LE(view->ZoomSlider()->geometry().bottom(), view->rect().bottom());
        EXPECT_EQ(view->ZoomInButton()->geometry(), QRect(65, 384, 15, 15));
        EXPECT_EQ(!view->ZoomOutButton()->isHidden(), c.zoomOut);
        EXPECT_EQ(!view->ZoomSlider()->isHidden(), c.slider);
        EXPECT_EQ(!view->ZoomInButton()->isHidden(), c.zoomIn);
        // The right column starts 16 past the timeline; START/PAUSE under the button labels.
        EXPECT_EQ(view->NowTimeEdit()->geometry(), QRect(c.timelineWidth + 101, 26, 145, 24));
        EXPECT_EQ(view->StartPauseButton()->geometry(), QRect(c.timelineWidth + 34, 185, 202, 42));
        EXPECT_EQ(
            view->Control(CKaleidraView::kIdVertScrollBar)->geometry(), QRect(c.timelineWidth, 20, 16, 364));
    }
    // The height takes the scroll bar's 16 pixels off the timeline.
    view->resize(800, 10);
    view->RecalcLayout();
    EXPECT_EQ(TimeLine().geometry(), QRect(0, 0, 550, 0));
}

TEST_F(ViewKeys, EnableControlsSwitchesTheTimelineItsScrollBarsTheFieldsAndTheButtons)
{
    view->EnableControls(false);
    for (const int id : { CKaleidraView::kIdTimeLine, CKaleidraView::kIdHorzScrollBar,
             CKaleidraView::kIdVertScrollBar, CKaleidraView::kIdNowTime, CKaleidraView::kIdPlayTime,
             CKaleidraView::kIdProjectTime, CKaleidraView::kIdTop, CKaleidraView::kIdScreen,
             CKaleidraView::kIdGuide, CKaleidraView::kIdLoop, CKaleidraView::kIdStartPause }) {
        SCOPED_TRACE(id);
        ASSERT_NE(view->Control(id), nullptr);
        EXPECT_FALSE(view->Control(id)->isEnabled());
        view->EnableControls(true);
        EXPECT_TRUE(view->Control(id)->isEnabled());
        view->EnableControls(false);
    }
}
