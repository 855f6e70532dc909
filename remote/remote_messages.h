#pragma once

// Message numbers, timer ids and command ids of KaleidraRemote. The server reaches the window
// through RemoteServerOwner and the widgets through typed calls; the numbers stay here so that
// logs and tests can name the notifications as the program always did.

inline constexpr unsigned WM_REMOTE_RECEIVE = 0x5F5; // a frame of an editor, or an editor left
inline constexpr unsigned WM_REMOTE_ACCEPT = 0x5F6; // an editor connected

// The window's two 10 ms timers: the play clock and the pending slider seek.
inline constexpr int kPlayClockTimerId = 1;
inline constexpr int kSeekTimerId = 2;
inline constexpr int kRemoteTimerIntervalMs = 10;

// Menu commands.
inline constexpr int ID_APP_EXIT = 57665;
inline constexpr int ID_VIEW_CONNECTLIST = 32772;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_EDIT_CUT = 57635;
inline constexpr int ID_EDIT_COPY = 57634;
inline constexpr int ID_EDIT_PASTE = 57637;

// Controls of the remote window.
enum RemoteControlId : int {
    IDC_IPADDRESS = 2000,
    IDC_TOP_LABEL = 2001,
    IDC_GUIDE_LABEL = 2002,
    IDC_LOOP_LABEL = 2003,
    IDC_SCREEN_LABEL = 2004,
    IDC_START_PAUSE = 2020,
    IDC_TOP = 2021,
    IDC_GUIDE = 2022,
    IDC_LOOP = 2023,
    IDC_SCREEN = 2024,
    IDC_NOWTIME_LABEL = 2040,
    IDC_PLAYTIME_LABEL = 2041,
    IDC_PROJECTTIME_LABEL = 2042,
    IDC_NOWTIME = 2050,
    IDC_PLAYTIME = 2051,
    IDC_PROJECTTIME = 2052,
    IDC_SEEK_SLIDER = 2060,
    IDC_STATUS = 2061,
};
