#include "timeline/timeline_model.h"

#include "project/quicktime_media.h"

#include <algorithm>

using namespace timeline;

namespace {

// The built-in texts of the four messages the view may replace.
const std::array<QString, 4> kBuiltInMessageTexts = {
    QStringLiteral("FACEにITEMが存在します。ITEMから削除してください。"),
    QStringLiteral("FACE%dを削除します。よろしいですか？"),
    QStringLiteral("ITEMを削除します。よろしいですか？"),
    QStringLiteral("選択中の%d個のITEMを削除します。よろしいですか？"),
};

} // namespace

CTimeLineModel::CTimeLineModel() = default;

CTimeLineModel::~CTimeLineModel() = default;

void CTimeLineModel::SetItemPanel(CTimeLineItemPanel* panel)
{
    m_panel = panel ? panel : &m_nullPanel;
}

void CTimeLineModel::SetScrollBars(CTimeLineScrollBar* horizontal, CTimeLineScrollBar* vertical)
{
    m_horzBar = horizontal;
    m_vertBar = vertical;
}

void CTimeLineModel::SetSkin(const ViewSettingRecord& record)
{
    m_appearance.SetSkin(record);
    RepaintControl();
}

void CTimeLineModel::LoadImages(const QString& folder)
{
    m_appearance.LoadImages(folder);
    RepaintControl();
}

QString CTimeLineModel::MessageText(int slot) const
{
    if (slot < 0 || slot >= int(m_messageTexts.size()))
        return QString();
    const QString& text = m_messageTexts[size_t(slot)];
    return text.isEmpty() ? kBuiltInMessageTexts[size_t(slot)] : text;
}

// ---- Notifications ----------------------------------------------------------------------------

void CTimeLineModel::NotifyChangeGroup(int begin)
{
    if (m_owner)
        m_owner->OnTlChangeGroup(begin);
}

void CTimeLineModel::NotifyWaitBegin()
{
    if (m_owner)
        m_owner->OnTlWaitBegin();
}

void CTimeLineModel::NotifyWaitEnd()
{
    if (m_owner)
        m_owner->OnTlWaitEnd();
}

void CTimeLineModel::NotifyItemChanged(const tagTL_FACE_ITEM_DATA& before, const tagTL_FACE_ITEM_DATA& after)
{
    if (m_owner)
        m_owner->OnTlItemChanged(ItemRecordPair { before, after });
}

// ---- Project life -----------------------------------------------------------------------------

void CTimeLineModel::ResetTimeLine(bool clearClipboard)
{
    m_faces.clear();
    ++m_faceListGeneration;
    m_viewport.firstColumn = 0;
    m_viewport.firstRow = 0;
    ClearSelection();
    m_currentFace = -1;
    m_clickedTime = -1;
    m_hover = TlHoverState();
    m_faceDropRow = -1;
    if (clearClipboard)
        m_itemClipboard.clear();
    m_projectLength = 0;
    m_playPosition = 0;
    m_inPosition = 0;
    m_outPosition = 0;
    for (CTimeLineScrollBar* bar : { m_horzBar, m_vertBar }) {
        if (bar) {
            bar->SetScrollRange(0);
            bar->SetScrollPos(0);
        }
    }
    m_panel->ClearItem();
}

void CTimeLineModel::UpdateVertScrollRange()
{
    if (m_vertBar)
        m_vertBar->SetScrollRange(int(std::max<int64_t>(m_viewport.VertScrollMax(FaceCount()), 0)));
}

void CTimeLineModel::UpdateScrollBarPos(CTimeLineScrollBar* bar, int position)
{
    if (bar)
        bar->SetScrollPos(position);
}
