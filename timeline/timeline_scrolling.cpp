#include "timeline/timeline_model.h"

#include <algorithm>

using namespace timeline;

namespace {
int ToInt(int64_t value)
{
    return int(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}
} // namespace

void CTimeLineModel::SyncScrollBars()
{
    if (m_vertBar) {
        const int maximum = ToInt(std::max<int64_t>(m_viewport.VertScrollMax(FaceCount()), 0));
        m_vertBar->SetScrollRange(maximum);
        // The bar clamps its own position; the first row shown follows the new range too.
        if (m_viewport.firstRow > maximum)
            SetVertScrollPos(maximum);
    }
    if (m_horzBar) {
        // Only the bar is clamped: the view brings the playhead into view after a zoom.
        const int maximum = GetHorzScrollMax();
        m_horzBar->SetScrollRange(maximum);
        if (m_horzBar->GetScrollPos() > maximum)
            m_horzBar->SetScrollPos(maximum);
    }
}

void CTimeLineModel::RecalcLayout(const TlRect& client)
{
    m_viewport.Layout(client);
    SyncScrollBars();
}

int32_t CTimeLineModel::XToTime(int trackX) const
{
    return int32_t(std::clamp<int64_t>(m_viewport.XToTime(trackX), INT32_MIN, INT32_MAX));
}

int CTimeLineModel::ScrollHorz(int columns)
{
    const int64_t maximum = m_viewport.HorzScrollMax(m_projectLength);
    const int64_t requested = int64_t(m_viewport.firstColumn) + columns;
    const int inRange = requested >= 0 && requested <= maximum - 1 ? 1 : 0;
    m_viewport.firstColumn = ToInt(std::max<int64_t>(std::min(requested, maximum), 0));
    UpdateScrollBarPos(m_horzBar, m_viewport.firstColumn);
    RepaintControl();
    return inRange;
}

int CTimeLineModel::ScrollVert(int rows)
{
    const int64_t maximum = m_viewport.VertScrollMax(FaceCount());
    const int64_t requested = int64_t(m_viewport.firstRow) + rows;
    const int inRange = requested >= 0 && requested <= maximum - 1 ? 1 : 0;
    m_viewport.firstRow = ToInt(std::max<int64_t>(std::min(requested, maximum), 0));
    UpdateScrollBarPos(m_vertBar, m_viewport.firstRow);
    RepaintControl();
    return inRange;
}

void CTimeLineModel::SetHorzScrollPos(int column)
{
    m_viewport.firstColumn
        = ToInt(std::max<int64_t>(std::min<int64_t>(column, m_viewport.HorzScrollMax(m_projectLength)), 0));
    UpdateScrollBarPos(m_horzBar, m_viewport.firstColumn);
    RepaintControl();
}

void CTimeLineModel::SetVertScrollPos(int row)
{
    m_viewport.firstRow
        = ToInt(std::max<int64_t>(std::min<int64_t>(row, m_viewport.VertScrollMax(FaceCount())), 0));
    UpdateScrollBarPos(m_vertBar, m_viewport.firstRow);
    RepaintControl();
}

int CTimeLineModel::GetHorzScrollMax() const
{
    return ToInt(std::max<int64_t>(m_viewport.HorzScrollMax(m_projectLength), 0));
}

void CTimeLineModel::EnsurePlayPositionVisible()
{
    const int64_t column = m_viewport.ColumnShowing(m_playPosition, m_projectLength);
    if (column == m_viewport.firstColumn)
        return;
    m_viewport.firstColumn = ToInt(column);
    UpdateScrollBarPos(m_horzBar, m_viewport.firstColumn);
    RepaintControl();
}

void CTimeLineModel::SetPlayPosition(int32_t time)
{
    const int32_t old = m_playPosition;
    m_playPosition = time;
    if (old != time)
        PlayPositionChanged(old);
}

void CTimeLineModel::SetPlayPositionFollow(int32_t time)
{
    const int64_t units = m_viewport.unitsPerColumn;
    if (time < m_viewport.LeftEdgeTime())
        SetHorzScrollPos(ToInt(time / units));
    else if (time > (int64_t(m_viewport.visibleColumns) / 2 + m_viewport.firstColumn) * units)
        ScrollHorz(m_viewport.zoomMode == 6 ? 2 : 1);
    SetPlayPosition(time);
}

void CTimeLineModel::SetInOutPosition(int32_t inTime, int32_t outTime)
{
    const int32_t oldIn = m_inPosition;
    const int32_t oldOut = m_outPosition;
    m_inPosition = inTime;
    m_outPosition = outTime;
    if (oldIn != inTime || oldOut != outTime)
        InOutPositionChanged(oldIn, oldOut);
}

void CTimeLineModel::SetZoomMode(int mode)
{
    m_viewport.SetZoomMode(mode);
    SyncScrollBars();
    RepaintControl();
}
