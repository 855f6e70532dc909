#pragma once

#include "project/window_positions.h"

#include <QRect>
#include <vector>

// The window frame's measures the placement works with (sizing border, caption and menu bar
// heights), as the desktop's decorations would have them.
struct FrameMetrics {
    int sizingFrameWidth = 4;
    int sizingFrameHeight = 4;
    int captionHeight = 23;
    int menuHeight = 20;
};

// The first placement of the editor's windows when no saved one is used: the main frame along
// the bottom of the work area, the item panel (365 wide) at its right, and the viewer's 16:9
// output area left of the panel above the frame.
struct DefaultPlacement {
    tagWINDOW_RECT mainFrame;
    tagWINDOW_RECT itemPanel;
    tagWINDOW_RECT viewer;
};
inline constexpr int kItemPanelWidth = 365;
inline constexpr int kTallWorkAreaHeight = 1000;
DefaultPlacement ComputeDefaultPlacement(
    const tagWINDOW_RECT& workArea, int frameHeight, const FrameMetrics& metrics);

// A rectangle that lies wholly outside every monitor is moved, keeping its size, onto the edge
// of the work area it lies beyond; one that touches a monitor stays. Nothing changes when
// neither monitors nor a work area are known.
tagWINDOW_RECT FitRectToMonitor(
    const tagWINDOW_RECT& rect, const std::vector<QRect>& monitors, const tagWINDOW_RECT& workArea);

// The item panel's place: the saved rectangle when there is one, else right of the frame with
// its bottom on the frame's bottom, kept within the primary screen's width.
tagWINDOW_RECT PlaceItemPanel(
    const tagWINDOW_RECT& saved, const tagWINDOW_RECT& frame, QSize panelSize, int screenWidth);

// The viewer's output rectangle (x, y, width, height): the saved one when it is not empty, else
// the area above the view, as wide as the view and its frame, from the item panel's top. Where
// that area is empty, a window of kFallbackViewerSize at its corner.
inline constexpr QSize kFallbackViewerSize { 640, 360 };
QRect ViewerOutputRect(
    const tagWINDOW_RECT& saved, const QRect& viewOnScreen, int itemPanelTop, const FrameMetrics& metrics);
