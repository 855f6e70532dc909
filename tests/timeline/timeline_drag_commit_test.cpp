#include "tests/timeline/timeline_fixtures.h"

#include <algorithm>

using namespace timeline;
using Mode = tagTL_FACE_ITEM_DATA;

namespace {

// 10 time units per pixel; rows 0, 1, 2 ... show faces 1, 2, 3 ...
class TimelineDragCommit : public CTimeLineFixture {
protected:
    void Select(std::initializer_list<TlItemRef> items) { Select(std::vector<TlItemRef>(items)); }
    void Select(const std::vector<TlItemRef>& items)
    {
        model.ClearSelection();
        for (const TlItemRef& ref : items)
            model.AddToSelection(At(ref.faceNo, ref.start));
    }
    // Plans the drag of the grabbed item with its left end dropped at a start on a face.
    TlItemDragPlan PlanTo(int state, TlItemRef grabbed, int32_t faceNo, int32_t start)
    {
        return model.PlanItemDragTo(state, faceNo, start, grabbed);
    }
    // Releases a drag of the grabbed item with its left end under (time, row).
    int Drop(int state, TlItemRef grabbed, int32_t time, int row)
    {
        const int result = model.CommitItemDrag(state, XOf(time), YOfRow(row), 0, grabbed);
        EXPECT_TRUE(TimelineInvariantsHold(model)) << Describe(model).toStdString();
        return result;
    }
};

TEST_F(TimelineDragCommit, PlacementCheck)
{
    Load({ Face(1, { Item(1, 1000, 500), Item(1, 2000, 500) }), Face(2, {}, 1) });
    struct Case {
        const char* name;
        int32_t start;
        int32_t length;
        bool trim;
        int result;
        int32_t placedStart;
        int32_t placedLength;
    };
    const Case cases[] = {
        { "free space", 0, 500, false, 1, 0, 500 },
        { "touching both neighbours", 1500, 500, false, 1, 1500, 500 },
        { "running into the next item", 1600, 500, false, 0, 1600, 500 },
        { "running into it, shortened", 1600, 500, true, 1, 1600, 400 },
        { "covering an item, shortened before it", 900, 800, true, 1, 900, 100 },
        { "inside an item", 1100, 100, false, 0, 1100, 100 },
        { "inside an item, even when shortening", 1100, 100, true, 0, 1100, 100 },
        { "starting inside an item: moved to its end", 1400, 300, false, 1, 1500, 300 },
        { "moved to its end but running into the next", 1400, 600, false, 0, 1400, 600 },
        { "moved behind the last item", 2400, 300, false, 1, 2500, 300 },
        { "at the same start as an item", 1000, 100, false, 0, 1000, 100 },
        { "before 0", -10, 100, true, 0, -10, 100 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int32_t start = c.start;
        tagTL_FACE_ITEM_DATA item = Item(3, 0, c.length);
        EXPECT_EQ(model.CanPlaceItem(1, 1, 0, start, item, false, c.trim), c.result);
        EXPECT_EQ(start, c.placedStart);
        EXPECT_EQ(item.PlayTime, c.placedLength) << "a refused item is left as it was";
    }
    int32_t start = 0;
    tagTL_FACE_ITEM_DATA item = Item(2, 0, 10);
    EXPECT_EQ(model.CanPlaceItem(1, 2, 0, start, item, false, false), 0) << "a locked face takes nothing";
    EXPECT_EQ(model.CanPlaceItem(1, 7, 0, start, item, false, false), 0) << "no face 7";

    // Behind the last item but past the project's end: no room.
    model.SetProjectLength(2500);
    start = 2400;
    item = Item(3, 0, 300);
    EXPECT_EQ(model.CanPlaceItem(1, 1, 0, start, item, false, false), 0);

    // The item's own record and the selected items are no obstacles when asked so.
    item = At(1, 1000);
    start = 900;
    EXPECT_EQ(model.CanPlaceItem(1, 1, 0, start, item, false, false), 0);
    EXPECT_EQ(model.CanPlaceItem(1, 1, 0, start, item, true, false), 1);
    model.AddToSelection(At(1, 2000));
    item = Item(3, 0, 400);
    start = 1900;
    EXPECT_EQ(model.CanPlaceItem(1, 1, 0, start, item, true, false), 1);
}

TEST_F(TimelineDragCommit, MovedItemsLandOnTheFaceAndTimeUnderThePointer)
{
    struct Case {
        const char* name;
        std::vector<TlItemRef> selected;
        TlItemRef grabbed;
        int32_t time;
        int row;
        int result;
        QString faces;
    };
    const Case cases[] = {
        { "one item to another face", { { 1, 1000 } }, { 1, 1000 }, 3000, 2, 1,
            QStringLiteral("1: 2000+500 IMAGE | 2: 1000+500 IMAGE | 3: 3000+500 IMAGE | 4: ") },
        { "starting inside an item: placed at its end", { { 1, 2000 } }, { 1, 2000 }, 1200, 1, 1,
            QStringLiteral("1: 1000+500 IMAGE | 2: 1000+500 IMAGE, 1500+500 IMAGE | 3:  | 4: ") },
        { "ending inside a later item: nothing moves", { { 1, 2000 } }, { 1, 2000 }, 600, 1, 0,
            QStringLiteral("1: 1000+500 IMAGE, 2000+500 IMAGE | 2: 1000+500 IMAGE | 3:  | 4: ") },
        { "two faces down together", { { 1, 1000 }, { 2, 1000 } }, { 1, 1000 }, 1000, 2, 1,
            QStringLiteral("1: 2000+500 IMAGE | 2:  | 3: 1000+500 IMAGE | 4: 1000+500 IMAGE") },
        { "the second face falls off the faces: nothing moves", { { 1, 1000 }, { 2, 1000 } }, { 1, 1000 },
            1000, 3, 0, QStringLiteral("1: 1000+500 IMAGE, 2000+500 IMAGE | 2: 1000+500 IMAGE | 3:  | 4: ") },
        { "two items later by less than their gap", { { 1, 1000 }, { 1, 2000 } }, { 1, 1000 }, 1400, 0, 1,
            QStringLiteral("1: 1400+500 IMAGE, 2400+500 IMAGE | 2: 1000+500 IMAGE | 3:  | 4: ") },
        { "two items earlier by less than their gap", { { 1, 1000 }, { 1, 2000 } }, { 1, 2000 }, 1700, 0, 1,
            QStringLiteral("1: 700+500 IMAGE, 1700+500 IMAGE | 2: 1000+500 IMAGE | 3:  | 4: ") },
        { "later onto the start of the next selected item", { { 1, 1000 }, { 1, 2000 } }, { 1, 1000 }, 2000,
            0, 1, QStringLiteral("1: 2000+500 IMAGE, 3000+500 IMAGE | 2: 1000+500 IMAGE | 3:  | 4: ") },
        { "earlier onto the start of the previous selected item", { { 1, 1000 }, { 1, 2000 } }, { 1, 2000 },
            1000, 0, 1, QStringLiteral("1: 0+500 IMAGE, 1000+500 IMAGE | 2: 1000+500 IMAGE | 3:  | 4: ") },
        { "a face up onto the face above", { { 2, 1000 } }, { 2, 1000 }, 3000, 0, 1,
            QStringLiteral("1: 1000+500 IMAGE, 2000+500 IMAGE, 3000+500 IMAGE | 2:  | 3:  | 4: ") },
        { "two items held at 0 refuse the move", { { 1, 1000 }, { 1, 2000 } }, { 1, 2000 }, 0, 2, 0,
            QStringLiteral("1: 1000+500 IMAGE, 2000+500 IMAGE | 2: 1000+500 IMAGE | 3:  | 4: ") },
        { "released off the faces", { { 1, 1000 } }, { 1, 1000 }, 1000, 5, 0,
            QStringLiteral("1: 1000+500 IMAGE, 2000+500 IMAGE | 2: 1000+500 IMAGE | 3:  | 4: ") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTimeLineFixture::SetUp();
        model.ResetTimeLine(true);
        model.SetProjectLength(10000);
        model.SetPlayPosition(9000);
        Load({ Face(1, { Item(1, 1000, 500), Item(1, 2000, 500) }), Face(2, { Item(2, 1000, 500) }), Face(3),
            Face(4) });
        Select(c.selected);
        const auto before = model.Selection();
        EXPECT_EQ(Drop(TL_MOUSE_ITEM_MOVE, c.grabbed, c.time, c.row), c.result);
        EXPECT_EQ(Describe(model), c.faces);
        if (c.result) {
            EXPECT_TRUE(model.Selection().empty());
            EXPECT_EQ(owner.Log().first(), QStringLiteral("CHANGE_GROUP 1"));
            EXPECT_EQ(owner.Log().last(), QStringLiteral("CHANGE_GROUP 0"));
            EXPECT_EQ(int(owner.Of(WM_TL_ITEM_MOVED).size()), int(c.selected.size()));
            EXPECT_EQ(owner.Of(WM_TL_WAIT_BEGIN).size(), c.selected.size() >= 2 ? 1u : 0u);
        } else {
            EXPECT_TRUE(owner.received.empty());
            EXPECT_EQ(model.Selection(), before) << "the selection stays for another try";
        }
    }
}

// Several items whose planned places meet, each drag moved and copied: the plan counts the
// items it placed already as obstacles, and the release lands every item where the plan (the
// ghosts) put it, or changes nothing.
TEST_F(TimelineDragCommit, ADragLandsWholeAsPlannedOrNotAtAll)
{
    struct Case {
        const char* name;
        std::initializer_list<tagTL_FACE_DATA> faces;
        std::vector<TlItemRef> selected;
        TlItemRef grabbed;
        int32_t faceNo;
        int32_t start;
        std::vector<TlItemRef> planned; // empty: refused
        QString moved;
        QString copied;
    };
    const Case cases[] = {
        { "the first item held at 0 under the grabbed one: refused",
            { Face(1, { Item(1, 100, 100), Item(1, 250, 50) }) }, { { 1, 100 }, { 1, 250 } }, { 1, 250 }, 1,
            20, {}, QStringLiteral("1: 100+100 IMAGE, 250+50 IMAGE"),
            QStringLiteral("1: 100+100 IMAGE, 250+50 IMAGE") },
        { "the grabbed item behind an obstacle, the next one behind it",
            { Face(1, { Item(1, 0, 100), Item(1, 300, 100), Item(1, 420, 50) }) }, { { 1, 300 }, { 1, 420 } },
            { 1, 300 }, 1, 50, { { 1, 100 }, { 1, 200 } },
            QStringLiteral("1: 0+100 IMAGE, 100+100 IMAGE, 200+50 IMAGE"),
            QStringLiteral("1: 0+100 IMAGE, 100+100 IMAGE, 200+50 IMAGE, 300+100 IMAGE, 420+50 IMAGE") },
        { "onto another face: the first behind its item, the second behind the first",
            { Face(1, { Item(1, 0, 250), Item(1, 300, 100) }), Face(2, { Item(2, 1000, 200) }) },
            { { 1, 0 }, { 1, 300 } }, { 1, 0 }, 2, 1100, { { 2, 1200 }, { 2, 1450 } },
            QStringLiteral("1:  | 2: 1000+200 IMAGE, 1200+250 IMAGE, 1450+100 IMAGE"),
            QStringLiteral(
                "1: 0+250 IMAGE, 300+100 IMAGE | 2: 1000+200 IMAGE, 1200+250 IMAGE, 1450+100 IMAGE") },
    };
    for (const Case& c : cases) {
        for (const int state : { TL_MOUSE_ITEM_MOVE, TL_MOUSE_ITEM_COPY }) {
            SCOPED_TRACE(std::string(c.name) + (state == TL_MOUSE_ITEM_MOVE ? ", moved" : ", copied"));
            CTimeLineFixture::SetUp();
            model.ResetTimeLine(true);
            model.SetProjectLength(10000);
            model.SetPlayPosition(5000);
            Load(c.faces);
            const QString before = Describe(model);
            Select(c.selected);
            const TlItemDragPlan plan = PlanTo(state, c.grabbed, c.faceNo, c.start);
            std::vector<TlItemRef> planned;
            for (const TlItemPlacement& placement : plan.placements)
                planned.push_back({ placement.faceNo, placement.start });
            std::sort(planned.begin(), planned.end(), [](const TlItemRef& a, const TlItemRef& b) {
                return std::pair(a.faceNo, a.start) < std::pair(b.faceNo, b.start);
            });
            EXPECT_EQ(plan.valid, !c.planned.empty());
            if (plan.valid) {
                EXPECT_EQ(planned, c.planned) << "the ghosts";
            }
            const int committed = model.CommitItemDrag(plan);
            EXPECT_TRUE(TimelineInvariantsHold(model)) << Describe(model).toStdString();
            EXPECT_EQ(committed, plan.valid ? 1 : 0);
            EXPECT_EQ(Describe(model),
                c.planned.empty()                 ? before
                    : state == TL_MOUSE_ITEM_MOVE ? c.moved
                                                  : c.copied);
            for (const TlItemRef& ref : c.planned)
                EXPECT_TRUE(Has(ref.faceNo, ref.start)) << ref.faceNo << "@" << ref.start;
            if (!committed) {
                EXPECT_TRUE(owner.received.empty());
                EXPECT_EQ(model.Selection().size(), c.selected.size()) << "the selection stays";
            } else {
                EXPECT_EQ(owner.Of(state == TL_MOUSE_ITEM_MOVE ? WM_TL_ITEM_MOVED : WM_TL_ITEM_COPIED).size(),
                    c.selected.size());
            }
        }
    }
}

TEST_F(TimelineDragCommit, APlanTheModelNoLongerGivesIsRefusedWhole)
{
    Load({ Face(1, { Item(1, 1000, 500), Item(1, 2000, 500) }), Face(2) });
    Select({ { 1, 1000 }, { 1, 2000 } });
    const TlItemDragPlan plan = PlanTo(TL_MOUSE_ITEM_MOVE, { 1, 1000 }, 2, 3000);
    ASSERT_TRUE(plan.valid);
    // An item arrives where the second one was to land after the plan was drawn.
    ASSERT_EQ(model.AddItemRecord(Item(2, 4100, 100)), 1);
    const QString before = Describe(model);
    EXPECT_EQ(model.CommitItemDrag(plan), 0);
    EXPECT_EQ(Describe(model), before) << "not the first item alone";
    EXPECT_TRUE(owner.received.empty());
    EXPECT_EQ(model.Selection().size(), 2u);
}

// Within a face the items go in start order, except that items moved later on their own face go
// last-first, so that none lands where a selected one has not left yet; faces moving down are
// emptied from the bottom.
TEST_F(TimelineDragCommit, CommitOrder)
{
    struct Case {
        const char* name;
        int state;
        std::vector<TlItemRef> selected;
        TlItemRef grabbed;
        int32_t faceNo;
        int32_t start;
        QStringList order;
    };
    const Case cases[] = {
        { "moved later on its face: last first", TL_MOUSE_ITEM_MOVE, { { 1, 1000 }, { 1, 2000 } },
            { 1, 1000 }, 1, 1500,
            { QStringLiteral("ITEM_MOVED 1@2000>1@2500"), QStringLiteral("ITEM_MOVED 1@1000>1@1500") } },
        { "moved earlier on its face", TL_MOUSE_ITEM_MOVE, { { 1, 1000 }, { 1, 2000 } }, { 1, 1000 }, 1, 500,
            { QStringLiteral("ITEM_MOVED 1@1000>1@500"), QStringLiteral("ITEM_MOVED 1@2000>1@1500") } },
        { "moved later onto another face", TL_MOUSE_ITEM_MOVE, { { 1, 1000 }, { 1, 2000 } }, { 1, 1000 }, 3,
            1500,
            { QStringLiteral("ITEM_MOVED 1@1000>3@1500"), QStringLiteral("ITEM_MOVED 1@2000>3@2500") } },
        { "copied later onto another face", TL_MOUSE_ITEM_COPY, { { 1, 1000 }, { 1, 2000 } }, { 1, 1000 }, 3,
            1500,
            { QStringLiteral("ITEM_COPIED 1@1000>3@1500"), QStringLiteral("ITEM_COPIED 1@2000>3@2500") } },
        { "copied later on its face", TL_MOUSE_ITEM_COPY, { { 1, 1000 }, { 1, 2000 } }, { 1, 1000 }, 1, 3000,
            { QStringLiteral("ITEM_COPIED 1@1000>1@3000"), QStringLiteral("ITEM_COPIED 1@2000>1@4000") } },
        { "two faces down: the lower one first", TL_MOUSE_ITEM_MOVE, { { 1, 1000 }, { 2, 1000 } },
            { 1, 1000 }, 2, 1500,
            { QStringLiteral("ITEM_MOVED 2@1000>3@1500"), QStringLiteral("ITEM_MOVED 1@1000>2@1500") } },
        { "two faces up: the upper one first", TL_MOUSE_ITEM_COPY, { { 2, 1000 }, { 3, 1000 } }, { 3, 1000 },
            2, 3000,
            { QStringLiteral("ITEM_COPIED 2@1000>1@3000"), QStringLiteral("ITEM_COPIED 3@1000>2@3000") } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTimeLineFixture::SetUp();
        model.ResetTimeLine(true);
        model.SetProjectLength(10000);
        model.SetPlayPosition(9000);
        Load({ Face(1, { Item(1, 1000, 500), Item(1, 2000, 500) }), Face(2, { Item(2, 1000, 500) }),
            Face(3, { Item(3, 1000, 500) }) });
        Select(c.selected);
        ASSERT_EQ(model.CommitItemDrag(PlanTo(c.state, c.grabbed, c.faceNo, c.start)), 1);
        EXPECT_EQ(owner.Log().filter(QStringLiteral("ITEM_")), c.order);
    }
}

TEST_F(TimelineDragCommit, AnItemDroppedJustAfterThePlayheadStartsOnIt)
{
    Load({ Face(1, { Item(1, 0, 100) }), Face(2) });
    model.SetPlayPosition(3000);
    Select({ { 1, 0 } });
    ASSERT_EQ(Drop(TL_MOUSE_ITEM_MOVE, { 1, 0 }, 3090, 1), 1);
    EXPECT_TRUE(Has(2, 3000));
    Select({ { 2, 3000 } });
    ASSERT_EQ(Drop(TL_MOUSE_ITEM_MOVE, { 2, 3000 }, 3100, 1), 1)
        << "a column after the playhead is not snapped";
    EXPECT_TRUE(Has(2, 3100));
}

TEST_F(TimelineDragCommit, ACopyLeavesTheItemsAndNeedsRoomBesideThem)
{
    Load({ Face(1, { Item(1, 1000, 500), Item(1, 2000, 500) }), Face(2) });
    Select({ { 1, 1000 }, { 1, 2000 } });
    EXPECT_EQ(Drop(TL_MOUSE_ITEM_COPY, { 1, 1000 }, 1000, 0), 0) << "onto the items' own places";
    EXPECT_EQ(Drop(TL_MOUSE_ITEM_COPY, { 1, 1000 }, 700, 0), 0)
        << "running into the selected items that stay";
    EXPECT_TRUE(owner.received.empty());
    ASSERT_EQ(Drop(TL_MOUSE_ITEM_COPY, { 1, 1000 }, 1000, 1), 1);
    EXPECT_EQ(Describe(model),
        QStringLiteral("1: 1000+500 IMAGE, 2000+500 IMAGE | 2: 1000+500 IMAGE, 2000+500 IMAGE"));
    EXPECT_EQ(owner.Of(WM_TL_ITEM_COPIED).size(), 2u);
}

TEST_F(TimelineDragCommit, ALinkDragMakesOneLinkAtTheItemsOwnStart)
{
    Load({ Face(1, { Item(1, 1000, 500, Mode::MODE_MOVIE), Item(1, 3000, 500) }),
        Face(2, { Item(2, 1200, 100) }), Face(3), Face(4, { Link(4, 1000, 500, 1, Mode::MODE_MOVIE) }) });
    Select({ { 1, 1000 }, { 1, 3000 } });
    model.SetMouseState(TL_MOUSE_ITEM_LINK);
    EXPECT_EQ(Drop(TL_MOUSE_ITEM_LINK, { 1, 1000 }, 7000, 0), 0) << "no LINK onto the source's own face";
    EXPECT_EQ(Drop(TL_MOUSE_ITEM_LINK, { 1, 1000 }, 7000, 1), 0) << "face 2 has an item in the way";
    ASSERT_EQ(Drop(TL_MOUSE_ITEM_LINK, { 1, 1000 }, 7000, 2), 1);
    EXPECT_EQ(Describe(model),
        QStringLiteral("1: 1000+500 MOVIE, 3000+500 IMAGE | 2: 1200+100 IMAGE | "
                       "3: 1000+500 LINK>1 | 4: 1000+500 LINK>1"))
        << "moved nothing in time, and the other selected item is ignored";
    EXPECT_EQ(At(3, 1000).LinkMode, Mode::MODE_MOVIE) << "the LINK records the kind it shows";
    EXPECT_EQ(owner.Log().filter(QStringLiteral("ITEM_")),
        QStringList { QStringLiteral("ITEM_COPIED 1@1000>3@1000") });

    // Grabbing a LINK links its source; the face of that source refuses.
    model.DeleteItem(1, 3, 1000, 0);
    Select({ { 4, 1000 } });
    EXPECT_EQ(Drop(TL_MOUSE_ITEM_LINK, { 4, 1000 }, 0, 0), 0);
    ASSERT_EQ(Drop(TL_MOUSE_ITEM_LINK, { 4, 1000 }, 0, 2), 1);
    EXPECT_EQ(At(3, 1000).LinkFaceNo, 1);
    model.SetMouseState(TL_MOUSE_NONE);
}

TEST_F(TimelineDragCommit, LinksFollowTheirSourceOrBecomeItemsOfTheirKind)
{
    struct Case {
        const char* name;
        std::vector<TlItemRef> selected;
        TlItemRef grabbed;
        int32_t time;
        int row;
        QString faces;
    };
    const Case cases[] = {
        { "source and LINK moved down together: the LINK follows", { { 1, 1000 }, { 2, 1000 } }, { 1, 1000 },
            1000, 1, QStringLiteral("1: 3000+100 IMAGE | 2: 1000+500 IMAGE | 3: 1000+500 LINK>2 | 4: ") },
        { "source and LINK in time: both keep showing", { { 1, 1000 }, { 2, 1000 } }, { 1, 1000 }, 5000, 0,
            QStringLiteral("1: 3000+100 IMAGE, 5000+500 IMAGE | 2: 5000+500 LINK>1 | 3:  | 4: ") },
        { "the LINK alone: it becomes an IMAGE", { { 2, 1000 } }, { 2, 1000 }, 5000, 1,
            QStringLiteral("1: 1000+500 IMAGE, 3000+100 IMAGE | 2: 5000+500 IMAGE | 3:  | 4: ") },
        { "the source alone: its LINK becomes an IMAGE", { { 1, 1000 } }, { 1, 1000 }, 5000, 3,
            QStringLiteral("1: 3000+100 IMAGE | 2: 1000+500 IMAGE | 3:  | 4: 5000+500 IMAGE") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTimeLineFixture::SetUp();
        model.ResetTimeLine(true);
        model.SetProjectLength(10000);
        model.SetPlayPosition(9000);
        Load({ Face(1, { Item(1, 1000, 500), Item(1, 3000, 100) }), Face(2, { Link(2, 1000, 500, 1) }),
            Face(3), Face(4) });
        Select(c.selected);
        ASSERT_EQ(Drop(TL_MOUSE_ITEM_MOVE, c.grabbed, c.time, c.row), 1);
        EXPECT_EQ(Describe(model), c.faces);
    }
}

TEST_F(TimelineDragCommit, ACopiedLinkWithItsSourceShowsTheCopy)
{
    Load({ Face(1, { Item(1, 1000, 500) }), Face(2, { Link(2, 1000, 500, 1) }), Face(3), Face(4) });
    Select({ { 1, 1000 }, { 2, 1000 } });
    ASSERT_EQ(Drop(TL_MOUSE_ITEM_COPY, { 1, 1000 }, 1000, 2), 1);
    EXPECT_EQ(Describe(model),
        QStringLiteral("1: 1000+500 IMAGE | 2: 1000+500 LINK>1 | 3: 1000+500 IMAGE | 4: 1000+500 LINK>3"));
}

} // namespace
