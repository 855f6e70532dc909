#pragma once

#include <array>
#include <cstdint>
#include <vector>

// The timeline's geometry as plain values: the row rectangles, the zoom scale and the mapping
// between times (hundredths of a second) and client pixels. Nothing here needs a window.

// A client rectangle: right and bottom lie just outside it.
struct TlRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const TlRect&) const = default;
};

// The rectangles of one row of the timeline, all empty when constructed.
struct tagTL_FACE_RECT {
    TlRect rcRow; // the whole row
    TlRect rcHeader; // the face header
    TlRect rcTrack; // the row's part of the time axis
    TlRect rcColorBar; // the face colour strip
    TlRect rcNumber; // the face number area
    TlRect rcButton1; // the display button
    TlRect rcButton2; // the lock button
    bool operator==(const tagTL_FACE_RECT&) const = default;
};

namespace timeline {

constexpr int kHeaderWidth = 80; // face header column
constexpr int kRulerHeight = 20; // ruler strip on top
constexpr int kRowHeight = 40;
constexpr int kColumnWidth = 10; // pixels per time column
constexpr int kSpareColumns = 5; // the time axis scrolls this far past the project's end
constexpr int kDefaultZoomMode = 3;
constexpr int kZoomModeCount = 7;

// Time units per 10-pixel column of a zoom mode; any mode outside 0..6 is mode 3.
int UnitsPerColumnOfZoom(int zoomMode);
// The mode itself, or 3 for a mode outside 0..6.
int ValidZoomMode(int zoomMode);

// Row k of a client rectangle.
tagTL_FACE_RECT FaceRowRect(const TlRect& client, int row);

} // namespace timeline

// Scroll position, zoom and layout of the timeline, with the pure mappings between times,
// columns and pixels.
struct CTimeLineViewport {
    TlRect client;
    int zoomMode = timeline::kDefaultZoomMode;
    int unitsPerColumn = 100;
    int firstColumn = 0; // horizontal scroll position, in columns
    int firstRow = 0; // vertical scroll position, in rows
    int visibleColumns = 0;
    int visibleRows = 0;
    // One element per visible row plus one for a partly visible last row.
    std::vector<tagTL_FACE_RECT> rowRects;
    // Auto-scroll zones: left, right, top, bottom of the track; empty without rows.
    std::array<TlRect, 4> autoScrollZones {};

    // Lays the rows out in a client rectangle.
    void Layout(const TlRect& clientRect);
    void SetZoomMode(int mode);

    // Time units per pixel.
    int UnitsPerPixel() const { return unitsPerColumn / timeline::kColumnWidth; }
    // The time at the left edge of the track.
    int64_t LeftEdgeTime() const { return int64_t(firstColumn) * unitsPerColumn; }
    // Client x of a time (integer division toward zero, as drawing and hit tests use it).
    int64_t TimeToX(int64_t time) const;
    // The time at a track x (pixels right of the header).
    int64_t XToTime(int64_t trackX) const;
    // Content x of a time with no scroll applied, relative to the first row's track.
    int64_t ContentX(int64_t time) const;

    // The scroll maxima: may be negative; callers clamp where they need to.
    int64_t HorzScrollMax(int64_t projectLength) const;
    int64_t VertScrollMax(int64_t faceCount) const;

    // The index into rowRects of the first row whose rcRow holds the point, -1 when none.
    int RowAt(int x, int y) const;

    // Marker rectangles in content coordinates (no horizontal scroll): playhead 24 x 15 centred
    // on the time, IN 18 x 12 right of it, OUT 18 x 12 left of it, all above the first row.
    // Empty before the first layout.
    TlRect PlayMarkerRect(int64_t time) const;
    TlRect InMarkerRect(int64_t time) const;
    TlRect OutMarkerRect(int64_t time) const;

    // The first column that shows the playhead: unchanged when it is visible, else centred on
    // it within the project (plus the spare columns).
    int64_t ColumnShowing(int64_t playPosition, int64_t projectLength) const;
};
