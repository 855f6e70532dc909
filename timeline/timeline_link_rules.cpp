#include "timeline/timeline_messages.h"
#include "timeline/timeline_model.h"

#include <QSet>
#include <algorithm>

using namespace timeline;

int CTimeLineModel::CollectSelectedLinks(
    int32_t faceNo, int32_t start, std::vector<tagTL_FACE_ITEM_DATA>* links) const
{
    if (!links || m_selection.Empty())
        return 0;
    links->clear();
    for (const tagTL_FACE_ITEM_DATA& item : m_selection.Items()) {
        if (item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK && item.LinkFaceNo == faceNo && item.Start == start)
            links->push_back(item);
    }
    return int(links->size());
}

int CTimeLineModel::HasLockedSelectedLink(int32_t faceNo, int32_t start) const
{
    std::vector<tagTL_FACE_ITEM_DATA> links;
    CollectSelectedLinks(faceNo, start, &links);
    return std::any_of(links.begin(), links.end(),
               [this](const tagTL_FACE_ITEM_DATA& link) { return IsFaceLocked(link.FaceNo); })
        ? 1
        : 0;
}

int CTimeLineModel::IsSelectionLinkedTo(int32_t faceNo, int32_t start) const
{
    std::vector<tagTL_FACE_ITEM_DATA> links;
    const int collected = CollectSelectedLinks(faceNo, start, &links);
    return collected > 0 && collected == int(m_selection.Size()) - 1 ? 1 : 0;
}

int CTimeLineModel::IsLinkGroupSelected() const
{
    if (m_selection.Empty())
        return 0;
    if (m_selection.Size() == 1)
        return IsMediaMode(m_selection.Items().front().Mode) ? 1 : 0;
    const auto hovered = std::find_if(
        m_selection.Items().begin(), m_selection.Items().end(), [this](const tagTL_FACE_ITEM_DATA& item) {
            return item.FaceNo == m_hover.faceNo && item.Start == m_hover.start;
        });
    if (hovered == m_selection.Items().end())
        return 0;
    if (IsMediaMode(hovered->Mode))
        return IsSelectionLinkedTo(hovered->FaceNo, hovered->Start);
    if (hovered->Mode == tagTL_FACE_ITEM_DATA::MODE_LINK)
        return IsSelectionLinkedTo(hovered->LinkFaceNo, hovered->Start);
    return 0;
}

int CTimeLineModel::FindLinkableItem(int32_t faceNo, int32_t start, tagTL_FACE_ITEM_DATA& item) const
{
    item = tagTL_FACE_ITEM_DATA();
    const tagTL_FACE_DATA* face = FindFaceByNo(m_faces, faceNo);
    const tagTL_FACE_ITEM_DATA* found = face ? FindItem(*face, start) : nullptr;
    if (!found || !IsMediaMode(found->Mode))
        return 0;
    item = *found;
    return 1;
}

void CTimeLineModel::DissolveLinksTo(const tagTL_FACE_ITEM_DATA& source)
{
    std::vector<tagTL_FACE_ITEM_DATA> links;
    for (const tagTL_FACE_DATA& face : m_faces) {
        if (face.No == source.FaceNo)
            continue;
        for (const tagTL_FACE_ITEM_DATA& item : face.Items) {
            if (item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK && item.Start == source.Start
                && item.LinkFaceNo == source.FaceNo)
                links.push_back(item);
        }
    }
    for (const tagTL_FACE_ITEM_DATA& link : links)
        DissolveLinkItem(link, source.Mode);
}

int CTimeLineModel::DeleteSelectedItems()
{
    CWaitCursorScope wait(*this);
    if (!m_projectOpen || m_selection.Empty())
        return 0;
    const std::vector<tagTL_FACE_ITEM_DATA> selection = m_selection.Items();
    // The sources shown by a selected LINK of a locked face stay; found once for all items.
    QSet<quint64> shownByLockedLinks;
    for (const tagTL_FACE_ITEM_DATA& item : selection) {
        if (item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK && IsFaceLocked(item.FaceNo))
            shownByLockedLinks.insert(CItemSelection::Key(item.LinkFaceNo, item.Start));
    }
    // The selection is emptied at the end anyway; emptied now, each deletion need not look for its
    // item in it.
    ClearSelection();
    if (selection.size() >= 2)
        NotifyWaitBegin();
    NotifyChangeGroup(1);

    std::vector<tagTL_FACE_ITEM_DATA> deletedSources;
    const uint64_t generation = m_faceListGeneration;
    for (const tagTL_FACE_ITEM_DATA& item : selection) {
        if (m_faceListGeneration != generation)
            break; // the owner renumbered the faces: the remaining keys name other items
        if (IsFaceLocked(item.FaceNo))
            continue;
        if (IsMediaMode(item.Mode)
            && shownByLockedLinks.contains(CItemSelection::Key(item.FaceNo, item.Start)))
            continue;
        tagTL_FACE_ITEM_DATA live;
        if (!GetItemRecord(item.FaceNo, item.Start, live))
            continue;
        if (DeleteItem(1, item.FaceNo, item.Start, 0) && IsMediaMode(live.Mode))
            deletedSources.push_back(live);
    }
    // LINK items of other faces that were not selected would now show nothing: they become
    // independent items of their source's kind (found through one index, not a scan per source).
    std::vector<std::pair<tagTL_FACE_ITEM_DATA, int32_t>> orphans;
    if (m_faceListGeneration == generation && !deletedSources.empty()) {
        const CLinkIndex links(m_faces);
        for (const tagTL_FACE_ITEM_DATA& source : deletedSources) {
            for (const tagTL_FACE_ITEM_DATA* link : links.LinksTo(source.FaceNo, source.Start)) {
                if (link->FaceNo != source.FaceNo)
                    orphans.emplace_back(*link, source.Mode);
            }
        }
    }
    for (const auto& [link, kind] : orphans) {
        if (m_faceListGeneration != generation)
            break;
        DissolveLinkItem(link, kind);
    }

    NotifyChangeGroup(0);
    ClearSelection();
    m_panel->ClearItem();
    RepaintControl();
    NotifyWaitEnd();
    return 1;
}

int CTimeLineModel::DeleteCurrentItem()
{
    CWaitCursorScope wait(*this);
    const TlItemRef current = m_currentItem;
    tagTL_FACE_ITEM_DATA item;
    if (!m_projectOpen || !current.IsSet() || IsFaceLocked(current.faceNo)
        || !GetItemRecord(current.faceNo, current.start, item))
        return 0;
    NotifyChangeGroup(1);
    const int deleted = DeleteItem(1, item.FaceNo, item.Start, 0);
    if (deleted && IsMediaMode(item.Mode))
        DissolveLinksTo(item);
    NotifyChangeGroup(0);
    ClearSelection();
    m_panel->ClearItem();
    RepaintControl();
    return deleted;
}

void CTimeLineModel::ShowItemInPanel(int32_t channel, int32_t faceNo, int32_t subNo, int32_t start)
{
    if (!HasItemPanel())
        return;
    const tagTL_FACE_DATA* face = FindFace(m_faces, channel, faceNo, subNo);
    const tagTL_FACE_ITEM_DATA* found = face ? FindItem(*face, start) : nullptr;
    if (!found || found->SubNo != subNo) {
        m_panel->ClearItem();
        return;
    }
    const tagTL_FACE_ITEM_DATA item = *found;
    SyncPanelFaceList();
    m_panel->UpdateItem(item);
}

void CTimeLineModel::SetItemLink(int32_t channel, int32_t faceNo, int32_t subNo, int32_t start)
{
    const tagTL_FACE_DATA* face = FindFace(m_faces, channel, faceNo, subNo);
    const tagTL_FACE_ITEM_DATA* found = face ? FindItem(*face, start) : nullptr;
    if (!found) {
        m_panel->ClearItem();
        return;
    }
    const tagTL_FACE_ITEM_DATA item = *found;
    m_currentItem = TlItemRef { faceNo, start };
    m_panel->UpdateItem(item);
}
