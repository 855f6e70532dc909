#include "platform/x11_windows.h"

#include "tests/fixtures/x_test_client.h"

#include <QtGlobal>
#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <xcb/xproto.h>

// These tests need an X server of their own: ctest runs them in a virtual display and sets
// KALEIDRA_TEST_X11; elsewhere they are skipped.

namespace {

bool X11TestsEnabled()
{
    return qEnvironmentVariableIsSet("KALEIDRA_TEST_X11") && platform::IsX11Session();
}

// Process ids no real process of the test has.
constexpr uint32_t kViewerPid = 3999001;

} // namespace

TEST(X11Windows, FindsTheShownTopLevelWindowOfTheProcessTopmostFirst)
{
    if (!X11TestsEnabled())
        GTEST_SKIP() << "no X display of the test's own";
    CXTestClient client;
    ASSERT_TRUE(client.IsConnected());
    EXPECT_EQ(platform::FindTopLevelWindowOfProcess(kViewerPid), 0u);
    client.MakeWindow(kViewerPid, false);
    EXPECT_EQ(platform::FindTopLevelWindowOfProcess(kViewerPid), 0u) << "an unmapped window is not shown";
    client.MakeWindow(kViewerPid, true);
    const xcb_window_t upper = client.MakeWindow(kViewerPid, true);
    client.MakeWindow(kViewerPid, true, upper); // an owned window on top is skipped
    client.MakeWindow(kViewerPid + 1, true); // another process's window on top
    EXPECT_EQ(platform::FindTopLevelWindowOfProcess(kViewerPid), upper);
    EXPECT_EQ(platform::FindTopLevelWindowOfProcess(0), 0u);
}

TEST(X11Windows, RaiseBringsTheWindowToTheTop)
{
    if (!X11TestsEnabled())
        GTEST_SKIP() << "no X display of the test's own";
    CXTestClient client;
    const xcb_window_t viewer = client.MakeWindow(kViewerPid + 2, true);
    const xcb_window_t other = client.MakeWindow(kViewerPid + 3, true);
    ASSERT_EQ(client.Stacking().back(), other);
    EXPECT_TRUE(platform::RaiseWindow(viewer));
    client.Sync();
    EXPECT_EQ(client.Stacking().back(), viewer);
    EXPECT_EQ(platform::FindTopLevelWindowOfProcess(kViewerPid + 2), viewer);
}

TEST(X11Windows, MinimiseAndRestoreAskTheWindowManager)
{
    if (!X11TestsEnabled())
        GTEST_SKIP() << "no X display of the test's own";
    CXTestClient manager;
    if (!manager.BecomeWindowManager())
        GTEST_SKIP() << "another window manager runs";
    CXTestClient client;
    const xcb_window_t viewer = client.MakeWindow(kViewerPid + 4, false);

    ASSERT_TRUE(platform::MinimizeWindow(viewer));
    EXPECT_TRUE(manager.WaitForClientMessage(viewer, "WM_CHANGE_STATE", 3)) << "IconicState";
    ASSERT_TRUE(platform::RestoreWindow(viewer));
    EXPECT_TRUE(manager.WaitForMapRequest(viewer));
    EXPECT_TRUE(manager.WaitForClientMessage(viewer, "_NET_ACTIVE_WINDOW", 2));
}

TEST(WindowStacking, CountsTheVisibleUnownedWindowsAboveTheProcesssFirstOne)
{
    using platform::StackedWindow;
    constexpr pid_t kViewer = 77;
    constexpr pid_t kOther = 12;
    const StackedWindow shown { 1, true, false, kOther };
    const StackedWindow hidden { 2, false, false, kOther };
    const StackedWindow owned { 3, true, true, kOther };
    const StackedWindow unknown { 4, true, false, 0 }; // records no process: still covers
    const StackedWindow viewer { 10, true, false, kViewer };
    const StackedWindow viewerLower { 11, true, false, kViewer };
    const StackedWindow viewerHidden { 12, false, false, kViewer };
    const StackedWindow viewerOwned { 13, true, true, kViewer };
    const struct {
        const char* name;
        std::vector<StackedWindow> topFirst;
        std::optional<std::pair<platform::NativeWindowId, int>> expected;
    } cases[] = {
        { "an empty desktop", {}, std::nullopt },
        { "no window of the viewer", { shown, unknown }, std::nullopt },
        { "the viewer on top", { viewer, shown, shown }, std::pair { 10u, 0 } },
        { "three above", { shown, unknown, shown, viewer }, std::pair { 10u, 3 } },
        { "hidden and owned ones do not count", { hidden, owned, shown, hidden, owned, viewer },
            std::pair { 10u, 1 } },
        { "the first shown unowned window of the viewer stops the walk",
            { shown, viewerHidden, viewerOwned, shown, viewer, shown, viewerLower }, std::pair { 10u, 2 } },
        { "only hidden or owned windows of the viewer", { shown, viewerHidden, viewerOwned }, std::nullopt },
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        const std::optional<platform::WindowsAbove> above
            = platform::CountWindowsAboveProcess(test.topFirst, kViewer);
        ASSERT_EQ(above.has_value(), test.expected.has_value());
        if (above) {
            EXPECT_EQ(above->window, test.expected->first);
            EXPECT_EQ(above->count, test.expected->second);
        }
    }
    EXPECT_FALSE(platform::CountWindowsAboveProcess({ viewer }, 0)) << "no process";
}

TEST(X11Windows, ListsTheRealStackingOrderWithOrWithoutTheManagersList)
{
    if (!X11TestsEnabled())
        GTEST_SKIP() << "no X display of the test's own";
    constexpr uint32_t kShowPid = kViewerPid + 10;
    CXTestClient client;
    ASSERT_TRUE(client.IsConnected());
    const xcb_window_t viewer = client.MakeWindow(kShowPid, true);
    const xcb_window_t hidden = client.MakeWindow(kShowPid + 1, false);
    client.MakeWindow(kShowPid + 1, true);
    client.MakeWindow(kShowPid + 1, true, viewer); // owned: does not cover
    const xcb_window_t top = client.MakeWindow(kShowPid + 2, true);
    client.Sync();

    // No window manager: the root's children are the windows themselves.
    std::vector<platform::StackedWindow> stacked = platform::StackedTopLevelWindows();
    ASSERT_FALSE(stacked.empty());
    EXPECT_EQ(stacked.front().id, top);
    EXPECT_EQ(stacked.front().processId, pid_t(kShowPid + 2));
    const auto hiddenEntry = std::find_if(stacked.begin(), stacked.end(),
        [hidden](const platform::StackedWindow& window) { return window.id == hidden; });
    ASSERT_NE(hiddenEntry, stacked.end());
    EXPECT_FALSE(hiddenEntry->visible);
    std::optional<platform::WindowsAbove> above = platform::CountWindowsAboveProcess(stacked, kShowPid);
    ASSERT_TRUE(above);
    EXPECT_EQ(above->window, viewer);
    EXPECT_EQ(above->count, 2);

    // A manager's list is taken as it stands (bottom first), here with the viewer on top.
    const std::vector<uint32_t> managed { top, viewer };
    const xcb_atom_t list = client.Atom("_NET_CLIENT_LIST_STACKING");
    xcb_change_property(client.connection(), XCB_PROP_MODE_REPLACE, client.Root(), list, XCB_ATOM_WINDOW, 32,
        uint32_t(managed.size()), managed.data());
    client.Sync();
    stacked = platform::StackedTopLevelWindows();
    xcb_delete_property(client.connection(), client.Root(), list);
    client.Sync();
    ASSERT_EQ(stacked.size(), 2u);
    EXPECT_EQ(stacked[0].id, viewer);
    EXPECT_EQ(stacked[1].id, top);
    above = platform::CountWindowsAboveProcess(stacked, kShowPid);
    ASSERT_TRUE(above);
    EXPECT_EQ(above->count, 0);
}

TEST(X11Windows, NothingHappensForNoWindow)
{
    EXPECT_FALSE(platform::MinimizeWindow(0));
    EXPECT_FALSE(platform::RestoreWindow(0));
    EXPECT_FALSE(platform::RaiseWindow(0));
}
