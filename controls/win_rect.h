#pragma once

#include <QPoint>
#include <QRect>

namespace controls {

// A rectangle as the controls compute it: right and bottom lie just outside it.
struct WinRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(QPoint point) const
    {
        return point.x() >= left && point.x() < right && point.y() >= top && point.y() < bottom;
    }
    QRect ToQRect() const { return QRect(left, top, Width(), Height()); }
    static WinRect FromQRect(const QRect& rect)
    {
        return { rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height() };
    }
    bool operator==(const WinRect&) const = default;
};

} // namespace controls
