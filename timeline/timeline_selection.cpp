#include "core/constant_tables.h"
#include "timeline/timeline_messages.h"
#include "timeline/timeline_model.h"

#include <algorithm>

using namespace timeline;

// ---- Hit tests --------------------------------------------------------------------------------

TlFaceRowHit CTimeLineModel::HitTestFaceRow(int x, int y) const
{
    const int row = m_viewport.RowAt(x, y);
    if (row < 0)
        return {};
    const int64_t index = int64_t(m_viewport.firstRow) + row;
    if (index < 0 || index >= FaceCount())
        return {};
    const tagTL_FACE_DATA& face = m_faces[size_t(index)];
    const tagTL_FACE_RECT& rect = m_viewport.rowRects[size_t(row)];
    TlFaceRowHit hit;
    hit.channel = face.Channel;
    hit.faceNo = face.No;
    hit.subNo = face.SubNo;
    hit.time = rect.rcTrack.Contains(x, y) ? XToTime(x - rect.rcTrack.left)
                                           : int32_t(std::min<int64_t>(m_viewport.LeftEdgeTime(), INT32_MAX));
    return hit;
}

TlItemHit CTimeLineModel::HitTestItem(int x, int y) const
{
    if (x <= m_viewport.client.left + kHeaderWidth)
        return {};
    const TlFaceRowHit row = HitTestFaceRow(x, y);
    if (row.faceNo < 0 || row.time < 0)
        return {};
    const tagTL_FACE_DATA* face = FindFace(m_faces, row.channel, row.faceNo, row.subNo);
    if (!face)
        return {};
    const int64_t t = row.time;
    // Half a column in time units: five pixels.
    const int64_t margin = m_viewport.unitsPerColumn / 2;
    const auto result = [](const tagTL_FACE_ITEM_DATA& item, int part) {
        return TlItemHit { 1, item.FaceNo, item.Start, ItemEnd(item), part };
    };
    for (const tagTL_FACE_ITEM_DATA& item : face->Items) {
        const int64_t end = ItemEnd(item);
        const int64_t edge = item.PlayTime <= 2 * margin ? item.PlayTime / 3 : margin;
        if (item.Start <= t && t <= item.Start + edge)
            return result(item, TL_PART_LEFT_EDGE);
        if (end - edge <= t && t <= end)
            return result(item, TL_PART_RIGHT_EDGE);
        if (item.Start <= t && t <= end)
            return result(item, TL_PART_BODY);
    }
    // Outside every item: the zone just before an item counts before the zone just after one.
    for (const tagTL_FACE_ITEM_DATA& item : face->Items) {
        if (item.Start - margin <= t && t < item.Start)
            return result(item, TL_PART_BEFORE);
    }
    for (const tagTL_FACE_ITEM_DATA& item : face->Items) {
        const int64_t end = ItemEnd(item);
        if (end < t && t <= end + margin)
            return result(item, TL_PART_AFTER);
    }
    return {};
}

TlEffectHit CTimeLineModel::HitTestEffectHandle(int32_t faceNo, int32_t start, int x, int y) const
{
    const int row = m_viewport.RowAt(x, y);
    if (row < 0)
        return {};
    const TlRect& rect = m_viewport.rowRects[size_t(row)].rcRow;
    // The effect bands leave the row's top and bottom ten pixels free.
    if (y < rect.top + 10 || y >= rect.bottom - 10)
        return {};
    const int64_t t = m_viewport.XToTime(int64_t(x) - m_viewport.client.left - kHeaderWidth);
    const int64_t handle = 5 * m_viewport.UnitsPerPixel();
    tagTL_FACE_ITEM_DATA item;
    if (!GetItemRecord(faceNo, start, item))
        return {};
    if (item.InPattern >= 1 && item.InStartTime <= t && t < item.InEndTime)
        return { TL_EFFECT_ENTRY, t >= item.InEndTime - handle ? 1 : 0 };
    if (item.OutPattern > 0 && item.OutStartTime < t && t <= item.OutEndTime)
        return { TL_EFFECT_EXIT, t <= item.OutStartTime + handle ? 1 : 0 };
    return {};
}

void CTimeLineModel::UpdateFilterIconHover(int32_t faceNo, int32_t start, int x, int y)
{
    m_hover.filterIcon = TlRect();
    const int row = m_viewport.RowAt(x, y);
    tagTL_FACE_ITEM_DATA item;
    if (row < 0 || !GetItemRecord(faceNo, start, item) || item.FilterNo <= 0)
        return;
    const QImage& icon = m_appearance.Image(CTimeLineAppearance::kSlotFilterIcon);
    const int64_t left
        = (int64_t(item.Start) - m_viewport.LeftEdgeTime()) / m_viewport.UnitsPerPixel() + kHeaderWidth;
    if (left < INT32_MIN / 2 || left > INT32_MAX / 2)
        return;
    const int top = m_viewport.rowRects[size_t(row)].rcRow.top;
    const TlRect iconRect { int(left), top, int(left) + icon.width(), top + icon.height() };
    if (iconRect.Contains(x, y))
        m_hover.filterIcon = iconRect;
}

// ---- Lookups ----------------------------------------------------------------------------------

bool CTimeLineModel::GetItemRecord(int32_t faceNo, int32_t start, tagTL_FACE_ITEM_DATA& item) const
{
    const tagTL_FACE_DATA* face = FindFaceByNo(m_faces, faceNo);
    const tagTL_FACE_ITEM_DATA* found = face ? FindItem(*face, start) : nullptr;
    item = found ? *found : tagTL_FACE_ITEM_DATA();
    return found != nullptr;
}

bool CTimeLineModel::FindNextItem(int32_t faceNo, int32_t time, tagTL_FACE_ITEM_DATA& item) const
{
    const tagTL_FACE_DATA* face = FindFaceByNo(m_faces, faceNo);
    const tagTL_FACE_ITEM_DATA* best = nullptr;
    if (face) {
        for (const tagTL_FACE_ITEM_DATA& candidate : face->Items) {
            if (candidate.Start > time && (!best || candidate.Start < best->Start))
                best = &candidate;
        }
    }
    item = best ? *best : tagTL_FACE_ITEM_DATA();
    return best != nullptr;
}

bool CTimeLineModel::FindPreviousItem(int32_t faceNo, int32_t time, tagTL_FACE_ITEM_DATA& item) const
{
    const tagTL_FACE_DATA* face = FindFaceByNo(m_faces, faceNo);
    const tagTL_FACE_ITEM_DATA* best = nullptr;
    if (face) {
        for (const tagTL_FACE_ITEM_DATA& candidate : face->Items) {
            if (candidate.Start < time && (!best || candidate.Start > best->Start))
                best = &candidate;
        }
    }
    item = best ? *best : tagTL_FACE_ITEM_DATA();
    return best != nullptr;
}

bool CTimeLineModel::IsFaceLocked(int32_t faceNo) const
{
    const tagTL_FACE_DATA* face = FindFaceByNo(m_faces, faceNo);
    return face && face->Lock == 1;
}

bool CTimeLineModel::IsSelectionLocked() const
{
    return std::any_of(m_selection.Items().begin(), m_selection.Items().end(),
        [this](const tagTL_FACE_ITEM_DATA& item) { return IsFaceLocked(item.FaceNo); });
}

int CTimeLineModel::CursorForHover() const
{
    if (m_hover.effect.area != TL_EFFECT_NONE && m_hover.effect.handle)
        return TL_CURSOR_EFFECT_EDGE;
    if (!m_hover.valid) {
        if (m_mouseState == TL_MOUSE_ITEM_COPY)
            return TL_CURSOR_COPY;
        if (m_mouseState == TL_MOUSE_ITEM_LINK)
            return TL_CURSOR_LINK;
        return TL_CURSOR_DEFAULT;
    }
    if (m_hover.part == TL_PART_LEFT_EDGE || m_hover.part == TL_PART_AFTER)
        return TL_CURSOR_TRIM_LEFT;
    if (m_hover.part == TL_PART_RIGHT_EDGE || m_hover.part == TL_PART_BEFORE)
        return TL_CURSOR_TRIM_RIGHT;
    return TL_CURSOR_DEFAULT;
}

int32_t CTimeLineModel::GetMediaKindFromFile(const QString& path)
{
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < 0 || dot + 1 >= path.size())
        return 0;
    const QString extension = path.mid(dot + 1);
    const struct {
        std::span<const char16_t* const> list;
        int32_t kind;
    } kinds[] = {
        { ExtensionsUntilEnd(PictureExtensions), tagTL_FACE_ITEM_DATA::MODE_IMAGE },
        { ExtensionsUntilEnd(MovieExtensions), tagTL_FACE_ITEM_DATA::MODE_MOVIE },
        { ExtensionsUntilEnd(SoundExtensions), tagTL_FACE_ITEM_DATA::MODE_SOUND },
    };
    for (const auto& kind : kinds) {
        for (const char16_t* name : kind.list) {
            if (extension.compare(QString::fromUtf16(name), Qt::CaseInsensitive) == 0)
                return kind.kind;
        }
    }
    return 0;
}

// ---- Selection --------------------------------------------------------------------------------

void CTimeLineModel::ClearSelection()
{
    m_selection.Clear();
    m_currentItem = TlItemRef();
}

void CTimeLineModel::AddToSelection(const tagTL_FACE_ITEM_DATA& item)
{
    m_selection.Add(item);
}

void CTimeLineModel::RemoveFromSelection(int32_t faceNo, int32_t start)
{
    m_selection.Remove(faceNo, start);
}

bool CTimeLineModel::IsItemSelected(int32_t faceNo, int32_t start) const
{
    return m_selection.Contains(faceNo, start);
}

bool CTimeLineModel::IsFaceSelected(int32_t faceNo) const
{
    return std::any_of(m_selection.Items().begin(), m_selection.Items().end(),
        [&](const tagTL_FACE_ITEM_DATA& item) { return item.FaceNo == faceNo; });
}

void CTimeLineModel::LinkedItems(const tagTL_FACE_ITEM_DATA& item,
    std::vector<tagTL_FACE_ITEM_DATA>& linked,
    const CLinkIndex* links) const
{
    // The group that shows one content at one time: a source and every LINK that mirrors it.
    int32_t sourceFace = 0;
    if (item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK) {
        sourceFace = item.LinkFaceNo;
        tagTL_FACE_ITEM_DATA source;
        if (sourceFace > 0 && GetItemRecord(sourceFace, item.Start, source))
            linked.push_back(source);
    } else if (IsMediaMode(item.Mode)) {
        sourceFace = item.FaceNo;
    }
    if (sourceFace < 1)
        return;
    if (links) {
        for (const tagTL_FACE_ITEM_DATA* other : links->LinksTo(sourceFace, item.Start)) {
            if (!(other->FaceNo == item.FaceNo && other->Start == item.Start))
                linked.push_back(*other);
        }
        return;
    }
    for (const tagTL_FACE_DATA& face : m_faces) {
        for (const tagTL_FACE_ITEM_DATA& other : face.Items) {
            if (other.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK && other.LinkFaceNo == sourceFace
                && other.Start == item.Start && !(other.FaceNo == item.FaceNo && other.Start == item.Start))
                linked.push_back(other);
        }
    }
}

void CTimeLineModel::SelectLinkedItems(const tagTL_FACE_ITEM_DATA& item)
{
    std::vector<tagTL_FACE_ITEM_DATA> linked;
    LinkedItems(item, linked);
    for (const tagTL_FACE_ITEM_DATA& other : linked)
        AddToSelection(other);
}

void CTimeLineModel::SelectWithLinkedItems(const std::vector<tagTL_FACE_ITEM_DATA>& items)
{
    // One index of the LINK items for all of them: the items are not scanned once per item.
    const CLinkIndex links(m_faces);
    std::vector<tagTL_FACE_ITEM_DATA> linked;
    for (const tagTL_FACE_ITEM_DATA& item : items) {
        linked.clear();
        LinkedItems(item, linked, &links);
        for (const tagTL_FACE_ITEM_DATA& other : linked)
            AddToSelection(other);
        AddToSelection(item);
    }
}

void CTimeLineModel::DeselectLinkedItems(const tagTL_FACE_ITEM_DATA& item)
{
    std::vector<tagTL_FACE_ITEM_DATA> linked;
    LinkedItems(item, linked);
    for (const tagTL_FACE_ITEM_DATA& other : linked)
        RemoveFromSelection(other.FaceNo, other.Start);
}

void CTimeLineModel::SelectItemAtTime(int32_t faceNo, int32_t time)
{
    if (faceNo < 1) {
        ClearSelection();
        m_panel->ClearItem();
        RepaintControl();
        return;
    }
    const tagTL_FACE_DATA* face = FindFaceByNo(m_faces, faceNo);
    if (!face)
        return;
    const int32_t lock = face->Lock;
    const auto found = std::find_if(face->Items.begin(), face->Items.end(),
        [&](const tagTL_FACE_ITEM_DATA& item) { return item.Start <= time && time < ItemEnd(item); });
    ClearSelection();
    if (found != face->Items.end()) {
        const tagTL_FACE_ITEM_DATA item = *found;
        SelectLinkedItems(item);
        AddToSelection(item);
        SyncPanelFaceList();
        m_panel->SetItem(item);
        m_panel->SetLock(lock == 1 ? 1 : 0);
    } else {
        m_panel->ClearItem();
    }
    RepaintControl();
}

void CTimeLineModel::SelectItem(int32_t faceNo, int32_t start)
{
    tagTL_FACE_ITEM_DATA item;
    if (!GetItemRecord(faceNo, start, item))
        return;
    SelectLinkedItems(item);
    AddToSelection(item);
}

void CTimeLineModel::SyncPanelFaceList()
{
    m_panel->SetFaceList(*this);
}
