#include "tests/timeline/timeline_fixtures.h"

using namespace timeline;
using Mode = tagTL_FACE_ITEM_DATA;

namespace {

class TimelineItemEdit : public CTimeLineFixture {
protected:
    void Select(const std::vector<TlItemRef>& items)
    {
        model.ClearSelection();
        for (const TlItemRef& ref : items)
            model.AddToSelection(At(ref.faceNo, ref.start));
    }
    void Reload(std::initializer_list<tagTL_FACE_DATA> faces)
    {
        CTimeLineFixture::SetUp();
        model.ResetTimeLine(true);
        model.SetProjectLength(10000);
        Load(faces);
    }
    static tagTL_FACE_ITEM_DATA WithEffects(tagTL_FACE_ITEM_DATA item, int32_t entry, int32_t exit)
    {
        if (entry > 0) {
            item.InPattern = 1;
            item.InStartTime = item.Start;
            item.InEndTime = item.Start + entry;
        }
        if (exit > 0) {
            item.OutPattern = 2;
            item.OutEndTime = item.Start + item.PlayTime;
            item.OutStartTime = item.OutEndTime - exit;
        }
        return item;
    }
};

TEST_F(TimelineItemEdit, AligningStartsMovesWhatHasRoom)
{
    struct Case {
        const char* name;
        int mode;
        QString faces;
        QStringList log;
    };
    const Case cases[] = {
        { "to the earliest: face 3's neighbour ends after it", 0,
            QStringLiteral("1: 1000+200 IMAGE | 2: 1000+300 IMAGE | 3: 0+1200 IMAGE, 1500+100 IMAGE"),
            { QStringLiteral("CHANGE_GROUP 1"), QStringLiteral("WAIT_BEGIN"),
                QStringLiteral("ITEM_MOVED 2@2000>2@1000"), QStringLiteral("WAIT_END"),
                QStringLiteral("CHANGE_GROUP 0") } },
        { "to the latest", 1,
            QStringLiteral("1: 2000+200 IMAGE | 2: 2000+300 IMAGE | 3: 0+1200 IMAGE, 2000+100 IMAGE"),
            { QStringLiteral("CHANGE_GROUP 1"), QStringLiteral("WAIT_BEGIN"),
                QStringLiteral("ITEM_MOVED 3@1500>3@2000"), QStringLiteral("ITEM_MOVED 1@1000>1@2000"),
                QStringLiteral("WAIT_END"), QStringLiteral("CHANGE_GROUP 0") } },
        { "another mode", 2,
            QStringLiteral("1: 1000+200 IMAGE | 2: 2000+300 IMAGE | 3: 0+1200 IMAGE, 1500+100 IMAGE"), {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reload({ Face(1, { Item(1, 1000, 200) }), Face(2, { Item(2, 2000, 300) }),
            Face(3, { Item(3, 0, 1200), Item(3, 1500, 100) }) });
        Select({ { 1, 1000 }, { 2, 2000 }, { 3, 1500 } });
        model.AlignStartTime(c.mode);
        EXPECT_EQ(Describe(model), c.faces);
        EXPECT_EQ(owner.Log(), c.log);
        EXPECT_TRUE(TimelineInvariantsHold(model));
    }
}

TEST_F(TimelineItemEdit, AligningToALatestStartPastTheProjectMovesNothing)
{
    Load({ Face(1, { Item(1, 1000, 200) }), Face(2, { Item(2, 9900, 100) }) });
    model.SetProjectLength(9800);
    Select({ { 1, 1000 }, { 2, 9900 } });
    model.AlignStartTime(1);
    EXPECT_EQ(owner.Log(),
        (QStringList { QStringLiteral("CHANGE_GROUP 1"), QStringLiteral("WAIT_BEGIN"),
            QStringLiteral("WAIT_END"), QStringLiteral("CHANGE_GROUP 0") }));
}

TEST_F(TimelineItemEdit, AligningKeepsLinksWithTheirSource)
{
    // The IMAGE and its LINK move together; the other LINK stays behind without its source.
    Load({ Face(1, { Item(1, 2000, 300) }), Face(2, { Link(2, 2000, 300, 1) }),
        Face(3, { Link(3, 2000, 300, 1) }), Face(4, { Item(4, 1000, 300) }) });
    Select({ { 1, 2000 }, { 2, 2000 }, { 4, 1000 } });
    model.AlignStartTime(0);
    EXPECT_EQ(Describe(model),
        QStringLiteral("1: 1000+300 IMAGE | 2: 1000+300 LINK>1 | 3: 2000+300 IMAGE | 4: 1000+300 IMAGE"));
    EXPECT_TRUE(TimelineInvariantsHold(model));

    // A LINK moved away from its source becomes an item of its kind.
    Reload({ Face(1, { Item(1, 2000, 300) }), Face(2, { Link(2, 2000, 300, 1) }),
        Face(4, { Item(4, 1000, 300) }) });
    Select({ { 2, 2000 }, { 4, 1000 } });
    model.AlignStartTime(0);
    EXPECT_EQ(Describe(model), QStringLiteral("1: 2000+300 IMAGE | 2: 1000+300 IMAGE | 4: 1000+300 IMAGE"));
    EXPECT_TRUE(TimelineInvariantsHold(model));
}

TEST_F(TimelineItemEdit, AligningPlayTimesKeepsRoomForEffectsAndNeighbours)
{
    struct Case {
        const char* name;
        int mode;
        int32_t target;
        QString faces;
    };
    // Face 1: 100 + 100 of effects; face 2: a next item 400 after; face 3: free behind.
    const Case cases[] = {
        { "shortest 150: the item with 200 of effects stays", 2, 150,
            QStringLiteral("1: 0+300 IMAGE | 2: 0+150 IMAGE, 400+100 IMAGE | 3: 0+150 IMAGE") },
        { "shortest 200: everything shortened", 2, 200,
            QStringLiteral("1: 0+200 IMAGE | 2: 0+200 IMAGE, 400+100 IMAGE | 3: 0+200 IMAGE") },
        { "longest: face 2 would run into its next item", 3, 600,
            QStringLiteral("1: 0+600 IMAGE | 2: 0+250 IMAGE, 400+100 IMAGE | 3: 0+600 IMAGE") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reload({ Face(1, { WithEffects(Item(1, 0, 300), 100, 100) }),
            Face(2, { Item(2, 0, 250), Item(2, 400, 100) }), Face(3, { Item(3, 0, c.target) }) });
        Select({ { 1, 0 }, { 2, 0 }, { 3, 0 } });
        model.AlignDuration(c.mode);
        EXPECT_EQ(Describe(model), c.faces);
        EXPECT_TRUE(TimelineInvariantsHold(model));
    }
    // The exit effect keeps its length at the new end.
    EXPECT_EQ(At(1, 0).OutStartTime, 500);
    EXPECT_EQ(At(1, 0).OutEndTime, 600);

    Reload({ Face(1, { Item(1, 9000, 500), Item(1, 0, 2000) }) });
    Select({ { 1, 9000 }, { 1, 0 } });
    model.AlignDuration(3);
    EXPECT_EQ(At(1, 9000).PlayTime, 2000) << "the project's end sets no bound";
}

TEST_F(TimelineItemEdit, PackingClosesTheSmallestGap)
{
    struct Case {
        const char* name;
        bool forward;
        std::vector<TlItemRef> selected;
        QString faces;
    };
    const Case cases[] = {
        { "forward behind the neighbour", true, { { 1, 500 } },
            QStringLiteral(
                "1: 0+300 IMAGE, 300+100 IMAGE, 1000+100 IMAGE | 2: 200+100 IMAGE, 5000+100 IMAGE") },
        { "forward without a neighbour", true, { { 2, 200 } },
            QStringLiteral(
                "1: 0+300 IMAGE, 500+100 IMAGE, 1000+100 IMAGE | 2: 0+100 IMAGE, 5000+100 IMAGE") },
        { "forward by the smallest gap of all faces", true, { { 1, 500 }, { 1, 1000 }, { 2, 200 } },
            QStringLiteral("1: 0+300 IMAGE, 300+100 IMAGE, 800+100 IMAGE | 2: 0+100 IMAGE, 5000+100 IMAGE") },
        { "backward to the next item", false, { { 1, 500 } },
            QStringLiteral(
                "1: 0+300 IMAGE, 900+100 IMAGE, 1000+100 IMAGE | 2: 200+100 IMAGE, 5000+100 IMAGE") },
        { "backward to the project's end", false, { { 2, 5000 } },
            QStringLiteral(
                "1: 0+300 IMAGE, 500+100 IMAGE, 1000+100 IMAGE | 2: 200+100 IMAGE, 9900+100 IMAGE") },
        { "backward by the smallest gap", false, { { 1, 500 }, { 1, 1000 }, { 2, 200 } },
            QStringLiteral(
                "1: 0+300 IMAGE, 5200+100 IMAGE, 5700+100 IMAGE | 2: 4900+100 IMAGE, 5000+100 IMAGE") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reload({ Face(1, { Item(1, 0, 300), Item(1, 500, 100), Item(1, 1000, 100) }),
            Face(2, { Item(2, 200, 100), Item(2, 5000, 100) }) });
        Select(c.selected);
        if (c.forward)
            model.PackItemsForward();
        else
            model.PackItemsBackward();
        EXPECT_EQ(Describe(model), c.faces);
        EXPECT_TRUE(TimelineInvariantsHold(model));
    }
}

TEST_F(TimelineItemEdit, PackingBackwardLeavesItemsPastTheProjectsEnd)
{
    Load({ Face(1, { Item(1, 100, 100), Item(1, 9950, 100) }) });
    Select({ { 1, 100 }, { 1, 9950 } });
    model.PackItemsBackward();
    EXPECT_EQ(Describe(model), QStringLiteral("1: 100+100 IMAGE, 9950+100 IMAGE"));
    EXPECT_TRUE(owner.Of(WM_TL_ITEM_MOVED).empty());
}

TEST_F(TimelineItemEdit, PackingAnItemAwayFromItsLinkFreesTheLink)
{
    Load({ Face(1, { Item(1, 500, 100) }), Face(2, { Item(2, 0, 450), Link(2, 500, 100, 1) }) });
    Select({ { 1, 500 }, { 2, 500 } });
    model.PackItemsForward(); // face 2's gap is 50: both move by 50
    EXPECT_EQ(Describe(model), QStringLiteral("1: 450+100 IMAGE | 2: 0+450 IMAGE, 450+100 LINK>1"));
    Select({ { 1, 450 } });
    model.PackItemsForward();
    EXPECT_EQ(Describe(model), QStringLiteral("1: 0+100 IMAGE | 2: 0+450 IMAGE, 450+100 IMAGE"));
    EXPECT_TRUE(TimelineInvariantsHold(model));
}

TEST_F(TimelineItemEdit, SplittingAtThePlayhead)
{
    struct Case {
        int32_t playhead;
        QString faces;
        size_t selected;
    };
    const Case cases[] = {
        { 100, QStringLiteral("1: 100+300 MOVIE"), 1 },
        { 400, QStringLiteral("1: 100+300 MOVIE"), 1 },
        { 250, QStringLiteral("1: 100+150 MOVIE, 250+150 MOVIE"), 2 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.playhead);
        Reload({ Face(1, { Item(1, 100, 300, Mode::MODE_MOVIE) }) });
        Select({ { 1, 100 } });
        model.SetPlayPosition(c.playhead);
        model.SplitItemAtPlayPosition();
        EXPECT_EQ(Describe(model), c.faces);
        EXPECT_EQ(model.Selection().size(), c.selected);
    }
    EXPECT_EQ(owner.Log(),
        (QStringList { QStringLiteral("CHANGE_GROUP 1"), QStringLiteral("ITEM_CHANGED 1@100>1@100"),
            QStringLiteral("ITEM_COPIED 1@100>1@250"), QStringLiteral("ITEM_CHANGED 1@250>1@250"),
            QStringLiteral("WAIT_END"), QStringLiteral("CHANGE_GROUP 0") }));
    EXPECT_EQ(model.Selection()[0], At(1, 100)) << "the first part comes first";
}

TEST_F(TimelineItemEdit, SplitPartsTakeTheEffectsAndMoviePositionsThatFit)
{
    struct Case {
        const char* name;
        tagTL_FACE_ITEM_DATA item;
        int32_t playhead;
        bool firstKeepsEntry;
        bool secondKeepsExit;
        int32_t secondInTime;
    };
    tagTL_FACE_ITEM_DATA movie = WithEffects(Item(1, 1000, 1000, Mode::MODE_MOVIE), 300, 200);
    movie.InTime = 1000;
    movie.OutTime = 5000;
    tagTL_FACE_ITEM_DATA ended = movie;
    ended.OutTime = 0;
    tagTL_FACE_ITEM_DATA loop = movie;
    loop.PlayMode = 1;
    tagTL_FACE_ITEM_DATA linkedMovie = movie;
    linkedMovie.Mode = Mode::MODE_LINK;
    linkedMovie.LinkMode = Mode::MODE_MOVIE;
    const Case cases[] = {
        { "offset 300: the entry effect ends exactly there", movie, 1300, true, true, 1300 },
        { "inside the entry effect", movie, 1200, false, true, 1200 },
        { "inside the exit effect", movie, 1900, true, false, 1900 },
        { "a movie without an OUT point", ended, 1300, true, true, 0 },
        { "a looping movie keeps its IN point", loop, 1300, true, true, 1000 },
        { "a LINK showing a movie", linkedMovie, 1300, true, true, 1300 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reload({ Face(1, { c.item }) });
        tagTL_FACE_ITEM_DATA link = c.item;
        Select({ { 1, 1000 } });
        model.SetPlayPosition(c.playhead);
        model.SplitItemAtPlayPosition();
        const tagTL_FACE_ITEM_DATA first = At(1, 1000);
        const tagTL_FACE_ITEM_DATA second = At(1, c.playhead);
        EXPECT_EQ(first.PlayTime, c.playhead - 1000);
        EXPECT_EQ(first.OutPattern + first.OutEndTime, 0) << "the first part has no exit effect";
        EXPECT_EQ(first.InPattern != 0, c.firstKeepsEntry);
        EXPECT_EQ(second.PlayTime, 2000 - c.playhead);
        EXPECT_EQ(second.InPattern + second.InEndTime, 0) << "the second part has no entry effect";
        EXPECT_EQ(second.OutPattern != 0, c.secondKeepsExit);
        if (c.secondKeepsExit) {
            EXPECT_EQ(second.OutEndTime, 2000);
        }
        EXPECT_EQ(second.InTime, c.secondInTime);
    }
}

TEST_F(TimelineItemEdit, RefusedEditsChangeAndSayNothing)
{
    Load({ Face(1, { Item(1, 500, 100) }), Face(2, { Item(2, 500, 100) }, 1) });
    const std::function<void()> edits[] = {
        [this] { model.AlignStartTime(0); },
        [this] { model.AlignDuration(3); },
        [this] { model.PackItemsForward(); },
        [this] { model.PackItemsBackward(); },
        [this] { model.SplitItemAtPlayPosition(); },
    };
    model.SetPlayPosition(550);
    for (const auto& edit : edits) {
        model.ClearSelection();
        edit();
        Select({ { 1, 500 }, { 2, 500 } });
        edit();
    }
    EXPECT_TRUE(owner.received.empty()) << "nothing selected, or an item of a locked face";
    EXPECT_EQ(Describe(model), QStringLiteral("1: 500+100 IMAGE | 2: 500+100 IMAGE"));
}

TEST_F(TimelineItemEdit, EffectLengthsAndRangeSelection)
{
    Load({ Face(1, { WithEffects(Item(1, 1000, 1000), 100, 100), Item(1, 3000, 100) }),
        Face(2, { Link(2, 1000, 1000, 1) }), Face(3, { Item(3, 2500, 100) }) });
    model.AddToSelection(At(1, 1000));
    panel.SetItem(At(1, 1000));
    ASSERT_EQ(model.SetItemEffectTimes(1, 1000, 250, 50), 1);
    const tagTL_FACE_ITEM_DATA item = At(1, 1000);
    EXPECT_EQ(item.InEndTime, 1250);
    EXPECT_EQ(item.OutStartTime, 1950);
    EXPECT_EQ(model.Selection()[0], item);
    EXPECT_EQ(panel.shown, item);
    EXPECT_EQ(owner.Log(), QStringList { QStringLiteral("ITEM_CHANGED 1@1000>1@1000") })
        << "no group of its own";
    EXPECT_EQ(model.SetItemEffectTimes(1, 1001, 1, 1), 0);

    model.ClearSelection();
    model.SelectItemsInRange(1, 1, 2000, 2500);
    EXPECT_EQ(model.Selection().size(), 2u) << "the item ending at 2000, with its LINK";
    model.ClearSelection();
    model.SelectItemsInRange(2, 0, 2000, 2600);
    EXPECT_EQ(model.Selection().size(), 3u) << "to the last face: the LINK, its source, and face 3's item";
}

} // namespace
