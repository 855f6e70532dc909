#include "tests/timeline/timeline_fixtures.h"

#include "core/constant_tables.h"

using namespace timeline;

tagTL_FACE_ITEM_DATA Item(int32_t faceNo, int32_t start, int32_t playTime, int32_t mode)
{
    tagTL_FACE_ITEM_DATA item;
    item.Channel = 1;
    item.FaceNo = faceNo;
    item.Start = start;
    item.PlayTime = playTime;
    item.Mode = mode;
    item.FilePath = QStringLiteral("/media/%1_%2.png").arg(faceNo).arg(start);
    return item;
}

tagTL_FACE_ITEM_DATA Link(
    int32_t faceNo, int32_t start, int32_t playTime, int32_t linkFaceNo, int32_t linkMode)
{
    tagTL_FACE_ITEM_DATA item = Item(faceNo, start, playTime, tagTL_FACE_ITEM_DATA::MODE_LINK);
    item.LinkFaceNo = linkFaceNo;
    item.LinkMode = linkMode;
    return item;
}

tagTL_FACE_DATA Face(int32_t faceNo, std::vector<tagTL_FACE_ITEM_DATA> items, int32_t lock)
{
    tagTL_FACE_DATA face;
    face.Channel = 1;
    face.No = faceNo;
    face.Status = 1;
    face.Lock = lock;
    for (tagTL_FACE_ITEM_DATA& item : items)
        item.FaceNo = faceNo;
    face.Items = std::move(items);
    return face;
}

QString Describe(const CTimeLineModel& model)
{
    QStringList faces;
    for (const tagTL_FACE_DATA& face : model.Faces()) {
        QStringList items;
        for (const tagTL_FACE_ITEM_DATA& item : face.Items) {
            QString text
                = QStringLiteral("%1+%2 %3").arg(item.Start).arg(item.PlayTime).arg(MediaKindName(item.Mode));
            if (item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK)
                text += QStringLiteral(">%1").arg(item.LinkFaceNo);
            items << text;
        }
        faces << QStringLiteral("%1: %2").arg(face.No).arg(items.join(QStringLiteral(", ")));
    }
    return faces.join(QStringLiteral(" | "));
}

std::vector<std::pair<int32_t, std::vector<int32_t>>> Starts(const CTimeLineModel& model)
{
    std::vector<std::pair<int32_t, std::vector<int32_t>>> starts;
    for (const tagTL_FACE_DATA& face : model.Faces()) {
        std::vector<int32_t> faceStarts;
        for (const tagTL_FACE_ITEM_DATA& item : face.Items)
            faceStarts.push_back(item.Start);
        starts.emplace_back(face.No, faceStarts);
    }
    return starts;
}

::testing::AssertionResult TimelineInvariantsHold(const CTimeLineModel& model)
{
    const FaceList& faces = model.Faces();
    for (size_t row = 0; row < faces.size(); ++row) {
        const tagTL_FACE_DATA& face = faces[row];
        if (row > 0 && CompareFaceKey(faces[row - 1], face) >= 0)
            return ::testing::AssertionFailure() << "faces out of order at row " << row;
        for (size_t index = 0; index < face.Items.size(); ++index) {
            const tagTL_FACE_ITEM_DATA& item = face.Items[index];
            const auto where = [&] {
                return QStringLiteral("face %1 item %2@%3: ")
                    .arg(face.No)
                    .arg(item.FaceNo)
                    .arg(item.Start)
                    .toStdString();
            };
            if (item.Channel != face.Channel || item.FaceNo != face.No || item.SubNo != face.SubNo)
                return ::testing::AssertionFailure() << where() << "key does not match its face";
            if (item.Start < 0)
                return ::testing::AssertionFailure() << where() << "negative start";
            if (item.PlayTime <= 0)
                return ::testing::AssertionFailure() << where() << "play time " << item.PlayTime;
            if (index > 0) {
                const tagTL_FACE_ITEM_DATA& previous = face.Items[index - 1];
                if (previous.Start >= item.Start)
                    return ::testing::AssertionFailure()
                        << where() << "not after the previous start " << previous.Start;
                if (ItemEnd(previous) > item.Start)
                    return ::testing::AssertionFailure()
                        << where() << "overlaps the previous item ending at " << ItemEnd(previous);
            }
            if (item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK && item.LinkFaceNo != 0
                && !LinkPartner(faces, item))
                return ::testing::AssertionFailure()
                    << where() << "LINK to face " << item.LinkFaceNo << " has no partner";
        }
    }
    for (const tagTL_FACE_ITEM_DATA& selected : model.Selection()) {
        tagTL_FACE_ITEM_DATA live;
        if (!model.GetItemRecord(selected.FaceNo, selected.Start, live))
            return ::testing::AssertionFailure()
                << "selected item " << selected.FaceNo << "@" << selected.Start << " does not exist";
    }
    return ::testing::AssertionSuccess();
}

CTimeLineFixture::CTimeLineFixture()
{
    model.SetOwner(&owner);
    model.SetItemPanel(&panel);
    model.RecalcLayout(TlRect { 0, 0, 1000, 300 });
    model.SetProjectLength(10000);
    model.SetImageDefaultTime(500);
    model.SetProjectOpen(true);
    std::array<COLORREF, 10> colors {};
    for (size_t entry = 0; entry < colors.size(); ++entry)
        colors[entry] = COLORREF(entry + 1) * 0x010203;
    model.SetFrameColors(colors);
}

void CTimeLineFixture::Load(std::initializer_list<tagTL_FACE_DATA> faces, bool checkInvariants)
{
    for (const tagTL_FACE_DATA& face : faces) {
        tagTL_FACE_DATA empty = face;
        empty.Items.clear();
        ASSERT_EQ(model.AddFaceRecord(empty), face.No);
        for (const tagTL_FACE_ITEM_DATA& item : face.Items)
            ASSERT_EQ(model.AddItemRecord(item), 1) << item.FaceNo << "@" << item.Start;
    }
    if (checkInvariants) {
        ASSERT_TRUE(TimelineInvariantsHold(model));
    }
    owner.Clear();
    panel.calls.clear();
}

tagTL_FACE_ITEM_DATA CTimeLineFixture::At(int32_t faceNo, int32_t start) const
{
    tagTL_FACE_ITEM_DATA item;
    model.GetItemRecord(faceNo, start, item);
    return item;
}

bool CTimeLineFixture::Has(int32_t faceNo, int32_t start) const
{
    tagTL_FACE_ITEM_DATA item;
    return model.GetItemRecord(faceNo, start, item);
}

int CTimeLineFixture::XOf(int32_t time) const
{
    return int(model.Viewport().TimeToX(time));
}

int CTimeLineFixture::YOfRow(int row) const
{
    return kRulerHeight + kRowHeight * row + kRowHeight / 2;
}
