#include "platform/x11_windows.h"

#include "tests/fixtures/x_test_client.h"

#include <QtGlobal>
#include <gtest/gtest.h>

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

TEST(X11Windows, NothingHappensForNoWindow)
{
    EXPECT_FALSE(platform::MinimizeWindow(0));
    EXPECT_FALSE(platform::RestoreWindow(0));
    EXPECT_FALSE(platform::RaiseWindow(0));
}
