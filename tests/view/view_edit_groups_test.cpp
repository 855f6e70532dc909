// Item edits of many items through the view: one write and one viewer notice per touched face
// for each user action, its undo and its redo.
#include "project/record_conversion.h"
#include "tests/view/view_fixture.h"
#include "timeline/time_line.h"
#include "view/kaleidra_doc.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {

using Notices = std::vector<std::pair<int32_t, int32_t>>;

// Faces 1 and 2 with five items each, in the timeline and in the files; the viewer runs.
class ViewEditGroups : public ViewFixture {
protected:
    void SetUp() override
    {
        ViewFixture::SetUp();
        ASSERT_TRUE(MakeView());
        StartFakeViewer();
        OpenTestProject(60000);
        TimeLine().SetProjectOpen(true);
        for (int32_t faceNo : { 1, 2 }) {
            AddFace(faceNo, { 0, 0, 100, 0, 100, 100, 0, 100 }, 0, 100);
            std::vector<ItemXmlRecord> entries;
            for (int32_t start = 200; start <= 800; start += 200) {
                tagTL_FACE_ITEM_DATA item;
                item.Channel = 1;
                item.FaceNo = faceNo;
                item.Start = start;
                item.PlayTime = 100;
                item.Mode = tagTL_FACE_ITEM_DATA::MODE_IMAGE;
                ASSERT_TRUE(view->TimeLine()->AddItemRecord(item));
                ItemXmlRecord entry;
                ASSERT_TRUE(ToItemXmlRecord(item, entry));
                entries.push_back(entry);
            }
            ASSERT_TRUE(document->GetProjectStore(1).SetItems(faceNo, entries));
        }
        view->UndoHistory().Reset();
    }
    CTimeLine& TimeLine() { return *view->TimeLine(); }
    size_t ItemsOnDisk(int32_t faceNo)
    {
        CProjectFolderStore fresh;
        fresh.SetFolder(temp.FilePath(QStringLiteral("work")));
        EXPECT_TRUE(fresh.OpenProject(temp.FilePath(QStringLiteral("work/Show/Show.xml")), 1));
        return fresh.HasFaceItems(faceNo) ? fresh.GetFaceItems(faceNo).Items().size() : 0;
    }
    // What the viewer was told since the last call.
    Notices TakeNotices()
    {
        const Notices notices = viewer->Data();
        viewer->ClearRecords();
        return notices;
    }
};

} // namespace

TEST_F(ViewEditGroups, EachActionItsUndoAndItsRedoTellTheViewerOncePerTouchedFace)
{
    const Notices bothFaces = { { kPmDataFaceChanged, 1 }, { kPmDataFaceChanged, 2 } };
    for (const tagTL_FACE_DATA& face : TimeLine().Faces())
        for (const tagTL_FACE_ITEM_DATA& item : face.Items)
            TimeLine().AddToSelection(item);
    ASSERT_EQ(TimeLine().CopySelectedItems(), 10);
    TakeNotices();

    TimeLine().PasteItems(1, 2000);
    EXPECT_EQ(TakeNotices(), bothFaces) << "the paste";
    EXPECT_EQ(ItemsOnDisk(1), 10u);
    EXPECT_EQ(ItemsOnDisk(2), 10u);
    ASSERT_EQ(view->UndoHistory().UndoList().size(), 10u);

    view->Undo();
    EXPECT_EQ(TakeNotices(), bothFaces) << "its undo";
    EXPECT_EQ(ItemsOnDisk(1), 5u);
    EXPECT_EQ(ItemsOnDisk(2), 5u);
    view->Redo();
    EXPECT_EQ(TakeNotices(), bothFaces) << "its redo";
    EXPECT_EQ(ItemsOnDisk(1), 10u);

    // Deleting the pasted items is one more action.
    TimeLine().ClearSelection();
    for (int32_t faceNo : { 1, 2 })
        for (int32_t start = 2000; start <= 2800; start += 200) {
            tagTL_FACE_ITEM_DATA item;
            ASSERT_TRUE(TimeLine().GetItemRecord(faceNo, start, item));
            TimeLine().AddToSelection(item);
        }
    TimeLine().DeleteSelectedItems();
    EXPECT_EQ(TakeNotices(), bothFaces) << "the deletion";
    EXPECT_EQ(ItemsOnDisk(1), 5u);
    EXPECT_EQ(ItemsOnDisk(2), 5u);
}

TEST_F(ViewEditGroups, APanelEditThatPutsBackTheStoredValueLeavesNoUndoStep)
{
    tagTL_FACE_ITEM_DATA item;
    ASSERT_TRUE(TimeLine().GetItemRecord(1, 200, item));
    document->Modified = 0;
    // A width typed past its bound, put back to the stored value: the same record twice.
    EXPECT_EQ(view->OnItemChanged({ item, item }), 0);
    EXPECT_TRUE(view->UndoHistory().UndoList().empty());
    EXPECT_EQ(document->Modified, 0);

    tagTL_FACE_ITEM_DATA wider = item;
    wider.W = 640;
    EXPECT_EQ(view->OnItemChanged({ item, wider }), 0);
    ASSERT_EQ(view->UndoHistory().UndoList().size(), 1u);
    // The next Undo takes back the width, not a step that changed nothing.
    view->Undo();
    tagTL_FACE_ITEM_DATA undone;
    ASSERT_TRUE(TimeLine().GetItemRecord(1, 200, undone));
    EXPECT_EQ(undone.W, item.W);
}
