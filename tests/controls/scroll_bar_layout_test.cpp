#include "controls/scroll_bar_layout.h"

#include <gtest/gtest.h>

using namespace controls;

namespace {

ScrollBarMetrics Horizontal(int width, int maximum, int page, int position)
{
    ScrollBarMetrics metrics;
    metrics.width = width;
    metrics.height = 18;
    metrics.vertical = false;
    metrics.maximum = maximum;
    metrics.page = page;
    metrics.position = position;
    return metrics;
}

} // namespace

TEST(ScrollBarLayout, PlacesArrowsTrackAndThumb)
{
    struct Case {
        const char* name;
        ScrollBarMetrics metrics;
        WinRect arrow2;
        WinRect track;
        WinRect thumb;
        bool small;
    } cases[] = {
        // Track 164 long: page 50 of 100 gives half of it.
        { "thumb at the start", Horizontal(200, 100, 50, 0), { 182, 0, 200, 18 }, { 18, 0, 182, 18 },
            { 18, 1, 100, 17 }, false },
        { "thumb in the middle", Horizontal(200, 100, 50, 50), { 182, 0, 200, 18 }, { 18, 0, 182, 18 },
            { 72, 1, 154, 17 }, false },
        { "position clamped to the maximum", Horizontal(200, 100, 50, 500), { 182, 0, 200, 18 },
            { 18, 0, 182, 18 }, { 100, 1, 182, 17 }, false },
        // A thumb below a fifth of the track becomes L - 4 * (L / 5) long and is kept inside.
        { "page 10 of 100 is below a fifth", Horizontal(200, 100, 10, 0), { 182, 0, 200, 18 },
            { 18, 0, 182, 18 }, { 18, 1, 54, 17 }, true },
        { "small thumb", Horizontal(200, 1000, 1, 0), { 182, 0, 200, 18 }, { 18, 0, 182, 18 },
            { 18, 1, 54, 17 }, true },
        { "small thumb at the end", Horizontal(200, 1000, 1, 1000), { 182, 0, 200, 18 }, { 18, 0, 182, 18 },
            { 146, 1, 182, 17 }, true },
        // An empty range: the thumb fills the track.
        { "empty range", Horizontal(200, 0, 1, 0), { 182, 0, 200, 18 }, { 18, 0, 182, 18 },
            { 18, 1, 182, 17 }, false },
        { "page larger than the range", Horizontal(200, 5, 10, 0), { 182, 0, 200, 18 }, { 18, 0, 182, 18 },
            {}, false },
        { "no page", Horizontal(200, 100, 0, 0), { 182, 0, 200, 18 }, { 18, 0, 182, 18 }, {}, false },
        // Too short for two arrows: the second starts where the first ends.
        { "overlapping arrows", Horizontal(30, 100, 10, 0), { 18, 0, 36, 18 }, { 18, 0, 18, 18 }, {}, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ScrollBarLayout layout = CalcScrollBarLayout(c.metrics);
        EXPECT_EQ(layout.arrow1, (WinRect { 0, 0, 18, 18 }));
        EXPECT_EQ(layout.arrow2, c.arrow2);
        EXPECT_EQ(layout.track, c.track);
        EXPECT_EQ(layout.thumb, c.thumb);
        EXPECT_EQ(layout.smallThumb, c.small);
    }
}

TEST(ScrollBarLayout, VerticalBarCountsTheRangeInclusively)
{
    ScrollBarMetrics metrics;
    metrics.width = 16;
    metrics.height = 236; // track 200
    metrics.maximum = 99;
    metrics.page = 50;
    metrics.position = 0;
    const ScrollBarLayout layout = CalcScrollBarLayout(metrics);
    EXPECT_EQ(layout.arrow1, (WinRect { 0, 0, 16, 18 }));
    EXPECT_EQ(layout.arrow2, (WinRect { 0, 218, 16, 236 }));
    EXPECT_EQ(layout.thumb, (WinRect { 1, 18, 15, 118 })); // 200 / (100 / 50)
    metrics.maximum = 0;
    metrics.page = 1;
    EXPECT_EQ(CalcScrollBarLayout(metrics).thumb, (WinRect { 1, 18, 15, 218 }));
}

TEST(ScrollBarLayout, HitTestsPartsInOrder)
{
    const ScrollBarLayout layout = CalcScrollBarLayout(Horizontal(200, 100, 50, 50)); // thumb 72..154
    struct Case {
        QPoint point;
        ScrollBarPart part;
    } cases[] = {
        { { 0, 5 }, PART_ARROW1 },
        { { 17, 17 }, PART_ARROW1 },
        { { 182, 5 }, PART_ARROW2 },
        { { 100, 5 }, PART_THUMB },
        { { 50, 5 }, PART_TRACK_BEFORE },
        { { 160, 5 }, PART_TRACK_AFTER },
        { { 100, 0 }, PART_TRACK_AFTER },
        { { 200, 5 }, PART_NONE },
        { { 50, 18 }, PART_NONE },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.point.x()) + "," + std::to_string(c.point.y()));
        EXPECT_EQ(HitTestScrollBar(layout, false, c.point), c.part);
    }
    EXPECT_EQ(RepeatArea(layout, false, PART_TRACK_BEFORE), (WinRect { 18, 0, 72, 18 }));
    EXPECT_EQ(RepeatArea(layout, false, PART_TRACK_AFTER), (WinRect { 154, 0, 182, 18 }));
    EXPECT_EQ(RepeatArea(layout, false, PART_ARROW2), layout.arrow2);
    EXPECT_EQ(HitTestScrollBar(layout, false, QPoint(300, 5)), PART_NONE);
}

TEST(ScrollBarLayout, DraggingMapsTheThumbOntoTheRange)
{
    const ScrollBarLayout layout = CalcScrollBarLayout(Horizontal(200, 100, 50, 0)); // travel 82
    const QPoint grab(4, 0);
    struct Case {
        int x;
        int position;
    } cases[] = { { 0, 0 }, { 22, 0 }, { 30, 9 }, { 64, 51 }, { 105, 100 }, { 400, 100 } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(DragTrackPosition(layout, false, 0, 100, QPoint(c.x, 5), grab), c.position);
    }
    // An empty range with a thumb that fills the track gives the minimum, whatever the point.
    const ScrollBarLayout full = CalcScrollBarLayout(Horizontal(200, 0, 1, 0));
    for (int x : { 0, 18, 100, 300 }) {
        SCOPED_TRACE(x);
        EXPECT_EQ(DragTrackPosition(full, false, 0, 0, QPoint(x, 5), grab), 0);
    }
}

TEST(ScrollBarLayout, DeflatesAboutTheCentre)
{
    EXPECT_EQ(DeflateByRatio({ 0, 0, 18, 18 }, 0.5), (WinRect { 4, 4, 14, 14 }));
    EXPECT_EQ(DeflateByRatio({ 10, 20, 30, 30 }, 1.0), (WinRect { 10, 20, 30, 30 }));
    EXPECT_EQ(DeflateByRatio({ 0, 0, 10, 7 }, 0.0), (WinRect { 5, 3, 5, 4 }));
}
