#include "timeline/timeline_geometry.h"

#include <algorithm>

namespace timeline {

namespace {
constexpr std::array<int, kZoomModeCount> kUnitsPerColumn = { 1000, 500, 200, 100, 50, 20, 10 };
}

int ValidZoomMode(int zoomMode)
{
    return zoomMode >= 0 && zoomMode < kZoomModeCount ? zoomMode : kDefaultZoomMode;
}

int UnitsPerColumnOfZoom(int zoomMode)
{
    return kUnitsPerColumn[size_t(ValidZoomMode(zoomMode))];
}

tagTL_FACE_RECT FaceRowRect(const TlRect& client, int row)
{
    const int top = client.top + kRulerHeight + kRowHeight * row;
    const int bottom = top + kRowHeight;
    const int left = client.left;
    tagTL_FACE_RECT rect;
    rect.rcRow = { left, top, client.right, bottom };
    rect.rcHeader = { left, top, left + kHeaderWidth, bottom };
    rect.rcTrack = { left + kHeaderWidth, top, client.right, bottom };
    rect.rcColorBar = { left, top, left + 5, bottom };
    rect.rcNumber = { left, top, left + 38, bottom };
    rect.rcButton1 = { left + 38, top + 12, left + 54, top + 28 };
    rect.rcButton2 = { left + 59, top + 12, left + 75, top + 28 };
    return rect;
}

} // namespace timeline

using namespace timeline;

void CTimeLineViewport::Layout(const TlRect& clientRect)
{
    client = clientRect;
    visibleRows = (client.bottom - client.top - kRulerHeight) / kRowHeight;
    visibleColumns = (client.right - client.left - kHeaderWidth) / kColumnWidth;
    rowRects.clear();
    // A client too small for one row still gets the rectangle of the partly visible row.
    const int rows = std::max(visibleRows, 0) + 1;
    for (int row = 0; row < rows; ++row)
        rowRects.push_back(FaceRowRect(client, row));
    const TlRect& track = rowRects.front().rcTrack;
    autoScrollZones = {
        TlRect { track.left, track.top, track.left + 20, client.bottom },
        TlRect { client.right - 20, track.top, client.right, client.bottom },
        TlRect { track.left, track.top, client.right, track.top + 20 },
        TlRect { track.left, client.bottom - 20, client.right, client.bottom },
    };
}

void CTimeLineViewport::SetZoomMode(int mode)
{
    zoomMode = ValidZoomMode(mode);
    unitsPerColumn = UnitsPerColumnOfZoom(zoomMode);
}

int64_t CTimeLineViewport::TimeToX(int64_t time) const
{
    return (time - LeftEdgeTime()) / UnitsPerPixel() + client.left + kHeaderWidth;
}

int64_t CTimeLineViewport::XToTime(int64_t trackX) const
{
    return LeftEdgeTime() + trackX * UnitsPerPixel();
}

int64_t CTimeLineViewport::ContentX(int64_t time) const
{
    const int left = rowRects.empty() ? client.left + kHeaderWidth : rowRects.front().rcTrack.left;
    return time / UnitsPerPixel() + left;
}

int64_t CTimeLineViewport::HorzScrollMax(int64_t projectLength) const
{
    return projectLength / unitsPerColumn - visibleColumns + kSpareColumns;
}

int64_t CTimeLineViewport::VertScrollMax(int64_t faceCount) const
{
    return faceCount - visibleRows;
}

int CTimeLineViewport::RowAt(int x, int y) const
{
    for (size_t row = 0; row < rowRects.size(); ++row) {
        if (rowRects[row].rcRow.Contains(x, y))
            return int(row);
    }
    return -1;
}

namespace {
int Clamped(int64_t value)
{
    return int(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}
} // namespace

TlRect CTimeLineViewport::PlayMarkerRect(int64_t time) const
{
    if (rowRects.empty())
        return {};
    const int x = Clamped(ContentX(time));
    const int top = rowRects.front().rcTrack.top;
    return { x - 12, top - 15, x + 12, top };
}

TlRect CTimeLineViewport::InMarkerRect(int64_t time) const
{
    if (rowRects.empty())
        return {};
    const int x = Clamped(ContentX(time));
    const int top = rowRects.front().rcTrack.top;
    return { x, top - 12, x + 18, top };
}

TlRect CTimeLineViewport::OutMarkerRect(int64_t time) const
{
    if (rowRects.empty())
        return {};
    const int x = Clamped(ContentX(time));
    const int top = rowRects.front().rcTrack.top;
    return { x - 18, top - 12, x, top };
}

int64_t CTimeLineViewport::ColumnShowing(int64_t playPosition, int64_t projectLength) const
{
    const int64_t playColumn = playPosition / unitsPerColumn;
    if (firstColumn <= playColumn && playColumn <= int64_t(firstColumn) + visibleColumns)
        return firstColumn;
    const int64_t projectColumns = projectLength / unitsPerColumn;
    if (projectColumns <= visibleColumns)
        return 0;
    int64_t column = std::max<int64_t>(playColumn - visibleColumns / 2, 0);
    if (column + visibleColumns > projectColumns + kSpareColumns)
        column = projectColumns - visibleColumns + kSpareColumns;
    return column;
}
