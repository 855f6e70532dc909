#include "view/view_layout.h"
#include "view/view_placement.h"
#include "view/viewer_keys.h"

#include "core/pm_param_block.h"

#include <gtest/gtest.h>

TEST(ViewPlacement, DefaultPlacementOnTallAndLowWorkAreas)
{
    const FrameMetrics metrics;
    {
        SCOPED_TRACE("1080 high: the panel above the frame at the right");
        const DefaultPlacement p = ComputeDefaultPlacement({ 0, 0, 1920, 1080 }, 400, metrics);
        EXPECT_EQ(p.mainFrame, (tagWINDOW_RECT { 0, 680, 1920, 1080 }));
        EXPECT_EQ(p.itemPanel, (tagWINDOW_RECT { 1555, 0, 1920, 680 }));
        EXPECT_EQ(p.viewer.top, 2 * 4 + 23);
        EXPECT_EQ(p.viewer.bottom, 680 - 4);
        EXPECT_EQ(p.viewer.right, 1555 - 8);
        EXPECT_EQ(p.viewer.left, 1547 - int((676 - 31) / 9.0 * 16.0));
    }
    {
        SCOPED_TRACE("900 high: the frame 365 narrower, the panel the full height");
        const DefaultPlacement p = ComputeDefaultPlacement({ 0, 0, 1600, 900 }, 400, metrics);
        EXPECT_EQ(p.mainFrame, (tagWINDOW_RECT { 0, 500, 1235, 900 }));
        EXPECT_EQ(p.itemPanel, (tagWINDOW_RECT { 1235, 0, 1600, 900 }));
    }
}

TEST(ViewPlacement, FitRectToMonitor)
{
    const std::vector<QRect> monitors { QRect(0, 0, 1920, 1080) };
    const tagWINDOW_RECT work { 0, 0, 1920, 1040 };
    const struct {
        const char* name;
        tagWINDOW_RECT rect;
        tagWINDOW_RECT fitted;
    } cases[] = {
        { "touching a monitor: unchanged", { 1800, 900, 2200, 1200 }, { 1800, 900, 2200, 1200 } },
        { "right of every monitor", { 2000, 100, 2400, 400 }, { 1520, 100, 1920, 400 } },
        { "below", { 100, 1200, 500, 1500 }, { 100, 740, 500, 1040 } },
        { "above and left", { -900, -700, -500, -400 }, { 0, 0, 400, 300 } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FitRectToMonitor(c.rect, monitors, work), c.fitted);
    }
    EXPECT_EQ(FitRectToMonitor({ 3000, 0, 3100, 10 }, {}, {}), (tagWINDOW_RECT { 3000, 0, 3100, 10 }));
}

TEST(ViewPlacement, ItemPanelBesideTheFrameOrWhereItWasSaved)
{
    const tagWINDOW_RECT frame { 0, 600, 1400, 1000 };
    EXPECT_EQ(PlaceItemPanel({}, frame, QSize(365, 700), 1920), (tagWINDOW_RECT { 1400, 300, 1765, 1000 }));
    EXPECT_EQ(PlaceItemPanel({}, { 0, 100, 1700, 500 }, QSize(365, 700), 1920),
        (tagWINDOW_RECT { 1555, 0, 1920, 700 }))
        << "kept on the screen, and not above its top";
    const tagWINDOW_RECT saved { 10, 20, 300, 400 };
    EXPECT_EQ(PlaceItemPanel(saved, frame, QSize(365, 700), 1920), saved);
}

TEST(ViewPlacement, ViewerOutputFromTheSavedRectangleOrAboveTheView)
{
    const FrameMetrics metrics;
    EXPECT_EQ(ViewerOutputRect({ 100, 50, 740, 410 }, QRect(0, 700, 1500, 300), 0, metrics),
        QRect(100, 50, 640, 360));
    // "ViewerWndPos" holding an empty rectangle: from the windows' places.
    EXPECT_EQ(
        ViewerOutputRect({}, QRect(0, 700, 1500, 300), 0, metrics), QRect(-4, 0, 1508, 700 - 23 - 20 - 4));
    EXPECT_EQ(ViewerOutputRect({}, QRect(0, 20, 1500, 300), 0, metrics).size(), kFallbackViewerSize)
        << "no room above the view";
}

TEST(ViewLayout, ChildrenOfTheClientArea)
{
    const ViewLayout layout = ComputeViewLayout(1200, 400);
    EXPECT_EQ(layout.timeLine, QRect(0, 0, 950, 384));
    EXPECT_EQ(layout.horzScrollBar, QRect(80, 384, 870, 16));
    EXPECT_EQ(layout.vertScrollBar, QRect(950, 20, 16, 364));
    EXPECT_EQ(layout.nowTimeLabel, QRect(966, 26, 75, 24));
    EXPECT_EQ(layout.projectTimeEdit, QRect(1051, 82, 145, 24));
    EXPECT_EQ(layout.topButton, QRect(984, 121, 35, 34));
    EXPECT_EQ(layout.loopButton, QRect(1149, 121, 35, 34));
    EXPECT_EQ(layout.loopLabel, QRect(1139, 155, 55, 20));
    EXPECT_EQ(layout.startPauseButton, QRect(984, 185, 202, 42));
    EXPECT_TRUE(layout.zoomOutShown && layout.zoomSliderShown && layout.zoomInShown);

    const ViewLayout narrow = ComputeViewLayout(240, 100);
    EXPECT_EQ(narrow.timeLine.width(), 0);
    EXPECT_FALSE(narrow.zoomOutShown || narrow.zoomSliderShown || narrow.zoomInShown);
}

TEST(ViewerKeys, EveryCodeWithItsModifiers)
{
    using A = ViewerKeyAction;
    const auto letter = [](char c) { return PmLetterKey(c); };
    const struct {
        int32_t code;
        bool ctrl;
        bool shift;
        A action;
    } cases[] = {
        { letter('A'), true, false, A::AddFace },
        { letter('A'), false, false, A::None },
        { letter('C'), true, false, A::CopyItems },
        { letter('E'), true, false, A::ToggleEffectDisplay },
        { letter('G'), true, false, A::Guide },
        { letter('I'), true, false, A::SetIn },
        { letter('K'), true, false, A::SplitItems },
        { letter('L'), true, false, A::Loop },
        { letter('N'), true, true, A::NewProject },
        { letter('N'), true, false, A::None },
        { letter('O'), true, true, A::OpenProject },
        { letter('O'), true, false, A::SetOut },
        { letter('P'), true, false, A::Screen },
        { letter('S'), true, false, A::Save },
        { letter('T'), true, false, A::Top },
        { letter('V'), true, false, A::PasteItems },
        { letter('Y'), true, false, A::Redo },
        { letter('Z'), true, false, A::Undo },
        { letter('B'), true, false, A::None },
        { kPmKeyLeft, false, false, A::StepBack },
        { kPmKeyLeft, true, false, A::None },
        { kPmKeyRight, false, true, A::StepForward },
        { kPmKeyRight, true, false, A::None },
        { kPmKeyStartPause, false, false, A::StartPause },
        { kPmKeyDelete, false, false, A::DeleteItems },
        { kPmKeyBackspace, false, false, A::DeleteItems },
        { kPmKeyScreenOff, false, false, A::ScreenOff },
        { 0, true, false, A::None },
        { 27, true, false, A::None },
        { 34, false, false, A::None },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.code << " ctrl " << c.ctrl << " shift " << c.shift);
        EXPECT_EQ(DecideViewerKey(c.code, c.ctrl, c.shift), c.action);
    }
    EXPECT_EQ(ViewerKeyStep(200, false), 20);
    EXPECT_EQ(ViewerKeyStep(200, true), 200);
    EXPECT_EQ(ViewerKeyStep(5, false), 0);
}
