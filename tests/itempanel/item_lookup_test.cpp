#include "itempanel/item_lookup.h"
#include "tests/itempanel/panel_fixtures.h"

#include <gtest/gtest.h>

using namespace itempanel;
using namespace panel_fixtures;

namespace {

using Item = tagTL_FACE_ITEM_DATA;

// Face 1: items at 0 (100 long), 200 (100), 500 (100). Face 2 and 3 carry items at 200.
std::vector<tagTL_FACE_DATA> SampleFaces()
{
    return {
        MakeFace(1, { MakeItem(1, 0, 100), MakeItem(1, 200, 100), MakeItem(1, 500, 100) }),
        MakeFace(2, { MakeItem(2, 200, 300, Item::MODE_MOVIE) }),
        MakeFace(3, { MakeItem(3, 200, 100, Item::MODE_SOUND), MakeItem(3, 400, 50, Item::MODE_CAMERA) }),
        MakeFace(4, { MakeItem(4, 200, 50, Item::MODE_CAMERA) }),
    };
}

TEST(ItemLookup, NeighboursSkipTheLoadedItem)
{
    const auto faces = SampleFaces();
    EXPECT_EQ(NextItemAfter(faces, 1, 200, 200)->Start, 500);
    EXPECT_EQ(NextItemAfter(faces, 1, 0, 200)->Start, 500); // the item at the loaded start is not "next"
    EXPECT_EQ(PreviousItemBefore(faces, 1, 500, 200)->Start, 0);
    EXPECT_FALSE(NextItemAfter(faces, 1, 500, 200));
    EXPECT_FALSE(NextItemAfter(faces, 9, 0, 0));
    EXPECT_EQ(ItemAtStart(faces, 3, 400)->Mode, Item::MODE_CAMERA);
    EXPECT_FALSE(ItemAtStart(faces, 3, 401));
}

TEST(ItemLookup, ARangeIsFreeUpToTheNeighboursEdges)
{
    const auto faces = SampleFaces();
    struct Case {
        const char* name;
        int32_t start;
        int32_t length;
        bool free;
    } cases[] = {
        { "touching the previous item's end", 100, 50, true },
        { "one hundredth into the previous item", 99, 50, false },
        { "ending where the next item starts", 300, 200, true },
        { "one hundredth into the next item", 300, 201, false },
        { "on another item's start, however short", 500, 1, false },
        { "the loaded item's own place does not block", 150, 300, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsRangeFree(faces, 1, c.start, c.length, 200), c.free);
    }
}

TEST(ItemLookup, LinkCandidatesArePicturesCamerasAndMoviesThatFitBeforeTheNextItem)
{
    auto faces = SampleFaces();
    // At 200 on face 1 the next item starts at 500: face 2's movie (200..500) fits, face 3's
    // sound is no candidate, face 4's camera fits.
    std::vector<Item> candidates = BuildLinkCandidates(faces, 1, 1, 200);
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[0].FaceNo, 2);
    EXPECT_EQ(candidates[1].FaceNo, 4);

    // One hundredth longer runs past the next item and is not offered.
    faces[1].Items[0].PlayTime = 301;
    candidates = BuildLinkCandidates(faces, 1, 1, 200);
    ASSERT_EQ(candidates.size(), 1u);
    EXPECT_EQ(candidates[0].FaceNo, 4);

    // No other face has an item at this start; LINK and NONE items are never offered.
    EXPECT_TRUE(BuildLinkCandidates(faces, 1, 1, 0).empty());
    faces[3].Items[0] = MakeLink(4, 200, 50, 2, Item::MODE_MOVIE);
    faces[1].Items[0].Mode = Item::MODE_NONE;
    EXPECT_TRUE(BuildLinkCandidates(faces, 1, 1, 200).empty());
    // Another channel's faces are not looked at.
    faces[1].Items[0].Mode = Item::MODE_IMAGE;
    faces[1].Items[0].PlayTime = 100;
    faces[1].Channel = 2;
    EXPECT_TRUE(BuildLinkCandidates(faces, 1, 1, 200).empty());
}

TEST(ItemLookup, MirroringLinksAreTheFirstLinkAtTheStartOnEachOtherFace)
{
    std::vector<tagTL_FACE_DATA> faces = {
        MakeFace(1, { MakeItem(1, 100, 50) }),
        MakeFace(2, { MakeLink(2, 100, 50, 1, Item::MODE_IMAGE) }),
        MakeFace(3, { MakeLink(3, 100, 50, 2, Item::MODE_IMAGE) }), // shows face 2
        MakeFace(4, { MakeLink(4, 101, 50, 1, Item::MODE_IMAGE), MakeLink(4, 100, 50, 1, Item::MODE_IMAGE) }),
    };
    const std::vector<Item> links = MirroringLinks(faces, 1, 100);
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[0].FaceNo, 2);
    EXPECT_EQ(links[1].FaceNo, 4);
}

TEST(ItemLookup, APlayTimeIsShortenedToEndAtTheNextItem)
{
    const auto faces = SampleFaces();
    EXPECT_EQ(ShortenToNextItem(faces, 1, 200, 250), 250);
    EXPECT_EQ(ShortenToNextItem(faces, 1, 200, 300), 300);
    EXPECT_EQ(ShortenToNextItem(faces, 1, 200, 301), 300);
    EXPECT_EQ(ShortenToNextItem(faces, 1, 500, 360000), 360000);
}

TEST(ItemLookup, OnlyEffectsThatAreSetCountTowardsTheMinimum)
{
    Item item = WithEffects(MakeItem(1, 1000, 500), 3, 100, 4, 150);
    EXPECT_EQ(EffectMinimum(item), 250);
    item.InPattern = 0; // the entry effect is not set, whatever its times say
    EXPECT_EQ(EffectMinimum(item), 150);
    item.OutEndTime = item.OutStartTime - 10; // an exit that ends before it starts is absent
    EXPECT_EQ(EffectMinimum(item), 0);
}

TEST(ItemLookup, ThumbnailsOfPackageProjectsLieBelowThePackageFolder)
{
    EXPECT_EQ(
        ThumbnailPath(MakeThumbnailPlace(QStringLiteral("/work"), QStringLiteral("Show"), 1), 1, 3, 1200),
        QStringLiteral("/work/Show/Channel_1/Face_3/thumbnail_1200.jpg"));
    EXPECT_EQ(ThumbnailPath(MakeThumbnailPlace(QStringLiteral("/work/"), QStringLiteral("Show"), 2), 1, 3, 0),
        QStringLiteral("/work/Show_Package/Show/Channel_1/Face_3/thumbnail_0.jpg"));
}

} // namespace
