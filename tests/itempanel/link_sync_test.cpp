#include "itempanel/link_sync.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/itempanel/panel_fixtures.h"

#include <QFile>
#include <functional>
#include <gtest/gtest.h>

using namespace itempanel;
using namespace panel_fixtures;

namespace {

using Item = tagTL_FACE_ITEM_DATA;

const ThumbnailPlace kPlace { QStringLiteral("/w"), QStringLiteral("P") };
const QString kWorkThumbnail = QStringLiteral("/w/P/Channel_1/Face_1/thumbnail_1000.jpg");
const QString kLinkThumbnail = QStringLiteral("/w/P/Channel_1/Face_2/thumbnail_1000.jpg");

// The edited picture at 1000 on face 1, and the LINK item on face 2 that shows it.
Item WorkItem()
{
    Item work = MakeItem(1, 1000, 500, Item::MODE_IMAGE);
    work.FilePath = QStringLiteral("/m/a.png");
    work.MaskMode = 1;
    work.MaskX = 10;
    work.MaskY = 20;
    work.W = 30;
    work.H = 40;
    work.PlayMode = 1;
    work.CameraID = 3;
    work.InTime = 5;
    work.OutTime = 6;
    work.Mute = 1;
    work.ThumbnailTime = 77;
    return work;
}

Item LinkItem()
{
    Item link = MakeLink(2, 1000, 400, 1, Item::MODE_IMAGE);
    link.FilePath = QStringLiteral("/m/a.png");
    link.MaskX = 1;
    return link;
}

// What a LINK takes of its source on every edit, and its display rectangle when the file changed.
void FollowMedia(Item& expected, const Item& work)
{
    expected.PlayTime = work.PlayTime;
    expected.PlayMode = work.PlayMode;
    expected.CameraID = work.CameraID;
    expected.InTime = work.InTime;
    expected.OutTime = work.OutTime;
}

void FollowRectangle(Item& expected, const Item& work)
{
    expected.MaskMode = work.MaskMode;
    expected.MaskX = work.MaskX;
    expected.MaskY = work.MaskY;
    expected.W = work.W;
    expected.H = work.H;
}

TEST(LinkSync, ALinkFollowsItsSourceOrBecomesIndependent)
{
    struct Case {
        const char* name;
        std::function<void(Item& work, Item& link, std::vector<Item>& others)> setUp;
        std::function<void(Item& expected, const Item& work)> expect;
        std::vector<ThumbnailOp> thumbnails;
    } cases[] = {
        { "same file: media and times follow, the rectangle stays", [](Item&, Item&, std::vector<Item>&) {},
            [](Item& e, const Item& w) {
                FollowMedia(e, w);
                e.ThumbnailTime = w.ThumbnailTime;
            },
            {} },
        { "another file: the rectangle and the thumbnail follow too",
            [](Item& w, Item&, std::vector<Item>&) { w.FilePath = QStringLiteral("/m/b.png"); },
            [](Item& e, const Item& w) {
                e.FilePath = w.FilePath;
                FollowMedia(e, w);
                FollowRectangle(e, w);
                e.ThumbnailTime = w.ThumbnailTime;
            },
            { { kWorkThumbnail, kLinkThumbnail, false } } },
        { "same file but the longer play time runs into the next item: independent",
            [](Item&, Item&, std::vector<Item>& others) { others.push_back(MakeItem(2, 1499, 10)); },
            [](Item& e, const Item&) {
                e.Mode = Item::MODE_IMAGE;
                e.LinkFaceNo = 0;
                e.LinkMode = 0;
            },
            {} },
        { "exactly up to the next item keeps the link",
            [](Item&, Item&, std::vector<Item>& others) { others.push_back(MakeItem(2, 1500, 10)); },
            [](Item& e, const Item& w) {
                FollowMedia(e, w);
                e.ThumbnailTime = w.ThumbnailTime;
            },
            {} },
        { "the source became a sound: independent as the kind it showed",
            [](Item& w, Item&, std::vector<Item>&) { w.Mode = Item::MODE_SOUND; },
            [](Item& e, const Item&) {
                e.Mode = Item::MODE_IMAGE;
                e.LinkFaceNo = 0;
                e.LinkMode = 0;
            },
            {} },
        { "the source became a movie with another file: the new kind, mute and a fresh thumbnail",
            [](Item& w, Item&, std::vector<Item>&) {
                w.Mode = Item::MODE_MOVIE;
                w.FilePath = QStringLiteral("/m/c.mp4");
            },
            [](Item& e, const Item& w) {
                e.LinkMode = Item::MODE_MOVIE;
                e.FilePath = w.FilePath;
                FollowMedia(e, w);
                e.Mute = w.Mute;
                FollowRectangle(e, w);
                e.ThumbnailTime = w.ThumbnailTime;
            },
            { { kWorkThumbnail, kLinkThumbnail, true } } },
        { "the source became a camera without room: independent as a camera",
            [](Item& w, Item&, std::vector<Item>& others) {
                w.Mode = Item::MODE_CAMERA;
                others.push_back(MakeItem(2, 1200, 10));
            },
            [](Item& e, const Item&) {
                e.Mode = Item::MODE_CAMERA;
                e.LinkFaceNo = 0;
                e.LinkMode = 0;
            },
            {} },
        { "effects longer together than the new play time are dropped",
            [](Item& w, Item& l, std::vector<Item>&) {
                w.PlayTime = 250;
                l = WithEffects(l, 2, 200, 3, 100);
            },
            [](Item& e, const Item& w) {
                FollowMedia(e, w);
                e.ThumbnailTime = w.ThumbnailTime;
                e.InPattern = e.InDirection = e.InStartTime = e.InEndTime = 0;
                e.OutPattern = e.OutDirection = e.OutStartTime = e.OutEndTime = 0;
            },
            {} },
        { "effects that fit keep their lengths at the new ends",
            [](Item&, Item& l, std::vector<Item>&) {
                l = WithEffects(l, 2, 100, 3, 50);
                l.InDirection = 1;
            },
            [](Item& e, const Item& w) {
                FollowMedia(e, w);
                e.ThumbnailTime = w.ThumbnailTime;
                e.InStartTime = 1000;
                e.InEndTime = 1100;
                e.OutStartTime = 1450;
                e.OutEndTime = 1500;
            },
            {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Item work = WorkItem();
        Item link = LinkItem();
        std::vector<Item> others;
        c.setUp(work, link, others);
        std::vector<Item> items = { link };
        items.insert(items.end(), others.begin(), others.end());
        const std::vector<tagTL_FACE_DATA> faces = { MakeFace(1, { work }), MakeFace(2, items) };

        const std::vector<LinkSyncStep> steps = PlanLinkSync(faces, work, kPlace);
        ASSERT_EQ(steps.size(), 1u);
        Item expected = link;
        c.expect(expected, work);
        EXPECT_EQ(steps[0].before, link);
        EXPECT_EQ(steps[0].after, expected);
        EXPECT_EQ(steps[0].thumbnails, c.thumbnails);
    }
}

TEST(LinkSync, OnlyLinksOfOtherFacesOfTheChannelThatShowTheItemFollow)
{
    const Item work = WorkItem();
    tagTL_FACE_DATA otherChannel = MakeFace(2, { LinkItem() });
    otherChannel.Channel = 2;
    const std::vector<tagTL_FACE_DATA> faces = {
        MakeFace(1, { work }),
        otherChannel,
        MakeFace(3, { MakeLink(3, 1000, 400, 4, Item::MODE_IMAGE) }), // shows face 4
        MakeFace(4, { MakeLink(4, 999, 400, 1, Item::MODE_IMAGE) }), // another start
        MakeFace(5, { MakeLink(5, 1000, 400, 1, Item::MODE_IMAGE) }),
    };
    const std::vector<LinkSyncStep> steps = PlanLinkSync(faces, work, kPlace);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].after.FaceNo, 5);
}

TEST(LinkSync, MirroringItemsMoveWithTheirEffectLengths)
{
    Item work = MakeItem(1, 3000, 600);
    const Item mirror = WithEffects(MakeLink(2, 1000, 400, 1, Item::MODE_IMAGE), 2, 100, 3, 80);
    const Item moved = MoveMirroringItem(mirror, work);
    EXPECT_EQ(moved.Start, 3000);
    EXPECT_EQ(moved.InStartTime, 3000);
    EXPECT_EQ(moved.InEndTime, 3100);
    EXPECT_EQ(moved.OutEndTime, 3600);
    EXPECT_EQ(moved.OutStartTime, 3520);
    EXPECT_EQ(moved.PlayTime, 400);
    EXPECT_EQ(moved.FaceNo, 2);
}

TEST(LinkSync, ThumbnailCopiesReplaceOrDeleteAsAsked)
{
    CTempFolder folder;
    const QString source = folder.WriteFile(QStringLiteral("a.jpg"), "new");
    const QString kept = folder.WriteFile(QStringLiteral("kept.jpg"), "old");
    const QString deleted = folder.WriteFile(QStringLiteral("deleted.jpg"), "old");
    const QString replaced = folder.WriteFile(QStringLiteral("replaced.jpg"), "old");
    const QString missing = folder.FilePath(QStringLiteral("missing.jpg"));
    ApplyThumbnailOps({ { source, replaced, true }, { missing, kept, false }, { missing, deleted, true } });
    EXPECT_EQ(folder.ReadFile(QStringLiteral("replaced.jpg")), "new");
    EXPECT_EQ(folder.ReadFile(QStringLiteral("kept.jpg")), "old");
    EXPECT_FALSE(QFile::exists(deleted));
}

} // namespace
