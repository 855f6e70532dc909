#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/timeline/timeline_fixtures.h"
#include "timeline/timeline_controller.h"
#include "timeline/timeline_messages.h"

#include <QtCore/qnamespace.h>
#include <gtest/gtest.h>

using namespace timeline;

namespace {

// The window side of the controller, recorded.
class CFakeHost : public CTimeLineControllerHost {
public:
    void CaptureMouse(bool capture) override { captured = capture; }
    void SetCursorId(int id) override { cursor = id; }
    void TakeFocus() override { ++focus; }
    void RepaintAll() override { ++repaintsAll; }
    void RepaintFeedback() override { ++repaintsFeedback; }

    bool captured = false;
    int cursor = 0;
    int focus = 0;
    int repaintsAll = 0;
    int repaintsFeedback = 0;
};

constexpr TlModifiers kNone {};
constexpr TlModifiers kCtrl { true, false };
constexpr TlModifiers kLink { false, true };

// Drags through the controller as the window hands it the mouse, in client pixels of a model laid
// out 1000 x 300 at zoom 3: time t lies at x 80 + t / 10, row r from y 20 + 40 r.
class TimelineControllerTest : public CTimeLineFixture {
protected:
    TimelineControllerTest()
        : controller(model, host)
    {
        model.SetInOutPosition(0, 10000);
        // The view moves the playhead and the markers when it is told, as the real one does.
        owner.onNotification = [this](const RecordedNotification& n) {
            if (n.message == WM_TL_PLAYPOS_SET)
                model.SetPlayPosition(n.wParam);
            else if (n.message == WM_TL_IN_MOVED)
                model.SetInOutPosition(n.wParam, model.OutPosition());
            else if (n.message == WM_TL_OUT_MOVED)
                model.SetInOutPosition(model.InPosition(), n.wParam);
        };
    }

    void Drag(QPoint from, QPoint to, TlModifiers modifiers = kNone)
    {
        controller.OnMouseMove(from.x(), from.y(), modifiers);
        controller.OnLButtonDown(from.x(), from.y(), modifiers);
        controller.OnMouseMove((from.x() + to.x()) / 2, (from.y() + to.y()) / 2, modifiers);
        controller.OnMouseMove(to.x(), to.y(), modifiers);
        controller.OnLButtonUp(to.x(), to.y(), modifiers);
    }
    void Click(QPoint at, TlModifiers modifiers = kNone)
    {
        controller.OnMouseMove(at.x(), at.y(), modifiers);
        controller.OnLButtonDown(at.x(), at.y(), modifiers);
        controller.OnLButtonUp(at.x(), at.y(), modifiers);
    }
    QPoint P(int32_t time, int row) const { return QPoint(XOf(time), YOfRow(row)); }
    std::vector<std::pair<int32_t, int32_t>> Selected() const
    {
        std::vector<std::pair<int32_t, int32_t>> keys;
        for (const tagTL_FACE_ITEM_DATA& item : model.Selection())
            keys.emplace_back(item.FaceNo, item.Start);
        std::sort(keys.begin(), keys.end());
        return keys;
    }
    bool AnyDragTimer() const
    {
        for (const int id : { TL_TIMER_SCROLL_LEFT, TL_TIMER_SCROLL_RIGHT, TL_TIMER_SCROLL_UP,
                 TL_TIMER_SCROLL_DOWN, TL_TIMER_FACE_HOLD, TL_TIMER_VIEWER_SYNC }) {
            if (controller.IsTimerActive(id))
                return true;
        }
        return false;
    }

    CScriptedDialogService dialogs;
    CFakeHost host;
    CTimeLineController controller;
};

// ---- Selection --------------------------------------------------------------------------------

TEST_F(TimelineControllerTest, ClicksSelectItemsAndShowThemWithoutChangingThem)
{
    Load({ Face(1, { Item(1, 1000, 1000), Item(1, 3000, 1000) }), Face(2, { Item(2, 1000, 500) }) });
    Click(P(1500, 0));
    EXPECT_EQ(Selected(), (std::vector<std::pair<int32_t, int32_t>> { { 1, 1000 } }));
    EXPECT_EQ(owner.Log(), QStringList { QStringLiteral("SELECT_FACE 1@1000") });
    ASSERT_TRUE(panel.shown);
    EXPECT_EQ(panel.shown->Start, 1000);
    EXPECT_EQ(model.CurrentItem(), (TlItemRef { 1, 1000 }));
    EXPECT_TRUE(panel.calls.contains(QStringLiteral("SelectTab 0"))) << "the properties page";
    EXPECT_EQ(model.MouseState(), TL_MOUSE_NONE);
    EXPECT_EQ(host.focus, 1);

    Click(P(1200, 1), kCtrl);
    EXPECT_EQ(Selected(), (std::vector<std::pair<int32_t, int32_t>> { { 1, 1000 }, { 2, 1000 } }));
    Click(P(1500, 0), kCtrl); // a selected item: out again, the others stay
    EXPECT_EQ(Selected(), (std::vector<std::pair<int32_t, int32_t>> { { 2, 1000 } }));
    EXPECT_FALSE(panel.shown);

    owner.Clear();
    Click(P(2500, 0)); // empty track space
    EXPECT_TRUE(model.Selection().empty());
    EXPECT_EQ(owner.Log(), QStringList { QStringLiteral("SELECT_FACE 0") });
    EXPECT_FALSE(model.CurrentItem().IsSet());
}

TEST_F(TimelineControllerTest, AnItemOfALockedFaceIsShownButNeverDragged)
{
    Load({ Face(1, { Item(1, 1000, 1000) }, 1), Face(2) });
    Drag(P(1500, 0), P(5000, 1));
    EXPECT_EQ(Starts(model)[0].second, (std::vector<int32_t> { 1000 }));
    EXPECT_EQ(owner.Log(), QStringList { QStringLiteral("SELECT_FACE 1@1000") });
    EXPECT_EQ(panel.lock, 1);
}

TEST_F(TimelineControllerTest, TheRubberBandSelectsWhatItSpans)
{
    Load({ Face(1, { Item(1, 1000, 500), Item(1, 4000, 500) }), Face(2, { Item(2, 2000, 500) }),
        Face(3, { Item(3, 1500, 500) }) });
    const struct {
        const char* name;
        QPoint from;
        QPoint to;
        std::vector<std::pair<int32_t, int32_t>> selected;
    } cases[] = {
        { "down and left", QPoint(XOf(3000), 25), QPoint(XOf(1200), 95), { { 1, 1000 }, { 2, 2000 } } },
        { "up and left", QPoint(XOf(2800), 95), QPoint(XOf(1200), 25), { { 1, 1000 }, { 2, 2000 } } },
        { "below the last face", QPoint(XOf(1000), 150), QPoint(XOf(5000), 280), {} },
        { "down past the last face", QPoint(XOf(1600), 70), QPoint(XOf(2100), 280),
            { { 2, 2000 }, { 3, 1500 } } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        controller.OnLButtonDown(c.from.x(), c.from.y(), kNone);
        controller.OnMouseMove(c.to.x(), c.to.y(), kNone);
        EXPECT_EQ(controller.Feedback().mouseState, TL_MOUSE_RANGE_DRAG);
        controller.OnLButtonUp(c.to.x(), c.to.y(), kNone);
        EXPECT_EQ(Selected(), c.selected);
        model.ClearSelection();
    }
}

// ---- Trims and effect edges ---------------------------------------------------------------------

TEST_F(TimelineControllerTest, EdgeTrimsCommitExactlyWhatTheirFrameShowed)
{
    tagTL_FACE_ITEM_DATA effects = Item(1, 6000, 1000);
    effects.InPattern = 2;
    effects.InStartTime = 6000;
    effects.InEndTime = 6300;
    effects.OutPattern = 2;
    effects.OutStartTime = 6700;
    effects.OutEndTime = 7000;
    Load({ Face(1, { Item(1, 1000, 1000), Item(1, 3000, 1000), effects }) });
    const struct {
        const char* name;
        int32_t grabAt; // a time inside an edge zone
        int32_t dragTo;
        int32_t start; // the item's start after the trim
        int32_t newStart;
        int32_t newEnd;
    } cases[] = {
        { "start moved earlier", 3020, 2500, 3000, 2500, 4000 },
        { "start stops at the item before", 2500, 1500, 2500, 2000, 4000 },
        { "start past the end leaves a column", 2020, 4500, 2000, 3900, 4000 },
        { "end moved later", 3980, 4500, 3900, 3900, 4500 },
        { "end stops at the item after", 4480, 7000, 3900, 3900, 6000 },
        { "end before the start leaves a column", 5980, 1000, 3900, 3900, 4000 },
        { "effects keep their room at the start", 6020, 6950, 6000, 6400, 7000 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        owner.Clear();
        controller.OnMouseMove(XOf(c.grabAt), YOfRow(0), kNone);
        controller.OnLButtonDown(XOf(c.grabAt), YOfRow(0), kNone);
        controller.OnMouseMove(XOf(c.dragTo), YOfRow(0), kNone);
        owner.Clear();
        ASSERT_EQ(controller.Feedback().trimPlan.changes.size(), 1u);
        const TlTrimChange shown = controller.Feedback().trimPlan.changes[0];
        EXPECT_EQ(shown.newStart, c.newStart);
        EXPECT_EQ(shown.newEnd, c.newEnd);
        controller.OnLButtonUp(XOf(c.dragTo), YOfRow(0), kNone);
        ASSERT_TRUE(Has(1, c.newStart)) << Describe(model).toStdString();
        EXPECT_EQ(int64_t(At(1, c.newStart).Start) + At(1, c.newStart).PlayTime, c.newEnd);
        EXPECT_EQ(owner.Log().first(), QStringLiteral("CHANGE_GROUP 1"));
        EXPECT_EQ(owner.Log().last(), QStringLiteral("CHANGE_GROUP 0"));
        EXPECT_TRUE(model.Selection().empty());
        ASSERT_TRUE(TimelineInvariantsHold(model));
    }
}

TEST_F(TimelineControllerTest, TrimmingATheSelectionMovesEveryItemAndFreesLinksLeftBehind)
{
    Load({ Face(1, { Item(1, 1000, 1000) }), Face(2, { Link(2, 1000, 1000, 1) }),
        Face(3, { Item(3, 1000, 1000) }) });
    // Face 1's item and face 3's, without the LINK to face 1's item.
    Click(P(1500, 0));
    model.RemoveFromSelection(2, 1000);
    model.AddToSelection(At(3, 1000));
    ASSERT_EQ(Selected(), (std::vector<std::pair<int32_t, int32_t>> { { 1, 1000 }, { 3, 1000 } }));
    owner.Clear();
    controller.OnMouseMove(XOf(1010), YOfRow(0), kNone);
    controller.OnLButtonDown(XOf(1010), YOfRow(0), kNone);
    controller.OnMouseMove(XOf(1300), YOfRow(0), kNone);
    controller.OnLButtonUp(XOf(1300), YOfRow(0), kNone);
    EXPECT_TRUE(Has(1, 1300));
    EXPECT_TRUE(Has(3, 1300));
    EXPECT_EQ(At(2, 1000).Mode, tagTL_FACE_ITEM_DATA::MODE_IMAGE) << "the LINK left behind stands alone";
    EXPECT_TRUE(owner.Log().contains(QStringLiteral("WAIT_BEGIN")));
    ASSERT_TRUE(TimelineInvariantsHold(model));
}

TEST_F(TimelineControllerTest, AnEffectEdgeDragSetsTheLengthItShowed)
{
    tagTL_FACE_ITEM_DATA item = Item(1, 1000, 3000);
    item.InPattern = 2;
    item.InStartTime = 1000;
    item.InEndTime = 1500;
    item.OutPattern = 3;
    item.OutStartTime = 3000;
    item.OutEndTime = 4000;
    Load({ Face(1, { item }) });
    // The entry effect's inner edge at x 130; the handle is the 5 pixels before it.
    controller.OnMouseMove(XOf(1480), YOfRow(0), kNone);
    EXPECT_EQ(host.cursor, TL_CURSOR_EFFECT_EDGE);
    controller.OnLButtonDown(XOf(1480), YOfRow(0), kNone);
    EXPECT_EQ(model.MouseState(), TL_MOUSE_EFFECT_DOWN);
    EXPECT_TRUE(panel.calls.contains(QStringLiteral("SelectTab 1"))) << "the effects page";
    controller.OnMouseMove(XOf(3500), YOfRow(0), kNone);
    const TlEffectEdgePlan shown = controller.Feedback().effectPlan;
    EXPECT_TRUE(shown.valid);
    EXPECT_EQ(shown.entryLength, 2000) << "up to the exit effect";
    owner.Clear();
    controller.OnLButtonUp(XOf(3500), YOfRow(0), kNone);
    EXPECT_EQ(At(1, 1000).InEndTime, 3000);
    EXPECT_EQ(At(1, 1000).OutStartTime, 3000);
    EXPECT_EQ(owner.Log(),
        (QStringList { QStringLiteral("CHANGE_GROUP 1"), QStringLiteral("ITEM_CHANGED 1@1000>1@1000"),
            QStringLiteral("CHANGE_GROUP 0") }));
}

// ---- Item drags ---------------------------------------------------------------------------------

TEST_F(TimelineControllerTest, MoveCopyAndLinkDragsDropWhereTheirGhostsWere)
{
    const struct {
        const char* name;
        TlModifiers modifiers;
        int32_t item;
        QPoint to;
        int state;
        int cursor;
        QStringList log;
        QString after;
    } cases[] = {
        { "move", kNone, 1000, QPoint(XOf(4250), YOfRow(1)), TL_MOUSE_ITEM_MOVE, TL_CURSOR_DEFAULT,
            { QStringLiteral("ITEM_MOVED 1@1000>2@4000") },
            QStringLiteral("1: 5000+500 SOUND | 2: 4000+1000 IMAGE") },
        { "copy", kCtrl, 1000, QPoint(XOf(4250), YOfRow(1)), TL_MOUSE_ITEM_COPY, TL_CURSOR_COPY,
            { QStringLiteral("ITEM_COPIED 1@1000>2@4000") },
            QStringLiteral("1: 1000+1000 IMAGE, 5000+500 SOUND | 2: 4000+1000 IMAGE") },
        { "link keeps the time", kLink, 1000, QPoint(XOf(4500), YOfRow(1)), TL_MOUSE_ITEM_LINK,
            TL_CURSOR_LINK, { QStringLiteral("ITEM_COPIED 1@1000>2@1000") },
            QStringLiteral("1: 1000+1000 IMAGE, 5000+500 SOUND | 2: 1000+1000 LINK>1") },
        { "a sound cannot be linked: it moves", kLink, 5000, QPoint(XOf(6750), YOfRow(1)), TL_MOUSE_ITEM_MOVE,
            TL_CURSOR_DEFAULT, { QStringLiteral("ITEM_MOVED 1@5000>2@6500") },
            QStringLiteral("1: 1000+1000 IMAGE | 2: 6500+500 SOUND") },
        { "snaps onto the playhead", kNone, 1000, QPoint(XOf(2790), YOfRow(1)), TL_MOUSE_ITEM_MOVE,
            TL_CURSOR_DEFAULT, { QStringLiteral("ITEM_MOVED 1@1000>2@2500") },
            QStringLiteral("1: 5000+500 SOUND | 2: 2500+1000 IMAGE") },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        model.ResetTimeLine(true);
        model.SetProjectLength(10000);
        model.SetInOutPosition(0, 10000);
        Load({ Face(1, { Item(1, 1000, 1000), Item(1, 5000, 500, tagTL_FACE_ITEM_DATA::MODE_SOUND) }),
            Face(2) });
        model.SetPlayPosition(2500);
        const QPoint from = P(c.item + 250, 0); // 25 pixels into the item
        controller.OnMouseMove(from.x(), from.y(), c.modifiers);
        controller.OnLButtonDown(from.x(), from.y(), c.modifiers);
        controller.OnMouseMove(c.to.x(), c.to.y(), c.modifiers);
        EXPECT_EQ(model.MouseState(), c.state);
        EXPECT_EQ(host.cursor, c.cursor);
        const TlItemDragPlan shown = controller.Feedback().itemPlan;
        ASSERT_TRUE(shown.valid);
        owner.Clear();
        controller.OnLButtonUp(c.to.x(), c.to.y(), c.modifiers);
        QStringList changes = owner.Log();
        changes.removeAll(QStringLiteral("CHANGE_GROUP 1"));
        changes.removeAll(QStringLiteral("CHANGE_GROUP 0"));
        changes.removeAll(QStringLiteral("WAIT_END"));
        EXPECT_EQ(changes, c.log);
        EXPECT_EQ(Describe(model), c.after);
        ASSERT_EQ(shown.placements.size(), 1u);
        EXPECT_TRUE(Has(shown.placements[0].faceNo, shown.placements[0].start)) << "where the ghost was";
        EXPECT_EQ(model.MouseState(), TL_MOUSE_NONE);
        EXPECT_TRUE(model.Selection().empty());
        ASSERT_TRUE(TimelineInvariantsHold(model));
    }
}

TEST_F(TimelineControllerTest, HeldKeysSwitchARunningItemDragAndARefusedDropChangesNothing)
{
    Load({ Face(1, { Item(1, 1000, 1000) }), Face(2, { Item(2, 3000, 3000) }) });
    controller.OnMouseMove(XOf(1500), YOfRow(0), kNone);
    controller.OnLButtonDown(XOf(1500), YOfRow(0), kNone);
    controller.OnMouseMove(XOf(1600), YOfRow(0), kNone);
    EXPECT_EQ(model.MouseState(), TL_MOUSE_ITEM_MOVE);
    controller.OnModifiers(kCtrl);
    EXPECT_EQ(model.MouseState(), TL_MOUSE_ITEM_COPY);
    EXPECT_EQ(host.cursor, TL_CURSOR_COPY);
    controller.OnModifiers(kLink);
    EXPECT_EQ(model.MouseState(), TL_MOUSE_ITEM_LINK);
    EXPECT_EQ(host.cursor, TL_CURSOR_LINK);
    controller.OnModifiers(kNone);
    EXPECT_EQ(model.MouseState(), TL_MOUSE_ITEM_MOVE);
    EXPECT_EQ(host.cursor, TL_CURSOR_DEFAULT);

    // Inside face 2's long item: no place to land.
    controller.OnMouseMove(XOf(4000), YOfRow(1), kNone);
    EXPECT_FALSE(controller.Feedback().itemPlan.valid);
    owner.Clear();
    controller.OnLButtonUp(XOf(4000), YOfRow(1), kNone);
    EXPECT_TRUE(owner.received.empty());
    EXPECT_EQ(Selected(), (std::vector<std::pair<int32_t, int32_t>> { { 1, 1000 } }))
        << "kept for another try";
}

TEST_F(TimelineControllerTest, EscapeEndsADragCompletely)
{
    Load({ Face(1, { Item(1, 1000, 1000) }), Face(2) });
    controller.OnMouseMove(XOf(1500), YOfRow(0), kNone);
    controller.OnLButtonDown(XOf(1500), YOfRow(0), kNone);
    controller.OnMouseMove(995, YOfRow(1), kNone); // at the right edge: auto-scroll runs
    EXPECT_TRUE(controller.IsTimerActive(TL_TIMER_SCROLL_RIGHT));
    EXPECT_TRUE(controller.OnKeyDown(Qt::Key_Escape, kNone));
    EXPECT_EQ(model.MouseState(), TL_MOUSE_NONE);
    EXPECT_FALSE(AnyDragTimer());
    EXPECT_FALSE(host.captured);
    owner.Clear();
    controller.OnLButtonUp(XOf(4000), YOfRow(1), kNone);
    EXPECT_TRUE(owner.received.empty()) << "the release after Escape commits nothing";
    EXPECT_TRUE(Has(1, 1000));

    // A playhead drag given up: the owner gets the playhead back that it kept.
    model.SetPlayPosition(2000);
    controller.OnLButtonDown(XOf(5000), 10, kNone);
    controller.OnMouseMove(XOf(6000), 10, kNone);
    EXPECT_TRUE(controller.IsTimerActive(TL_TIMER_VIEWER_SYNC));
    owner.Clear();
    controller.CancelDrag();
    EXPECT_FALSE(AnyDragTimer());
    EXPECT_EQ(
        owner.Log(), (QStringList { QStringLiteral("VIEWER_SYNC 1"), QStringLiteral("PLAYPOS_SET 5000") }));
}

// ---- Markers ----------------------------------------------------------------------------------

TEST_F(TimelineControllerTest, ThePlayheadDragTellsTheViewerAndDropsWhereItWasDrawn)
{
    Load({ Face(1) });
    model.SetInOutPosition(1000, 8000);
    // A press on the ruler moves the playhead there first.
    controller.OnLButtonDown(XOf(3000), 10, kNone);
    EXPECT_EQ(
        owner.Log(), (QStringList { QStringLiteral("PLAYPOS_SET 3000"), QStringLiteral("SELECT_FACE 0") }));
    owner.Clear();
    controller.OnMouseMove(XOf(4000), 10, kNone);
    controller.OnMouseMove(XOf(9000), 10, kNone); // past OUT
    EXPECT_EQ(controller.Feedback().markerTime, 8000);
    controller.OnTimer(TL_TIMER_VIEWER_SYNC);
    controller.OnLButtonUp(XOf(9000), 10, kNone);
    EXPECT_EQ(owner.Log(),
        (QStringList { QStringLiteral("PLAYPOS_DRAG 4000"), QStringLiteral("PLAYPOS_DRAG 8000"),
            QStringLiteral("VIEWER_SYNC 0"), QStringLiteral("VIEWER_SYNC 1"),
            QStringLiteral("PLAYPOS_SET 8000") }));
    EXPECT_FALSE(controller.IsTimerActive(TL_TIMER_VIEWER_SYNC));

    // Grabbed 5 pixels right of its centre: the playhead follows the grab, not the cursor.
    owner.Clear();
    controller.OnLButtonDown(XOf(8000) + 5, 10, kNone);
    EXPECT_EQ(model.MouseState(), TL_MOUSE_PLAYPOS_DOWN);
    controller.OnMouseMove(XOf(5000) + 5, 10, kNone);
    controller.OnLButtonUp(XOf(5000) + 5, 10, kNone);
    EXPECT_EQ(owner.Log().last(), QStringLiteral("PLAYPOS_SET 5000"));
}

TEST_F(TimelineControllerTest, InAndOutDragsStayInTheirRanges)
{
    Load({ Face(1) });
    model.SetProjectLength(8500);
    model.SetInOutPosition(1000, 6000);
    const struct {
        const char* name;
        int pressX; // on the marker
        int dragX;
        QString told;
    } cases[] = {
        { "IN later", XOf(1000) + 9, XOf(3000) + 9, QStringLiteral("IN_MOVED 3000") },
        { "IN past OUT", XOf(3000) + 9, XOf(8000) + 9, QStringLiteral("IN_MOVED 6000") },
        { "OUT later", XOf(6000) - 9, XOf(7000) - 9, QStringLiteral("OUT_MOVED 7000") },
        { "OUT past the project's end", XOf(7000) - 9, 975, QStringLiteral("OUT_MOVED 8500") },
        { "OUT before IN", XOf(8500) - 9, XOf(2000), QStringLiteral("OUT_MOVED 6000") },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        owner.Clear();
        controller.OnLButtonDown(c.pressX, 14, kNone);
        controller.OnMouseMove(c.dragX, 14, kNone);
        controller.OnLButtonUp(c.dragX, 14, kNone);
        EXPECT_EQ(owner.Log().last(), c.told);
    }

    // While the remote control is connected the markers and the ruler do nothing.
    model.SetRemoteConnected(true);
    owner.Clear();
    Drag(QPoint(XOf(6000) + 9, 14), QPoint(XOf(4000), 14));
    Drag(QPoint(XOf(2000), 10), QPoint(XOf(3000), 10));
    EXPECT_TRUE(owner.received.empty());
}

TEST_F(TimelineControllerTest, AutoScrollMovesTheDraggedMarkerWithTheView)
{
    Load({ Face(1) });
    model.SetProjectLength(30000);
    model.SetPlayPosition(8000);
    controller.OnLButtonDown(XOf(8000), 10, kNone);
    controller.OnMouseMove(990, 10, kNone);
    ASSERT_TRUE(controller.IsTimerActive(TL_TIMER_SCROLL_RIGHT));
    const int64_t before = controller.Feedback().markerTime;
    controller.OnTimer(TL_TIMER_SCROLL_RIGHT);
    EXPECT_EQ(model.FirstColumn(), 1);
    EXPECT_EQ(model.PlayPosition(), 8100);
    EXPECT_EQ(controller.Feedback().markerTime, before + 100) << "the drop follows the view";
    controller.OnMouseMove(500, 10, kNone);
    EXPECT_FALSE(controller.IsTimerActive(TL_TIMER_SCROLL_RIGHT));
    controller.OnLButtonUp(500, 10, kNone);
}

// ---- Faces ------------------------------------------------------------------------------------

TEST_F(TimelineControllerTest, HoldingAFaceHeaderDragsTheFace)
{
    Load({ Face(1, { Item(1, 0, 500) }), Face(2), Face(3) });
    // Held until the timer: a move; released over row 3.
    controller.OnLButtonDown(20, YOfRow(0), kNone);
    EXPECT_EQ(model.MouseState(), TL_MOUSE_FACE_HOLD);
    EXPECT_TRUE(controller.IsTimerActive(TL_TIMER_FACE_HOLD));
    controller.OnTimer(TL_TIMER_FACE_HOLD);
    EXPECT_EQ(model.MouseState(), TL_MOUSE_FACE_MOVE);
    controller.OnMouseMove(20, YOfRow(2) + 15, kNone);
    EXPECT_EQ(controller.Feedback().faceDropRow, 3);
    owner.Clear();
    controller.OnLButtonUp(20, YOfRow(2) + 15, kNone);
    EXPECT_TRUE(owner.Log().contains(QStringLiteral("FACE_MOVED 0>3")));
    EXPECT_EQ(Describe(model), QStringLiteral("1:  | 2:  | 3: 0+500 IMAGE"));

    // Moved before the hold was up: nothing.
    owner.Clear();
    controller.OnLButtonDown(20, YOfRow(0), kNone);
    controller.OnMouseMove(25, YOfRow(0), kNone);
    EXPECT_EQ(model.MouseState(), TL_MOUSE_NONE);
    EXPECT_FALSE(controller.IsTimerActive(TL_TIMER_FACE_HOLD));
    controller.OnLButtonUp(25, YOfRow(2), kNone);

    // Released before the hold was up: a late tick does nothing.
    controller.OnLButtonDown(20, YOfRow(0), kNone);
    controller.OnLButtonUp(20, YOfRow(0), kNone);
    controller.OnTimer(TL_TIMER_FACE_HOLD);
    EXPECT_EQ(model.MouseState(), TL_MOUSE_NONE);
    EXPECT_FALSE(owner.Log().contains(QStringLiteral("FACES_REFRESH")));

    // With Ctrl held a face is copied, onto its own row too.
    controller.OnLButtonDown(20, YOfRow(1), kNone);
    controller.OnTimer(TL_TIMER_FACE_HOLD);
    controller.OnModifiers(kCtrl);
    EXPECT_EQ(model.MouseState(), TL_MOUSE_FACE_COPY);
    EXPECT_EQ(host.cursor, TL_CURSOR_COPY);
    owner.Clear();
    controller.OnLButtonUp(20, YOfRow(1), kCtrl);
    EXPECT_TRUE(owner.Log().contains(QStringLiteral("FACE_COPIED 1>1")));
    EXPECT_EQ(model.FaceCount(), 4);
}

TEST_F(TimelineControllerTest, HeaderButtonsSwitchLockAndDisplay)
{
    Load({ Face(1, { Item(1, 0, 500) }), Face(2) });
    Click(P(200, 0)); // the item: the panel shows face 1
    owner.Clear();
    Click(QPoint(66, YOfRow(0))); // lock
    EXPECT_TRUE(model.IsFaceLocked(1));
    EXPECT_EQ(panel.lock, 1);
    Click(QPoint(45, YOfRow(0))); // display: refused on a locked face
    Click(QPoint(45, YOfRow(1)));
    tagTL_FACE_DATA second;
    model.GetFaceData(1, 2, second);
    EXPECT_EQ(second.Status, 0);
    const auto changed = owner.Of(WM_TL_FACE_CHANGED);
    ASSERT_EQ(changed.size(), 2u);
    EXPECT_EQ(changed[0].face->No, 1);
    EXPECT_EQ(changed[0].wParam, 1);
    EXPECT_EQ(changed[1].face->No, 2);
}

TEST_F(TimelineControllerTest, ADoubleClickOnTheColourStripAsksForAColour)
{
    Load({ Face(1), Face(2, {}, 1) });
    dialogs.AnswerColour(0x00302010u);
    controller.OnLButtonDblClk(2, YOfRow(0));
    tagTL_FACE_DATA face;
    model.GetFaceData(1, 1, face);
    EXPECT_EQ(face.R, 0x10);
    EXPECT_EQ(face.G, 0x20);
    EXPECT_EQ(face.B, 0x30);
    EXPECT_EQ(owner.Log(), QStringList { QStringLiteral("FACE_CHANGED 1") });

    owner.Clear();
    dialogs.AnswerColour(std::nullopt);
    controller.OnLButtonDblClk(2, YOfRow(0)); // cancelled
    controller.OnLButtonDblClk(2, YOfRow(1)); // locked: no dialog
    controller.OnLButtonDblClk(20, YOfRow(0)); // not on the strip
    model.SetPlaying(true);
    controller.OnLButtonDblClk(2, YOfRow(0)); // playing
    EXPECT_TRUE(owner.received.empty());
    EXPECT_TRUE(dialogs.AllAnswersUsed());
    EXPECT_EQ(dialogs.Requests().size(), 2u);
}

TEST(TimelineControllerPartlyShownRowTest, APressOnThePartlyShownRowScrollsItIn)
{
    CTimeLineModel model;
    model.RecalcLayout(TlRect { 0, 0, 1000, 280 }); // six rows and a part of the seventh
    for (int face = 1; face <= 8; ++face)
        model.AddFaceRecord(Face(face));
    CFakeHost host;
    CTimeLineController controller(model, host);
    controller.OnLButtonDown(500, 270, kNone);
    EXPECT_EQ(model.FirstRow(), 1);
    EXPECT_EQ(model.MouseState(), TL_MOUSE_NONE);
}

// ---- Keys -------------------------------------------------------------------------------------

TEST_F(TimelineControllerTest, DeleteAndBackspaceAskAsTheMenuDoes)
{
    Load({ Face(1, { Item(1, 0, 500), Item(1, 1000, 500), Item(1, 2000, 500) }) });
    for (const int key : { int(Qt::Key_Delete), int(Qt::Key_Backspace) }) {
        SCOPED_TRACE(key);
        model.ClearSelection();
        Click(P(200, 0));
        dialogs.AnswerMessageBox(platform::IDNO);
        EXPECT_TRUE(controller.OnKeyDown(key, kNone));
        EXPECT_TRUE(Has(1, 0)) << "No keeps it";
        dialogs.AnswerMessageBox(platform::IDYES);
        controller.OnKeyDown(key, kNone);
        EXPECT_FALSE(Has(1, 0)) << "Yes deletes it";
        model.AddItemRecord(Item(1, 0, 500));
    }
    EXPECT_EQ(dialogs.MessageTexts().front(), model.MessageText(2)) << "the single-item question";

    // Two selected: the count is asked for, as the menu's delete-selected does.
    Click(P(200, 0));
    Click(P(2200, 0), kCtrl);
    dialogs.AnswerMessageBox(platform::IDYES);
    controller.OnKeyDown(Qt::Key_Delete, kNone);
    EXPECT_EQ(
        dialogs.MessageTexts().back(), QStringLiteral("選択中の2個のITEMを削除します。よろしいですか？"));
    EXPECT_EQ(Starts(model)[0].second, (std::vector<int32_t> { 1000 }));
}

TEST_F(TimelineControllerTest, ShortcutsRunTheirCommandsAndWaitWhileADragRuns)
{
    Load({ Face(1, { Item(1, 0, 500), Item(1, 1000, 500) }) });
    model.SetCurrentFace(1);
    Click(P(1200, 0));
    EXPECT_TRUE(controller.OnKeyDown(Qt::Key_Left, kCtrl)); // pack forward
    EXPECT_EQ(Starts(model)[0].second, (std::vector<int32_t> { 0, 500 }));

    Click(P(700, 0));
    EXPECT_TRUE(controller.OnKeyDown(Qt::Key_C, kCtrl));
    EXPECT_EQ(model.ItemClipboard().size(), 1u);
    model.SetPlayPosition(3000);
    EXPECT_TRUE(controller.OnKeyDown(Qt::Key_V, kCtrl));
    EXPECT_TRUE(Has(1, 3000));

    Click(P(3200, 0));
    model.SetPlayPosition(3200);
    EXPECT_TRUE(controller.OnKeyDown(Qt::Key_K, kCtrl));
    EXPECT_TRUE(Has(1, 3200)) << "split at the playhead";

    EXPECT_TRUE(controller.OnKeyDown(Qt::Key_E, kCtrl));
    EXPECT_EQ(model.EffectDisplay(), 1);
    EXPECT_FALSE(controller.OnKeyDown(Qt::Key_E, kNone));
    EXPECT_FALSE(controller.OnKeyDown(Qt::Key_A, kCtrl));

    // During a drag the editing keys wait: the drag commits from the items it planned with.
    controller.OnMouseMove(XOf(100), YOfRow(0), kNone);
    controller.OnLButtonDown(XOf(100), YOfRow(0), kNone);
    controller.OnMouseMove(XOf(150), YOfRow(0), kNone);
    EXPECT_FALSE(controller.OnKeyDown(Qt::Key_Delete, kNone));
    EXPECT_TRUE(dialogs.Requests().empty());
    controller.OnKeyDown(Qt::Key_Escape, kNone);
}

} // namespace
