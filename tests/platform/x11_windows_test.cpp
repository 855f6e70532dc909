#include "platform/x11_windows.h"

#include <QtGlobal>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <xcb/xcb.h>

// These tests need an X server of their own: ctest runs them in a virtual display and sets
// KALEIDRA_TEST_X11; elsewhere they are skipped.

namespace {

class CXClient {
public:
    CXClient()
    {
        connection = xcb_connect(nullptr, nullptr);
        screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    }
    ~CXClient() { xcb_disconnect(connection); }

    xcb_atom_t Atom(const char* name)
    {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return atom;
    }

    // A top-level window recorded as belonging to the process.
    xcb_window_t MakeWindow(uint32_t pid, bool map, xcb_window_t transientFor = XCB_WINDOW_NONE)
    {
        const xcb_window_t window = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 10, 10, 100, 80, 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_change_property(
            connection, XCB_PROP_MODE_REPLACE, window, Atom("_NET_WM_PID"), XCB_ATOM_CARDINAL, 32, 1, &pid);
        if (transientFor != XCB_WINDOW_NONE)
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_TRANSIENT_FOR,
                XCB_ATOM_WINDOW, 32, 1, &transientFor);
        if (map)
            xcb_map_window(connection, window);
        Sync();
        return window;
    }

    void Sync()
    {
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }

    // The root's children, bottom first.
    std::vector<xcb_window_t> Stacking()
    {
        xcb_query_tree_reply_t* tree
            = xcb_query_tree_reply(connection, xcb_query_tree(connection, screen->root), nullptr);
        std::vector<xcb_window_t> windows(xcb_query_tree_children(tree),
            xcb_query_tree_children(tree) + xcb_query_tree_children_length(tree));
        std::free(tree);
        return windows;
    }

    xcb_connection_t* connection = nullptr;
    xcb_screen_t* screen = nullptr;
};

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
    CXClient client;
    EXPECT_EQ(platform::FindTopLevelWindowOfProcess(kViewerPid), 0u);
    const xcb_window_t hidden = client.MakeWindow(kViewerPid, false);
    EXPECT_EQ(platform::FindTopLevelWindowOfProcess(kViewerPid), 0u) << "an unmapped window is not shown";
    const xcb_window_t lower = client.MakeWindow(kViewerPid, true);
    const xcb_window_t upper = client.MakeWindow(kViewerPid, true);
    client.MakeWindow(kViewerPid, true, upper); // an owned window on top is skipped
    client.MakeWindow(kViewerPid + 1, true); // another process's window on top
    EXPECT_EQ(platform::FindTopLevelWindowOfProcess(kViewerPid), upper);
    EXPECT_EQ(platform::FindTopLevelWindowOfProcess(0), 0u);
    (void)hidden;
    (void)lower;
}

TEST(X11Windows, RaiseBringsTheWindowToTheTop)
{
    if (!X11TestsEnabled())
        GTEST_SKIP() << "no X display of the test's own";
    CXClient client;
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
    CXClient manager; // plays the window manager: receives what is sent to the root
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_void_cookie_t cookie = xcb_change_window_attributes_checked(
        manager.connection, manager.screen->root, XCB_CW_EVENT_MASK, &mask);
    if (xcb_generic_error_t* error = xcb_request_check(manager.connection, cookie)) {
        std::free(error);
        GTEST_SKIP() << "another window manager runs";
    }
    CXClient client;
    const xcb_window_t viewer = client.MakeWindow(kViewerPid + 4, false);
    manager.Sync();
    // Drain the map request of creation, if any.
    while (xcb_generic_event_t* event = xcb_poll_for_event(manager.connection))
        std::free(event);

    ASSERT_TRUE(platform::MinimizeWindow(viewer));
    ASSERT_TRUE(platform::RestoreWindow(viewer));
    const xcb_atom_t changeState = manager.Atom("WM_CHANGE_STATE");
    const xcb_atom_t activeWindow = manager.Atom("_NET_ACTIVE_WINDOW");
    bool iconify = false;
    bool mapRequest = false;
    bool activate = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!(iconify && mapRequest && activate) && std::chrono::steady_clock::now() < deadline) {
        xcb_generic_event_t* event = xcb_poll_for_event(manager.connection);
        if (!event) {
            manager.Sync();
            continue;
        }
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_CLIENT_MESSAGE) {
            const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
            if (message->window == viewer && message->type == changeState && message->data.data32[0] == 3)
                iconify = true;
            if (message->window == viewer && message->type == activeWindow && message->data.data32[0] == 2)
                activate = true;
        } else if (type == XCB_MAP_REQUEST) {
            mapRequest = reinterpret_cast<xcb_map_request_event_t*>(event)->window == viewer;
        }
        std::free(event);
    }
    EXPECT_TRUE(iconify) << "WM_CHANGE_STATE IconicState";
    EXPECT_TRUE(mapRequest) << "restore maps the window";
    EXPECT_TRUE(activate) << "_NET_ACTIVE_WINDOW";
}

TEST(X11Windows, NothingHappensForNoWindow)
{
    EXPECT_FALSE(platform::MinimizeWindow(0));
    EXPECT_FALSE(platform::RestoreWindow(0));
    EXPECT_FALSE(platform::RaiseWindow(0));
}
