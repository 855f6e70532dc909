#include "tests/core/qstring_printer.h"
#include "timeline/timeline_geometry.h"

#include <gtest/gtest.h>

using namespace timeline;

namespace {

TEST(TimelineGeometry, ClientSizeGivesVisibleRowsColumnsAndOneSpareRow)
{
    struct Case {
        int width, height;
        int rows, columns;
        size_t rowRects;
    };
    const Case cases[] = {
        { 1000, 100, 2, 92, 3 }, // two rows and the partly visible third
        { 1000, 59, 0, 92, 1 },
        { 80, 300, 7, 0, 8 },
        { 85, 20, 0, 0, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        CTimeLineViewport viewport;
        viewport.Layout(TlRect { 0, 0, c.width, c.height });
        EXPECT_EQ(viewport.visibleRows, c.rows);
        EXPECT_EQ(viewport.visibleColumns, c.columns);
        EXPECT_EQ(viewport.rowRects.size(), c.rowRects);
    }
}

TEST(TimelineGeometry, RowRectanglesFollowTheClientRectangle)
{
    const tagTL_FACE_RECT row = FaceRowRect(TlRect { 10, 5, 510, 305 }, 2);
    // top = 5 + 20 + 80
    EXPECT_EQ(row.rcRow, (TlRect { 10, 105, 510, 145 }));
    EXPECT_EQ(row.rcHeader, (TlRect { 10, 105, 90, 145 }));
    EXPECT_EQ(row.rcTrack, (TlRect { 90, 105, 510, 145 }));
    EXPECT_EQ(row.rcColorBar, (TlRect { 10, 105, 15, 145 }));
    EXPECT_EQ(row.rcNumber, (TlRect { 10, 105, 48, 145 }));
    EXPECT_EQ(row.rcButton1, (TlRect { 48, 117, 64, 133 }));
    EXPECT_EQ(row.rcButton2, (TlRect { 69, 117, 85, 133 }));
    EXPECT_EQ(tagTL_FACE_RECT().rcRow, TlRect()) << "constructed empty";

    CTimeLineViewport viewport;
    viewport.Layout(TlRect { 0, 0, 500, 300 });
    EXPECT_EQ(viewport.autoScrollZones[0], (TlRect { 80, 20, 100, 300 }));
    EXPECT_EQ(viewport.autoScrollZones[1], (TlRect { 480, 20, 500, 300 }));
    EXPECT_EQ(viewport.autoScrollZones[2], (TlRect { 80, 20, 500, 40 }));
    EXPECT_EQ(viewport.autoScrollZones[3], (TlRect { 80, 280, 500, 300 }));
    EXPECT_EQ(viewport.RowAt(100, 19), -1) << "the ruler is no row";
    EXPECT_EQ(viewport.RowAt(0, 20), 0);
    EXPECT_EQ(viewport.RowAt(499, 59), 0);
    EXPECT_EQ(viewport.RowAt(499, 60), 1);
    EXPECT_EQ(viewport.RowAt(500, 60), -1);
}

TEST(TimelineGeometry, ZoomModesMapTimesToPixels)
{
    struct Case {
        int mode;
        int units;
        int firstColumn;
        int64_t time;
        int64_t x;
    };
    const Case cases[] = {
        { 6, 10, 0, 1234, 80 + 1234 },
        { 0, 1000, 0, 1234, 80 + 12 },
        { 3, 100, 0, 1234, 80 + 123 },
        { 3, 100, 2, 1234, 80 + 103 },
        { 7, 100, 0, 500, 80 + 50 }, // any other mode is mode 3
        { -1, 100, 0, 500, 80 + 50 },
        { 5, 20, 0, 7, 80 + 3 },
        { 1, 500, 0, 499, 80 + 9 },
        { 2, 200, 0, 200, 80 + 10 },
        { 4, 50, 0, 200, 80 + 40 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " time " << c.time);
        CTimeLineViewport viewport;
        viewport.Layout(TlRect { 0, 0, 1000, 300 });
        viewport.SetZoomMode(c.mode);
        viewport.firstColumn = c.firstColumn;
        EXPECT_EQ(viewport.unitsPerColumn, c.units);
        EXPECT_EQ(viewport.zoomMode, ValidZoomMode(c.mode));
        EXPECT_EQ(viewport.TimeToX(c.time), c.x);
    }
    CTimeLineViewport viewport;
    viewport.firstColumn = 2;
    EXPECT_EQ(viewport.XToTime(35), 550) << "5 seconds and 50 hundredths";
}

TEST(TimelineGeometry, ScrollMaximaAndMarkers)
{
    CTimeLineViewport viewport;
    viewport.Layout(TlRect { 0, 0, 80, 300 });
    EXPECT_EQ(viewport.HorzScrollMax(1234), 12 + 5)
        << "with no visible column the range is the project plus 5";
    viewport.Layout(TlRect { 0, 0, 1000, 300 });
    EXPECT_EQ(viewport.HorzScrollMax(3000), 30 - 92 + 5);
    EXPECT_EQ(viewport.HorzScrollMax(20000), 200 - 92 + 5);
    EXPECT_EQ(viewport.VertScrollMax(10), 3);

    EXPECT_EQ(viewport.PlayMarkerRect(1000), (TlRect { 80 + 100 - 12, 5, 80 + 100 + 12, 20 }));
    EXPECT_EQ(viewport.InMarkerRect(500), (TlRect { 130, 8, 148, 20 }));
    EXPECT_EQ(viewport.OutMarkerRect(500), (TlRect { 112, 8, 130, 20 })) << "IN and OUT at one time touch";
    viewport.firstColumn = 40;
    EXPECT_EQ(viewport.PlayMarkerRect(1000).left, 168) << "markers are placed without the scroll";
    EXPECT_EQ(CTimeLineViewport().PlayMarkerRect(1000), TlRect()) << "no marker before the first layout";
}

TEST(TimelineGeometry, ColumnShowingThePlayhead)
{
    struct Case {
        const char* name;
        int firstColumn;
        int64_t play;
        int64_t project;
        int64_t column;
    };
    // 92 visible columns at 100 units per column.
    const Case cases[] = {
        { "visible: unchanged", 10, 5000, 20000, 10 },
        { "right edge still visible", 10, 10200, 20000, 10 },
        { "short project: back to 0", 10, 500, 3000, 0 },
        { "centred", 0, 15000, 20000, 150 - 46 },
        { "not past the end", 0, 19900, 20000, 200 - 92 + 5 },
        { "not before 0", 100, 1000, 20000, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTimeLineViewport viewport;
        viewport.Layout(TlRect { 0, 0, 1000, 300 });
        viewport.firstColumn = c.firstColumn;
        EXPECT_EQ(viewport.ColumnShowing(c.play, c.project), c.column);
    }
}

} // namespace
