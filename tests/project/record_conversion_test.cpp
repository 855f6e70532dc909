#include "project/item_list_xml.h"
#include "project/record_conversion.h"
#include "tests/project/project_test_data.h"

#include <gtest/gtest.h>

namespace {

void ExpectNewItemValues(const tagTL_FACE_ITEM_DATA& item)
{
    EXPECT_EQ(item.CameraID, -1);
    EXPECT_EQ(item.Volume, 100);
    EXPECT_EQ(item.ThumbnailTime, -1);
    EXPECT_TRUE(item.FilePath.isEmpty());
    EXPECT_TRUE(item.MaskImage.isEmpty());
    tagTL_FACE_ITEM_DATA zeroed = item;
    zeroed.CameraID = 0;
    zeroed.Volume = 0;
    zeroed.ThumbnailTime = 0;
    ItemXmlRecord entry;
    ASSERT_TRUE(ToItemXmlRecord(zeroed, entry));
    EXPECT_EQ(entry, ItemXmlRecord());
    EXPECT_EQ(zeroed.Channel, 0);
    EXPECT_EQ(zeroed.FaceNo, 0);
    EXPECT_EQ(zeroed.SubNo, 0);
    EXPECT_EQ(zeroed.LinkMode, 0);
}

TEST(FaceRecords, NewAndClearedItemsHoldTheDefaults)
{
    ExpectNewItemValues(tagTL_FACE_ITEM_DATA());
    tagTL_FACE_ITEM_DATA item = FilledItem(100, 5);
    item.LinkMode = 3;
    item.SubNo = 9;
    item.Clear();
    ExpectNewItemValues(item);
}

TEST(FaceRecords, CopiesAreIndependentValues)
{
    tagTL_FACE_ITEM_DATA item = FilledItem(100, 5);
    const tagTL_FACE_ITEM_DATA before = item;
    item = *&item;
    EXPECT_EQ(item, before);
    tagTL_FACE_ITEM_DATA copy = item;
    copy.FilePath[0] = QLatin1Char('X');
    copy.X[3] = 0;
    EXPECT_EQ(item, before);

    tagTL_FACE_DATA face;
    face.No = 3;
    face.Items = { item, FilledItem(900, 0) };
    tagTL_FACE_DATA faceCopy = face;
    faceCopy.Clear();
    EXPECT_EQ(faceCopy, tagTL_FACE_DATA());
    EXPECT_EQ(face.Items.size(), 2u); // the face owns its items: clearing a copy leaves them
    EXPECT_EQ(face.Items[0], before);
}

TEST(FaceRecords, FaceConvertsToItsEntryAndBack)
{
    tagTL_FACE_DATA face;
    face.Channel = 1;
    face.No = 7;
    face.SubNo = 4;
    face.Status = 1;
    face.Lock = 1;
    face.R = 255;
    face.G = 128;
    face.B = 1;
    face.X = { 1, 2, 3, 4 };
    face.Y = { 5, 6, 7, 8 };
    face.Items = { FilledItem(1, 0) };
    const FaceXmlRecord entry = ToFaceXmlRecord(face);
    EXPECT_EQ(entry.FilePath, QStringLiteral("Face_7.xml"));
    const tagTL_FACE_DATA back = ToFaceData(entry, 1);
    tagTL_FACE_DATA expected = face;
    expected.SubNo = 0;
    expected.Items.clear();
    EXPECT_EQ(back, expected);
}

TEST(FaceRecords, ItemConvertsToItsEntryAndBackWithLookedUpLinkMode)
{
    tagTL_FACE_ITEM_DATA item = FilledItem(300, 16);
    item.Mode = tagTL_FACE_ITEM_DATA::MODE_LINK;
    item.LinkMode = 99; // never stored: comes back as looked up
    item.SubNo = 5;
    ItemXmlRecord entry;
    ASSERT_TRUE(ToItemXmlRecord(item, entry));

    std::map<int32_t, CItemListXml> faces;
    faces[4].Item(300).Mode = tagTL_FACE_ITEM_DATA::MODE_IMAGE;
    const tagTL_FACE_ITEM_DATA back = ToFaceItemData(entry, 1, 2, LookUpLinkMode(entry, faces));
    tagTL_FACE_ITEM_DATA expected = item;
    expected.SubNo = 0;
    expected.LinkMode = tagTL_FACE_ITEM_DATA::MODE_IMAGE;
    EXPECT_EQ(back, expected);
}

TEST(FaceRecords, LinkModeLookUp)
{
    std::map<int32_t, CItemListXml> faces;
    faces[4].Item(300).Mode = tagTL_FACE_ITEM_DATA::MODE_MOVIE;
    struct Case {
        const char* name;
        int32_t mode;
        int32_t linkFace;
        int32_t start;
        int32_t expected;
    };
    const Case cases[] = {
        { "link to an item at the same start", tagTL_FACE_ITEM_DATA::MODE_LINK, 4, 300,
            tagTL_FACE_ITEM_DATA::MODE_MOVIE },
        { "link, no item at that start", tagTL_FACE_ITEM_DATA::MODE_LINK, 4, 301, 0 },
        { "link to a face without items", tagTL_FACE_ITEM_DATA::MODE_LINK, 5, 300, 0 },
        { "not a link", tagTL_FACE_ITEM_DATA::MODE_IMAGE, 4, 300, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ItemXmlRecord entry;
        entry.Mode = c.mode;
        entry.LinkFaceNo = c.linkFace;
        entry.Start = c.start;
        EXPECT_EQ(LookUpLinkMode(entry, faces), c.expected);
    }
}

TEST(FaceRecords, TextsLongerThanTheirFieldAreRefusedNotCut)
{
    for (const bool maskImage : { false, true }) {
        for (const int length : { kMaxEntryTextLength, kMaxEntryTextLength + 1 }) {
            SCOPED_TRACE(testing::Message() << "mask image " << maskImage << ", length " << length);
            tagTL_FACE_ITEM_DATA item = FilledItem(1, 0);
            (maskImage ? item.MaskImage : item.FilePath) = QString(length, QChar(u'映'));
            ItemXmlRecord entry;
            entry.Start = -7;
            const bool fits = length <= kMaxEntryTextLength;
            EXPECT_EQ(ToItemXmlRecord(item, entry), fits);
            EXPECT_EQ(entry.Start, fits ? 1 : -7);
        }
    }
}

} // namespace
