#pragma once

#include <cstdint>

// Message numbers, window templates and timer ids of the item panel, its pages, the page
// holder, the IN/OUT bar and the camera dialog. The windows tell each other of changes through
// typed interfaces (page_owner.h, setting_dlg_owner.h, in_out_slider.h), one method per
// message; the numbers stay here so that owners, logs and test fakes can name each
// notification as the program always has.
namespace itempanel {

constexpr unsigned WM_USER = 0x0400;

// ---- The panel to its owner, the main view --------------------------------------------------
constexpr unsigned UM_ITEM_CHANGED = WM_USER + 10; // 0x40A: an item edited, or a LINK brought in step
constexpr unsigned UM_REDRAW_PREVIEW = WM_USER + 11; // 0x40B: an item's thumbnail was rewritten
constexpr unsigned UM_ITEMS_CHANGED = WM_USER + 12; // 0x40C: one item of an apply run (start moved)
constexpr unsigned UM_SHOW_ITEM = WM_USER + 13; // 0x40D: select this item on the timeline
constexpr unsigned UM_UNDO = WM_USER + 20; // 0x414
constexpr unsigned UM_REDO = WM_USER + 30; // 0x41E
constexpr unsigned UM_EDIT_BATCH = WM_USER + 40; // 0x428: 1 opens, 0 closes one undo step

// ---- The pages to the panel -----------------------------------------------------------------
constexpr unsigned UM_PROPERTY_CHANGED = WM_USER + 100; // 0x464
constexpr unsigned UM_PREVIEW_CHANGED = WM_USER + 101; // 0x465
constexpr unsigned UM_APPLY_TO_ITEMS = WM_USER + 102; // 0x466
constexpr unsigned UM_LINK_FACE_CHANGED = WM_USER + 103; // 0x467
constexpr unsigned UM_RESET_EFFECT_PAGE = WM_USER + 104; // 0x468
constexpr unsigned UM_RESET_FILTER_PAGE = WM_USER + 105; // 0x469
constexpr unsigned UM_UNDO_KEY = WM_USER + 110; // 0x46E
constexpr unsigned UM_REDO_KEY = WM_USER + 111; // 0x46F
constexpr unsigned UM_EFFECT_CHANGED = WM_USER + 600; // 0x658
constexpr unsigned UM_FILTER_CHANGED = WM_USER + 700; // 0x6BC

// ---- The IN/OUT bar to the properties page ------------------------------------------------
constexpr unsigned UM_INOUT_SLIDER_POS = WM_USER + 200; // 0x4C8: wParam the slider's position

// ---- The page holder --------------------------------------------------------------------------
constexpr unsigned UM_PAGE_SCROLL_NOTIFY = 0x590; // its own scroll bar's notification
constexpr unsigned UM_PAGE_ENSURE_VISIBLE = 0x591; // a rectangle to bring into view
constexpr unsigned UM_PAGE_SCROLL_UP = 0x592; // scroll by -10
constexpr unsigned UM_PAGE_SCROLL_DOWN = 0x593; // scroll by +10

// ---- Window templates -------------------------------------------------------------------------
constexpr int IDD_SETTING_DLG = 311;
constexpr int IDD_PAGE_DLG = 312;
constexpr int IDD_PROPETY_DLG = 313;
constexpr int IDD_CAMERA_DLG = 330;
constexpr int IDD_EFFECT_DLG = 332;
constexpr int IDD_FILTER_DLG = 334;

// ---- Timers -----------------------------------------------------------------------------------
// The properties page's movie replay clock.
constexpr int REPLAY_TIMER_ID = 2;
constexpr int REPLAY_TIMER_INTERVAL_MS = 10;

// ---- Limits -----------------------------------------------------------------------------------
// Times typed into the panel lie within 0 .. one hour (hundredths of a second).
constexpr int32_t kMaxTypedTime = 360000;

} // namespace itempanel
