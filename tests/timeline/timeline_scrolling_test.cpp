#include "tests/timeline/timeline_fixtures.h"

using namespace timeline;

namespace {

// A scroll bar as the control library's keeps its range and position.
class CFakeScrollBar : public CTimeLineScrollBar {
public:
    int maximum = 100;
    int position = 0;
    int repaints = 0;
    void SetScrollRange(int max) override
    {
        maximum = std::max(0, max);
        ++repaints;
    }
    int GetScrollMax() const override { return maximum; }
    void SetScrollPos(int pos) override
    {
        position = std::clamp(pos, 0, maximum);
        ++repaints;
    }
    int GetScrollPos() const override { return position; }
};

class TimelineScrolling : public CTimeLineFixture {
protected:
    TimelineScrolling() { model.SetScrollBars(&horz, &vert); }
    CFakeScrollBar horz;
    CFakeScrollBar vert;
};

TEST_F(TimelineScrolling, ScrollingStopsAtBothEndsAndSaysSo)
{
    Load({ Face(1), Face(2), Face(3), Face(4), Face(5), Face(6), Face(7), Face(8), Face(9), Face(10) });
    model.SetProjectLength(20000); // 200 columns; maximum 200 - 92 + 5 = 113
    model.RecalcLayout(TlRect { 0, 0, 1000, 300 });
    EXPECT_EQ(model.GetHorzScrollMax(), 113);
    EXPECT_EQ(horz.maximum, 113);
    EXPECT_EQ(vert.maximum, 3);

    struct Case {
        const char* name;
        int from;
        int by;
        int result;
        int to;
    };
    const Case horizontal[] = {
        { "one column on", 10, 1, 1, 11 },
        { "back at column 0", 0, -1, 0, 0 },
        { "on at the last column", 113, 1, 0, 113 },
        { "onto the last column", 112, 1, 0, 113 },
        { "far past the end", 50, 1000, 0, 113 },
        { "far before the start", 50, -1000, 0, 0 },
    };
    for (const Case& c : horizontal) {
        SCOPED_TRACE(c.name);
        model.SetHorzScrollPos(c.from);
        EXPECT_EQ(model.ScrollHorz(c.by), c.result);
        EXPECT_EQ(model.FirstColumn(), c.to);
        EXPECT_EQ(horz.position, c.to);
    }
    const Case vertical[] = {
        { "one row on", 0, 1, 1, 1 },
        { "on at the last row", 3, 1, 0, 3 },
        { "back at row 0", 0, -1, 0, 0 },
    };
    for (const Case& c : vertical) {
        SCOPED_TRACE(c.name);
        model.SetVertScrollPos(c.from);
        EXPECT_EQ(model.ScrollVert(c.by), c.result);
        EXPECT_EQ(model.FirstRow(), c.to);
        EXPECT_EQ(vert.position, c.to);
    }
    model.SetVertScrollPos(99);
    EXPECT_EQ(model.FirstRow(), 3);
    model.SetHorzScrollPos(-4);
    EXPECT_EQ(model.FirstColumn(), 0);
}

TEST_F(TimelineScrolling, AShortProjectScrollsNowhere)
{
    model.SetProjectLength(3000); // 30 columns, 92 visible: 30 - 92 + 5 < 0
    model.RecalcLayout(TlRect { 0, 0, 1000, 300 });
    EXPECT_EQ(model.GetHorzScrollMax(), 0);
    model.SetPlayPosition(2500);
    model.EnsurePlayPositionVisible();
    EXPECT_EQ(model.FirstColumn(), 0);
    EXPECT_EQ(model.ScrollHorz(1), 0);
    EXPECT_EQ(model.FirstColumn(), 0);
}

TEST_F(TimelineScrolling, EnsurePlayPositionVisibleCentresAnOffscreenPlayhead)
{
    model.SetProjectLength(20000);
    model.RecalcLayout(TlRect { 0, 0, 1000, 300 });
    model.SetPlayPosition(15000);
    model.EnsurePlayPositionVisible();
    EXPECT_EQ(model.FirstColumn(), 150 - 46);
    EXPECT_EQ(horz.position, 104);
    model.SetPlayPosition(15500);
    model.EnsurePlayPositionVisible();
    EXPECT_EQ(model.FirstColumn(), 104) << "a visible playhead scrolls nothing";
}

TEST_F(TimelineScrolling, PlaybackRunsToTheMiddleAndThenScrollsUnderThePlayhead)
{
    model.SetProjectLength(50000);
    model.RecalcLayout(TlRect { 0, 0, 1000, 300 });
    struct Case {
        int mode;
        int32_t from;
        int32_t to;
        int32_t step;
        int columnsScrolled;
    };
    // 92 visible columns: the middle is column 46.
    const Case cases[] = {
        { 3, 0, 4600, 100, 0 }, // up to the middle nothing scrolls
        { 3, 4700, 4900, 100, 3 }, // past the middle one column per call
        { 6, 470, 470, 10, 2 }, // two columns per call in mode 6
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " from " << c.from);
        model.SetZoomMode(c.mode);
        model.SetHorzScrollPos(0);
        for (int32_t time = c.from; time <= c.to; time += c.step)
            model.SetPlayPositionFollow(time);
        EXPECT_EQ(model.FirstColumn(), c.columnsScrolled);
        EXPECT_EQ(model.PlayPosition(), c.to);
    }
    model.SetZoomMode(3);
    model.SetHorzScrollPos(100);
    model.SetPlayPositionFollow(2345);
    EXPECT_EQ(model.FirstColumn(), 23) << "a playhead left of the view jumps the view to it";
}

TEST_F(TimelineScrolling, ZoomRedoesTheRangesAndClampsOnlyTheHorizontalBar)
{
    Load({ Face(1), Face(2), Face(3), Face(4), Face(5), Face(6), Face(7), Face(8), Face(9) });
    model.SetProjectLength(20000);
    model.RecalcLayout(TlRect { 0, 0, 1000, 300 });
    model.SetHorzScrollPos(100);
    model.SetVertScrollPos(2);
    model.SetPlayPosition(1000);
    model.SetInOutPosition(500, 1500);

    model.SetZoomMode(0); // 20 columns: maximum 0
    EXPECT_EQ(model.UnitsPerColumn(), 1000);
    EXPECT_EQ(horz.maximum, 0);
    EXPECT_EQ(horz.position, 0);
    EXPECT_EQ(model.FirstColumn(), 100) << "the view brings the playhead back with EnsurePlayPositionVisible";
    EXPECT_EQ(model.PlayMarkerRect(), (TlRect { 80 + 10 - 12, 5, 80 + 10 + 12, 20 }))
        << "markers follow the scale";
    EXPECT_EQ(model.InMarkerRect().left, 85);

    model.SetZoomMode(-1);
    EXPECT_EQ(model.ZoomMode(), 3);
    EXPECT_EQ(model.UnitsPerColumn(), 100);

    // A taller control shows every face: the rows scroll back into range.
    model.RecalcLayout(TlRect { 0, 0, 1000, 600 });
    EXPECT_EQ(vert.maximum, 0);
    EXPECT_EQ(model.FirstRow(), 0);
}

} // namespace
