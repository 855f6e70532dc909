#include "tests/timeline/timeline_fixtures.h"

#include <random>

using namespace timeline;
using Mode = tagTL_FACE_ITEM_DATA;

namespace {

// Random sequences of the timeline's operations, with the invariants checked after each one.
class TimelineRandom : public CTimeLineFixture {
protected:
    int Random(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    const tagTL_FACE_DATA* RandomFace()
    {
        return model.FaceCount() ? &model.Faces()[size_t(Random(0, model.FaceCount() - 1))] : nullptr;
    }
    std::optional<tagTL_FACE_ITEM_DATA> RandomItem()
    {
        const tagTL_FACE_DATA* face = RandomFace();
        if (!face || face->Items.empty())
            return std::nullopt;
        return face->Items[size_t(Random(0, int(face->Items.size()) - 1))];
    }
    bool HasLinks(const tagTL_FACE_ITEM_DATA& item) const
    {
        for (const tagTL_FACE_DATA& face : model.Faces()) {
            for (const tagTL_FACE_ITEM_DATA& other : face.Items) {
                if (other.Mode == Mode::MODE_LINK && other.LinkFaceNo == item.FaceNo
                    && other.Start == item.Start)
                    return true;
            }
        }
        return false;
    }
    // Whether [start, start + length) is free on the face.
    bool IsFree(const tagTL_FACE_DATA& face, int64_t start, int64_t length) const
    {
        for (const tagTL_FACE_ITEM_DATA& item : face.Items) {
            if (item.Start < start + length && start < ItemEnd(item))
                return false;
        }
        return true;
    }

    // A few random items with their linked items.
    void SelectSome()
    {
        model.ClearSelection();
        for (int count = Random(1, 3); count > 0; --count) {
            if (const auto item = RandomItem()) {
                model.SelectLinkedItems(*item);
                model.AddToSelection(*item);
            }
        }
    }
    void Step(int operation);

    std::mt19937 m_random { 20240611 };
};

void TimelineRandom::Step(int operation)
{
    switch (operation) {
    case 0:
        if (model.FaceCount() < 10)
            model.AddFace();
        break;
    case 1:
    case 2:
    case 3:
        if (const tagTL_FACE_DATA* face = RandomFace()) {
            // Mostly pictures: they stop at the default image time and leave room for LINKs.
            const int32_t kinds[] = { 0, 1, 1, 1, 1, 2, 3, 6, 7 };
            model.AddItem(face->No, Random(-100, 10100), kinds[Random(0, 8)]);
        }
        break;
    case 4:
    case 5: { // a LINK onto another face at its source's start, where there is room
        const auto source = RandomItem();
        const tagTL_FACE_DATA* target = RandomFace();
        if (source && target && IsMediaMode(source->Mode) && IsFree(*target, source->Start, source->PlayTime))
            model.DropAltItems(1, target->No, source->Start, 0, *source);
        break;
    }
    case 6:
        if (model.FaceCount() > 3) {
            if (const tagTL_FACE_DATA* face = RandomFace())
                model.DeleteFace(1, face->No);
        }
        break;
    case 7: { // select a few items with their partners and delete them
        model.ClearSelection();
        for (int count = Random(1, 3); count > 0; --count) {
            if (const auto item = RandomItem()) {
                model.SelectLinkedItems(*item);
                model.AddToSelection(*item);
            }
        }
        model.DeleteSelectedItems();
        break;
    }
    case 8:
        if (const auto item = RandomItem()) {
            model.SetCurrentItem({ item->FaceNo, item->Start });
            model.DeleteCurrentItem();
        }
        break;
    case 9: {
        if (model.FaceCount() >= 10)
            break;
        tagTL_FACE_DATA face;
        face.Channel = 1;
        face.No = Random(1, 5);
        face.Status = 1;
        model.InsertFace(Random(0, model.FaceCount()), face);
        break;
    }
    case 10:
        if (model.FaceCount() && model.FaceCount() < 10)
            model.CopyFace(Random(0, model.FaceCount() - 1), Random(0, model.FaceCount()));
        break;
    case 11:
        if (model.FaceCount())
            model.MoveFace(Random(0, model.FaceCount() - 1), Random(0, model.FaceCount()));
        break;
    case 12: { // a start trim of an item nothing links with, kept behind its neighbour
        const auto item = RandomItem();
        if (!item || item->Mode == Mode::MODE_LINK || HasLinks(*item))
            break;
        tagTL_FACE_ITEM_DATA previous;
        const int64_t floor
            = model.FindPreviousItem(item->FaceNo, item->Start, previous) ? ItemEnd(previous) : 0;
        const int32_t start = int32_t(std::max<int64_t>(floor, item->Start + Random(-300, 300)));
        model.MoveItemTo(item->FaceNo, item->Start, start);
        break;
    }
    case 13: { // an end trim kept before the next item
        const auto item = RandomItem();
        if (!item || item->Mode == Mode::MODE_LINK || HasLinks(*item))
            break;
        tagTL_FACE_ITEM_DATA next;
        const int64_t ceiling = model.FindNextItem(item->FaceNo, item->Start, next) ? next.Start : INT32_MAX;
        model.ResizeItemEnd(item->FaceNo, item->Start,
            int32_t(std::min<int64_t>(ceiling, ItemEnd(*item) + Random(-300, 300))));
        break;
    }
    case 14:
        model.SetZoomMode(Random(-1, 7));
        model.ScrollHorz(Random(-20, 20));
        model.ScrollVert(Random(-3, 3));
        break;
    case 15:
        if (const tagTL_FACE_DATA* face = RandomFace())
            model.SelectItemAtTime(face->No, Random(0, 10000));
        break;
    case 17:
    case 18: { // an item drag: move, copy or link
        SelectSome();
        if (model.Selection().empty())
            break;
        const int states[] = { TL_MOUSE_ITEM_MOVE, TL_MOUSE_ITEM_COPY, TL_MOUSE_ITEM_LINK };
        const tagTL_FACE_ITEM_DATA grabbed
            = model.Selection()[size_t(Random(0, int(model.Selection().size()) - 1))];
        model.SetVertScrollPos(0);
        const int row = Random(0, std::max(0, std::min(model.FaceCount(), model.VisibleRows()) - 1));
        model.CommitItemDrag(states[Random(0, 2)], Random(81, 999), kRulerHeight + kRowHeight * row + 5,
            Random(0, 20), { grabbed.FaceNo, grabbed.Start });
        break;
    }
    case 19:
        SelectSome();
        model.AlignStartTime(Random(0, 1));
        break;
    case 20:
        SelectSome();
        model.AlignDuration(Random(2, 3));
        break;
    case 21:
        SelectSome();
        if (Random(0, 1))
            model.PackItemsForward();
        else
            model.PackItemsBackward();
        break;
    case 22:
        SelectSome();
        model.SetPlayPosition(Random(0, 10000));
        model.SplitItemAtPlayPosition();
        break;
    case 23:
        SelectSome();
        model.CopySelectedItems();
        if (const tagTL_FACE_DATA* face = RandomFace())
            model.PasteItems(face->No, Random(-500, 10500));
        break;
    default: {
        tagTL_FACE_DATA face;
        if (const tagTL_FACE_DATA* found = RandomFace()) {
            face = *found;
            face.Lock = Random(0, 4) == 0 ? 1 : 0;
            face.X[0] = Random(0, 1920);
            model.SetFaceDisplayPosition(face);
        }
        break;
    }
    }
}

TEST_F(TimelineRandom, InvariantsHoldAfterEveryOperation)
{
    // The owner reads the model back while it is told, as the view does.
    int notifications = 0;
    owner.onNotification = [&](const RecordedNotification&) {
        ++notifications;
        std::vector<int32_t> numbers;
        model.GetFaceNumbers(1, numbers);
        EXPECT_EQ(int(numbers.size()), model.FaceCount());
    };
    for (const unsigned seed : { 20240611u, 7u, 99991u }) {
        SCOPED_TRACE(seed);
        m_random.seed(seed);
        model.ResetTimeLine(true);
        model.SetProjectLength(10000);
        Load({ Face(1, { Item(1, 0, 500), Item(1, 1000, 300, Mode::MODE_MOVIE) }), Face(2), Face(3) });
        for (int step = 0; step < 4000; ++step) {
            const int operation = Random(0, 23);
            Step(operation);
            ASSERT_TRUE(TimelineInvariantsHold(model))
                << "step " << step << ", operation " << operation << ": " << Describe(model).toStdString();
            for (int row = 0; row < model.FaceCount(); ++row)
                ASSERT_EQ(model.Faces()[size_t(row)].No, row + 1)
                    << "faces are numbered by row after step " << step;
            owner.Clear();
        }
    }
    EXPECT_GT(notifications, 3000) << "the sequences did change the model";
}

} // namespace
