// The undo lists on their own: operation numbers, grouping, trimming and the replay loop, with a
// replayer that records what it is asked to do.
#include "view/undo_history.h"
#include "view/undo_replay.h"

#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {

class CRecordingReplayer final : public CUndoReplayer {
public:
    void BeginReplay() override { ++begun; }
    bool EndReplay() override
    {
        ++ended;
        return endWrites;
    }
    Result ReplayUndo(tagCKD_UNDO_INFO& record) override { return Take(record, true); }
    Result ReplayRedo(tagCKD_UNDO_INFO& record) override { return Take(record, false); }

    // (backwards, item start) of every record replayed, in order.
    std::vector<std::pair<bool, int32_t>> replayed;
    // Starts whose replay fails, and how.
    std::set<int32_t> refuse;
    std::set<int32_t> failWrite;
    // The brackets around each replay, and whether the write at its end succeeds.
    int begun = 0;
    int ended = 0;
    bool endWrites = true;

private:
    Result Take(const tagCKD_UNDO_INFO& record, bool backwards)
    {
        if (refuse.count(record.Item.Start))
            return Result::Refused;
        if (failWrite.count(record.Item.Start))
            return Result::WriteFailed;
        replayed.emplace_back(backwards, record.Item.Start);
        return Result::Done;
    }
};

tagTL_FACE_ITEM_DATA ItemAt(int32_t start)
{
    tagTL_FACE_ITEM_DATA item;
    item.Channel = 1;
    item.FaceNo = 1;
    item.Start = start;
    return item;
}

std::vector<int32_t> Starts(const std::deque<tagCKD_UNDO_INFO>& list)
{
    std::vector<int32_t> starts;
    for (const tagCKD_UNDO_INFO& record : list)
        starts.push_back(record.Item.Start);
    return starts;
}

std::vector<int32_t> OpNumbers(const std::deque<tagCKD_UNDO_INFO>& list)
{
    std::vector<int32_t> numbers;
    for (const tagCKD_UNDO_INFO& record : list)
        numbers.push_back(record.OpNo);
    return numbers;
}

} // namespace

TEST(UndoHistory, OperationNumbersGroupsAndTheRedoList)
{
    CUndoHistory history;
    CRecordingReplayer replayer;
    EXPECT_EQ(history.OperationNumber(), 1);
    history.PushUndoItem(tagCKD_UNDO_INFO::kAddItem, ItemAt(10));
    history.OnChangeGroup(1);
    history.PushUndoItem(tagCKD_UNDO_INFO::kAddItem, ItemAt(20));
    history.PushUndoItem(tagCKD_UNDO_INFO::kDeleteItem, ItemAt(30));
    history.OnChangeGroup(0);
    // A group closed without a record still counts an operation.
    history.OnChangeGroup(1);
    history.OnChangeGroup(0);
    history.PushUndoItem(tagCKD_UNDO_INFO::kAddItem, ItemAt(40));
    EXPECT_EQ(OpNumbers(history.UndoList()), (std::vector<int32_t> { 4, 2, 2, 1 }));
    EXPECT_EQ(history.OperationNumber(), 5);

    EXPECT_EQ(history.Undo(replayer), CUndoHistory::ReplayResult::Done);
    EXPECT_EQ(history.Undo(replayer), CUndoHistory::ReplayResult::Done);
    EXPECT_EQ(Starts(history.RedoList()), (std::vector<int32_t> { 20, 30, 40 })) << "oldest first";
    EXPECT_EQ(history.OperationNumber(), 5) << "undo does not count";
    // A push outside a replay empties the redo list.
    history.PushUndoItem(tagCKD_UNDO_INFO::kAddItem, ItemAt(50));
    EXPECT_TRUE(history.RedoList().empty());
    EXPECT_EQ(Starts(history.UndoList()), (std::vector<int32_t> { 50, 10 }));

    // Undo and redo with an empty list do nothing.
    CUndoHistory empty;
    EXPECT_EQ(empty.Undo(replayer), CUndoHistory::ReplayResult::Nothing);
    EXPECT_EQ(empty.Redo(replayer), CUndoHistory::ReplayResult::Nothing);
}

TEST(UndoHistory, FiveGroupedRecordsAreUndoneAndRedoneAsOne)
{
    CUndoHistory history;
    CRecordingReplayer replayer;
    history.PushUndoItem(tagCKD_UNDO_INFO::kAddItem, ItemAt(1));
    history.OnChangeGroup(1);
    for (int32_t start : { 100, 200, 300, 400, 500 })
        history.PushUndoItem(tagCKD_UNDO_INFO::kUpdateItem, ItemAt(start));
    history.OnChangeGroup(0);

    ASSERT_EQ(history.Undo(replayer), CUndoHistory::ReplayResult::Done);
    EXPECT_EQ(replayer.replayed,
        (std::vector<std::pair<bool, int32_t>> {
            { true, 500 }, { true, 400 }, { true, 300 }, { true, 200 }, { true, 100 } }))
        << "newest first";
    EXPECT_EQ(Starts(history.UndoList()), std::vector<int32_t> { 1 });
    replayer.replayed.clear();
    ASSERT_EQ(history.Redo(replayer), CUndoHistory::ReplayResult::Done);
    EXPECT_EQ(replayer.replayed,
        (std::vector<std::pair<bool, int32_t>> {
            { false, 100 }, { false, 200 }, { false, 300 }, { false, 400 }, { false, 500 } }));
    EXPECT_EQ(Starts(history.UndoList()), (std::vector<int32_t> { 500, 400, 300, 200, 100, 1 }));
    EXPECT_EQ(OpNumbers(history.UndoList()), (std::vector<int32_t> { 2, 2, 2, 2, 2, 1 }))
        << "their own number";
}

TEST(UndoHistory, PushesDuringAReplayRecordNothing)
{
    CUndoHistory history;
    history.PushUndoItem(tagCKD_UNDO_INFO::kAddItem, ItemAt(1));
    history.PushUndoItem(tagCKD_UNDO_INFO::kAddItem, ItemAt(2));
    // The replay's own notifications push as the view's handlers do.
    class CPushingReplayer final : public CUndoReplayer {
    public:
        explicit CPushingReplayer(CUndoHistory& history)
            : m_history(history)
        {
        }
        Result ReplayUndo(tagCKD_UNDO_INFO& record) override
        {
            m_history.PushUndoItem(tagCKD_UNDO_INFO::kDeleteItem, record.Item);
            replaying = m_history.IsReplaying();
            return Result::Done;
        }
        Result ReplayRedo(tagCKD_UNDO_INFO& record) override { return ReplayUndo(record); }
        bool replaying = false;

    private:
        CUndoHistory& m_history;
    } replayer(history);
    history.Undo(replayer);
    EXPECT_TRUE(replayer.replaying);
    EXPECT_FALSE(history.IsReplaying());
    EXPECT_EQ(Starts(history.UndoList()), std::vector<int32_t> { 1 });
    EXPECT_EQ(Starts(history.RedoList()), std::vector<int32_t> { 2 }) << "the redo list is kept";
}

TEST(UndoHistory, TrimmingRemovesTheOldestOperationOnly)
{
    CUndoHistory history;
    // Operation 1 of three records, then 97 single records: 100 records, nothing trimmed.
    history.OnChangeGroup(1);
    for (int32_t start : { 1, 2, 3 })
        history.PushUndoItem(tagCKD_UNDO_INFO::kAddItem, ItemAt(start));
    history.OnChangeGroup(0);
    for (int32_t start = 10; start < 107; ++start)
        history.PushUndoItem(tagCKD_UNDO_INFO::kAddItem, ItemAt(start));
    ASSERT_EQ(history.UndoList().size(), 100u);
    EXPECT_EQ(history.UndoList().back().Item.Start, 1);

    // The 101st record removes the three of the oldest operation and nothing else.
    history.PushUndoItem(tagCKD_UNDO_INFO::kAddItem, ItemAt(500));
    EXPECT_EQ(history.UndoList().size(), 98u);
    EXPECT_EQ(history.UndoList().back().Item.Start, 10);
    EXPECT_EQ(history.UndoList().front().Item.Start, 500);

    // One operation larger than the limit is the newest one and is kept whole.
    CUndoHistory large;
    large.OnChangeGroup(1);
    for (int32_t start = 0; start < 150; ++start)
        large.PushUndoItem(tagCKD_UNDO_INFO::kAddItem, ItemAt(start));
    large.OnChangeGroup(0);
    EXPECT_EQ(large.UndoList().size(), 150u);
    // The next operation then makes it the oldest: it goes, the new one stays.
    large.PushUndoItem(tagCKD_UNDO_INFO::kAddItem, ItemAt(999));
    EXPECT_EQ(Starts(large.UndoList()), std::vector<int32_t> { 999 });
}

TEST(UndoHistory, AFailedStepIsPassedOverAndTheReplayGoesOn)
{
    struct Case {
        const char* name;
        std::function<void(CRecordingReplayer&)> fail;
        CUndoHistory::ReplayResult expected;
        std::vector<int32_t> replayed; // the steps that were made, newest first
    };
    const std::vector<Case> cases = {
        { "a step refused by the timeline", [](CRecordingReplayer& r) { r.refuse.insert(2); },
            CUndoHistory::ReplayResult::Refused, { 3, 1 } },
        { "a step not written", [](CRecordingReplayer& r) { r.failWrite.insert(2); },
            CUndoHistory::ReplayResult::WriteFailed, { 3, 1 } },
        { "the first and the last step refused",
            [](CRecordingReplayer& r) {
                r.refuse.insert({ 1, 3 });
            },
            CUndoHistory::ReplayResult::Refused, { 2 } },
        { "the write at the end failed", [](CRecordingReplayer& r) { r.endWrites = false; },
            CUndoHistory::ReplayResult::WriteFailed, { 3, 2, 1 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CUndoHistory history;
        CRecordingReplayer replayer;
        history.PushUndoItem(tagCKD_UNDO_INFO::kAddItem, ItemAt(0));
        history.OnChangeGroup(1);
        for (int32_t start : { 1, 2, 3 })
            history.PushUndoItem(tagCKD_UNDO_INFO::kAddItem, ItemAt(start));
        history.OnChangeGroup(0);
        c.fail(replayer);

        EXPECT_EQ(history.Undo(replayer), c.expected);
        std::vector<int32_t> replayed;
        for (const auto& [backwards, start] : replayer.replayed)
            replayed.push_back(start);
        EXPECT_EQ(replayed, c.replayed);
        // Every record of the operation moved, the failed ones too; the older operation waits.
        EXPECT_EQ(Starts(history.UndoList()), std::vector<int32_t> { 0 });
        EXPECT_EQ(Starts(history.RedoList()), (std::vector<int32_t> { 1, 2, 3 }));
        EXPECT_EQ(replayer.begun, 1);
        EXPECT_EQ(replayer.ended, 1);
        EXPECT_FALSE(history.IsReplaying());

        // The next Undo goes on to the older operation; Redo brings the whole operation back.
        replayer = CRecordingReplayer();
        EXPECT_EQ(history.Undo(replayer), CUndoHistory::ReplayResult::Done);
        EXPECT_TRUE(history.UndoList().empty());
        EXPECT_EQ(history.Redo(replayer), CUndoHistory::ReplayResult::Done);
        EXPECT_EQ(history.Redo(replayer), CUndoHistory::ReplayResult::Done);
        EXPECT_EQ(Starts(history.UndoList()), (std::vector<int32_t> { 3, 2, 1, 0 }));
    }
}

TEST(UndoHistory, FaceRecordsAreKeptWithoutTheirItems)
{
    CUndoHistory history;
    tagTL_FACE_DATA face;
    face.Channel = 1;
    face.No = 2;
    face.Items = { ItemAt(0), ItemAt(100) };
    history.PushUndoDeleteFace(face, 1);
    history.PushUndoInsertFace(face, 0);
    history.PushUndoAddFace(face);
    history.PushUndoUpdateFace(face, face);
    for (const tagCKD_UNDO_INFO& record : history.UndoList()) {
        SCOPED_TRACE(record.Kind);
        EXPECT_TRUE(record.Face.Items.empty());
        EXPECT_TRUE(record.NewFace.Items.empty());
        EXPECT_EQ(record.Face.No, 2);
    }
    EXPECT_EQ(history.UndoList()[3].DeleteRow, 1);
    EXPECT_EQ(history.UndoList()[2].InsertRow, 0);
    EXPECT_EQ(UndoKindLabel(tagCKD_UNDO_INFO::kDeleteFace), QStringLiteral("FACE削除"));
    EXPECT_EQ(UndoKindLabel(tagCKD_UNDO_INFO::kProjectTime), QStringLiteral("プロジェクト時間更新"));
    EXPECT_TRUE(UndoKindLabel(13).isEmpty());
}

TEST(UndoReplay, AFaceMovedBackTakesTheRowsThatUndoTheMove)
{
    struct Case {
        int from, to;
        std::pair<int, int> back;
    };
    for (const Case& c : { Case { 5, 2, { 2, 6 } }, Case { 2, 5, { 4, 2 } }, Case { 0, 3, { 2, 0 } },
             Case { 3, 0, { 0, 4 } }, Case { 0, 0, { 0, 1 } }, Case { 2, 2, { 1, 3 } } }) {
        SCOPED_TRACE(testing::Message() << c.from << " -> " << c.to);
        EXPECT_EQ(CUndoReplay::ReverseMoveRows(c.from, c.to), c.back);
    }
}
