#include "tests/timeline/timeline_fixtures.h"

using namespace timeline;

namespace {

class TimelineFaceOrder : public CTimeLineFixture {
protected:
    // Faces 1, 2, 3: face 1 has an IMAGE, face 3 LINKs to faces 1 and 2.
    void LoadThree()
    {
        Load({ Face(1, { Item(1, 0, 100) }), Face(2, { Item(2, 500, 100) }),
            Face(3, { Link(3, 0, 100, 1), Link(3, 500, 100, 2) }) });
    }
    QStringList Opening(const char* message, const QString& detail)
    {
        return { QStringLiteral("CHANGE_GROUP 1"), QStringLiteral("FACES_REFRESH"),
            QString::fromUtf8(message) + u' ' + detail, QStringLiteral("CHANGE_GROUP 0") };
    }
};

TEST_F(TimelineFaceOrder, InsertingAFaceRenumbersTheRowsBehindIt)
{
    LoadThree();
    model.AddToSelection(At(2, 500));
    tagTL_FACE_DATA face = Face(1);
    ASSERT_EQ(model.InsertFace(0, face), 1);
    EXPECT_EQ(Describe(model),
        QStringLiteral("1:  | 2: 0+100 IMAGE | 3: 500+100 IMAGE | 4: 0+100 LINK>2, 500+100 LINK>3"));
    EXPECT_EQ(owner.Log(), Opening("FACE_INSERTED", QStringLiteral("0")));
    const FaceInsertInfo info = *owner.Of(WM_TL_FACE_INSERTED)[0].insertInfo;
    EXPECT_EQ(info.oldNumbers, (std::vector<int32_t> { 1, 1, 2, 3 }));
    EXPECT_EQ(info.newNumbers, (std::vector<int32_t> { 1, 2, 3, 4 }));
    EXPECT_EQ(info.face.No, 1);
    EXPECT_TRUE(model.Selection().empty()) << "inserting empties the selection";
    EXPECT_TRUE(panel.calls.contains(QStringLiteral("ClearItem")));
    EXPECT_TRUE(TimelineInvariantsHold(model));

    owner.Clear();
    EXPECT_EQ(model.InsertFace(4, Face(9)), 1) << "at the end";
    EXPECT_EQ(model.Faces().back().No, 5);
    EXPECT_EQ(model.InsertFace(6, Face(9)), 0);
    EXPECT_EQ(model.InsertFace(-1, Face(9)), 0);
    EXPECT_EQ(owner.Log().size(), 4) << "refused inserts send nothing";
}

TEST_F(TimelineFaceOrder, CopyingAFaceKeepsTheLinksOnTheirSource)
{
    LoadThree();
    ASSERT_EQ(model.CopyFace(0, 3), 1);
    EXPECT_EQ(Describe(model),
        QStringLiteral(
            "1: 0+100 IMAGE | 2: 500+100 IMAGE | 3: 0+100 LINK>1, 500+100 LINK>2 | 4: 0+100 IMAGE"));
    EXPECT_EQ(owner.Log(), Opening("FACE_COPIED", QStringLiteral("0>3")));
    const FaceCopyInfo info = *owner.Of(WM_TL_FACE_COPIED)[0].copyInfo;
    EXPECT_EQ(info.oldNumbers, (std::vector<int32_t> { 1, 2, 3, 1 }));
    EXPECT_EQ(info.newNumbers, (std::vector<int32_t> { 1, 2, 3, 4 }));
    EXPECT_EQ(info.newFace.No, 4);
    EXPECT_EQ(info.newFace.Items[0].FaceNo, 4);
    const COLORREF colour = model.FrameColors()[3]; // entry (3 mod 10) + 1
    EXPECT_EQ(info.newFace.R, int32_t(colour & 0xFF));
    EXPECT_EQ(info.newFace.X, model.Faces()[0].X);

    owner.Clear();
    ASSERT_EQ(model.CopyFace(2, 0), 1) << "copy the LINK face to the top";
    EXPECT_EQ(Describe(model),
        QStringLiteral("1: 0+100 LINK>2, 500+100 LINK>3 | 2: 0+100 IMAGE | 3: 500+100 IMAGE | "
                       "4: 0+100 LINK>2, 500+100 LINK>3 | 5: 0+100 IMAGE"));
    EXPECT_TRUE(TimelineInvariantsHold(model));
    EXPECT_EQ(model.CopyFace(5, 0), 0);
    EXPECT_EQ(model.CopyFace(0, 6), 0);
}

TEST_F(TimelineFaceOrder, MovingAFaceRenumbersAndRepointsTheLinks)
{
    struct Case {
        const char* name;
        int from, to;
        QString faces;
        int oldNo, newNo;
    };
    const Case cases[] = {
        { "row 0 to the end", 0, 3,
            QStringLiteral("1: 500+100 IMAGE | 2: 0+100 LINK>3, 500+100 LINK>1 | 3: 0+100 IMAGE"), 1, 3 },
        { "the last row to the top", 2, 0,
            QStringLiteral("1: 0+100 LINK>2, 500+100 LINK>3 | 2: 0+100 IMAGE | 3: 500+100 IMAGE"), 3, 1 },
        { "row 0 before row 2", 0, 2,
            QStringLiteral("1: 500+100 IMAGE | 2: 0+100 IMAGE | 3: 0+100 LINK>2, 500+100 LINK>1"), 1, 2 },
        { "row 0 before row 1 stays", 0, 1,
            QStringLiteral("1: 0+100 IMAGE | 2: 500+100 IMAGE | 3: 0+100 LINK>1, 500+100 LINK>2"), 1, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTimeLineFixture::SetUp();
        model.ResetTimeLine(true);
        model.SetProjectLength(10000);
        LoadThree();
        ASSERT_EQ(model.MoveFace(c.from, c.to), 1);
        EXPECT_EQ(Describe(model), c.faces);
        EXPECT_EQ(owner.Log(), Opening("FACE_MOVED", QStringLiteral("%1>%2").arg(c.from).arg(c.to)));
        const FaceMoveInfo info = *owner.Of(WM_TL_FACE_MOVED)[0].moveInfo;
        EXPECT_EQ(info.oldFaceNo, c.oldNo);
        EXPECT_EQ(info.newFaceNo, c.newNo);
        ASSERT_EQ(info.facesAfter.size(), 3u);
        EXPECT_EQ(info.facesAfter[size_t(c.newNo - 1)].Items, model.Faces()[size_t(c.newNo - 1)].Items);
        EXPECT_EQ(info.facesBefore[size_t(c.newNo - 1)].No, c.oldNo);
        EXPECT_TRUE(TimelineInvariantsHold(model));
    }
}

TEST_F(TimelineFaceOrder, AMoveToTheEndCanBeUndone)
{
    LoadThree();
    const QString before = Describe(model);
    ASSERT_EQ(model.MoveFace(2, 0), 1);
    ASSERT_EQ(model.MoveFace(0, 3), 1) << "the target row may be the face count";
    EXPECT_EQ(Describe(model), before);
    owner.Clear();
    EXPECT_EQ(model.MoveFace(1, 1), 0);
    EXPECT_EQ(model.MoveFace(3, 0), 0);
    EXPECT_EQ(model.MoveFace(0, 4), 0);
    EXPECT_TRUE(owner.received.empty()) << "refused moves send nothing";
}

TEST_F(TimelineFaceOrder, TheSelectionAndCurrentItemFollowTheirFacesNumbers)
{
    LoadThree();
    model.AddToSelection(At(3, 500));
    model.SetCurrentItem({ 3, 500 });
    model.SetCurrentFace(3);
    panel.SetItem(At(3, 500));
    ASSERT_EQ(model.MoveFace(2, 0), 1);
    ASSERT_EQ(model.Selection().size(), 1u);
    EXPECT_EQ(model.Selection()[0], At(1, 500)) << "the copy carries the LINK's new target too";
    EXPECT_EQ(model.Selection()[0].LinkFaceNo, 3);
    EXPECT_EQ(model.CurrentItem(), (TlItemRef { 1, 500 }));
    EXPECT_EQ(model.CurrentFace(), 1);
    EXPECT_EQ(panel.shown, At(1, 500)) << "the panel shows the item under its new number";

    // A delete after the move acts on the item that was selected, not on what took its number.
    ASSERT_EQ(model.DeleteSelectedItems(), 1);
    EXPECT_EQ(Describe(model), QStringLiteral("1: 0+100 LINK>2 | 2: 0+100 IMAGE | 3: 500+100 IMAGE"));

    ASSERT_EQ(model.CopyFace(2, 0), 1);
    model.AddToSelection(At(4, 500));
    model.SetCurrentItem({ 4, 500 });
    ASSERT_EQ(model.CopyFace(3, 0), 1);
    EXPECT_EQ(model.Selection()[0], At(5, 500)) << "the source, not the copy that took its number";
    EXPECT_EQ(model.CurrentItem(), (TlItemRef { 5, 500 }));
    EXPECT_TRUE(TimelineInvariantsHold(model));
}

TEST_F(TimelineFaceOrder, DropRowUnderThePointerDuringAFaceDrag)
{
    Load({ Face(1), Face(2), Face(3) });
    model.RecalcLayout(TlRect { 0, 80, 1000, 380 }); // the first row's top at 100
    EXPECT_EQ(model.GetFaceDropRow(71), -1) << "no face drag";
    model.SetFaceDropRow(2);
    struct Case {
        int y;
        int row;
    };
    const Case cases[]
        = { { 69, 3 }, { 70, 0 }, { 71, 0 }, { 124, 0 }, { 125, 1 }, { 164, 1 }, { 185, 2 }, { 300, 3 } };
    for (const Case& c : cases)
        EXPECT_EQ(model.GetFaceDropRow(c.y), c.row) << "y " << c.y;

    // Moving face 2: from its row on, the rows are shifted and count one further.
    model.SetFaceDropRow(1);
    model.SetMouseState(TL_MOUSE_FACE_MOVE);
    model.SetCurrentFace(2);
    EXPECT_EQ(model.GetFaceDropRow(71), 0);
    EXPECT_EQ(model.GetFaceDropRow(130), 2) << "over its own row: the row after it";
    EXPECT_EQ(model.GetFaceDropRow(200), 3);
    EXPECT_EQ(model.GetFaceIndex(2), 1);
    EXPECT_EQ(model.GetFaceIndex(9), -1);
}

} // namespace
