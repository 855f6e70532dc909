// The viewer's model without a process or a window: the play clock, the block protocol against
// a recording owner, geometry, timing, shapes, the GUIDE mouse and keys, and the scene read from
// a project's files.
#include "platform/shared_flag.h"
#include "tests/viewer/show_project.h"
#include "viewer/face_geometry.h"
#include "viewer/guide_controller.h"
#include "viewer/item_shape.h"
#include "viewer/item_timing.h"
#include "viewer/output_layout.h"
#include "viewer/play_clock.h"
#include "viewer/viewer_channel.h"
#include "viewer/viewer_scene.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <memory>

namespace {

using namespace std::chrono_literals;
using Item = tagTL_FACE_ITEM_DATA;
using platform::LoadSharedFlag;
using platform::StoreSharedFlag;

// ---- The play clock ----

TEST(PlayClock, FollowsTheWallClockWithoutDrift)
{
    CPlayClock clock;
    clock.SetRange(0, 360000);
    const auto start = CPlayClock::Clock::time_point {} + 1h;
    clock.Play(start);
    // Readings at uneven intervals never add up their rounding: the time is always what the
    // wall clock says.
    auto now = start;
    for (int i = 0; i < 100000; ++i) {
        now += std::chrono::microseconds(9973 + (i % 7) * 31);
        clock.Advance(now);
    }
    const int64_t wallUs = std::chrono::duration_cast<std::chrono::microseconds>(now - start).count();
    EXPECT_EQ(clock.TimeUs(), wallUs);
    EXPECT_EQ(clock.Time(), int32_t(wallUs / 10000));
}

TEST(PlayClock, PlayPauseSeekAndTheRange)
{
    const auto t0 = CPlayClock::Clock::time_point {} + 1h;
    CPlayClock clock;
    clock.SetRange(100, 200);
    clock.Seek(40);
    EXPECT_EQ(clock.Time(), 40);
    EXPECT_FALSE(clock.IsPlaying());
    // From before IN it starts at IN.
    clock.Play(t0);
    EXPECT_EQ(clock.Time(), 100);
    EXPECT_EQ(clock.Advance(t0 + 505ms), 150);
    // Pause keeps the time reached; nothing moves after it.
    clock.Pause(t0 + 600ms);
    EXPECT_EQ(clock.Time(), 160);
    EXPECT_EQ(clock.Advance(t0 + 2s), 160);
    // A seek sets exactly the time, also beyond the range, and stays stopped.
    clock.Play(t0 + 2s);
    clock.Seek(555);
    EXPECT_FALSE(clock.IsPlaying());
    EXPECT_EQ(clock.Advance(t0 + 3s), 555);
    // From after OUT without LOOP it holds OUT and does not play.
    clock.Play(t0 + 3s);
    EXPECT_FALSE(clock.IsPlaying());
    EXPECT_EQ(clock.Time(), 200);
}

TEST(PlayClock, StopsAtOutOrLoopsCarryingTheOvershoot)
{
    const auto t0 = CPlayClock::Clock::time_point {} + 1h;
    CPlayClock clock;
    clock.SetRange(100, 200);
    clock.Seek(190);
    clock.Play(t0);
    EXPECT_EQ(clock.Advance(t0 + 250ms), 200);
    EXPECT_FALSE(clock.IsPlaying());

    clock.SetLoop(true);
    clock.Seek(190);
    clock.Play(t0);
    // 0.25 s from 1.90 s: 0.15 s past OUT, so 0.15 s past IN.
    EXPECT_EQ(clock.Advance(t0 + 250ms), 115);
    EXPECT_TRUE(clock.IsPlaying());
    // Many laps at once (a late reading) land where the wall clock says.
    EXPECT_EQ(clock.Advance(t0 + 10s + 250ms), 115);
    EXPECT_EQ(clock.Laps(), 11);
    // From OUT with LOOP it starts at IN.
    clock.Seek(200);
    clock.Play(t0);
    EXPECT_EQ(clock.Time(), 100);
    // An empty range never spins.
    clock.SetRange(300, 300);
    clock.Seek(250);
    clock.Play(t0);
    EXPECT_EQ(clock.Advance(t0 + 1s), 300);
    EXPECT_FALSE(clock.IsPlaying());
}

// ---- The block protocol ----

// Records what the channel asks of its owner, in order.
class CRecordingOwner : public CViewerChannelOwner {
public:
    void LoadProject(const QString& path, const QString& work) override
    {
        calls << "load " + path + " " + work;
    }
    void ReloadTimes() override { calls << "times"; }
    void Play() override { calls << "play"; }
    void Pause() override
    {
        calls << "pause";
        time = 777;
    }
    void Seek(int32_t t) override
    {
        calls << QStringLiteral("seek %1").arg(t);
        time = t;
    }
    void SetGuide(bool on) override { calls << QStringLiteral("guide %1").arg(on); }
    void SetLoop(bool on) override { calls << QStringLiteral("loop %1").arg(on); }
    void SetScreen(bool on, int32_t mode) override
    {
        calls << QStringLiteral("screen %1 %2").arg(on).arg(mode);
    }
    void Quit() override { calls << "quit"; }
    void FaceData(int32_t kind, int32_t faceNo) override
    {
        calls << QStringLiteral("data %1 %2").arg(kind).arg(faceNo);
    }
    bool GetFaceCorners(int32_t faceNo, FaceCorners& corners) override
    {
        if (faceNo != 1)
            return false;
        corners = { 1, 2, 3, 4, 5, 6, 7, 8 };
        return true;
    }
    void SetFaceCorners(int32_t faceNo, const FaceCorners& corners) override
    {
        calls << QStringLiteral("corners %1 %2 %3").arg(faceNo).arg(corners[0]).arg(corners[7]);
    }
    QRect WindowRect() const override { return { 10, 20, 300, 400 }; }
    int32_t PlaybackTime() override { return time; }

    QStringList calls;
    int32_t time = 0;
};

class ChannelTest : public ::testing::Test {
protected:
    std::unique_ptr<PmParamBlock> block = std::make_unique<PmParamBlock>();
    CRecordingOwner owner;
    CViewerChannel channel { *block, owner };

    void Raise(int32_t& flag, int32_t value = 1) { StoreSharedFlag(flag, value); }
    void Cell(std::span<char16_t> cell, const QString& text) { ASSERT_TRUE(WritePmText(cell, text)); }
};

TEST_F(ChannelTest, TakesTheProjectFirstThenCommandDataAndQuery)
{
    Cell(block->projectPath, "/w/show/show.xml");
    Cell(block->workFolder, "/w");
    Raise(block->projectFlag);
    block->commandKind = kPmCommandSeek;
    Cell(block->commandCells[0], "1234");
    Raise(block->commandFlag);
    block->dataKind = kPmDataFaceChanged;
    block->dataFaceNo = 3;
    Raise(block->dataFlag);
    block->queryKind = kPmQueryGetCorners;
    Cell(block->queryCells[0], "1");
    Raise(block->queryFlag);

    EXPECT_TRUE(channel.Poll());
    EXPECT_EQ(owner.calls, QStringList({ "load /w/show/show.xml /w", "seek 1234", "data 2 3" }));
    for (int32_t* flag : { &block->projectFlag, &block->commandFlag, &block->dataFlag, &block->queryFlag })
        EXPECT_EQ(LoadSharedFlag(*flag), 0);
    EXPECT_EQ(ReadPmText(block->queryCells[5]), "1");
    EXPECT_EQ(ReadPmText(block->queryCells[12]), "8");
    EXPECT_EQ(LoadSharedFlag(block->playTime), 1234);
}

TEST_F(ChannelTest, CommandsAndTheirCells)
{
    struct Case {
        int32_t kind;
        QStringList cells;
        QString call;
    } const cases[] = {
        { kPmCommandPlay, {}, "play" },
        { kPmCommandPause, {}, "pause" },
        { kPmCommandSeek, { "-5" }, "seek -5" },
        { kPmCommandGuide, { "1" }, "guide 1" },
        { kPmCommandGuide, { "0" }, "guide 0" },
        { kPmCommandLoop, { "1" }, "loop 1" },
        { kPmCommandLoop, { "2" }, "loop 0" },
        { kPmCommandScreen, { "1", "1" }, "screen 1 1" },
        { kPmCommandScreen, { "0", "0" }, "screen 0 0" },
        { 42, {}, "" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        owner.calls.clear();
        block->commandKind = c.kind;
        for (int i = 0; i < kPmCommandCells; ++i)
            Cell(block->commandCells[i], c.cells.value(i));
        Raise(block->commandFlag);
        EXPECT_TRUE(channel.Poll());
        EXPECT_EQ(owner.calls.join(","), c.call);
        EXPECT_EQ(LoadSharedFlag(block->commandFlag), 0);
    }
    // Pause: the final time stands before the flag is cleared.
    block->commandKind = kPmCommandPause;
    Raise(block->commandFlag);
    channel.Poll();
    EXPECT_EQ(LoadSharedFlag(block->playTime), 777);

    block->commandKind = kPmCommandQuit;
    Raise(block->commandFlag);
    EXPECT_FALSE(channel.Poll());
    EXPECT_EQ(owner.calls.back(), "quit");
    EXPECT_EQ(LoadSharedFlag(block->commandFlag), 0);
    EXPECT_FALSE(channel.Poll());
}

TEST_F(ChannelTest, QueriesAndUnknownValues)
{
    block->queryKind = kPmQuerySetCorners;
    Cell(block->queryCells[0], "4");
    Cell(block->queryCells[5], "-10");
    Cell(block->queryCells[12], "99");
    Raise(block->queryFlag);
    channel.Poll();
    EXPECT_EQ(owner.calls.back(), "corners 4 -10 99");
    EXPECT_EQ(LoadSharedFlag(block->queryFlag), 0);

    block->queryKind = kPmQueryWindowRect;
    Raise(block->queryFlag);
    channel.Poll();
    EXPECT_EQ(ReadPmText(block->queryCells[5]), "10");
    EXPECT_EQ(ReadPmText(block->queryCells[8]), "400");

    // A face it does not know: no answer, the flag stays for the editor's wait to run out.
    block->queryKind = kPmQueryGetCorners;
    Cell(block->queryCells[0], "2");
    Cell(block->queryCells[5], "");
    Raise(block->queryFlag);
    channel.Poll();
    EXPECT_EQ(LoadSharedFlag(block->queryFlag), 1);
    EXPECT_EQ(ReadPmText(block->queryCells[5]), "");
    StoreSharedFlag(block->queryFlag, 0);

    // A project flag or data kind it does not know is cleared without acting.
    owner.calls.clear();
    Raise(block->projectFlag, 7);
    block->dataKind = 1;
    Raise(block->dataFlag);
    channel.Poll();
    EXPECT_TRUE(owner.calls.isEmpty());
    EXPECT_EQ(LoadSharedFlag(block->projectFlag), 0);
    EXPECT_EQ(LoadSharedFlag(block->dataFlag), 0);
    Raise(block->projectFlag, kPmProjectTimes);
    channel.Poll();
    EXPECT_EQ(owner.calls, QStringList({ "times" }));
}

TEST_F(ChannelTest, RepliesWaitForTheEditorAndCornersOfADragCollapse)
{
    channel.QueueReply(ViewerReply::Key(35));
    channel.QueueReply(ViewerReply::Corners(2, { 1, 1, 9, 1, 9, 9, 1, 9 }));
    channel.QueueReply(ViewerReply::Corners(2, { 2, 2, 9, 1, 9, 9, 1, 9 }));
    channel.QueueReply(ViewerReply::Minimised(true));
    EXPECT_EQ(channel.QueuedReplies(), 3u);
    EXPECT_TRUE(channel.CornersPending(2));
    EXPECT_FALSE(channel.CornersPending(1));

    channel.Poll();
    EXPECT_EQ(LoadSharedFlag(block->replyFlag), 1);
    EXPECT_EQ(block->replyKind, kPmReplyKey);
    EXPECT_EQ(ReadPmText(block->replyCells[0]), "35");
    // Held while the flag stands.
    channel.Poll();
    EXPECT_EQ(block->replyKind, kPmReplyKey);

    StoreSharedFlag(block->replyFlag, 0);
    channel.Poll();
    EXPECT_EQ(block->replyKind, kPmReplyCorners);
    EXPECT_EQ(ReadPmText(block->replyCells[0]), "2");
    EXPECT_EQ(ReadPmText(block->replyCells[5]), "2"); // the later corners
    EXPECT_EQ(ReadPmText(block->replyCells[12]), "9");
    EXPECT_TRUE(channel.CornersPending(2)); // standing, not yet taken

    StoreSharedFlag(block->replyFlag, 0);
    channel.Poll();
    EXPECT_FALSE(channel.CornersPending(2));
    EXPECT_EQ(block->replyKind, kPmReplyMinimise);
    EXPECT_EQ(ReadPmText(block->replyCells[0]), "1");
    EXPECT_EQ(ReadPmText(block->replyCells[5]), ""); // no cell of an earlier reply remains
}

TEST(ViewerReply, MessagesFitTheirCell)
{
    const ViewerReply shortOne = ViewerReply::Message(1, false, "注意");
    EXPECT_EQ(shortOne.cells[0], "1");
    EXPECT_EQ(shortOne.cells[1], "0");
    EXPECT_EQ(shortOne.cells[2], "注意");
    // 254 characters and a pair that would be cut in half: the half goes.
    const QString text = QString(254, QLatin1Char('a')) + QString::fromUtf8("😀") + "tail";
    const ViewerReply longOne = ViewerReply::Message(2, true, text);
    EXPECT_EQ(longOne.cells[2], QString(254, QLatin1Char('a')));
}

// ---- Geometry, layout and timing ----

TEST(FaceGeometry, OnlyConvexQuadrilateralsMapToTheSquare)
{
    struct Case {
        const char* name;
        QPolygonF quad;
        bool convex;
    } const cases[] = {
        { "square", QPolygonF({ { 0, 0 }, { 10, 0 }, { 10, 10 }, { 0, 10 } }), true },
        { "perspective", QPolygonF({ { 10, 0 }, { 90, 20 }, { 100, 90 }, { 0, 100 } }), true },
        { "counter-clockwise", QPolygonF({ { 0, 0 }, { 0, 10 }, { 10, 10 }, { 10, 0 } }), true },
        { "concave", QPolygonF({ { 0, 0 }, { 10, 0 }, { 3, 3 }, { 0, 10 } }), false },
        { "crossed", QPolygonF({ { 0, 0 }, { 10, 10 }, { 10, 0 }, { 0, 10 } }), false },
        { "three in a line", QPolygonF({ { 0, 0 }, { 5, 0 }, { 10, 0 }, { 0, 10 } }), false },
        { "all in one point", QPolygonF({ { 4, 4 }, { 4, 4 }, { 4, 4 }, { 4, 4 } }), false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsConvexQuad(c.quad), c.convex);
        const auto map = QuadToUnitSquare(c.quad);
        ASSERT_EQ(map.has_value(), c.convex);
        if (!map)
            continue;
        const QPointF square[] = { { 0, 0 }, { 1, 0 }, { 1, 1 }, { 0, 1 } };
        for (int i = 0; i < 4; ++i) {
            const QPointF mapped = map->map(c.quad[i]);
            EXPECT_NEAR(mapped.x(), square[i].x(), 1e-9);
            EXPECT_NEAR(mapped.y(), square[i].y(), 1e-9);
        }
    }
    // Perspective, not two affine triangles: where the diagonals cross is the picture's centre.
    const QPolygonF trapezoid({ { 40, 0 }, { 60, 0 }, { 100, 100 }, { 0, 100 } });
    const auto map = QuadToUnitSquare(trapezoid);
    ASSERT_TRUE(map);
    const QPointF crossing = map->map(QPointF(50, 100.0 / 6));
    EXPECT_NEAR(crossing.x(), 0.5, 1e-9);
    EXPECT_NEAR(crossing.y(), 0.5, 1e-9);
}

TEST(OutputLayout, CanvasOfEachResolutionMode)
{
    struct Case {
        int mode;
        QSize display;
        QSize canvas;
    } const cases[] = {
        { 0, { 1920, 1080 }, { 1920, 1080 } },
        { 1, { 1920, 1200 }, { 1920, 1080 } },
        { 2, { 1920, 1080 }, { 1440, 1080 } },
        { 3, { 1920, 1080 }, { 607, 1080 } },
        { 4, { 1920, 1080 }, { 810, 1080 } },
        { 7, { 1280, 1024 }, { 1280, 1024 } }, // outside 0..4: FREE
        { 1, { 0, 0 }, { 0, 0 } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        EXPECT_EQ(CanvasSize(c.display, ResolutionModeOf(c.mode)), c.canvas);
    }
    // A 16:9 canvas in a 4:3 window: bars above and below, the mapping both ways.
    const QRectF viewport = CanvasViewport({ 1920, 1080 }, { 800, 600 });
    EXPECT_EQ(viewport, QRectF(0, 75, 800, 450));
    EXPECT_EQ(WindowToCanvas({ 400, 300 }, { 1920, 1080 }, { 800, 600 }), QPointF(960, 540));
    EXPECT_EQ(CanvasToWindow({ 1920, 0 }, { 1920, 1080 }, { 800, 600 }), QPointF(800, 75));
}

TEST(ItemTiming, MediaTimeOfTheShowsTime)
{
    Item item = CShowProject::Item(1, 1000, 500, Item::MODE_MOVIE);
    item.InTime = 200;
    item.OutTime = 300;
    struct Case {
        const char* name;
        int playMode;
        int64_t showUs;
        int64_t mediaUs;
        int64_t sequenceUs;
        bool ended;
    } const cases[] = {
        { "at the start: IN", 0, 10'000'000, 2'000'000, 2'000'000, false },
        { "before the start: IN", 0, 9'000'000, 2'000'000, 2'000'000, false },
        { "half a second in", 0, 10'500'000, 2'500'000, 2'500'000, false },
        { "past OUT holds the frame before it", 0, 11'200'000, 2'999'999, 2'999'999, true },
        { "looping wraps at OUT", 1, 11'200'000, 2'200'000, 3'200'000, false },
        { "looping, second lap", 1, 12'050'000, 2'050'000, 4'050'000, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        item.PlayMode = c.playMode;
        const ItemMediaRange range = ItemMediaRange::Of(item, 60'000'000);
        const ItemMediaPosition position = MediaPositionAt(item, range, c.showUs);
        EXPECT_EQ(position.mediaUs, c.mediaUs);
        EXPECT_EQ(position.sequenceUs, c.sequenceUs);
        EXPECT_EQ(position.ended, c.ended);
        EXPECT_EQ(range.MediaOf(position.sequenceUs), position.mediaUs);
    }
    // Without an OUT after IN the media's own length is the end; longer ones are cut to it.
    item.OutTime = 0;
    EXPECT_EQ(ItemMediaRange::Of(item, 5'000'000).outUs, 5'000'000);
    item.OutTime = 900;
    EXPECT_EQ(ItemMediaRange::Of(item, 5'000'000).outUs, 5'000'000);
}

// ---- Shapes ----

int CoverageAt(const ItemShape& shape, double u, double v)
{
    const QImage& mask = shape.mask;
    const int x = std::clamp(int(u * mask.width()), 0, mask.width() - 1);
    const int y = std::clamp(int(v * mask.height()), 0, mask.height() - 1);
    return qAlpha(mask.pixel(x, y));
}

TEST(ItemShape, ShownAreaAndWhatCutsIt)
{
    const QSize picture(400, 200);
    Item item = CShowProject::Item(1, 0, 100, Item::MODE_IMAGE);

    // No area set: the whole picture, nothing cut.
    ItemShape shape = MakeItemShape(item, picture, {});
    EXPECT_EQ(shape.shownArea, QRectF(0, 0, 400, 200));
    EXPECT_TRUE(shape.mask.isNull());

    // A display rectangle partly outside the picture is kept inside it.
    item.MaskX = 300;
    item.MaskY = 50;
    item.W = 200;
    item.H = 100;
    shape = MakeItemShape(item, picture, {});
    EXPECT_EQ(shape.shownArea, QRectF(300, 50, 100, 100));

    // Circle: the ellipse inside the area.
    item.MaskMode = 1;
    shape = MakeItemShape(item, picture, {});
    ASSERT_FALSE(shape.mask.isNull());
    EXPECT_EQ(CoverageAt(shape, 0.5, 0.5), 255);
    EXPECT_EQ(CoverageAt(shape, 0.02, 0.02), 0);
    EXPECT_EQ(CoverageAt(shape, 0.98, 0.5), 255);

    // Mask points: the polygon cuts and its box is the area.
    item.MaskMode = 0;
    item.PNUM = 3;
    item.X = { 100, 300, 100 };
    item.Y = { 0, 100, 200 };
    shape = MakeItemShape(item, picture, {});
    EXPECT_EQ(shape.shownArea, QRectF(100, 0, 200, 200));
    EXPECT_EQ(CoverageAt(shape, 0.1, 0.5), 255);
    EXPECT_EQ(CoverageAt(shape, 0.9, 0.1), 0);
    EXPECT_EQ(CoverageAt(shape, 0.9, 0.5), 255);

    // The mask picture's alpha, stretched over the area; only with its switch on.
    item.PNUM = 0;
    item.MaskX = item.MaskY = 0;
    item.W = 400;
    item.H = 200;
    item.MaskMode = 2;
    item.MaskImage = "mask.png";
    QImage maskPicture(10, 10, QImage::Format_ARGB32);
    maskPicture.fill(Qt::transparent);
    QPainter(&maskPicture).fillRect(0, 0, 5, 10, Qt::black);
    shape = MakeItemShape(item, picture, maskPicture);
    EXPECT_TRUE(shape.mask.isNull());
    item.MaskImageEnable = 1;
    shape = MakeItemShape(item, picture, maskPicture);
    ASSERT_FALSE(shape.mask.isNull());
    EXPECT_EQ(CoverageAt(shape, 0.25, 0.5), 255);
    EXPECT_EQ(CoverageAt(shape, 0.75, 0.5), 0);
    // Large areas give a mask of bounded size.
    shape = MakeItemShape(item, QSize(8000, 100), maskPicture);
    EXPECT_LE(shape.mask.width(), kMaxMaskSide);
}

// ---- GUIDE ----

std::vector<tagTL_FACE_DATA> TwoFaces()
{
    std::vector<tagTL_FACE_DATA> faces(2);
    faces[0].No = 1;
    SetFaceCorners(faces[0], { 0, 0, 100, 0, 100, 100, 0, 100 });
    faces[1].No = 2;
    SetFaceCorners(faces[1], { 50, 50, 150, 50, 150, 150, 50, 150 });
    return faces;
}

TEST(GuideController, DragsACornerAndReportsItOnRelease)
{
    std::vector<tagTL_FACE_DATA> faces = TwoFaces();
    CGuideController guide;
    // On face 2's top-left handle (face 2 lies on top of face 1 there).
    EXPECT_FALSE(guide.Press(faces, { 52, 51 }, 6));
    ASSERT_TRUE(guide.IsDragging());
    EXPECT_EQ(guide.DraggedFace(), 2);
    EXPECT_TRUE(guide.Move(faces, { 42, 31 }));
    EXPECT_EQ(FaceCornersOf(faces[1])[0], 40);
    EXPECT_EQ(FaceCornersOf(faces[1])[1], 30);
    // A move that would fold the face is not taken.
    EXPECT_FALSE(guide.Move(faces, { 200, 200 }));
    EXPECT_EQ(FaceCornersOf(faces[1])[0], 40);
    const auto reply = guide.Release(faces, { 42, 31 });
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->kind, kPmReplyCorners);
    EXPECT_EQ(reply->cells[0], "2");
    EXPECT_EQ(reply->cells[5], "40");
    EXPECT_EQ(reply->cells[6], "30");
    EXPECT_FALSE(guide.IsDragging());

    // A drag that ends where it began reports nothing.
    EXPECT_FALSE(guide.Press(faces, { 100, 0 }, 6));
    EXPECT_FALSE(guide.Release(faces, { 100, 0 }));
    // A cancelled drag puts the corner back.
    EXPECT_FALSE(guide.Press(faces, { 150, 150 }, 6));
    guide.Move(faces, { 160, 170 });
    guide.Cancel(faces);
    EXPECT_EQ(FaceCornersOf(faces[1])[4], 150);
}

TEST(GuideController, ClicksPickTheTopFaceAndLockedFacesStay)
{
    std::vector<tagTL_FACE_DATA> faces = TwoFaces();
    CGuideController guide;
    auto reply = guide.Press(faces, { 75, 75 }, 6);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->kind, kPmReplyFaceClicked);
    EXPECT_EQ(reply->cells[0], "2");
    reply = guide.Press(faces, { 20, 20 }, 6);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->cells[0], "1");
    EXPECT_FALSE(guide.Press(faces, { 300, 300 }, 6));
    // A locked face's handle is a click, not a drag.
    faces[0].Lock = 1;
    reply = guide.Press(faces, { 1, 1 }, 6);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->cells[0], "1");
    EXPECT_FALSE(guide.IsDragging());
}

TEST(ViewerKeys, KeyCodesOfTheReply)
{
    struct Case {
        int key;
        bool ctrl;
        std::optional<int32_t> code;
    } const cases[] = {
        { Qt::Key_A, true, 1 },
        { Qt::Key_Z, true, 26 },
        { Qt::Key_O, true, 15 },
        { Qt::Key_A, false, std::nullopt },
        { Qt::Key_Left, false, 31 },
        { Qt::Key_Right, true, 33 },
        { Qt::Key_Space, false, 35 },
        { Qt::Key_Delete, false, 36 },
        { Qt::Key_Backspace, false, 37 },
        { Qt::Key_Escape, false, 38 },
        { Qt::Key_F1, false, std::nullopt },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(ViewerKeyCode(c.key, c.ctrl), c.code);
    }
}

// ---- The scene from a project's files ----

TEST(ViewerScene, ReadsFacesItemsTimesAndLinks)
{
    CTempFolder temp;
    CShowProject project(temp);
    ASSERT_TRUE(project.AddFace(2, QPolygon({ { 1, 2 }, { 3, 4 }, { 5, 6 }, { 7, 8 } }), QColor(10, 20, 30)));
    ASSERT_TRUE(project.AddFace(1, QPolygon({ { 0, 0 }, { 9, 0 }, { 9, 9 }, { 0, 9 } })));
    ASSERT_TRUE(project.SetItem(CShowProject::Item(1, 100, 200, Item::MODE_MOVIE, "clips\\a.mp4")));
    ASSERT_TRUE(project.SetItem(CShowProject::Item(1, 300, 100, Item::MODE_IMAGE, "/pictures/b.png")));
    Item link = CShowProject::Item(2, 100, 200, Item::MODE_LINK);
    link.LinkFaceNo = 1;
    ASSERT_TRUE(project.SetItem(link));
    ASSERT_TRUE(project.SetTimes(5000, 50, 4000, true));

    CViewerScene scene;
    ASSERT_TRUE(scene.Load(project.ProjectXmlPath(), project.WorkFolder()))
        << scene.LastError().toStdString();
    ASSERT_EQ(scene.Faces().size(), 2u);
    EXPECT_EQ(scene.Faces()[0].No, 1); // drawn first, so face 2 lies on top
    EXPECT_EQ(scene.In(), 50);
    EXPECT_EQ(scene.Out(), 4000);
    EXPECT_TRUE(scene.Loop());
    const tagTL_FACE_DATA* face2 = scene.Face(2);
    ASSERT_TRUE(face2);
    EXPECT_EQ(FaceCornersOf(*face2), (FaceCorners { 1, 2, 3, 4, 5, 6, 7, 8 }));
    EXPECT_EQ(face2->Items.at(0).LinkMode, Item::MODE_MOVIE);

    // The item under a time: [Start, Start + PlayTime).
    const tagTL_FACE_DATA* face1 = scene.Face(1);
    EXPECT_EQ(CViewerScene::ItemAt(*face1, 99), nullptr);
    EXPECT_EQ(CViewerScene::ItemAt(*face1, 100)->Start, 100);
    EXPECT_EQ(CViewerScene::ItemAt(*face1, 299)->Start, 100);
    EXPECT_EQ(CViewerScene::ItemAt(*face1, 300)->Start, 300);
    EXPECT_EQ(CViewerScene::ItemAt(*face1, 400), nullptr);

    // Media paths: written on Windows or relative to the project folder.
    EXPECT_EQ(scene.MediaPath("clips\\a.mp4"), temp.FilePath("show/clips/a.mp4"));
    EXPECT_EQ(scene.MediaPath("/pictures/b.png"), "/pictures/b.png");

    // The times again, after the editor changed them; LOOP stays the commanded one.
    ASSERT_TRUE(project.SetTimes(5000, 10, 20, false));
    ASSERT_TRUE(scene.ReloadTimes());
    EXPECT_EQ(scene.In(), 10);
    EXPECT_EQ(scene.Out(), 20);
    EXPECT_TRUE(scene.Loop());

    // A face changed in the files.
    ASSERT_TRUE(project.DeleteItem(1, 300));
    ASSERT_TRUE(scene.ReloadFaces());
    EXPECT_EQ(scene.Face(1)->Items.size(), 1u);

    // A project that is not there empties the scene.
    EXPECT_FALSE(scene.Load(temp.FilePath("none/none.xml"), temp.Path()));
    EXPECT_TRUE(scene.Faces().empty());
    EXPECT_FALSE(scene.LastError().isEmpty());
}

} // namespace
