#include "tests/timeline/timeline_fixtures.h"
#include "timeline/timeline_drag.h"

#include <gtest/gtest.h>

using namespace timeline;

namespace {

constexpr int kUnits = 100; // zoom 3: one column is 100, one pixel 10

TEST(TimelineDragRules, DroppedItemsSnapToThePlayheadWithinOneColumnAfterIt)
{
    const struct {
        const char* name;
        int64_t start;
        int64_t expected;
    } cases[] = {
        { "on the playhead", 1000, 1000 },
        { "one pixel after", 1010, 1000 },
        { "just inside the column", 1099, 1000 },
        { "a column after", 1100, 1100 },
        { "before the playhead", 990, 990 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SnapStartToPlayhead(c.start, 1000, kUnits), c.expected);
    }
}

TEST(TimelineDragRules, StartTrimStopsAtTheItemBeforeAtOneColumnAndAtTheEffects)
{
    // The grabbed item ends at 2000.
    const struct {
        const char* name;
        int64_t pointer;
        int64_t previousEnd;
        int64_t effects;
        int64_t expected;
    } cases[] = {
        { "free", 1500, kNoItem, 0, 1500 },
        { "not before zero", -300, kNoItem, 0, 0 },
        { "stops at the item before", 400, 600, 0, 600 },
        { "past its end leaves one column", 2500, kNoItem, 0, 1900 },
        { "on its end leaves one column", 2000, kNoItem, 0, 1900 },
        { "never shorter than its effects", 1900, kNoItem, 200, 1800 },
        { "a column after an item that ends late is still not into it", 2500, 1950, 0, 1950 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TrimmedStart(c.pointer, c.previousEnd, 2000, kUnits, c.effects), c.expected);
    }
}

TEST(TimelineDragRules, EndTrimStopsAtTheItemAfterAtOneColumnAndAtTheEffects)
{
    // The grabbed item starts at 1000.
    const struct {
        const char* name;
        int64_t pointer;
        int64_t nextStart;
        int64_t effects;
        int64_t expected;
    } cases[] = {
        { "free", 2500, kNoItem, 0, 2500 },
        { "stops at the item after", 3000, 2600, 0, 2600 },
        { "before its start leaves one column", 700, kNoItem, 0, 1100 },
        { "on its start leaves one column", 1000, kNoItem, 0, 1100 },
        { "never shorter than its effects", 1050, kNoItem, 300, 1300 },
        { "one column would run into the item after", 900, 1050, 0, 1050 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TrimmedEnd(c.pointer, 1000, c.nextStart, kUnits, c.effects), c.expected);
    }
}

TEST(TimelineDragRules, OtherSelectedItemsFollowTheShiftWithinTheirNeighbours)
{
    // Item 1000..2000.
    EXPECT_EQ(TrimmedStartFollowing(1000, -300, kNoItem, 2000, kUnits), 700);
    EXPECT_EQ(TrimmedStartFollowing(1000, -300, 800, 2000, kUnits), 800);
    EXPECT_EQ(TrimmedStartFollowing(1000, 1500, kNoItem, 2000, kUnits), 1900);
    EXPECT_EQ(TrimmedStartFollowing(100, -500, kNoItem, 2000, kUnits), 0);
    EXPECT_EQ(TrimmedEndFollowing(2000, 300, 1000, kNoItem, kUnits), 2300);
    EXPECT_EQ(TrimmedEndFollowing(2000, 300, 1000, 2100, kUnits), 2100);
    EXPECT_EQ(TrimmedEndFollowing(2000, -1500, 1000, kNoItem, kUnits), 1100);
}

TEST(TimelineDragRules, EffectEdgesStopAtTheOtherEffectOrTheItemsEnds)
{
    // Item 1000..3000; entry effect 1000..1400, exit effect 2500..3000.
    tagTL_FACE_ITEM_DATA item = Item(1, 1000, 2000);
    item.InPattern = 2;
    item.InStartTime = 1000;
    item.InEndTime = 1400;
    item.OutPattern = 3;
    item.OutStartTime = 2500;
    item.OutEndTime = 3000;
    tagTL_FACE_ITEM_DATA entryOnly = item;
    entryOnly.OutPattern = 0;
    entryOnly.OutStartTime = entryOnly.OutEndTime = 0;
    const struct {
        const char* name;
        const tagTL_FACE_ITEM_DATA& item;
        int side;
        int64_t pointer;
        int64_t entry;
        int64_t exit;
    } cases[] = {
        { "entry edge moved", item, 1, 2000, 1000, 500 },
        { "entry edge stops at the exit effect", item, 1, 2800, 1500, 500 },
        { "entry edge without exit stops at the end", entryOnly, 1, 3500, 2000, 0 },
        { "entry edge before the start keeps a column", item, 1, 900, 100, 500 },
        { "exit edge moved", item, 2, 2000, 400, 1000 },
        { "exit edge stops at the entry effect", item, 2, 1200, 400, 1600 },
        { "exit edge past the end keeps a column", item, 2, 3100, 400, 100 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TlEffectLengths lengths = DraggedEffectLengths(c.item, c.side, c.pointer, kUnits);
        EXPECT_EQ(lengths.entry, c.entry);
        EXPECT_EQ(lengths.exit, c.exit);
    }
}

TEST(TimelineDragRules, MarkersStayInTheirRangesAndRightOfTheViewsLeftEdge)
{
    // IN 500, OUT 9000, project 12000, view from 1000.
    EXPECT_EQ(ClampedPlayheadTime(4000, 500, 9000, 0), 4000);
    EXPECT_EQ(ClampedPlayheadTime(9500, 500, 9000, 0), 9000);
    EXPECT_EQ(ClampedPlayheadTime(100, 500, 9000, 0), 500);
    EXPECT_EQ(ClampedPlayheadTime(600, 500, 9000, 1000), 1000);
    EXPECT_EQ(ClampedInTime(9500, 9000, 0), 9000);
    EXPECT_EQ(ClampedInTime(-50, 9000, 0), 0);
    EXPECT_EQ(ClampedOutTime(13000, 12000, 500, 0), 12000);
    EXPECT_EQ(ClampedOutTime(200, 12000, 500, 0), 500);
    EXPECT_EQ(ClampedOutTime(200, 12000, 500, 1000), 1000);
}

TEST(TimelineDragRules, TheRubberBandIsClippedOnlyAtTheHeaderAndTheRuler)
{
    const TlRect client { 0, 0, 1000, 300 };
    EXPECT_EQ(RubberBand(300, 200, 150, 50, client), (TlRect { 150, 50, 300, 200 }));
    EXPECT_EQ(RubberBand(300, 200, 40, 5, client), (TlRect { 80, 20, 300, 200 }));
    EXPECT_EQ(RubberBand(300, 200, 1200, 900, client), (TlRect { 300, 200, 1200, 900 }));
}

} // namespace
