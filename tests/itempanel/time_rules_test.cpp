#include "itempanel/time_rules.h"
#include "platform/dialog_service.h"
#include "tests/itempanel/panel_fixtures.h"

#include <gtest/gtest.h>

using namespace itempanel;
using namespace panel_fixtures;
using platform::IDNO;
using platform::IDOK;
using platform::IDYES;

namespace {

using Item = tagTL_FACE_ITEM_DATA;

TEST(PlayTimeCheck, BoundsEffectsAndTheNextItem)
{
    // The item at 1000 on face 1 (500 long, effects 100 + 150) and the next item at 2000.
    const std::vector<tagTL_FACE_DATA> faces = {
        MakeFace(1, { WithEffects(MakeItem(1, 1000, 500), 1, 100, 2, 150), MakeItem(1, 2000, 100) }),
    };
    struct Case {
        const char* name;
        int64_t typed;
        std::deque<int> answers;
        std::vector<int> asked;
        int32_t value;
        bool report;
    } cases[] = {
        { "within the rules", 700, {}, {}, 700, true },
        { "exactly to the next item: no question", 1000, {}, {}, 1000, true },
        { "one hundredth more: Yes ends it at the next item", 1001, { IDYES }, { 111 }, 1000, true },
        { "one hundredth more: No keeps the accepted time", 1001, { IDNO }, { 111 }, 500, false },
        { "shorter than the effects: Yes takes their length", 200, { IDYES }, { 110 }, 250, true },
        { "shorter than the effects: No keeps the accepted time", 200, { IDNO }, { 110 }, 500, false },
        { "below zero: told, then the bound is checked too", -5, { IDOK, IDYES }, { 106, 110 }, 250, true },
        { "above an hour: told, then the next item ends it", 360001, { IDOK, IDYES }, { 107, 111 }, 1000,
            true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptedAsk ask { c.answers, {} };
        const PlayTimeCheck check = CheckTypedPlayTime(c.typed, 500, faces, 1, 1000, ask.Fn());
        EXPECT_EQ(ask.asked, c.asked);
        EXPECT_EQ(check.value, c.value);
        EXPECT_EQ(check.report, c.report);
    }
}

TEST(PlayTimeCheck, WithoutEffectsOrNeighboursAnHourIsAccepted)
{
    const std::vector<tagTL_FACE_DATA> faces = { MakeFace(1, { MakeItem(1, 0, 500) }) };
    CScriptedAsk ask;
    EXPECT_EQ(CheckTypedPlayTime(360000, 500, faces, 1, 0, ask.Fn()).value, 360000);
    EXPECT_EQ(CheckTypedPlayTime(1, 500, faces, 1, 0, ask.Fn()).value, 1);
    const PlayTimeCheck above = CheckTypedPlayTime(360001, 500, faces, 1, 0, ask.Fn());
    EXPECT_EQ(above.value, 360000);
    EXPECT_EQ(ask.asked, std::vector<int>({ 107 })); // no effects: 110 is never asked
}

TEST(PlayTimeCheck, AValueThatCannotMeetBothRulesKeepsTheAcceptedTime)
{
    // Effects of 300 in total but only 250 left before the next item.
    const std::vector<tagTL_FACE_DATA> faces = {
        MakeFace(1, { WithEffects(MakeItem(1, 0, 200), 1, 150, 1, 150), MakeItem(1, 250, 100) }),
    };
    CScriptedAsk ask { { IDYES, IDYES }, {} };
    const PlayTimeCheck check = CheckTypedPlayTime(100, 200, faces, 1, 0, ask.Fn());
    EXPECT_EQ(ask.asked, std::vector<int>({ 110, 111 }));
    EXPECT_EQ(check.value, 200);
    EXPECT_FALSE(check.report);

    // The item is no longer on its face: nothing is taken.
    CScriptedAsk quiet;
    EXPECT_FALSE(CheckTypedPlayTime(100, 200, faces, 1, 77, quiet.Fn()).report);
    EXPECT_TRUE(quiet.asked.empty());
}

TEST(StartTimeCheck, MovesOnlyIntoFreeRoomWithEveryMirroringLink)
{
    // A picture at 1000 (200 long) on face 1, shown by LINK items on faces 2 and 3.
    std::vector<tagTL_FACE_DATA> faces = {
        MakeFace(1, { MakeItem(1, 0, 400), MakeItem(1, 1000, 200), MakeItem(1, 3000, 100) }),
        MakeFace(2, { MakeLink(2, 1000, 200, 1, Item::MODE_IMAGE) }),
        MakeFace(3, { MakeLink(3, 1000, 200, 1, Item::MODE_IMAGE), MakeItem(3, 2300, 100) }),
    };
    struct Case {
        const char* name;
        int64_t typed;
        int32_t mode;
        bool accepted;
        int32_t value;
        std::vector<int> asked;
        size_t mirrors;
    } cases[] = {
        { "unchanged: nothing", 1000, Item::MODE_IMAGE, false, 1000, {}, 0 },
        { "touching the previous item's end", 400, Item::MODE_IMAGE, true, 400, {}, 2 },
        { "overlapping it by a hundredth: silently back", 399, Item::MODE_IMAGE, false, 1000, {}, 0 },
        { "on another item's start", 3000, Item::MODE_IMAGE, false, 1000, {}, 0 },
        { "free on its face but a LINK would overlap on face 3", 2200, Item::MODE_IMAGE, false, 1000, {}, 0 },
        { "a sound item does not take LINK items along", 2200, Item::MODE_SOUND, true, 2200, {}, 0 },
        { "below zero", -1, Item::MODE_IMAGE, false, 1000, { 106 }, 0 },
        { "above an hour", 360001, Item::MODE_IMAGE, false, 1000, { 107 }, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptedAsk ask;
        const StartTimeCheck check = CheckTypedStartTime(c.typed, 1000, 200, c.mode, faces, 1, ask.Fn());
        EXPECT_EQ(check.accepted, c.accepted);
        EXPECT_EQ(check.value, c.value);
        EXPECT_EQ(ask.asked, c.asked);
        EXPECT_EQ(check.mirrors.size(), c.mirrors);
    }
}

TEST(InOutCheck, BoundsFirstThenTheOrderAsTheFocusSays)
{
    struct Case {
        const char* name;
        int64_t in;
        int64_t out;
        bool focusInOut;
        std::vector<int> asked;
        int32_t inTime;
        int32_t outTime;
        bool report;
    } cases[] = {
        { "in order", 100, 400, false, {}, 100, 400, true },
        { "IN equal to OUT", 400, 400, false, {}, 400, 400, true },
        { "IN past OUT, typed in IN", 500, 400, false, { 108 }, 400, 400, false },
        { "IN past OUT, typed in OUT", 500, 400, true, { 109 }, 500, 500, false },
        { "IN below zero", -3, 400, false, { 106 }, 0, 400, false },
        { "OUT above the movie", 100, 1200, true, { 107 }, 100, 1000, false },
        { "IN above the movie lands past OUT too", 1500, 400, false, { 107, 108 }, 400, 400, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptedAsk ask;
        const InOutCheck check = CheckTypedInOut(c.in, c.out, 1000, 1000, c.focusInOut, ask.Fn());
        EXPECT_EQ(ask.asked, c.asked);
        EXPECT_EQ(check.inTime, c.inTime);
        EXPECT_EQ(check.outTime, c.outTime);
        EXPECT_EQ(check.report, c.report);
    }
}

TEST(InOutCheck, SpinButtonsStayWithinTheirNeighbours)
{
    EXPECT_EQ(SpinInUp(399, 400), 400);
    EXPECT_EQ(SpinInUp(400, 400), 400);
    EXPECT_EQ(SpinInDown(0), 0);
    EXPECT_EQ(SpinInDown(5), 4);
    EXPECT_EQ(SpinOutUp(999, 1000), 1000);
    EXPECT_EQ(SpinOutUp(1000, 1000), 1000);
    EXPECT_EQ(SpinOutDown(300, 300), 300);
    EXPECT_EQ(SpinOutDown(0, 0), 0);
    EXPECT_EQ(SpinOutDown(100, 301), 300);
}

TEST(PreviewTimeCheck, OutOfRangeIsToldAndBounded)
{
    CScriptedAsk ask;
    EXPECT_EQ(CheckTypedPreviewTime(-1, 1000, ask.Fn()).value, 0);
    EXPECT_EQ(CheckTypedPreviewTime(1001, 1000, ask.Fn()).value, 1000);
    const PreviewTimeCheck inside = CheckTypedPreviewTime(1000, 1000, ask.Fn());
    EXPECT_TRUE(inside.accepted);
    EXPECT_EQ(ask.asked, std::vector<int>({ 106, 107 }));
}

TEST(EffectTimeCheck, EntryAndExitMustNotCross)
{
    struct Case {
        const char* name;
        bool entrySide;
        int64_t entry;
        int64_t exit;
        std::vector<int> asked;
        int32_t value;
        bool accepted;
    } cases[] = {
        { "entry fits before the exit", true, 300, 200, {}, 300, true },
        { "entry runs into the exit", true, 400, 200, { 113 }, 300, false },
        { "entry without exit longer than the item", true, 600, 0, { 112 }, 500, false },
        { "entry without exit as long as the item", true, 500, 0, {}, 500, true },
        { "exit fits after the entry", false, 200, 300, {}, 300, true },
        { "exit runs into the entry", false, 200, 400, { 114 }, 300, false },
        { "exit without entry longer than the item", false, 0, 501, { 112 }, 500, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CScriptedAsk ask;
        const EffectTimeCheck check = c.entrySide ? CheckEntryEffectTime(c.entry, c.exit, 1000, 500, ask.Fn())
                                                  : CheckExitEffectTime(c.entry, c.exit, 1000, 500, ask.Fn());
        EXPECT_EQ(ask.asked, c.asked);
        EXPECT_EQ(check.value, c.value);
        EXPECT_EQ(check.accepted, c.accepted);
    }
    EXPECT_EQ(PresetEffectTime(400, 500, 200), 300);
    EXPECT_EQ(PresetEffectTime(100, 500, 200), 100);
    EXPECT_EQ(PresetEffectTime(100, 500, 600), 0);
}

} // namespace
