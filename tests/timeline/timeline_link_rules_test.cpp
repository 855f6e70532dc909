#include "tests/timeline/timeline_fixtures.h"

using namespace timeline;
using Mode = tagTL_FACE_ITEM_DATA;

namespace {

class TimelineLinkRules : public CTimeLineFixture { };

TEST_F(TimelineLinkRules, DeletingTheCurrentItemFreesItsLinks)
{
    Load({ Face(1), Face(2, { Item(2, 100, 100), Item(2, 400, 100) }),
        Face(3, { Link(3, 100, 100, 2), Link(3, 400, 100, 2) }) });
    model.AddToSelection(At(2, 100));
    model.SetCurrentItem({ 2, 100 });
    ASSERT_EQ(model.DeleteCurrentItem(), 1);
    EXPECT_EQ(owner.Log(),
        (QStringList { QStringLiteral("CHANGE_GROUP 1"), QStringLiteral("ITEM_DELETED 2@100"),
            QStringLiteral("ITEM_CHANGED 3@100>3@100"), QStringLiteral("CHANGE_GROUP 0") }));
    const tagTL_FACE_ITEM_DATA freed = At(3, 100);
    EXPECT_EQ(freed.Mode, Mode::MODE_IMAGE);
    EXPECT_EQ(freed.LinkFaceNo, 0);
    EXPECT_EQ(freed.LinkMode, 0);
    EXPECT_EQ(freed.FilePath, QStringLiteral("/media/3_100.png")) << "everything else stays";
    EXPECT_EQ(At(3, 400).Mode, Mode::MODE_LINK) << "a LINK at another start is not touched";
    EXPECT_TRUE(model.Selection().empty());
    EXPECT_FALSE(model.CurrentItem().IsSet());
    EXPECT_EQ(panel.calls.last(), QStringLiteral("ClearItem"));
    EXPECT_TRUE(TimelineInvariantsHold(model));
}

TEST_F(TimelineLinkRules, DeletingTheCurrentItemIsRefusedSilently)
{
    struct Case {
        const char* name;
        bool projectOpen;
        TlItemRef current;
    };
    const Case cases[] = {
        { "no project", false, { 1, 100 } },
        { "no current item", true, {} },
        { "a locked face", true, { 2, 100 } },
        { "an item that is gone", true, { 1, 101 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTimeLineFixture::SetUp();
        model.ResetTimeLine(true);
        model.SetProjectLength(10000);
        Load({ Face(1, { Item(1, 100, 100) }), Face(2, { Item(2, 100, 100) }, 1) });
        model.SetProjectOpen(c.projectOpen);
        model.SetCurrentItem(c.current);
        EXPECT_EQ(model.DeleteCurrentItem(), 0);
        EXPECT_TRUE(owner.received.empty());
        EXPECT_EQ(Describe(model), QStringLiteral("1: 100+100 IMAGE | 2: 100+100 IMAGE"));
    }
}

TEST_F(TimelineLinkRules, DeletingTheSelectionKeepsEveryLinkWithASource)
{
    struct Case {
        const char* name;
        std::vector<TlItemRef> selected;
        int lockedFace;
        QString faces;
        QStringList log;
    };
    const QString all
        = QStringLiteral("1: 100+100 IMAGE | 2: 100+100 LINK>1 | 3: 100+100 LINK>1, 300+50 SOUND");
    const Case cases[] = {
        { "a source and a LINK on a locked face: neither goes", { { 1, 100 }, { 2, 100 } }, 2, all,
            { QStringLiteral("WAIT_BEGIN"), QStringLiteral("CHANGE_GROUP 1"),
                QStringLiteral("CHANGE_GROUP 0"), QStringLiteral("WAIT_END") } },
        { "a source and one LINK: the other LINK becomes an IMAGE", { { 1, 100 }, { 2, 100 } }, 0,
            QStringLiteral("1:  | 2:  | 3: 100+100 IMAGE, 300+50 SOUND"),
            { QStringLiteral("WAIT_BEGIN"), QStringLiteral("CHANGE_GROUP 1"),
                QStringLiteral("ITEM_DELETED 1@100"), QStringLiteral("ITEM_DELETED 2@100"),
                QStringLiteral("ITEM_CHANGED 3@100>3@100"), QStringLiteral("CHANGE_GROUP 0"),
                QStringLiteral("WAIT_END") } },
        { "one LINK alone", { { 3, 100 } }, 0,
            QStringLiteral("1: 100+100 IMAGE | 2: 100+100 LINK>1 | 3: 300+50 SOUND"),
            { QStringLiteral("CHANGE_GROUP 1"), QStringLiteral("ITEM_DELETED 3@100"),
                QStringLiteral("CHANGE_GROUP 0"), QStringLiteral("WAIT_END") } },
        { "items of a locked face are skipped", { { 3, 300 }, { 1, 100 } }, 3,
            QStringLiteral("1:  | 2: 100+100 IMAGE | 3: 100+100 IMAGE, 300+50 SOUND"),
            { QStringLiteral("WAIT_BEGIN"), QStringLiteral("CHANGE_GROUP 1"),
                QStringLiteral("ITEM_DELETED 1@100"), QStringLiteral("ITEM_CHANGED 2@100>2@100"),
                QStringLiteral("ITEM_CHANGED 3@100>3@100"), QStringLiteral("CHANGE_GROUP 0"),
                QStringLiteral("WAIT_END") } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTimeLineFixture::SetUp();
        model.ResetTimeLine(true);
        model.SetProjectLength(10000);
        Load({ Face(1, { Item(1, 100, 100) }, c.lockedFace == 1),
            Face(2, { Link(2, 100, 100, 1) }, c.lockedFace == 2),
            Face(3, { Link(3, 100, 100, 1), Item(3, 300, 50, Mode::MODE_SOUND) }, c.lockedFace == 3) });
        for (const TlItemRef& ref : c.selected)
            model.AddToSelection(At(ref.faceNo, ref.start));
        EXPECT_EQ(model.DeleteSelectedItems(), 1);
        EXPECT_EQ(Describe(model), c.faces);
        EXPECT_EQ(owner.Log(), c.log);
        EXPECT_TRUE(model.Selection().empty());
        EXPECT_TRUE(TimelineInvariantsHold(model));
    }
    model.SetProjectOpen(false);
    model.AddToSelection(At(3, 300));
    owner.Clear();
    EXPECT_EQ(model.DeleteSelectedItems(), 0) << "no project";
    model.SetProjectOpen(true);
    model.ClearSelection();
    EXPECT_EQ(model.DeleteSelectedItems(), 0) << "nothing selected";
    EXPECT_TRUE(owner.received.empty());
}

TEST_F(TimelineLinkRules, LinkGroupsOfTheSelection)
{
    Load({ Face(1,
               { Item(1, 100, 100), Item(1, 500, 100, Mode::MODE_CAMERA),
                   Item(1, 900, 50, Mode::MODE_SOUND) }),
        Face(2, { Link(2, 100, 100, 1), Item(2, 500, 100) }, 1), Face(3, { Link(3, 100, 100, 1) }) });
    struct Case {
        const char* name;
        std::vector<TlItemRef> selected;
        TlItemRef hovered;
        int group;
    };
    const Case cases[] = {
        { "nothing", {}, {}, 0 },
        { "one CAMERA", { { 1, 500 } }, {}, 1 },
        { "one SOUND", { { 1, 900 } }, {}, 0 },
        { "one LINK", { { 3, 100 } }, {}, 0 },
        { "an IMAGE and its LINKs, over the IMAGE", { { 1, 100 }, { 2, 100 }, { 3, 100 } }, { 1, 100 }, 1 },
        { "over one of the LINKs", { { 1, 100 }, { 2, 100 }, { 3, 100 } }, { 3, 100 }, 1 },
        { "over nothing selected", { { 1, 100 }, { 2, 100 }, { 3, 100 } }, { 1, 500 }, 0 },
        { "with an unrelated item", { { 1, 100 }, { 2, 100 }, { 2, 500 } }, { 1, 100 }, 0 },
        { "two LINKs without their source", { { 2, 100 }, { 3, 100 } }, { 3, 100 }, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        model.ClearSelection();
        for (const TlItemRef& ref : c.selected)
            model.AddToSelection(At(ref.faceNo, ref.start));
        TlHoverState hover;
        hover.faceNo = c.hovered.faceNo;
        hover.start = c.hovered.start;
        model.SetHover(hover);
        EXPECT_EQ(model.IsLinkGroupSelected(), c.group);
    }

    model.ClearSelection();
    for (const TlItemRef ref : { TlItemRef { 1, 100 }, TlItemRef { 2, 100 }, TlItemRef { 3, 100 } })
        model.AddToSelection(At(ref.faceNo, ref.start));
    std::vector<tagTL_FACE_ITEM_DATA> links;
    EXPECT_EQ(model.CollectSelectedLinks(1, 100, &links), 2);
    EXPECT_EQ(links.size(), 2u);
    EXPECT_EQ(model.CollectSelectedLinks(1, 100, nullptr), 0);
    EXPECT_EQ(model.HasLockedSelectedLink(1, 100), 1) << "the LINK on face 2 is locked";
    EXPECT_EQ(model.HasLockedSelectedLink(1, 500), 0);

    tagTL_FACE_ITEM_DATA found;
    EXPECT_EQ(model.FindLinkableItem(1, 500, found), 1);
    EXPECT_EQ(found, At(1, 500));
    EXPECT_EQ(model.FindLinkableItem(1, 900, found), 0) << "a SOUND cannot be linked";
    EXPECT_EQ(found, tagTL_FACE_ITEM_DATA());
    EXPECT_EQ(model.FindLinkableItem(3, 100, found), 0) << "nor a LINK";
}

TEST_F(TimelineLinkRules, UndoShowsTheItemInThePanel)
{
    Load({ Face(1, { Item(1, 100, 100) }) });
    model.ShowItemInPanel(1, 1, 0, 100);
    EXPECT_EQ(
        panel.calls, (QStringList { QStringLiteral("SetFaceList"), QStringLiteral("UpdateItem 1@100") }));
    panel.calls.clear();
    model.ShowItemInPanel(1, 1, 0, 200);
    EXPECT_EQ(panel.calls, QStringList { QStringLiteral("ClearItem") });
    panel.calls.clear();
    model.SetItemLink(1, 1, 0, 100);
    EXPECT_EQ(model.CurrentItem(), (TlItemRef { 1, 100 }));
    EXPECT_EQ(panel.calls, QStringList { QStringLiteral("UpdateItem 1@100") });
    panel.calls.clear();
    model.SetItemLink(1, 2, 0, 100);
    EXPECT_EQ(panel.calls, QStringList { QStringLiteral("ClearItem") });
    panel.calls.clear();
    model.SetItemPanel(nullptr);
    model.ShowItemInPanel(1, 1, 0, 100);
    EXPECT_TRUE(panel.calls.isEmpty());
}

} // namespace
