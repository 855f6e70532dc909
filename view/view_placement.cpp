#include "view/view_placement.h"

DefaultPlacement ComputeDefaultPlacement(
    const tagWINDOW_RECT& workArea, int frameHeight, const FrameMetrics& metrics)
{
    const bool tall = workArea.bottom - workArea.top >= kTallWorkAreaHeight;
    DefaultPlacement placement;
    placement.mainFrame = { workArea.left, workArea.bottom - frameHeight,
        tall ? workArea.right : workArea.right - kItemPanelWidth, workArea.bottom };
    placement.itemPanel = { workArea.right - kItemPanelWidth, workArea.top, workArea.right,
        tall ? workArea.bottom - frameHeight : workArea.bottom };
    tagWINDOW_RECT& viewer = placement.viewer;
    viewer.top = 2 * metrics.sizingFrameHeight + metrics.captionHeight;
    viewer.bottom = placement.mainFrame.top - metrics.sizingFrameHeight;
    viewer.right = placement.itemPanel.left - 2 * metrics.sizingFrameWidth;
    viewer.left = viewer.right - int((viewer.bottom - viewer.top) / 9.0 * 16.0);
    return placement;
}

namespace {

bool Touches(const tagWINDOW_RECT& rect, const QRect& monitor)
{
    return rect.left < monitor.x() + monitor.width() && rect.right > monitor.x()
        && rect.top < monitor.y() + monitor.height() && rect.bottom > monitor.y();
}

} // namespace

tagWINDOW_RECT FitRectToMonitor(
    const tagWINDOW_RECT& rect, const std::vector<QRect>& monitors, const tagWINDOW_RECT& workArea)
{
    for (const QRect& monitor : monitors)
        if (Touches(rect, monitor))
            return rect;
    if (workArea.IsEmpty())
        return rect;
    const tagWINDOW_RECT& m = workArea;
    tagWINDOW_RECT fitted = rect;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (fitted.top >= m.bottom) {
        fitted.bottom = m.bottom;
        fitted.top = m.bottom - height;
    } else if (fitted.bottom <= m.top) {
        fitted.top = m.top;
        fitted.bottom = m.top + height;
    }
    if (fitted.left >= m.right) {
        fitted.right = m.right;
        fitted.left = m.right - width;
    } else if (fitted.right <= m.left) {
        fitted.left = m.left;
        fitted.right = m.left + width;
    }
    return fitted;
}

tagWINDOW_RECT PlaceItemPanel(
    const tagWINDOW_RECT& saved, const tagWINDOW_RECT& frame, QSize panelSize, int screenWidth)
{
    if (!saved.IsEmpty())
        return saved;
    const int width = panelSize.width();
    const int height = panelSize.height();
    tagWINDOW_RECT panel;
    panel.top = frame.bottom - height;
    panel.bottom = frame.bottom;
    if (panel.top < 0) {
        panel.top = 0;
        panel.bottom = height;
    }
    panel.left = frame.right;
    panel.right = frame.right + width;
    if (frame.right + width > screenWidth) {
        panel.left = screenWidth - width;
        panel.right = screenWidth;
    }
    return panel;
}

QRect ViewerOutputRect(
    const tagWINDOW_RECT& saved, const QRect& viewOnScreen, int itemPanelTop, const FrameMetrics& metrics)
{
    if (!saved.IsEmpty())
        return saved.ToQRect();
    const int x = viewOnScreen.x() - metrics.sizingFrameWidth;
    const int y = itemPanelTop;
    const int width = viewOnScreen.width() + 2 * metrics.sizingFrameWidth;
    const int height
        = (viewOnScreen.y() - metrics.captionHeight - metrics.menuHeight - metrics.sizingFrameHeight) - y;
    // A view too high on the screen leaves no room above it: the viewer still gets a window.
    if (width <= 0 || height <= 0)
        return QRect(x, y, kFallbackViewerSize.width(), kFallbackViewerSize.height());
    return QRect(x, y, width, height);
}
