#include "tests/fixtures/temp_folder.h"
#include "tests/timeline/timeline_fixtures.h"
#include "tests/timeline/timeline_scene.h"
#include "timeline/timeline_messages.h"
#include "timeline/timeline_pictures.h"
#include "timeline/timeline_renderer.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

using namespace timeline;
using timeline_scene::Blend;
using timeline_scene::Near;
using timeline_scene::SlotColour;

namespace {

// ---- Pure helpers -----------------------------------------------------------------------------

TEST(TimelineRulerTest, TicksAndLabelsFollowTheZoom)
{
    const struct {
        int zoom;
        int64_t column;
        int tick;
        const char* label;
    } cases[] = {
        { 0, 0, 10, "" }, // column 0 has no label
        { 0, 6, 10, "01:00" }, { 0, 12, 10, "02:00" }, { 0, 5, 5, "" }, { 1, 12, 10, "01:00" },
        { 1, 6, 5, "" }, { 2, 10, 10, "00:20" }, { 2, 5, 7, "" }, { 3, 10, 10, "00:10" }, { 3, 15, 7, "" },
        { 3, 3600, 10, "60:00" }, { 4, 10, 10, "00:05" }, { 4, 4, 7, "" }, { 4, 3, 5, "" },
        { 5, 20, 10, "00:04" }, { 6, 10, 10, "00:01" }, { 6, 600, 10, "01:00" }, { 6, 7, 5, "" },
        { 9, 10, 10, "00:10" }, // an unknown zoom is zoom 3
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "zoom " << c.zoom << " column " << c.column);
        EXPECT_EQ(RulerTickLength(c.zoom, c.column), c.tick);
        EXPECT_EQ(RulerLabel(c.zoom, c.column), QString::fromLatin1(c.label));
    }
    EXPECT_EQ(RulerLabelStep(0), 6);
    EXPECT_EQ(RulerLabelStep(1), 12);
    EXPECT_EQ(RulerLabelStep(5), 10);
}

TEST(TimelineBarExtentTest, BarsAreCutAtTheViewAndNeverNarrowerThanTwoPixels)
{
    CTimeLineViewport viewport;
    viewport.Layout(TlRect { 0, 0, 1000, 300 }); // 92 columns: the view ends at (c + 93) * 100
    viewport.firstColumn = 20; // the view starts at 2000
    const TlRect track = viewport.rowRects.front().rcTrack;
    const struct {
        const char* name;
        int64_t start;
        int64_t playTime;
        bool visible;
        int left;
        int right;
        int64_t width;
        int64_t sourceOffset;
    } cases[] = {
        { "inside", 3000, 500, true, 180, 230, 50, 0 },
        { "begins left of the view", 1000, 2000, true, 80, 180, 200, 100 },
        { "ends right of the view", 10000, 5000, true, 880, 1000, 500, 0 },
        { "shorter than two pixels", 3000, 5, true, 180, 182, 2, 0 },
        { "ends at the view's start", 1000, 1000, false, 0, 0, 100, 0 },
        { "starts after the view", 11300, 100, false, 0, 0, 10, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TlBarExtent bar = BarExtent(viewport, track, c.start, c.playTime);
        EXPECT_EQ(bar.visible, c.visible);
        EXPECT_EQ(bar.width, c.width);
        if (!c.visible)
            continue;
        EXPECT_EQ(bar.left, c.left);
        EXPECT_EQ(bar.right, c.right);
        EXPECT_EQ(bar.sourceOffset, c.sourceOffset);
    }
}

// ---- Painting into an image -------------------------------------------------------------------

class TimelineRendererTest : public CTimeLineFixture {
protected:
    TimelineRendererTest()
        : renderer(pictures)
    {
        timeline_scene::WritePlainSkin(skin.Path());
        model.LoadImages(skin.Path());
        // The whole project between IN and OUT: nothing dimmed unless a test asks for it.
        model.SetInOutPosition(0, 10000);
        model.SetPlayPosition(5000); // x 580
    }

    QImage Paint(const TlDragFeedback& drag = {}, QRect exposed = QRect(0, 0, 1000, 300))
    {
        QImage image(1000, 300, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        renderer.Paint(painter, exposed, model, model.Viewport(), model.Appearance(), drag);
        return image;
    }

    static QColor Pixel(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

    CTempFolder skin;
    CTempFolder project;
    CTimeLinePictures pictures;
    CTimeLineRenderer renderer;
};

TEST_F(TimelineRendererTest, RowsHeadersAndButtonsAreDrawnFromTheFaceAndTheSkin)
{
    tagTL_FACE_DATA first = Face(1);
    first.R = 200;
    first.G = 100;
    first.B = 50;
    tagTL_FACE_DATA second = Face(2, {}, 1);
    second.R = 40;
    second.G = 160;
    second.B = 220;
    second.Status = 0;
    Load({ first, second });
    model.SetCurrentFace(2);
    const QImage image = Paint();

    EXPECT_TRUE(Near(Pixel(image, 500, 290), QColor(43, 43, 43))) << "the background below the rows";
    // Even rows run from (75, 75, 75) to (65, 65, 65), odd ones from (50, 50, 50) to (45, 45, 45).
    EXPECT_TRUE(Near(Pixel(image, 85, 22), QColor(75, 75, 75), 3));
    EXPECT_TRUE(Near(Pixel(image, 85, 58), QColor(65, 65, 65), 3));
    EXPECT_TRUE(Near(Pixel(image, 85, 62), QColor(50, 50, 50), 3));
    // The colour strip, and the header cell under its veil: 168 on the current face, else 192.
    EXPECT_EQ(Pixel(image, 2, 30), QColor(200, 100, 50));
    EXPECT_TRUE(Near(Pixel(image, 8, 23), Blend(QColor(200, 100, 50), Qt::black, 192)));
    EXPECT_TRUE(Near(Pixel(image, 8, 63), Blend(QColor(40, 160, 220), Qt::black, 168)));
    // Display and lock buttons by the face's flags.
    EXPECT_EQ(Pixel(image, 45, 38), SlotColour(23)) << "shown";
    EXPECT_EQ(Pixel(image, 66, 38), SlotColour(20)) << "unlocked";
    EXPECT_EQ(Pixel(image, 45, 78), SlotColour(22)) << "hidden";
    EXPECT_EQ(Pixel(image, 66, 78), SlotColour(21)) << "locked";
    // Grid: the column lines of the track, the emphasised one at every labelled column.
    EXPECT_EQ(Pixel(image, 90, 40), QColor(82, 82, 82));
    EXPECT_EQ(Pixel(image, 181, 40), QColor(90, 90, 90));
}

TEST_F(TimelineRendererTest, ItemBarsShowTheirKindAndStateAndAreCutAtTheView)
{
    Load({ Face(1, { Item(1, 1000, 2000), Item(1, 4000, 1000, tagTL_FACE_ITEM_DATA::MODE_MOVIE) }),
        Face(2, { Item(2, 1000, 2000, tagTL_FACE_ITEM_DATA::MODE_SOUND), Item(2, 4000, 5) }),
        Face(3, { Item(3, 1000, 2000, tagTL_FACE_ITEM_DATA::MODE_CAMERA) }) });
    model.AddToSelection(At(1, 4000));
    {
        tagTL_FACE_DATA hidden;
        model.GetFaceData(1, 3, hidden);
        hidden.Status = 0;
        model.SetFaceDisplayPosition(hidden);
    }
    const QImage image = Paint();
    // Bars lie from x(start) + 1, two pixels below the row's top, 36 high; probed under the text.
    EXPECT_EQ(Pixel(image, 300, 55), SlotColour(4)) << "picture at rest";
    EXPECT_EQ(Pixel(image, 530, 55), SlotColour(11)) << "selected movie: pressed";
    EXPECT_EQ(Pixel(image, 300, 95), SlotColour(12)) << "sound";
    EXPECT_EQ(Pixel(image, 300, 135), SlotColour(18)) << "camera on a hidden face";
    EXPECT_NE(Pixel(image, 180, 55), SlotColour(4)) << "the bar starts a pixel after its start";
    EXPECT_EQ(Pixel(image, 181, 55), SlotColour(4));
    EXPECT_NE(Pixel(image, 380, 55), SlotColour(4)) << "and ends before its end";
    EXPECT_EQ(Pixel(image, 481, 95), SlotColour(4)) << "a bar shorter than two pixels";
    EXPECT_NE(Pixel(image, 482, 95), SlotColour(4));

    // Scrolled so that the items begin left of the view: they show from the track's left on.
    model.SetProjectLength(20000);
    model.SetHorzScrollPos(20);
    ASSERT_EQ(model.FirstColumn(), 20);
    const QImage scrolled = Paint();
    EXPECT_EQ(Pixel(scrolled, 81, 55), SlotColour(4));
    EXPECT_EQ(Pixel(scrolled, 179, 55), SlotColour(4));
    EXPECT_NE(Pixel(scrolled, 181, 55), SlotColour(4));
}

TEST_F(TimelineRendererTest, ThumbnailsAndIconsSitInTheirBoxAndFollowTheBarsVisiblePart)
{
    model.SetProjectFolder(project.Path());
    model.SetProjectName(QStringLiteral("Show"));
    Load({ Face(1, { Item(1, 1000, 2000), Item(1, 4000, 2000, tagTL_FACE_ITEM_DATA::MODE_SOUND) }),
        Face(2, { Item(2, 1000, 2000, tagTL_FACE_ITEM_DATA::MODE_CAMERA), Item(2, 4000, 2000) }) });
    ASSERT_TRUE(timeline_scene::WriteThumbnail(model, At(1, 1000), QColor(250, 0, 0)));
    {
        tagTL_FACE_DATA hidden;
        model.GetFaceData(1, 2, hidden);
        hidden.Status = 0;
        model.SetFaceDisplayPosition(hidden);
    }
    const QImage image = Paint();
    // The picture box is 48 x 27 at (15, 5) of the bar.
    EXPECT_TRUE(Near(Pixel(image, 181 + 30, 22 + 15), QColor(250, 0, 0), 12)) << "the thumbnail";
    EXPECT_EQ(Pixel(image, 181 + 14, 22 + 15), SlotColour(4)) << "left of the box";
    EXPECT_TRUE(Near(Pixel(image, 481 + 30, 22 + 15), timeline_scene::IconColour(1), 3)) << "sound icon";
    // On a hidden face the camera icon is half transparent over the dark box.
    EXPECT_TRUE(Near(
        Pixel(image, 181 + 30, 62 + 15), Blend(QColor(60, 60, 60), timeline_scene::IconColour(0), 128), 3));
    EXPECT_EQ(Pixel(image, 481 + 30, 62 + 15), SlotColour(6)) << "a picture without a thumbnail file";

    model.SetProjectLength(20000);
    model.SetHorzScrollPos(20); // the items start 100 pixels left of the view
    ASSERT_EQ(model.FirstColumn(), 20);
    const QImage scrolled = Paint();
    EXPECT_EQ(Pixel(scrolled, 81 + 30, 22 + 8), SlotColour(4)) << "the thumbnail lies left of the view";
}

TEST_F(TimelineRendererTest, EffectBandsLieOverTheBarEmphasisedWhileTheDisplayIsOn)
{
    tagTL_FACE_ITEM_DATA item = Item(1, 1000, 3000);
    item.InPattern = 2;
    item.InStartTime = 1000;
    item.InEndTime = 1500; // 50 pixels
    item.OutPattern = 3;
    item.OutStartTime = 3000;
    item.OutEndTime = 4000; // 100 pixels
    Load({ Face(1, { item }) });
    const QColor bar = SlotColour(4);
    const QColor band = SlotColour(26);
    const QColor plain = Blend(bar, band, 128);
    // Entry band (0, 8)-(49, 28) of the bar, exit band (200, 8)-(300, 28); probed at its bottom.
    QImage image = Paint();
    EXPECT_TRUE(Near(Pixel(image, 181 + 2, 22 + 26), plain, 3));
    EXPECT_TRUE(Near(Pixel(image, 181 + 290, 22 + 26), plain, 3));
    EXPECT_EQ(Pixel(image, 181 + 60, 22 + 26), bar) << "between the effects";
    EXPECT_EQ(Pixel(image, 181 + 2, 22 + 30), bar) << "below the band";

    model.ToggleEffectDisplay();
    image = Paint();
    EXPECT_TRUE(Near(Pixel(image, 181 + 2, 22 + 26), Blend(plain, band, 217), 3));
}

TEST_F(TimelineRendererTest, MarkersDimTheTrackOutsideInAndOut)
{
    Load({ Face(1) });
    model.SetProjectLength(8000); // x 880
    model.SetInOutPosition(2000, 6000); // x 280 and 680
    const QImage image = Paint();
    const QColor dimmed = Blend(QColor(43, 43, 43), Qt::black, 128);
    EXPECT_TRUE(Near(Pixel(image, 150, 250), dimmed));
    EXPECT_TRUE(Near(Pixel(image, 450, 250), QColor(43, 43, 43)));
    EXPECT_TRUE(Near(Pixel(image, 800, 250), dimmed));
    EXPECT_EQ(Pixel(image, 280, 250), QColor(255, 204, 0)) << "IN line";
    EXPECT_TRUE(Near(Pixel(image, 281, 250), QColor(104, 103, 101))) << "its side lines";
    EXPECT_EQ(Pixel(image, 680, 250), QColor(255, 204, 0)) << "OUT line";
    EXPECT_EQ(Pixel(image, 285, 12), QColor(255, 204, 0)) << "IN triangle, right of its line";
    EXPECT_EQ(Pixel(image, 675, 12), QColor(255, 204, 0)) << "OUT triangle, left of its line";
    EXPECT_EQ(Pixel(image, 580, 250), QColor(255, 51, 0)) << "the playhead";
    EXPECT_EQ(Pixel(image, 581, 250), QColor(79, 78, 78));
    EXPECT_EQ(Pixel(image, 580, 10), QColor(255, 51, 0)) << "its triangle over the ruler";
    EXPECT_TRUE(Near(Pixel(image, 880, 250), Blend(QColor(255, 255, 255), Qt::black, 128))) << "project end";

    // IN scrolled off to the right: everything is outside the play range.
    model.SetInOutPosition(9500, 9800);
    const QImage outside = Paint();
    EXPECT_TRUE(Near(Pixel(outside, 450, 250), dimmed));
    EXPECT_TRUE(Near(Pixel(outside, 950, 250), dimmed));
}

TEST_F(TimelineRendererTest, ADisabledControlShowsOnlyItsBackgroundAndRuler)
{
    Load({ Face(1, { Item(1, 1000, 2000) }) });
    renderer.SetEnabled(false);
    const QImage image = Paint();
    EXPECT_TRUE(Near(Pixel(image, 300, 55), QColor(43, 43, 43)));
    EXPECT_TRUE(Near(Pixel(image, 580, 250), QColor(43, 43, 43))) << "no playhead";
    EXPECT_TRUE(Near(Pixel(image, 305, 3), QColor(60, 60, 60), 6)) << "the ruler band";
}

TEST_F(TimelineRendererTest, AnExposedStripIsPaintedExactlyAsTheWholePicture)
{
    tagTL_FACE_ITEM_DATA item = Item(1, 900, 3050);
    item.InPattern = 2;
    item.InStartTime = 900;
    item.InEndTime = 1300;
    Load({ Face(1, { item, Item(1, 5000, 700, tagTL_FACE_ITEM_DATA::MODE_SOUND) }),
        Face(2, { Item(2, 0, 4000) }) });
    model.SetInOutPosition(500, 7000);
    const QImage whole = Paint();
    for (const QRect strip :
        { QRect(0, 0, 1000, 30), QRect(150, 0, 63, 300), QRect(567, 20, 30, 100), QRect(995, 0, 5, 300) }) {
        SCOPED_TRACE(testing::Message()
            << strip.x() << "," << strip.y() << " " << strip.width() << "x" << strip.height());
        const QImage part = Paint({}, strip);
        int differing = 0;
        for (int y = strip.top(); y <= strip.bottom(); ++y) {
            for (int x = strip.left(); x <= strip.right(); ++x)
                differing += whole.pixel(x, y) != part.pixel(x, y);
        }
        EXPECT_EQ(differing, 0);
        const QPoint outside = strip.left() > 0 ? QPoint(strip.left() - 1, strip.top())
                                                : QPoint(strip.left(), strip.bottom() + 1);
        EXPECT_EQ(part.pixelColor(outside), QColor(Qt::magenta)) << "nothing outside the strip";
    }
}

// ---- Drag feedback ----------------------------------------------------------------------------

TEST_F(TimelineRendererTest, GhostsShowWhereTheReleaseDropsTheItems)
{
    Load({ Face(1, { Item(1, 1000, 1000) }), Face(2), Face(3) });
    const QImage rest = Paint();
    model.AddToSelection(At(1, 1000));
    model.SetMouseState(TL_MOUSE_ITEM_MOVE);
    TlDragFeedback drag;
    drag.mouseState = TL_MOUSE_ITEM_MOVE;
    drag.held = { 1, 1000 };
    drag.grabOffsetPx = 20; // grabbed 20 pixels right of its start
    drag.pressX = 200;
    drag.pressY = 40;
    drag.pointerX = 520;
    drag.pointerY = 95; // face 2's row: the item would start at x 500, time 4200
    drag.itemPlan = model.PlanItemDrag(TL_MOUSE_ITEM_MOVE, drag.pointerX, drag.pointerY, 20, drag.held);
    ASSERT_TRUE(drag.itemPlan.valid);
    ASSERT_EQ(drag.itemPlan.placements.size(), 1u);
    EXPECT_EQ(drag.itemPlan.placements[0].faceNo, 2);
    EXPECT_EQ(drag.itemPlan.placements[0].start, 4200);

    QImage image = Paint(drag);
    EXPECT_EQ(Pixel(image, 250, 55), Pixel(rest, 250, 70)) << "a moved item leaves its track";
    EXPECT_TRUE(Near(Pixel(image, 501 + 50, 62 + 34), Blend(Pixel(rest, 551, 96), SlotColour(7), 192)))
        << "the pressed bar at 192, on the row and at the time of the drop";
    EXPECT_EQ(Pixel(image, 501 + 50, 105), Pixel(rest, 551, 105)) << "not where the pointer's y would put it";

    // The playhead one pixel before: the drop, and the ghost, land on it.
    model.SetPlayPosition(4190);
    drag.itemPlan = model.PlanItemDrag(TL_MOUSE_ITEM_MOVE, drag.pointerX, drag.pointerY, 20, drag.held);
    EXPECT_EQ(drag.itemPlan.placements[0].start, 4190);

    // Nowhere to drop: the ghost follows the pointer, fainter.
    drag.pointerY = 200;
    drag.itemPlan = model.PlanItemDrag(TL_MOUSE_ITEM_MOVE, drag.pointerX, drag.pointerY, 20, drag.held);
    EXPECT_FALSE(drag.itemPlan.valid);
    image = Paint(drag);
    EXPECT_TRUE(Near(Pixel(image, 520, 190), Blend(QColor(43, 43, 43), SlotColour(7), 96), 6));
}

TEST_F(TimelineRendererTest, TrimFrameRubberBandAndFaceGapFollowTheDrag)
{
    Load({ Face(1, { Item(1, 1000, 1000) }), Face(2), Face(3) });
    const QImage rest = Paint();

    TlDragFeedback trim;
    trim.mouseState = TL_MOUSE_LEFT_DRAG;
    trim.held = { 1, 1000 };
    trim.trimPlan = model.PlanTrim(true, 150, trim.held); // start 700
    ASSERT_EQ(trim.trimPlan.changes.size(), 1u);
    EXPECT_EQ(trim.trimPlan.changes[0].newStart, 700);
    const QImage trimmed = Paint(trim);
    // A 4-pixel halftone frame from x 151 to 280, rows 22 .. 58.
    int inverted = 0;
    for (int x = 151; x < 280; ++x)
        inverted += trimmed.pixel(x, 23) != rest.pixel(x, 23);
    EXPECT_GT(inverted, 40);
    EXPECT_EQ(trimmed.pixel(200, 40), rest.pixel(200, 40)) << "the frame's inside stays";

    TlDragFeedback band;
    band.mouseState = TL_MOUSE_RANGE_DRAG;
    band.pressX = 300;
    band.pressY = 150;
    band.pointerX = 40; // left of the track: the band stops at the header
    band.pointerY = 5; // above the rows: it stops under the ruler
    const QImage banded = Paint(band);
    EXPECT_EQ(banded.pixel(60, 100), rest.pixel(60, 100));
    int changed = 0;
    for (int x = 80; x <= 300; ++x)
        changed += banded.pixel(x, 20) != rest.pixel(x, 20);
    EXPECT_GT(changed, 50);

    // A face moved to row 2: its row leaves, the rows from the drop position on lie 15 lower.
    model.SetCurrentFace(1);
    model.SetMouseState(TL_MOUSE_FACE_MOVE);
    TlDragFeedback face;
    face.mouseState = TL_MOUSE_FACE_MOVE;
    face.pressX = 40;
    face.pressY = 40;
    face.pointerX = 40;
    face.pointerY = 200;
    face.faceDropRow = 2;
    const QImage moving = Paint(face);
    EXPECT_TRUE(Near(Pixel(moving, 505, 22), QColor(50, 50, 50), 4)) << "face 2 moves up (odd row colours)";
    EXPECT_TRUE(Near(Pixel(moving, 505, 60 + 17), QColor(75, 75, 75), 4)) << "face 3 at its row plus the gap";
    EXPECT_TRUE(Near(Pixel(moving, 505, 62), Pixel(moving, 505, 140))) << "the gap shows the background";
    EXPECT_TRUE(Near(Pixel(moving, 505, 177), QColor(75, 75, 75), 4)) << "face 1 floats under the pointer";
}

} // namespace
