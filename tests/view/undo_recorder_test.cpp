// The undo steps of the project's edits on their own: notifications in, undo records out, with
// no project folder and no viewer.
#include "view/undo_recorder.h"

#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

tagTL_FACE_ITEM_DATA ItemAt(int32_t faceNo, int32_t start)
{
    tagTL_FACE_ITEM_DATA item;
    item.Channel = 1;
    item.FaceNo = faceNo;
    item.Start = start;
    item.PlayTime = 100;
    return item;
}

// (kind, face, start) of a record's item, or of its face for the face kinds.
struct Step {
    int32_t kind;
    int32_t faceNo;
    int32_t start;
    bool operator==(const Step&) const = default;
};

void PrintTo(const Step& step, std::ostream* out)
{
    *out << "{" << step.kind << ", " << step.faceNo << ", " << step.start << "}";
}

class CNoReplay final : public CUndoReplayer {
public:
    Result ReplayUndo(tagCKD_UNDO_INFO&) override { return Result::Done; }
    Result ReplayRedo(tagCKD_UNDO_INFO&) override { return Result::Done; }
};

// The undo list oldest first, as the steps were recorded.
std::vector<Step> Recorded(const CUndoHistory& history)
{
    std::vector<Step> steps;
    for (auto record = history.UndoList().rbegin(); record != history.UndoList().rend(); ++record) {
        const bool itemKind
            = record->Kind >= tagCKD_UNDO_INFO::kAddItem && record->Kind <= tagCKD_UNDO_INFO::kUpdateItem;
        steps.push_back({ record->Kind, itemKind ? record->Item.FaceNo : record->Face.No,
            itemKind ? record->Item.Start : -1 });
    }
    return steps;
}

} // namespace

TEST(UndoRecorder, EachNotificationGivesItsSteps)
{
    using K = tagCKD_UNDO_INFO;
    tagTL_FACE_ITEM_DATA longer = ItemAt(1, 100);
    longer.PlayTime = 300;
    tagTL_FACE_DATA face;
    face.Channel = 1;
    face.No = 4;
    struct Case {
        const char* name;
        std::function<void(CUndoRecorder&)> notify;
        std::vector<Step> steps;
    };
    const std::vector<Case> cases = {
        { "added", [](CUndoRecorder& r) { r.ItemAdded(ItemAt(1, 100)); }, { { K::kAddItem, 1, 100 } } },
        { "deleted", [](CUndoRecorder& r) { r.ItemDeleted(ItemAt(2, 50)); }, { { K::kDeleteItem, 2, 50 } } },
        { "moved: the new item added, then the old one deleted",
            [](CUndoRecorder& r) {
                r.ItemMoved({ ItemAt(1, 100), ItemAt(3, 700) });
            },
            { { K::kAddItem, 3, 700 }, { K::kDeleteItem, 1, 100 } } },
        { "copied: the copy added",
            [](CUndoRecorder& r) {
                r.ItemCopied({ ItemAt(1, 100), ItemAt(2, 100) });
            },
            { { K::kAddItem, 2, 100 } } },
        { "changed",
            [&](CUndoRecorder& r) {
                r.ItemChanged({ ItemAt(1, 100), longer });
            },
            { { K::kUpdateItem, 1, 100 } } },
        { "changed to the record it was: no step",
            [](CUndoRecorder& r) {
                r.ItemChanged({ ItemAt(1, 100), ItemAt(1, 100) });
            },
            {} },
        { "start changed in the panel: the old item deleted, then the new one added",
            [](CUndoRecorder& r) {
                r.ItemStartChanged({ ItemAt(1, 100), ItemAt(1, 150) });
            },
            { { K::kDeleteItem, 1, 100 }, { K::kAddItem, 1, 150 } } },
        { "face added", [&](CUndoRecorder& r) { r.FaceAdded(face); }, { { K::kAddFace, 4, -1 } } },
        { "face deleted", [&](CUndoRecorder& r) { r.FaceDeleted(face, 3); }, { { K::kDeleteFace, 4, -1 } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CUndoHistory history;
        CUndoRecorder recorder(history);
        c.notify(recorder);
        EXPECT_TRUE(history.UndoList().empty()) << "nothing before the edit is written";
        recorder.Commit();
        EXPECT_EQ(Recorded(history), c.steps);
        // The steps of one notification make one operation.
        for (const tagCKD_UNDO_INFO& record : history.UndoList())
            EXPECT_EQ(record.OpNo, 1);
        EXPECT_EQ(history.OperationNumber(), c.steps.empty() ? 1 : 2);
    }
}

TEST(UndoRecorder, AGroupIsOneOperationAndStepsOfEditsNotWrittenAreDropped)
{
    using K = tagCKD_UNDO_INFO;
    CUndoHistory history;
    CUndoRecorder recorder(history);
    recorder.ItemAdded(ItemAt(1, 0));
    recorder.Commit();

    // A group whose edits are written in two turns: the steps keep their order and one number.
    recorder.OnChangeGroup(1);
    recorder.ItemMoved({ ItemAt(1, 0), ItemAt(1, 500) });
    recorder.Commit();
    recorder.ItemAdded(ItemAt(2, 100));
    recorder.ItemAdded(ItemAt(2, 900));
    EXPECT_EQ(recorder.WaitingCount(), 2u);
    recorder.Commit();
    recorder.OnChangeGroup(0);
    EXPECT_EQ(Recorded(history),
        (std::vector<Step> { { K::kAddItem, 1, 0 }, { K::kAddItem, 1, 500 }, { K::kDeleteItem, 1, 0 },
            { K::kAddItem, 2, 100 }, { K::kAddItem, 2, 900 } }));
    std::vector<int32_t> numbers;
    for (const tagCKD_UNDO_INFO& record : history.UndoList())
        numbers.push_back(record.OpNo);
    EXPECT_EQ(numbers, (std::vector<int32_t> { 2, 2, 2, 2, 1 }));

    // A group whose write failed: its steps never reach the list, and the redo list stays.
    CNoReplay replay;
    ASSERT_EQ(history.Undo(replay), CUndoHistory::ReplayResult::Done);
    const size_t redo = history.RedoList().size();
    recorder.OnChangeGroup(1);
    recorder.ItemDeleted(ItemAt(1, 0));
    recorder.Discard();
    recorder.OnChangeGroup(0);
    EXPECT_EQ(Recorded(history), (std::vector<Step> { { K::kAddItem, 1, 0 } }));
    EXPECT_EQ(history.RedoList().size(), redo);
    EXPECT_EQ(recorder.WaitingCount(), 0u);
}

namespace {

// A replayer whose steps tell the recorder of their edits, as the timeline's notifications do.
class CNotifyingReplay final : public CUndoReplayer {
public:
    explicit CNotifyingReplay(CUndoRecorder& recorder)
        : m_recorder(recorder)
    {
    }
    Result ReplayUndo(tagCKD_UNDO_INFO& record) override
    {
        m_recorder.ItemDeleted(record.Item);
        return Result::Done;
    }
    Result ReplayRedo(tagCKD_UNDO_INFO& record) override
    {
        m_recorder.ItemAdded(record.Item);
        return Result::Done;
    }
    bool EndReplay() override
    {
        // The replayed edits are written at the end, and their steps committed then.
        m_recorder.Commit();
        return true;
    }

private:
    CUndoRecorder& m_recorder;
};

} // namespace

TEST(UndoRecorder, AReplaysOwnEditsRecordNothing)
{
    CUndoHistory history;
    CUndoRecorder recorder(history);
    recorder.OnChangeGroup(1);
    recorder.ItemAdded(ItemAt(1, 0));
    recorder.ItemAdded(ItemAt(1, 100));
    recorder.Commit();
    recorder.OnChangeGroup(0);
    CNotifyingReplay replay(recorder);
    EXPECT_EQ(history.Undo(replay), CUndoHistory::ReplayResult::Done);
    EXPECT_TRUE(history.UndoList().empty());
    EXPECT_EQ(history.RedoList().size(), 2u) << "the redo list is kept";
    EXPECT_EQ(history.Redo(replay), CUndoHistory::ReplayResult::Done);
    EXPECT_EQ(history.UndoList().size(), 2u);
    EXPECT_EQ(recorder.WaitingCount(), 0u);
}
