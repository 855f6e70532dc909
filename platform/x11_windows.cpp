#include "platform/x11_windows.h"

#include <QByteArray>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>
#include <xcb/xcb.h>

namespace platform {

namespace {

// ICCCM window states.
constexpr uint32_t kIconicState = 3;
// EWMH: the request comes from a pager or task bar, which window managers honour at once.
constexpr uint32_t kSourcePager = 2;

template <typename T> using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T> XcbReply<T> Wrap(T* reply)
{
    return XcbReply<T>(reply, &std::free);
}

// One connection for the process, opened on first use; none when no display is reachable.
class CX11Connection {
public:
    static CX11Connection& Instance()
    {
        static CX11Connection connection;
        return connection;
    }

    xcb_connection_t* Get() const { return m_connection; }
    xcb_window_t Root() const { return m_root; }

    xcb_atom_t Atom(const char* name) const
    {
        if (!m_connection)
            return XCB_ATOM_NONE;
        auto reply = Wrap(xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, 0, uint16_t(std::strlen(name)), name), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

private:
    CX11Connection()
    {
        if (qgetenv("DISPLAY").isEmpty())
            return;
        int screenNumber = 0;
        xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
        if (!connection || xcb_connection_has_error(connection)) {
            if (connection)
                xcb_disconnect(connection);
            return;
        }
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
        for (int i = 0; i < screenNumber && screens.rem; ++i)
            xcb_screen_next(&screens);
        if (!screens.rem) {
            xcb_disconnect(connection);
            return;
        }
        m_connection = connection;
        m_root = screens.data->root;
    }
    ~CX11Connection()
    {
        if (m_connection)
            xcb_disconnect(m_connection);
    }

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = XCB_WINDOW_NONE;
};

std::vector<uint32_t> CardinalList(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property)
{
    std::vector<uint32_t> values;
    if (property == XCB_ATOM_NONE)
        return values;
    auto reply = Wrap(xcb_get_property_reply(connection,
        xcb_get_property(connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096), nullptr));
    if (!reply || reply->format != 32)
        return values;
    const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    values.assign(data, data + count);
    return values;
}

bool HasProperty(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property)
{
    if (property == XCB_ATOM_NONE)
        return false;
    auto reply = Wrap(xcb_get_property_reply(connection,
        xcb_get_property(connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1), nullptr));
    return reply && reply->type != XCB_ATOM_NONE;
}

// Shown, or minimised by a window manager (which unmaps it and marks it iconic).
bool IsShownOrMinimised(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t wmState)
{
    auto attributes = Wrap(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr));
    if (!attributes || attributes->override_redirect)
        return false;
    if (attributes->map_state == XCB_MAP_STATE_VIEWABLE)
        return true;
    const std::vector<uint32_t> state = CardinalList(connection, window, wmState);
    return !state.empty() && state.front() == kIconicState;
}

// Top-level windows from the top of the stacking order down: the window manager's list where
// there is one, else the root's children (the client windows themselves without a manager).
std::vector<xcb_window_t> TopLevelWindowsTopFirst(const CX11Connection& x11)
{
    xcb_connection_t* connection = x11.Get();
    std::vector<xcb_window_t> windows;
    const std::vector<uint32_t> managed
        = CardinalList(connection, x11.Root(), x11.Atom("_NET_CLIENT_LIST_STACKING"));
    if (!managed.empty()) {
        windows.assign(managed.rbegin(), managed.rend());
        return windows;
    }
    auto tree = Wrap(xcb_query_tree_reply(connection, xcb_query_tree(connection, x11.Root()), nullptr));
    if (!tree)
        return windows;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    for (int i = count - 1; i >= 0; --i)
        windows.push_back(children[i]);
    return windows;
}

bool SendToRoot(
    const CX11Connection& x11, xcb_window_t window, xcb_atom_t type, std::initializer_list<uint32_t> data)
{
    if (type == XCB_ATOM_NONE)
        return false;
    xcb_client_message_event_t event;
    std::memset(&event, 0, sizeof event);
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    int index = 0;
    for (uint32_t value : data)
        event.data.data32[index++] = value;
    const xcb_void_cookie_t cookie = xcb_send_event_checked(x11.Get(), 0, x11.Root(),
        XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
        reinterpret_cast<const char*>(&event));
    auto error = Wrap(xcb_request_check(x11.Get(), cookie));
    return !error;
}

bool Activate(const CX11Connection& x11, xcb_window_t window)
{
    return SendToRoot(x11, window, x11.Atom("_NET_ACTIVE_WINDOW"), { kSourcePager, XCB_CURRENT_TIME, 0 });
}

bool Usable(NativeWindowId window)
{
    return window != 0 && CX11Connection::Instance().Get();
}

} // namespace

bool IsX11Session()
{
    return CX11Connection::Instance().Get() != nullptr;
}

NativeWindowId FindTopLevelWindowOfProcess(pid_t processId)
{
    const CX11Connection& x11 = CX11Connection::Instance();
    xcb_connection_t* connection = x11.Get();
    if (!connection || processId <= 0)
        return 0;
    const xcb_atom_t pidAtom = x11.Atom("_NET_WM_PID");
    const xcb_atom_t wmState = x11.Atom("WM_STATE");
    if (pidAtom == XCB_ATOM_NONE)
        return 0;
    for (xcb_window_t window : TopLevelWindowsTopFirst(x11)) {
        const std::vector<uint32_t> pid = CardinalList(connection, window, pidAtom);
        if (pid.empty() || pid.front() != uint32_t(processId))
            continue;
        if (HasProperty(connection, window, XCB_ATOM_WM_TRANSIENT_FOR))
            continue;
        if (IsShownOrMinimised(connection, window, wmState))
            return window;
    }
    return 0;
}

std::vector<StackedWindow> StackedTopLevelWindows()
{
    std::vector<StackedWindow> stacked;
    const CX11Connection& x11 = CX11Connection::Instance();
    xcb_connection_t* connection = x11.Get();
    if (!connection)
        return stacked;
    const xcb_atom_t pidAtom = x11.Atom("_NET_WM_PID");
    for (xcb_window_t window : TopLevelWindowsTopFirst(x11)) {
        StackedWindow entry;
        entry.id = window;
        auto attributes = Wrap(xcb_get_window_attributes_reply(
            connection, xcb_get_window_attributes(connection, window), nullptr));
        // Override-redirect windows (menus, tooltips) are not top-level windows of the desktop.
        if (!attributes || attributes->override_redirect)
            continue;
        entry.visible = attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        entry.owned = HasProperty(connection, window, XCB_ATOM_WM_TRANSIENT_FOR);
        const std::vector<uint32_t> pid = CardinalList(connection, window, pidAtom);
        entry.processId = pid.empty() ? 0 : pid_t(pid.front());
        stacked.push_back(entry);
    }
    return stacked;
}

std::optional<WindowsAbove> CountWindowsAboveProcess(
    const std::vector<StackedWindow>& topFirst, pid_t processId)
{
    if (processId <= 0)
        return std::nullopt;
    int above = 0;
    for (const StackedWindow& window : topFirst) {
        if (!window.visible || window.owned)
            continue;
        if (window.processId == processId)
            return WindowsAbove { window.id, above };
        ++above;
    }
    return std::nullopt;
}

bool MinimizeWindow(NativeWindowId window)
{
    if (!Usable(window))
        return false;
    const CX11Connection& x11 = CX11Connection::Instance();
    return SendToRoot(x11, window, x11.Atom("WM_CHANGE_STATE"), { kIconicState });
}

bool RestoreWindow(NativeWindowId window)
{
    if (!Usable(window))
        return false;
    const CX11Connection& x11 = CX11Connection::Instance();
    // Mapping an iconic window is the ICCCM way back to the normal state; the window manager
    // turns it into a map request.
    const xcb_void_cookie_t cookie = xcb_map_window_checked(x11.Get(), window);
    auto error = Wrap(xcb_request_check(x11.Get(), cookie));
    Activate(x11, window);
    xcb_flush(x11.Get());
    return !error;
}

bool RaiseWindow(NativeWindowId window)
{
    if (!Usable(window))
        return false;
    const CX11Connection& x11 = CX11Connection::Instance();
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    const xcb_void_cookie_t cookie
        = xcb_configure_window_checked(x11.Get(), window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    auto error = Wrap(xcb_request_check(x11.Get(), cookie));
    Activate(x11, window);
    xcb_flush(x11.Get());
    return !error;
}

} // namespace platform
