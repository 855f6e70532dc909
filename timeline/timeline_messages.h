#pragma once

#include <cstdint>

// Message numbers, states, timer and cursor ids of the timeline control. The timeline tells its
// owner of changes through the typed interface of timeline_owner.h, one method per message; the
// numbers stay here so that owners, logs and test fakes can name each notification as the
// program always has.
namespace timeline {

constexpr unsigned WM_USER = 0x0400;

// Notifications to the owner (the main view).
constexpr unsigned WM_TL_FACE_ADDED = WM_USER + 2000; // 0xBD0
constexpr unsigned WM_TL_FACE_DELETED = WM_USER + 2001; // 0xBD1
constexpr unsigned WM_TL_ITEM_ADDED = WM_USER + 2002; // 0xBD2
constexpr unsigned WM_TL_ITEM_DELETED = WM_USER + 2003; // 0xBD3
constexpr unsigned WM_TL_ITEM_MOVED = WM_USER + 2004; // 0xBD4
constexpr unsigned WM_TL_ITEM_COPIED = WM_USER + 2005; // 0xBD5
constexpr unsigned WM_TL_FACE_CHANGED = WM_USER + 2006; // 0xBD6
constexpr unsigned WM_TL_ITEM_CHANGED = WM_USER + 2007; // 0xBD7
constexpr unsigned WM_TL_SELECT_FACE = WM_USER + 2008; // 0xBD8
constexpr unsigned WM_TL_PLAYPOS_SET = WM_USER + 2009; // 0xBD9
constexpr unsigned WM_TL_PLAYPOS_DRAG = WM_USER + 2010; // 0xBDA
constexpr unsigned WM_TL_IN_MOVED = WM_USER + 2011; // 0xBDB
constexpr unsigned WM_TL_OUT_MOVED = WM_USER + 2012; // 0xBDC
constexpr unsigned WM_TL_FACE_MOVED = WM_USER + 2013; // 0xBDD
constexpr unsigned WM_TL_FACE_COPIED = WM_USER + 2014; // 0xBDE
constexpr unsigned WM_TL_FACE_INSERTED = WM_USER + 2015; // 0xBDF
constexpr unsigned WM_TL_FACES_REFRESH = WM_USER + 2016; // 0xBE0
// WM_USER + 2017 is not used.
constexpr unsigned WM_TL_VIEWER_SYNC = WM_USER + 2018; // 0xBE2
constexpr unsigned WM_TL_WAIT_BEGIN = WM_USER + 2019; // 0xBE3
constexpr unsigned WM_TL_WAIT_END = WM_USER + 2020; // 0xBE4
constexpr unsigned WM_TL_CHANGE_GROUP = WM_USER + 2100; // 0xC34

// The control's window id and the ids of the two scroll bars the view gives it.
constexpr int TIMELINE_CONTROL_ID = 1000;
constexpr int TIMELINE_HSCROLL_ID = 1001;
constexpr int TIMELINE_VSCROLL_ID = 1002;

// Mouse states of the control (0 = idle).
enum MouseState : int {
    TL_MOUSE_NONE = 0,
    TL_MOUSE_ITEM_DOWN = 1,
    TL_MOUSE_ITEM_MOVE = 2,
    TL_MOUSE_PLAYPOS_DOWN = 3,
    TL_MOUSE_PLAYPOS_DRAG = 4,
    TL_MOUSE_IN_DOWN = 5,
    TL_MOUSE_IN_DRAG = 6,
    TL_MOUSE_OUT_DOWN = 7,
    TL_MOUSE_OUT_DRAG = 8,
    TL_MOUSE_LEFT_DOWN = 9,
    TL_MOUSE_LEFT_DRAG = 10,
    TL_MOUSE_RIGHT_DOWN = 11,
    TL_MOUSE_RIGHT_DRAG = 12,
    TL_MOUSE_RANGE_DOWN = 13,
    TL_MOUSE_RANGE_DRAG = 14,
    TL_MOUSE_ITEM_COPY = 15,
    TL_MOUSE_FACE_HOLD = 16,
    TL_MOUSE_FACE_MOVE = 17,
    TL_MOUSE_ITEM_LINK = 18,
    TL_MOUSE_FACE_COPY = 19,
    TL_MOUSE_EFFECT_DOWN = 20,
    TL_MOUSE_EFFECT_DRAG = 21,
};

// Part codes of an item hit test.
enum ItemPart : int {
    TL_PART_NONE = 0,
    TL_PART_BODY = 1,
    TL_PART_LEFT_EDGE = 2,
    TL_PART_RIGHT_EDGE = 3,
    TL_PART_BEFORE = 4,
    TL_PART_AFTER = 5,
};

// Effect areas of an effect hit test.
enum EffectArea : int { TL_EFFECT_NONE = 0, TL_EFFECT_ENTRY = 1, TL_EFFECT_EXIT = 2 };

// Cursor resources the control shows (0 = the window's default cursor).
enum CursorId : int {
    TL_CURSOR_DEFAULT = 0,
    TL_CURSOR_COPY = 320,
    TL_CURSOR_TRIM_LEFT = 321,
    TL_CURSOR_TRIM_RIGHT = 322,
    TL_CURSOR_LINK = 328,
    TL_CURSOR_EFFECT_EDGE = 335,
};

// Timers of the control.
constexpr int TL_TIMER_SCROLL_LEFT = 100;
constexpr int TL_TIMER_SCROLL_RIGHT = 101;
constexpr int TL_TIMER_SCROLL_UP = 102;
constexpr int TL_TIMER_SCROLL_DOWN = 103;
constexpr int TL_TIMER_FACE_HOLD = 105;
constexpr int TL_TIMER_VIEWER_SYNC = 106;

} // namespace timeline
