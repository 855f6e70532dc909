// The item panel: loading items into the pages, reading them back, and what an edit tells the
// view and changes of other items.
#include "itempanel/setting_dlg.h"

#include "itempanel/effect_dlg.h"
#include "itempanel/filter_dlg.h"
#include "itempanel/link_sync.h"
#include "itempanel/propety_dlg.h"
#include "itempanel/setting_dlg_owner.h"

using namespace itempanel;

namespace {

using Item = tagTL_FACE_ITEM_DATA;

bool SameKey(const Item& a, const Item& b)
{
    return a.Channel == b.Channel && a.FaceNo == b.FaceNo && a.SubNo == b.SubNo && a.Start == b.Start;
}

} // namespace

void CSettingDlg::SetFaceList(CTimeLineFaceAccess& faces)
{
    m_faces = &faces;
    m_propertyPage->SetFaceList(&faces);
}

bool CSettingDlg::IsCurrentItem(int32_t channel, int32_t faceNo, int32_t subNo, int32_t start) const
{
    return m_workItem.Channel == channel && m_workItem.FaceNo == faceNo && m_workItem.SubNo == subNo
        && m_workItem.Start == start;
}

void CSettingDlg::ClearItem()
{
    CloseEditGroup();
    m_propertyPage->ResetPage();
    m_propertyPage->EnableByMode(0, 0);
    m_effectPage->ResetPage();
    m_effectPage->EnableByMode(0, 0);
    m_filterPage->ResetPage();
    m_filterPage->EnableByMode(0, 0);
    m_workItem.Clear();
}

void CSettingDlg::SetItem(const Item& item)
{
    if (SameKey(item, m_workItem) && item.PlayTime == m_workItem.PlayTime && item.Mode == m_workItem.Mode)
        return;
    CloseEditGroup();
    m_propertyPage->StopReplay();
    m_propertyPage->SetLoadedItem(item);
    m_workItem = item;
    if (m_faces)
        m_propertyPage->SetFaceList(m_faces);
    m_propertyPage->LoadItem(item, false);
    m_effectPage->LoadItem(item);
    m_filterPage->LoadItem(item);
    SetItemCaption(
        item.Channel, item.FaceNo, item.SubNo, item.Start, item.PlayTime, item.Mode, item.LinkMode);
}

void CSettingDlg::UpdateItem(const Item& item)
{
    if (!SameKey(item, m_workItem))
        return;
    CloseEditGroup();
    m_propertyPage->StopReplay();
    // Everything but the key follows the changed item.
    const Item key = m_workItem;
    m_workItem = item;
    m_workItem.Channel = key.Channel;
    m_workItem.FaceNo = key.FaceNo;
    m_workItem.SubNo = key.SubNo;
    m_workItem.Start = key.Start;
    const Item shown = m_workItem;
    m_propertyPage->LoadItem(shown, true);
    m_effectPage->LoadItem(shown);
    m_filterPage->LoadItem(shown);
    SetItemCaption(
        shown.Channel, shown.FaceNo, shown.SubNo, shown.Start, shown.PlayTime, shown.Mode, shown.LinkMode);
}

void CSettingDlg::SetItemCaption(
    int32_t, int32_t faceNo, int32_t, int32_t start, int32_t playTime, int32_t kind, int32_t linkKind)
{
    m_effectPage->ShowCaption(faceNo, start, playTime, kind, linkKind);
    m_filterPage->ShowCaption(faceNo, start, playTime, kind, linkKind);
}

bool CSettingDlg::ReadPropertyPage(Item& item) const
{
    m_propertyPage->ReadInto(item);
    return true;
}

bool CSettingDlg::ReadEffectPage(Item& item) const
{
    m_effectPage->ReadInto(item);
    return true;
}

bool CSettingDlg::ReadFilterPage(Item& item) const
{
    m_filterPage->ReadInto(item);
    return true;
}

void CSettingDlg::ReadPages(Item& item) const
{
    // The effects are placed on the start and play time the properties page gives.
    ReadPropertyPage(item);
    ReadEffectPage(item);
    ReadFilterPage(item);
}

bool CSettingDlg::FindNextItem(int32_t faceNo, int32_t time, Item& item) const
{
    return m_faces && m_faces->FindNextItem(faceNo, time, item);
}

// ---- Reports of the pages -------------------------------------------------------------------

void CSettingDlg::BeginBatch()
{
    if (m_batchDepth++ == 0 && m_owner)
        m_owner->OnEditBatch(1);
}

void CSettingDlg::EndBatch()
{
    if (m_batchDepth > 0 && --m_batchDepth == 0 && m_owner)
        m_owner->OnEditBatch(0);
}

void CSettingDlg::OnEditGroup(bool begin)
{
    if (begin && !m_editGroupOpen) {
        m_editGroupOpen = true;
        BeginBatch();
    } else if (!begin) {
        CloseEditGroup();
    }
}

void CSettingDlg::CloseEditGroup()
{
    if (!m_editGroupOpen)
        return;
    m_editGroupOpen = false;
    EndBatch();
}

void CSettingDlg::OnItemChanged()
{
    const Item before = m_workItem;
    ReadPages(m_workItem);
    // The view may call back into the panel while it is told; the run works on its own copy.
    const Item after = m_workItem;
    BeginBatch();
    if (m_owner)
        m_owner->OnItemChanged(ItemRecordPair { before, after });
    SyncLinkItems(after);
    EndBatch();
}

void CSettingDlg::SyncLinkItems(const Item& work)
{
    if (!m_faces)
        return;
    const ThumbnailPlace place = MakeThumbnailPlace(m_workFolder, m_projectName, m_projectKind);
    std::vector<int32_t> numbers;
    m_faces->GetFaceNumbers(work.Channel, numbers);
    for (int32_t number : numbers) {
        // Each face is read when its turn comes: the view has acted on the changes before.
        tagTL_FACE_DATA face;
        if (!m_faces->GetFaceData(work.Channel, number, face))
            continue;
        const std::optional<LinkSyncStep> step = SyncLinkOnFace(face, work, place);
        if (!step)
            continue;
        ApplyThumbnailOps(step->thumbnails);
        m_faces->SetItemData(step->after);
        if (m_owner)
            m_owner->OnItemChanged(ItemRecordPair { step->before, step->after });
    }
}

void CSettingDlg::OnApplyToItems(const std::vector<Item>& mirrors)
{
    const std::vector<Item> moving = mirrors;
    const Item before = m_workItem;
    ReadPages(m_workItem);
    const Item after = m_workItem;
    BeginBatch();
    if (m_owner) {
        m_owner->OnItemsChanged(ItemRecordPair { before, after });
        for (const Item& mirror : moving)
            m_owner->OnItemsChanged(ItemRecordPair { mirror, MoveMirroringItem(mirror, after) });
    }
    EndBatch();
}

void CSettingDlg::OnPreviewChanged()
{
    if (m_owner)
        m_owner->OnRedrawPreview();
}

void CSettingDlg::OnLinkFaceChanged()
{
    if (m_owner)
        m_owner->OnShowItem(m_workItem);
}

int CSettingDlg::OnResetEffectPage()
{
    m_effectPage->ResetForKind(m_propertyPage->SelectedKind());
    return 0;
}

int CSettingDlg::OnResetFilterPage()
{
    m_filterPage->ResetForKind();
    return 0;
}

void CSettingDlg::OnUndoKey()
{
    if (m_owner)
        m_owner->OnUndo();
}

void CSettingDlg::OnRedoKey()
{
    if (m_owner)
        m_owner->OnRedo();
}
