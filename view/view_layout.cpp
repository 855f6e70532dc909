#include "view/view_layout.h"

#include <algorithm>

ViewLayout ComputeViewLayout(int width, int height)
{
    ViewLayout layout;
    // The strip below the timeline, 16 high, holds the horizontal scroll bar and the zoom controls.
    constexpr int kStripHeight = 16;
    const int w = std::max(width - 250, 0);
    const int h = std::max(height - kStripHeight, 0);
    layout.timeLine = QRect(0, 0, w, h);
    layout.horzScrollBar = QRect(80, h, std::max(w - 80, 0), kStripHeight);
    layout.vertScrollBar = QRect(w, 20, 16, std::max(h - 20, 0));

    const int x0 = w + 16;
    layout.controlStrip = QRect(x0, 1, std::max(width - 2 - x0, 0), 20);
    const int labelWidth = w + 91 - x0;
    const int editX = w + 101;
    layout.nowTimeLabel = QRect(x0, 26, labelWidth, 24);
    layout.playTimeLabel = QRect(x0, 54, labelWidth, 24);
    layout.projectTimeLabel = QRect(x0, 82, labelWidth, 24);
    layout.nowTimeEdit = QRect(editX, 26, 145, 24);
    layout.playTimeEdit = QRect(editX, 54, 145, 24);
    layout.projectTimeEdit = QRect(editX, 82, 145, 24);

    const int buttonTop = layout.projectTimeEdit.y() + layout.projectTimeEdit.height() + 15;
    layout.topButton = QRect(x0 + 18, buttonTop, 35, 34);
    layout.screenButton = QRect(x0 + 73, buttonTop, 35, 34);
    layout.guideButton = QRect(x0 + 128, buttonTop, 35, 34);
    layout.loopButton = QRect(x0 + 183, buttonTop, 35, 34);
    const int labelTop = buttonTop + 34;
    layout.topLabel = QRect(x0 + 8, labelTop, 55, 20);
    layout.screenLabel = QRect(x0 + 8 + 55, labelTop, 55, 20);
    layout.guideLabel = QRect(x0 + 8 + 110, labelTop, 55, 20);
    layout.loopLabel = QRect(x0 + 8 + 165, labelTop, 55, 20);
    layout.startPauseButton = QRect(x0 + 18, labelTop + 20 + 10, 202, 42);

    layout.zoomOutButton = QRect(0, h, 15, 15);
    // As high as the strip: a taller slider would be cut off by the window's bottom edge.
    layout.zoomSlider = QRect(15, h, 50, kStripHeight);
    layout.zoomInButton = QRect(65, h, 15, 15);
    layout.zoomOutShown = w > layout.zoomOutButton.x();
    layout.zoomSliderShown = w > layout.zoomSlider.x();
    layout.zoomInShown = w > layout.zoomInButton.x();
    return layout;
}
