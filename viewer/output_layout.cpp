#include "viewer/output_layout.h"

#include <algorithm>
#include <cmath>

namespace {

QSize AspectOf(ResolutionMode mode)
{
    switch (mode) {
    case ResolutionMode::Wide16x9:
        return { 16, 9 };
    case ResolutionMode::Standard4x3:
        return { 4, 3 };
    case ResolutionMode::Portrait9x16:
        return { 9, 16 };
    case ResolutionMode::Portrait3x4:
        return { 3, 4 };
    case ResolutionMode::Free:
        break;
    }
    return {};
}

} // namespace

ResolutionMode ResolutionModeOf(int value)
{
    return value >= 1 && value <= 4 ? ResolutionMode(value) : ResolutionMode::Free;
}

QSize CanvasSize(QSize display, ResolutionMode mode)
{
    if (display.width() <= 0 || display.height() <= 0)
        return { 0, 0 };
    const QSize aspect = AspectOf(mode);
    if (aspect.isEmpty())
        return display;
    // The largest whole-pixel area of the aspect that fits.
    const int64_t byWidth = int64_t(display.width()) * aspect.height() / aspect.width();
    if (byWidth <= display.height())
        return { display.width(), int(std::max<int64_t>(byWidth, 1)) };
    const int64_t byHeight = int64_t(display.height()) * aspect.width() / aspect.height();
    return { int(std::max<int64_t>(byHeight, 1)), display.height() };
}

QRectF CanvasViewport(QSize canvas, QSize window)
{
    if (canvas.isEmpty() || window.isEmpty())
        return {};
    const double scale
        = std::min(double(window.width()) / canvas.width(), double(window.height()) / canvas.height());
    const QSizeF shown(canvas.width() * scale, canvas.height() * scale);
    return { QPointF((window.width() - shown.width()) / 2, (window.height() - shown.height()) / 2), shown };
}

QPointF WindowToCanvas(QPointF point, QSize canvas, QSize window)
{
    const QRectF viewport = CanvasViewport(canvas, window);
    if (viewport.isEmpty())
        return {};
    const double scale = viewport.width() / canvas.width();
    return (point - viewport.topLeft()) / scale;
}

QPointF CanvasToWindow(QPointF point, QSize canvas, QSize window)
{
    const QRectF viewport = CanvasViewport(canvas, window);
    if (viewport.isEmpty())
        return {};
    const double scale = viewport.width() / canvas.width();
    return viewport.topLeft() + point * scale;
}
