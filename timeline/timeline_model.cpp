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

bool IsItemKind(int32_t kind)
{
    return kind == tagTL_FACE_ITEM_DATA::MODE_NONE || IsMediaMode(kind)
        || kind == tagTL_FACE_ITEM_DATA::MODE_SOUND || kind == tagTL_FACE_ITEM_DATA::MODE_LINK;
}

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

// ---- Faces ------------------------------------------------------------------------------------

void CTimeLineModel::SetDefaultCorners(tagTL_FACE_DATA& face, int32_t faceNo)
{
    const int32_t offset = 30 * (((faceNo - 1) % 5 + 5) % 5);
    face.X = { 800 + offset, 1120 + offset, 1120 + offset, 800 + offset };
    face.Y = { 450 + offset, 450 + offset, 630 + offset, 630 + offset };
}

void CTimeLineModel::SetFrameColor(tagTL_FACE_DATA& face, int entry) const
{
    const COLORREF color = m_frameColors[size_t(std::clamp(entry, 1, 10) - 1)];
    face.R = int32_t(color & 0xFF);
    face.G = int32_t((color >> 8) & 0xFF);
    face.B = int32_t((color >> 16) & 0xFF);
}

int CTimeLineModel::AddFace()
{
    int32_t number = 1;
    for (const tagTL_FACE_DATA& face : m_faces) {
        if (face.Channel == 1 && face.No == number)
            ++number;
    }
    tagTL_FACE_DATA face;
    face.Channel = 1;
    face.No = number;
    face.SubNo = 0;
    face.Status = 1;
    face.Lock = 0;
    SetFrameColor(face, (number - 1) % 10 + 1);
    SetDefaultCorners(face, number);
    if (AddFaceRecord(face) == 0)
        return 0;
    if (m_owner)
        m_owner->OnTlFaceAdded(face);
    return number;
}

int CTimeLineModel::AddFaceRecord(tagTL_FACE_DATA face)
{
    if (face.No < 1 || FindFace(m_faces, face.Channel, face.No, face.SubNo))
        return 0;
    for (tagTL_FACE_ITEM_DATA& item : face.Items) {
        item.Channel = face.Channel;
        item.FaceNo = face.No;
        item.SubNo = face.SubNo;
    }
    SortItems(face);
    for (size_t index = 1; index < face.Items.size(); ++index) {
        if (face.Items[index].Start == face.Items[index - 1].Start)
            return 0;
    }
    const int32_t number = face.No;
    InsertFaceSorted(m_faces, std::move(face));
    ++m_faceListGeneration;
    return number;
}

int CTimeLineModel::SetFaceDisplayPosition(const tagTL_FACE_DATA& record)
{
    tagTL_FACE_DATA* face = FindFace(m_faces, record.Channel, record.No);
    if (!face)
        return 1;
    face->Status = record.Status;
    face->Lock = record.Lock;
    face->R = record.R;
    face->G = record.G;
    face->B = record.B;
    face->X = record.X;
    face->Y = record.Y;
    const tagTL_FACE_DATA changed = *face;
    if (m_owner)
        m_owner->OnTlFaceChanged(changed, 1);
    return 1;
}

int CTimeLineModel::DeleteFace(int32_t channel, int32_t faceNo)
{
    const tagTL_FACE_DATA* found = FindFace(m_faces, channel, faceNo);
    if (!found)
        return 0;
    const tagTL_FACE_DATA deleted = *found;

    ClearSelection();
    m_panel->ClearItem();

    const uint64_t generation = m_faceListGeneration;
    for (const tagTL_FACE_ITEM_DATA& item : deleted.Items) {
        DeleteItem(item.Channel, item.FaceNo, item.Start, item.SubNo);
        if (m_faceListGeneration != generation)
            return 0;
    }

    // LINK items that showed the face's items lose their source: they become independent items
    // now, under the numbers the owner still knows, instead of following the renumbering to
    // whatever face takes the number.
    std::vector<tagTL_FACE_ITEM_DATA> orphans;
    for (const tagTL_FACE_DATA& face : m_faces) {
        for (const tagTL_FACE_ITEM_DATA& item : face.Items) {
            if (item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK && item.Channel == channel
                && item.LinkFaceNo == faceNo && face.No != faceNo)
                orphans.push_back(item);
        }
    }
    for (const tagTL_FACE_ITEM_DATA& link : orphans) {
        const tagTL_FACE_ITEM_DATA* source = FindItem(deleted, link.Start);
        DissolveLinkItem(link, source && IsMediaMode(source->Mode) ? source->Mode : 0);
        if (m_faceListGeneration != generation)
            return 0;
    }

    const auto face = std::find_if(m_faces.begin(), m_faces.end(),
        [&](const tagTL_FACE_DATA& f) { return f.Channel == channel && f.No == faceNo; });
    m_faces.erase(face);
    ++m_faceListGeneration;
    const std::vector<int32_t> oldNumbers = RenumberByRow(m_faces);
    RepointLinks(m_faces, oldNumbers, RowNumbers(oldNumbers.size()), -1);
    FollowFaceNumbers(oldNumbers, -1);
    if (m_owner)
        m_owner->OnTlFaceDeleted(deleted);
    UpdateVertScrollRange();
    RepaintControl();
    return 1;
}

int CTimeLineModel::GetFaceData(int32_t, int32_t faceNo, tagTL_FACE_DATA& face) const
{
    const tagTL_FACE_DATA* found = FindFace(m_faces, 1, faceNo);
    if (!found)
        return 0;
    face = *found;
    return 1;
}

bool CTimeLineModel::ToggleFaceLock(int32_t faceNo)
{
    tagTL_FACE_DATA* face = FindFace(m_faces, 1, faceNo);
    if (!face)
        return false;
    face->Lock = face->Lock == 0 ? 1 : 0;
    const tagTL_FACE_DATA changed = *face;
    if (m_owner)
        m_owner->OnTlFaceChanged(changed, 1);
    // The panel's pages follow the lock of the face whose item they show.
    if (IsFaceSelected(faceNo))
        m_panel->SetLock(changed.Lock);
    return true;
}

bool CTimeLineModel::ToggleFaceDisplay(int32_t faceNo)
{
    tagTL_FACE_DATA* face = FindFace(m_faces, 1, faceNo);
    if (!face || face->Lock == 1)
        return false;
    face->Status = face->Status == 0 ? 1 : 0;
    const tagTL_FACE_DATA changed = *face;
    if (m_owner)
        m_owner->OnTlFaceChanged(changed, 1);
    return true;
}

bool CTimeLineModel::SetFaceColour(int32_t faceNo, COLORREF colour)
{
    tagTL_FACE_DATA* face = FindFace(m_faces, 1, faceNo);
    if (!face)
        return false;
    face->R = int32_t(colour & 0xFF);
    face->G = int32_t((colour >> 8) & 0xFF);
    face->B = int32_t((colour >> 16) & 0xFF);
    const tagTL_FACE_DATA changed = *face;
    if (m_owner)
        m_owner->OnTlFaceChanged(changed, 1);
    return true;
}

int CTimeLineModel::SetFaceData(const tagTL_FACE_DATA& record)
{
    tagTL_FACE_DATA* face = FindFace(m_faces, record.Channel, record.No);
    if (!face)
        return 0;
    face->R = record.R;
    face->G = record.G;
    face->B = record.B;
    face->X = record.X;
    face->Y = record.Y;
    const tagTL_FACE_DATA changed = *face;
    if (m_owner)
        m_owner->OnTlFaceChanged(changed, 0);
    return 1;
}

void CTimeLineModel::GetFaceNumbers(int32_t, std::vector<int32_t>& numbers) const
{
    numbers.clear();
    for (const tagTL_FACE_DATA& face : m_faces) {
        if (face.Channel == 1)
            numbers.push_back(face.No);
    }
}

// ---- Items ------------------------------------------------------------------------------------

tagTL_FACE_ITEM_DATA* CTimeLineModel::FindLiveItem(int32_t faceNo, int32_t start)
{
    tagTL_FACE_DATA* face = FindFaceByNo(m_faces, faceNo);
    return face ? FindItem(*face, start) : nullptr;
}

int CTimeLineModel::AddItemRecord(const tagTL_FACE_ITEM_DATA& item)
{
    tagTL_FACE_DATA* face = FindFace(m_faces, item.Channel, item.FaceNo);
    if (!face)
        return 0;
    tagTL_FACE_ITEM_DATA stored = item;
    stored.SubNo = face->SubNo;
    return InsertItemSorted(*face, stored) ? 1 : 0;
}

int CTimeLineModel::AddItem(int32_t faceNo, int32_t time, int32_t kind)
{
    if (time < 0 || time >= m_projectLength || !IsItemKind(kind))
        return 0;
    tagTL_FACE_DATA* face = FindFace(m_faces, 1, faceNo, 0);
    if (!face)
        return 0;
    int64_t limit = m_projectLength;
    for (const tagTL_FACE_ITEM_DATA& item : face->Items) {
        if (time < item.Start)
            limit = std::min<int64_t>(limit, item.Start);
        else if (time < ItemEnd(item))
            return 0;
    }
    int64_t playTime = limit - time;
    if (kind == tagTL_FACE_ITEM_DATA::MODE_IMAGE)
        playTime = std::min<int64_t>(playTime, m_imageDefaultTime);
    if (playTime <= 0)
        return 0;
    tagTL_FACE_ITEM_DATA item;
    item.Channel = 1;
    item.FaceNo = faceNo;
    item.SubNo = 0;
    item.Start = time;
    item.PlayTime = int32_t(playTime);
    item.Mode = kind;
    if (!InsertItemSorted(*face, item))
        return 0;
    if (m_owner)
        m_owner->OnTlItemAdded(item);
    RepaintControl();
    return 1;
}

int CTimeLineModel::DeleteItem(int32_t channel, int32_t faceNo, int32_t start, int32_t subNo)
{
    tagTL_FACE_DATA* face = FindFace(m_faces, channel, faceNo, subNo);
    int deleted = 0;
    if (face) {
        const auto item
            = std::find_if(face->Items.begin(), face->Items.end(), [&](const tagTL_FACE_ITEM_DATA& i) {
                  return i.Channel == channel && i.FaceNo == faceNo && i.Start == start && i.SubNo == subNo;
              });
        if (item != face->Items.end()) {
            const tagTL_FACE_ITEM_DATA removed = *item;
            face->Items.erase(item);
            RemoveFromSelection(faceNo, start);
            if (m_currentItem == TlItemRef { faceNo, start })
                m_currentItem = TlItemRef();
            if (m_owner)
                m_owner->OnTlItemDeleted(removed);
            deleted = 1;
        }
    }
    RepaintControl();
    return deleted;
}

void CTimeLineModel::FollowItemKey(const tagTL_FACE_ITEM_DATA& before, const tagTL_FACE_ITEM_DATA& after)
{
    m_selection.Replace(before.FaceNo, before.Start, after);
    if (m_currentItem == TlItemRef { before.FaceNo, before.Start })
        m_currentItem = TlItemRef { after.FaceNo, after.Start };
}

void CTimeLineModel::RefreshPanelAfterChange(
    const tagTL_FACE_ITEM_DATA& before, const tagTL_FACE_ITEM_DATA& after)
{
    SyncPanelFaceList();
    if (!m_panel->IsCurrentItem(before.Channel, before.FaceNo, before.SubNo, before.Start))
        return;
    if (SameItemKey(before, after))
        m_panel->UpdateItem(after);
    else
        m_panel->SetItem(after);
}

int CTimeLineModel::DropItem(DropKind kind,
    int32_t channel,
    int32_t faceNo,
    int32_t start,
    int32_t subNo,
    const tagTL_FACE_ITEM_DATA& source)
{
    tagTL_FACE_DATA* sourceFace = FindFace(m_faces, source.Channel, source.FaceNo, source.SubNo);
    tagTL_FACE_DATA* target = FindFace(m_faces, channel, faceNo, subNo);
    tagTL_FACE_ITEM_DATA* live = sourceFace ? FindItem(*sourceFace, source.Start) : nullptr;
    // The target key must be free: an item never lands on another's start.
    if (!live || !target || start < 0 || FindItem(*target, start))
        return 0;
    // A LINK shows a picture, camera or movie item of another face; nothing links to itself.
    if (kind == DropKind::Link && (faceNo == source.FaceNo || !IsMediaMode(live->Mode)))
        return 0;
    const tagTL_FACE_ITEM_DATA before = *live;
    tagTL_FACE_ITEM_DATA after = before;
    after.Channel = channel;
    after.FaceNo = faceNo;
    after.SubNo = subNo;
    after.Start = start;
    if (kind == DropKind::Link) {
        // The effect times stay: the LINK lies at its source's start.
        after.Mode = tagTL_FACE_ITEM_DATA::MODE_LINK;
        after.LinkFaceNo = before.FaceNo;
        after.LinkMode = before.Mode;
    } else {
        AnchorEffects(after);
    }
    if (kind == DropKind::Move)
        sourceFace->Items.erase(sourceFace->Items.begin() + (live - sourceFace->Items.data()));
    InsertItemSorted(*target, after);
    if (kind == DropKind::Move) {
        FollowItemKey(before, after);
        if (m_owner)
            m_owner->OnTlItemMoved(ItemRecordPair { before, after });
    } else if (m_owner) {
        m_owner->OnTlItemCopied(ItemRecordPair { before, after });
    }
    SyncPanelFaceList();
    m_panel->SetItem(after);
    return 1;
}

int CTimeLineModel::DropMovedItems(
    int32_t channel, int32_t faceNo, int32_t start, int32_t subNo, const tagTL_FACE_ITEM_DATA& source)
{
    return DropItem(DropKind::Move, channel, faceNo, start, subNo, source);
}

int CTimeLineModel::DropItemsAsCopy(
    int32_t channel, int32_t faceNo, int32_t start, int32_t subNo, const tagTL_FACE_ITEM_DATA& source)
{
    return DropItem(DropKind::Copy, channel, faceNo, start, subNo, source);
}

int CTimeLineModel::DropAltItems(
    int32_t channel, int32_t faceNo, int32_t start, int32_t subNo, const tagTL_FACE_ITEM_DATA& source)
{
    return DropItem(DropKind::Link, channel, faceNo, start, subNo, source);
}

bool CTimeLineModel::MoveItemTo(int32_t faceNo, int32_t oldStart, int32_t newStart)
{
    tagTL_FACE_DATA* face = FindFaceByNo(m_faces, faceNo);
    tagTL_FACE_ITEM_DATA* live = face ? FindItem(*face, oldStart) : nullptr;
    if (!live || oldStart == newStart || newStart < 0)
        return false;
    const int64_t playTime = int64_t(live->PlayTime) + oldStart - newStart;
    if (playTime <= 0 || playTime > INT32_MAX || FindItem(*face, newStart))
        return false;
    const tagTL_FACE_ITEM_DATA before = *live;
    tagTL_FACE_ITEM_DATA after = before;
    after.Start = newStart;
    after.PlayTime = int32_t(playTime);
    const int64_t entry = EntryEffectLength(after);
    if (entry > 0) {
        after.InStartTime = newStart;
        after.InEndTime = int32_t(newStart + entry);
    }
    *live = after;
    SortItems(*face);
    FollowItemKey(before, after);
    if (m_owner)
        m_owner->OnTlItemMoved(ItemRecordPair { before, after });
    RefreshPanelAfterChange(before, after);
    return true;
}

bool CTimeLineModel::ResizeItemEnd(int32_t faceNo, int32_t start, int32_t end)
{
    tagTL_FACE_ITEM_DATA* live = FindLiveItem(faceNo, start);
    const int64_t playTime = int64_t(end) - start;
    if (!live || playTime <= 0)
        return false;
    const tagTL_FACE_ITEM_DATA before = *live;
    live->PlayTime = int32_t(playTime);
    AnchorEffects(*live);
    const tagTL_FACE_ITEM_DATA after = *live;
    FollowItemKey(before, after);
    if (m_owner)
        m_owner->OnTlItemChanged(ItemRecordPair { before, after });
    RefreshPanelAfterChange(before, after);
    return true;
}

bool CTimeLineModel::SetItemLinkFace(int32_t faceNo, int32_t start, int32_t linkFaceNo)
{
    tagTL_FACE_ITEM_DATA* live = FindLiveItem(faceNo, start);
    if (!live)
        return false;
    const tagTL_FACE_ITEM_DATA before = *live;
    live->LinkFaceNo = linkFaceNo;
    const tagTL_FACE_ITEM_DATA after = *live;
    FollowItemKey(before, after);
    NotifyItemChanged(before, after);
    return true;
}

bool CTimeLineModel::SetItemMode(int32_t faceNo, int32_t start, int32_t mode)
{
    tagTL_FACE_ITEM_DATA* live = FindLiveItem(faceNo, start);
    if (!live)
        return false;
    const tagTL_FACE_ITEM_DATA before = *live;
    live->Mode = mode;
    const tagTL_FACE_ITEM_DATA after = *live;
    FollowItemKey(before, after);
    NotifyItemChanged(before, after);
    return true;
}

int CTimeLineModel::SetItemData(const tagTL_FACE_ITEM_DATA& item)
{
    tagTL_FACE_DATA* face = FindFace(m_faces, item.Channel, item.FaceNo, item.SubNo);
    tagTL_FACE_ITEM_DATA* live = face ? FindItem(*face, item.Start) : nullptr;
    if (!live)
        return 0;
    *live = item;
    const tagTL_FACE_ITEM_DATA* selected = m_selection.Find(item.FaceNo, item.Start);
    if (selected && SameItemKey(*selected, item))
        m_selection.Replace(item.FaceNo, item.Start, item);
    return 1;
}

int CTimeLineModel::ApplyItemChange(const tagTL_FACE_ITEM_DATA& oldItem, const tagTL_FACE_ITEM_DATA& newItem)
{
    tagTL_FACE_DATA* face = FindFace(m_faces, newItem.Channel, newItem.FaceNo, newItem.SubNo);
    tagTL_FACE_ITEM_DATA* live = face ? FindItem(*face, oldItem.Start) : nullptr;
    if (!live || newItem.Start < 0)
        return 0;
    if (newItem.Start != oldItem.Start && FindItem(*face, newItem.Start))
        return 0;
    *live = newItem;
    SortItems(*face);
    const tagTL_FACE_ITEM_DATA* selected = m_selection.Find(newItem.FaceNo, oldItem.Start);
    if (selected && selected->Channel == newItem.Channel && selected->SubNo == newItem.SubNo)
        m_selection.Replace(newItem.FaceNo, oldItem.Start, newItem);
    if (m_currentItem == TlItemRef { newItem.FaceNo, oldItem.Start })
        m_currentItem.start = newItem.Start;
    return 1;
}

// ---- Renumbering ------------------------------------------------------------------------------

void CTimeLineModel::FollowFaceNumbers(const std::vector<int32_t>& oldNumbers, int skipRow)
{
    // The face that had a number before now has the number of its row; a copy's new row is
    // skipped because the copy carries its source's old number.
    const auto newNumberOf = [&](int32_t oldNumber) -> int32_t {
        for (size_t row = 0; row < oldNumbers.size(); ++row) {
            if (int(row) != skipRow && oldNumbers[row] == oldNumber)
                return int32_t(row + 1);
        }
        return -1;
    };
    const TlItemRef oldCurrent = m_currentItem;
    const std::vector<tagTL_FACE_ITEM_DATA> selection = m_selection.Items();
    m_selection.Clear();
    for (const tagTL_FACE_ITEM_DATA& selected : selection) {
        tagTL_FACE_ITEM_DATA item;
        if (GetItemRecord(newNumberOf(selected.FaceNo), selected.Start, item))
            m_selection.Add(item);
    }
    if (m_currentItem.IsSet()) {
        const TlItemRef moved { newNumberOf(m_currentItem.faceNo), m_currentItem.start };
        m_currentItem = FindLiveItem(moved.faceNo, moved.start) ? moved : TlItemRef();
    }
    if (m_currentFace > 0)
        m_currentFace = newNumberOf(m_currentFace);

    // The panel shows the current item under its old number: give it the renumbered record.
    if (oldCurrent.IsSet() && m_currentItem.IsSet() && oldCurrent.faceNo != m_currentItem.faceNo
        && m_panel->IsCurrentItem(1, oldCurrent.faceNo, 0, oldCurrent.start)) {
        tagTL_FACE_ITEM_DATA item;
        if (GetItemRecord(m_currentItem.faceNo, m_currentItem.start, item)) {
            SyncPanelFaceList();
            m_panel->SetItem(item);
        }
    }
}

void CTimeLineModel::DissolveLinkItem(const tagTL_FACE_ITEM_DATA& link, int32_t kind)
{
    tagTL_FACE_ITEM_DATA after = link;
    DissolveLink(after, kind);
    if (SetItemData(after))
        NotifyItemChanged(link, after);
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
