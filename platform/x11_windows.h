#pragma once

#include <cstdint>
#include <sys/types.h>

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

// Asks the window manager to minimise the window (WM_CHANGE_STATE to IconicState).
bool MinimizeWindow(NativeWindowId window);
// Brings a minimised window back: maps it and asks the window manager to activate it.
bool RestoreWindow(NativeWindowId window);
// Raises the window to the top and asks the window manager to activate it.
bool RaiseWindow(NativeWindowId window);

} // namespace platform
