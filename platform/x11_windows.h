#pragma once

#include <cstdint>
#include <optional>
#include <sys/types.h>
#include <vector>

namespace platform {

// Top-level windows of other processes on the X11 desktop (the viewer's output window): found
// by the process id the toolkit records on them (_NET_WM_PID) and minimised, restored and
// raised through the window manager's conventions (ICCCM, EWMH). Where no X display can be
// reached (a Wayland or headless session) every call does nothing: nothing is found and
// nothing changes. Main thread only.
using NativeWindowId = uint32_t;

// Whether an X display is reachable.
bool IsX11Session();

// The first window, from the top of the stacking order down, that belongs to the process, is
// a top-level window without an owner (no WM_TRANSIENT_FOR) and is shown or minimised. 0 when
// there is none.
NativeWindowId FindTopLevelWindowOfProcess(pid_t processId);

// A top-level window as the stacking order shows it.
struct StackedWindow {
    NativeWindowId id = 0;
    bool visible = false; // mapped and viewable (a minimised window is not)
    bool owned = false; // has an owner (WM_TRANSIENT_FOR)
    pid_t processId = 0; // _NET_WM_PID, 0 where the window does not record it
};

// The top-level windows from the top of the stacking order down: the window manager's
// _NET_CLIENT_LIST_STACKING where it keeps one, else the root's children (which are the client
// windows themselves when no manager runs). Empty when no display is reachable.
std::vector<StackedWindow> StackedTopLevelWindows();

// The first visible window without an owner of a process, and how many visible windows without
// an owner lie above it.
struct WindowsAbove {
    NativeWindowId window = 0;
    int count = 0;
};
// Walks the list from the top, counting the visible windows without an owner, and stops at the
// first such window of the process. Nothing when the process has no visible window without an
// owner.
std::optional<WindowsAbove> CountWindowsAboveProcess(
    const std::vector<StackedWindow>& topFirst, pid_t processId);

// Asks the window manager to minimise the window (WM_CHANGE_STATE to IconicState).
bool MinimizeWindow(NativeWindowId window);
// Brings a minimised window back: maps it and asks the window manager to activate it.
bool RestoreWindow(NativeWindowId window);
// Raises the window to the top and asks the window manager to activate it.
bool RaiseWindow(NativeWindowId window);

} // namespace platform
