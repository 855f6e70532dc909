#include "tests/timeline/timeline_fixtures.h"

using namespace timeline;
using Mode = tagTL_FACE_ITEM_DATA;

namespace {

class TimelineModel : public CTimeLineFixture { };

TEST_F(TimelineModel, AddFaceTakesTheLowestFreeNumberWithItsColourAndCorners)
{
    Load({ Face(1), Face(2), Face(4) });
    struct Step {
        int number;
        int colourEntry;
        int offset;
    };
    const Step steps[] = { { 3, 3, 60 }, { 5, 5, 120 }, { 6, 6, 0 }, { 7, 7, 30 }, { 8, 8, 60 }, { 9, 9, 90 },
        { 10, 10, 120 }, { 11, 1, 0 } };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.number);
        owner.Clear();
        ASSERT_EQ(model.AddFace(), step.number);
        tagTL_FACE_DATA face;
        ASSERT_EQ(model.GetFaceData(1, step.number, face), 1);
        const COLORREF colour = model.FrameColors()[size_t(step.colourEntry - 1)];
        EXPECT_EQ(face.R, int32_t(colour & 0xFF));
        EXPECT_EQ(face.G, int32_t((colour >> 8) & 0xFF));
        EXPECT_EQ(face.B, int32_t((colour >> 16) & 0xFF));
        EXPECT_EQ(face.X,
            (std::array<int32_t, 4> {
                800 + step.offset, 1120 + step.offset, 1120 + step.offset, 800 + step.offset }));
        EXPECT_EQ(face.Y,
            (std::array<int32_t, 4> {
                450 + step.offset, 450 + step.offset, 630 + step.offset, 630 + step.offset }));
        EXPECT_EQ(face.Status, 1);
        EXPECT_EQ(face.Lock, 0);
        ASSERT_EQ(owner.Log(), QStringList { QStringLiteral("FACE_ADDED %1").arg(step.number) });
        EXPECT_EQ(*owner.received[0].face, face);
        EXPECT_TRUE(TimelineInvariantsHold(model));
    }
}

TEST_F(TimelineModel, AddFaceRecordRefusesTakenKeysBadNumbersAndRepeatedStarts)
{
    Load({ Face(2) });
    tagTL_FACE_DATA unsorted = Face(5, { Item(0, 300, 10), Item(0, 100, 10) });
    unsorted.Items[0].FaceNo = 9; // items take their face's key
    EXPECT_EQ(model.AddFaceRecord(unsorted), 5);
    EXPECT_EQ(Describe(model), QStringLiteral("2:  | 5: 100+10 IMAGE, 300+10 IMAGE"));
    EXPECT_EQ(model.AddFaceRecord(Face(2, { Item(0, 7, 1) })), 0);
    EXPECT_EQ(model.AddFaceRecord(Face(0)), 0);
    EXPECT_EQ(model.AddFaceRecord(Face(7, { Item(0, 100, 10), Item(0, 100, 20) })), 0);
    EXPECT_EQ(model.AddFaceRecord(Face(1)), 1);
    EXPECT_EQ(Describe(model), QStringLiteral("1:  | 2:  | 5: 100+10 IMAGE, 300+10 IMAGE"))
        << "kept in key order";
    EXPECT_TRUE(owner.received.empty()) << "loading sends nothing";
}

TEST_F(TimelineModel, AddItemRecordKeepsStartOrderAndRefusesATakenStart)
{
    Load({ Face(1) });
    EXPECT_EQ(model.AddItemRecord(Item(1, 500, 100)), 1);
    EXPECT_EQ(model.AddItemRecord(Item(1, 100, 100)), 1);
    EXPECT_EQ(model.AddItemRecord(Item(1, 300, 100)), 1);
    EXPECT_EQ(model.AddItemRecord(Item(1, 300, 50, Mode::MODE_MOVIE)), 0);
    EXPECT_EQ(model.AddItemRecord(Item(4, 0, 50)), 0) << "no face 4";
    EXPECT_EQ(Describe(model), QStringLiteral("1: 100+100 IMAGE, 300+100 IMAGE, 500+100 IMAGE"));
    EXPECT_TRUE(owner.received.empty());
}

TEST_F(TimelineModel, AddItemFillsTheGapUpToTheNextItemOrTheProjectEnd)
{
    struct Case {
        const char* name;
        int32_t time;
        int32_t kind;
        QString added; // the new item, or empty when nothing is added
    };
    const Case cases[] = {
        { "at another item's start", 1000, Mode::MODE_MOVIE, QString() },
        { "inside an item", 1050, Mode::MODE_MOVIE, QString() },
        { "5 before the next item", 995, Mode::MODE_MOVIE, QStringLiteral("995+5 MOVIE") },
        { "an IMAGE stops at the default image time", 2000, Mode::MODE_IMAGE,
            QStringLiteral("2000+500 IMAGE") },
        { "an IMAGE in a shorter gap", 900, Mode::MODE_IMAGE, QStringLiteral("900+100 IMAGE") },
        { "to the project end", 9000, Mode::MODE_SOUND, QStringLiteral("9000+1000 SOUND") },
        { "at the project end", 10000, Mode::MODE_NONE, QString() },
        { "before 0", -10, Mode::MODE_NONE, QString() },
        { "kind 4 is no kind", 3000, 4, QString() },
        { "a LINK starts unlinked", 3000, Mode::MODE_LINK, QStringLiteral("3000+1000 LINK>0") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTimeLineFixture::SetUp();
        model.ResetTimeLine(true);
        model.SetProjectLength(10000);
        Load({ Face(1, { Item(1, 1000, 200), Item(1, 4000, 100) }) });
        const QString before = Describe(model);
        const int added = model.AddItem(1, c.time, c.kind);
        if (c.added.isEmpty()) {
            EXPECT_EQ(added, 0);
            EXPECT_EQ(Describe(model), before);
            EXPECT_TRUE(owner.received.empty());
            continue;
        }
        EXPECT_EQ(added, 1);
        EXPECT_TRUE(Describe(model).contains(c.added)) << Describe(model).toStdString();
        ASSERT_EQ(owner.Log(), QStringList { QStringLiteral("ITEM_ADDED 1@%1").arg(c.time) });
        const tagTL_FACE_ITEM_DATA& item = *owner.received[0].item;
        EXPECT_EQ(item, At(1, c.time));
        EXPECT_EQ(item.CameraID, -1);
        EXPECT_EQ(item.Volume, 100);
        EXPECT_EQ(item.ThumbnailTime, -1);
        EXPECT_TRUE(item.FilePath.isEmpty());
        EXPECT_TRUE(TimelineInvariantsHold(model));
    }
}

TEST_F(TimelineModel, DeleteFaceRenumbersTheFacesBehindItAndTheirLinks)
{
    Load({ Face(1, { Link(1, 0, 100, 3), Link(1, 500, 100, 2) }),
        Face(2, { Item(2, 500, 100), Item(2, 900, 50) }), Face(3, { Item(3, 0, 100) }) });
    model.AddToSelection(At(3, 0));
    ASSERT_EQ(model.DeleteFace(1, 2), 1);

    EXPECT_EQ(Describe(model), QStringLiteral("1: 0+100 LINK>2, 500+100 IMAGE | 2: 0+100 IMAGE"));
    EXPECT_EQ(owner.Log(),
        (QStringList { QStringLiteral("ITEM_DELETED 2@500"), QStringLiteral("ITEM_DELETED 2@900"),
            QStringLiteral("ITEM_CHANGED 1@500>1@500"), QStringLiteral("FACE_DELETED 2") }));
    // The LINK that showed the deleted face is an IMAGE of its own now, pointing nowhere.
    const tagTL_FACE_ITEM_DATA dissolved = At(1, 500);
    EXPECT_EQ(dissolved.LinkFaceNo, 0);
    EXPECT_EQ(dissolved.LinkMode, 0);
    // The owner gets a copy of the face as it was, items included.
    const tagTL_FACE_DATA deleted = *owner.Of(WM_TL_FACE_DELETED)[0].face;
    EXPECT_EQ(deleted.No, 2);
    EXPECT_EQ(deleted.Items.size(), 2u);
    EXPECT_TRUE(model.Selection().empty());
    EXPECT_EQ(panel.calls.first(), QStringLiteral("ClearItem"));
    EXPECT_TRUE(TimelineInvariantsHold(model));

    owner.Clear();
    EXPECT_EQ(model.DeleteFace(1, 7), 0);
    EXPECT_TRUE(owner.received.empty()) << "an absent face is not deleted";
}

TEST_F(TimelineModel, DeleteFaceSurvivesAnOwnerThatDeletesTheFaceItself)
{
    Load({ Face(1, { Item(1, 0, 100), Item(1, 200, 100) }), Face(2) });
    bool reentered = false;
    owner.onNotification = [&](const RecordedNotification& n) {
        if (n.message == WM_TL_ITEM_DELETED && !reentered) {
            reentered = true;
            EXPECT_EQ(model.DeleteFace(1, 1), 1);
        }
    };
    EXPECT_EQ(model.DeleteFace(1, 1), 0) << "the outer deletion stops: face 1 is another face now";
    EXPECT_EQ(Describe(model), QStringLiteral("1: ")) << "the face that was 2 is left alone";
    EXPECT_EQ(owner.Of(WM_TL_FACE_DELETED).size(), 1u);
    EXPECT_TRUE(TimelineInvariantsHold(model));
}

TEST_F(TimelineModel, ItemSettersReportTheChangeAndKeepTheKeysValid)
{
    struct Case {
        const char* name;
        std::function<bool(CTimeLineModel&)> edit;
        QString after; // the face's items after the edit; the same as before when refused
        QString log;
    };
    const QString before = QStringLiteral("1: 100+200 MOVIE, 500+200 MOVIE, 900+50 MOVIE");
    const Case cases[] = {
        { "move the start earlier keeping the end", [](auto& m) { return m.MoveItemTo(1, 500, 300); },
            QStringLiteral("1: 100+200 MOVIE, 300+400 MOVIE, 900+50 MOVIE"),
            QStringLiteral("ITEM_MOVED 1@500>1@300") },
        { "move onto another start", [](auto& m) { return m.MoveItemTo(1, 500, 100); }, before, QString() },
        { "move to the same start", [](auto& m) { return m.MoveItemTo(1, 500, 500); }, before, QString() },
        { "move before 0", [](auto& m) { return m.MoveItemTo(1, 100, -1); }, before, QString() },
        { "move to the end", [](auto& m) { return m.MoveItemTo(1, 500, 700); }, before, QString() },
        { "move a missing item", [](auto& m) { return m.MoveItemTo(1, 501, 400); }, before, QString() },
        { "resize the end", [](auto& m) { return m.ResizeItemEnd(1, 100, 250); },
            QStringLiteral("1: 100+150 MOVIE, 500+200 MOVIE, 900+50 MOVIE"),
            QStringLiteral("ITEM_CHANGED 1@100>1@100") },
        { "resize to nothing", [](auto& m) { return m.ResizeItemEnd(1, 100, 100); }, before, QString() },
        { "link face", [](auto& m) { return m.SetItemLinkFace(1, 900, 4); }, before,
            QStringLiteral("ITEM_CHANGED 1@900>1@900") },
        { "kind", [](auto& m) { return m.SetItemMode(1, 900, Mode::MODE_SOUND); },
            QStringLiteral("1: 100+200 MOVIE, 500+200 MOVIE, 900+50 SOUND"),
            QStringLiteral("ITEM_CHANGED 1@900>1@900") },
        { "kind of a missing item", [](auto& m) { return m.SetItemMode(2, 900, 1); }, before, QString() },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTimeLineFixture::SetUp();
        model.ResetTimeLine(true);
        model.SetProjectLength(10000);
        Load({ Face(1,
            { Item(1, 100, 200, Mode::MODE_MOVIE), Item(1, 500, 200, Mode::MODE_MOVIE),
                Item(1, 900, 50, Mode::MODE_MOVIE) }) });
        EXPECT_EQ(c.edit(model), !c.log.isEmpty());
        EXPECT_EQ(Describe(model), c.after);
        EXPECT_EQ(owner.Log().join(u';'), c.log);
        EXPECT_TRUE(TimelineInvariantsHold(model));
    }
}

TEST_F(TimelineModel, EffectsFollowTheItemsEnds)
{
    tagTL_FACE_ITEM_DATA item = Item(1, 100, 300);
    item.InPattern = 2;
    item.InStartTime = 100;
    item.InEndTime = 140;
    item.OutPattern = 3;
    item.OutStartTime = 370;
    item.OutEndTime = 400;
    Load({ Face(1, { item }), Face(2) });

    ASSERT_TRUE(model.ResizeItemEnd(1, 100, 250));
    EXPECT_EQ(At(1, 100).PlayTime, 150);
    EXPECT_EQ(At(1, 100).OutStartTime, 220) << "the exit effect of 30 now covers 220..250";
    EXPECT_EQ(At(1, 100).OutEndTime, 250);
    ASSERT_TRUE(model.MoveItemTo(1, 100, 50));
    EXPECT_EQ(At(1, 50).InStartTime, 50) << "the entry effect begins at the new start";
    EXPECT_EQ(At(1, 50).InEndTime, 90);
    EXPECT_EQ(At(1, 50).OutEndTime, 250) << "the exit effect stays at the end";

    tagTL_FACE_ITEM_DATA source = At(1, 50);
    ASSERT_EQ(model.DropMovedItems(1, 2, 1000, 0, source), 1);
    const tagTL_FACE_ITEM_DATA moved = At(2, 1000);
    EXPECT_EQ(moved.FaceNo, 2);
    EXPECT_EQ(moved.InStartTime, 1000);
    EXPECT_EQ(moved.InEndTime, 1040);
    EXPECT_EQ(moved.OutStartTime, 1170);
    EXPECT_EQ(moved.OutEndTime, 1200);
    EXPECT_FALSE(Has(1, 50));
}

TEST_F(TimelineModel, DropsRefuseTakenKeysAndLinksOntoTheSourceFace)
{
    Load({ Face(1, { Item(1, 100, 100), Item(1, 300, 100, Mode::MODE_SOUND) }),
        Face(2, { Item(2, 500, 100) }) });
    const tagTL_FACE_ITEM_DATA image = At(1, 100);
    EXPECT_EQ(model.DropMovedItems(1, 1, 100, 0, image), 0) << "the same key sends nothing";
    EXPECT_EQ(model.DropMovedItems(1, 2, 500, 0, image), 0) << "the target start is taken";
    EXPECT_EQ(model.DropItemsAsCopy(1, 1, 100, 0, image), 0);
    EXPECT_EQ(model.DropMovedItems(1, 5, 0, 0, image), 0) << "no face 5";
    EXPECT_EQ(model.DropAltItems(1, 1, 700, 0, image), 0) << "no LINK to its own face";
    EXPECT_EQ(model.DropAltItems(1, 2, 300, 0, At(1, 300)), 0) << "a SOUND is not shown by a LINK";
    EXPECT_TRUE(owner.received.empty());

    ASSERT_EQ(model.DropItemsAsCopy(1, 2, 0, 0, image), 1);
    ASSERT_EQ(model.DropAltItems(1, 2, 100, 0, image), 1);
    EXPECT_EQ(Describe(model),
        QStringLiteral("1: 100+100 IMAGE, 300+100 SOUND | 2: 0+100 IMAGE, 100+100 LINK>1, 500+100 IMAGE"));
    EXPECT_EQ(At(2, 100).LinkMode, Mode::MODE_IMAGE) << "a LINK records the kind it shows";
    EXPECT_EQ(owner.Log(),
        (QStringList { QStringLiteral("ITEM_COPIED 1@100>2@0"), QStringLiteral("ITEM_COPIED 1@100>2@100") }));
    EXPECT_EQ(panel.calls.filter(QStringLiteral("SetItem")),
        (QStringList { QStringLiteral("SetItem 2@0"), QStringLiteral("SetItem 2@100") }));
    EXPECT_TRUE(TimelineInvariantsHold(model));
}

TEST_F(TimelineModel, KeyChangesCarryTheSelectionTheCurrentItemAndThePanelAlong)
{
    Load({ Face(1, { Item(1, 100, 100), Item(1, 300, 100) }), Face(2) });
    model.AddToSelection(At(1, 100));
    model.SetCurrentItem({ 1, 100 });
    panel.SetItem(At(1, 100));
    panel.calls.clear();

    ASSERT_TRUE(model.MoveItemTo(1, 100, 50));
    ASSERT_EQ(model.Selection().size(), 1u);
    EXPECT_EQ(model.Selection()[0], At(1, 50));
    EXPECT_EQ(model.CurrentItem(), (TlItemRef { 1, 50 }));
    EXPECT_EQ(panel.calls, (QStringList { QStringLiteral("SetFaceList"), QStringLiteral("SetItem 1@50") }));

    ASSERT_EQ(model.DropMovedItems(1, 2, 700, 0, At(1, 50)), 1);
    EXPECT_EQ(model.Selection()[0], At(2, 700));
    EXPECT_EQ(model.CurrentItem(), (TlItemRef { 2, 700 }));
    EXPECT_EQ(panel.shown, At(2, 700));

    ASSERT_EQ(model.DeleteItem(1, 2, 700, 0), 1);
    EXPECT_TRUE(model.Selection().empty()) << "a deleted item leaves the selection";
    EXPECT_FALSE(model.CurrentItem().IsSet());
    EXPECT_EQ(model.DeleteItem(1, 2, 700, 0), 0);
}

TEST_F(TimelineModel, SetItemDataAndApplyItemChangeReplaceRecordsWithoutNotifying)
{
    Load({ Face(1, { Item(1, 100, 100), Item(1, 300, 100), Item(1, 600, 100) }) });
    model.AddToSelection(At(1, 300));
    tagTL_FACE_ITEM_DATA edited = At(1, 300);
    edited.FilePath = QStringLiteral("/media/other.png");
    EXPECT_EQ(model.SetItemData(edited), 1);
    EXPECT_EQ(model.Selection()[0], edited);
    tagTL_FACE_ITEM_DATA missing = edited;
    missing.Start = 301;
    EXPECT_EQ(model.SetItemData(missing), 0);

    tagTL_FACE_ITEM_DATA later = edited;
    later.Start = 800;
    EXPECT_EQ(model.ApplyItemChange(edited, later), 1);
    EXPECT_EQ(Describe(model), QStringLiteral("1: 100+100 IMAGE, 600+100 IMAGE, 800+100 IMAGE"))
        << "kept in start order";
    EXPECT_EQ(model.Selection()[0], later);
    tagTL_FACE_ITEM_DATA onto = later;
    onto.Start = 100;
    EXPECT_EQ(model.ApplyItemChange(later, onto), 0) << "the start is taken";
    EXPECT_TRUE(owner.received.empty());
    EXPECT_TRUE(TimelineInvariantsHold(model));
}

TEST_F(TimelineModel, FaceRecordsReadAndWrittenByTheView)
{
    Load({ Face(1), Face(2, {}, 1), Face(3) });
    tagTL_FACE_DATA face;
    ASSERT_EQ(model.GetFaceData(1, 2, face), 1);
    EXPECT_EQ(model.GetFaceData(1, 9, face), 0);
    face.Status = 0;
    face.Lock = 0;
    face.R = 9;
    face.X = { 1, 2, 3, 4 };
    ASSERT_EQ(model.SetFaceData(face), 1);
    tagTL_FACE_DATA stored;
    model.GetFaceData(1, 2, stored);
    EXPECT_EQ(stored.R, 9);
    EXPECT_EQ(stored.X, face.X);
    EXPECT_EQ(stored.Status, 1) << "the viewer's corners leave status and lock";
    EXPECT_EQ(stored.Lock, 1);
    ASSERT_EQ(owner.Log(), QStringList { QStringLiteral("FACE_CHANGED 2") });
    EXPECT_EQ(owner.received[0].wParam, 0);

    owner.Clear();
    EXPECT_EQ(model.SetFaceDisplayPosition(face), 1);
    model.GetFaceData(1, 2, stored);
    EXPECT_EQ(stored.Status, 0);
    EXPECT_EQ(stored.Lock, 0);
    ASSERT_EQ(owner.received.size(), 1u);
    EXPECT_EQ(owner.received[0].wParam, 1);
    face.No = 8;
    EXPECT_EQ(model.SetFaceDisplayPosition(face), 1) << "no such face: nothing, but no failure";
    EXPECT_EQ(model.SetFaceData(face), 0);
    EXPECT_EQ(owner.received.size(), 1u);

    std::vector<int32_t> numbers { 42 };
    model.GetFaceNumbers(1, numbers);
    EXPECT_EQ(numbers, (std::vector<int32_t> { 1, 2, 3 }));
}

TEST_F(TimelineModel, ResetEmptiesTheModelAndKeepsTheClipboardWhenAsked)
{
    Load({ Face(1, { Item(1, 100, 100) }) });
    model.AddToSelection(At(1, 100));
    model.SetPlayPosition(500);
    model.SetInOutPosition(100, 900);
    model.ResetTimeLine(false);
    EXPECT_EQ(model.FaceCount(), 0);
    EXPECT_TRUE(model.Selection().empty());
    EXPECT_EQ(model.PlayPosition(), 0);
    EXPECT_EQ(model.InPosition(), 0);
    EXPECT_EQ(model.OutPosition(), 0);
    EXPECT_EQ(model.ProjectLength(), 0);
    EXPECT_EQ(panel.calls.last(), QStringLiteral("ClearItem"));
}

} // namespace
