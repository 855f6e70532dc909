#pragma once

#include <cstdint>

// Message numbers and timer ids of the control library. The controls call typed owner
// interfaces instead of sending window messages; the numbers stay here so that owners and test
// fakes can tell the notifications apart and log them by the names the programs always used.
namespace controls {

constexpr unsigned WM_USER = 0x0400;
constexpr unsigned WM_HSCROLL = 0x0114;

// A button's click notification to its parent.
constexpr unsigned BN_CLICKED = 0;

// Sent by a scroll bar to its parent when it has neither a target window nor a target message.
constexpr unsigned UM_SCROLLBAR_NOTIFY = WM_USER + 1000;

// Sent by the picture view while a selection is dragged, and when the drag ends.
constexpr unsigned UM_IMAGE_SELECTION_DRAG = WM_USER + 1100;
constexpr unsigned UM_IMAGE_SELECTION_END = WM_USER + 1101;

// The control id of the picture view, passed with its notifications.
constexpr int GDI_IMAGE_CONTROL_ID = 1224;

// The scroll bar's repeat timer: a held arrow or track repeats every 60 ms after 500 ms.
constexpr int SCROLLBAR_REPEAT_TIMER_ID = 101;
constexpr int SCROLLBAR_REPEAT_INTERVAL_MS = 60;
constexpr int SCROLLBAR_REPEAT_DELAY_MS = 500;

// Actions of a scroll bar notification.
enum ScrollAction : int32_t {
    SCROLL_LINE_BACK = 0,
    SCROLL_LINE_FORWARD = 1,
    SCROLL_PAGE_BACK = 2,
    SCROLL_PAGE_FORWARD = 3,
    SCROLL_THUMB_END = 4,
    SCROLL_THUMB_TRACK = 5,
};

// Notification codes of a slider's WM_HSCROLL.
enum TrackBarCode : int {
    TB_LINEUP = 0,
    TB_LINEDOWN = 1,
    TB_PAGEUP = 2,
    TB_PAGEDOWN = 3,
    TB_THUMBPOSITION = 4,
    TB_THUMBTRACK = 5,
    TB_TOP = 6,
    TB_BOTTOM = 7,
    TB_ENDTRACK = 8,
};

// Edit styles the masked edit looks at.
constexpr uint32_t ES_MULTILINE = 0x4;
constexpr uint32_t ES_UPPERCASE = 0x8;
constexpr uint32_t ES_LOWERCASE = 0x10;

} // namespace controls
