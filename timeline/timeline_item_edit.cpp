#include "timeline/timeline_model.h"

#include <algorithm>
#include <map>

using namespace timeline;

namespace {

std::vector<tagTL_FACE_ITEM_DATA> Sorted(std::vector<tagTL_FACE_ITEM_DATA> items, bool descending)
{
    std::stable_sort(items.begin(), items.end(),
        [descending](const tagTL_FACE_ITEM_DATA& a, const tagTL_FACE_ITEM_DATA& b) {
            return descending ? CompareItemKeyDescending(a, b) < 0 : CompareItemKey(a, b) < 0;
        });
    return items;
}

int64_t NonNegative(int64_t value)
{
    return std::max<int64_t>(value, 0);
}

// Notes an item moved to a new start: its old key was left, its new record made.
void Moved(const tagTL_FACE_ITEM_DATA& item,
    int32_t start,
    std::vector<tagTL_FACE_ITEM_DATA>& vacated,
    std::vector<tagTL_FACE_ITEM_DATA>& made)
{
    vacated.push_back(item);
    made.push_back(item);
    made.back().Start = start;
}

} // namespace

bool CTimeLineModel::BeginSelectionCommand(bool refuseLocked)
{
    if (m_selection.Empty() || (refuseLocked && IsSelectionLocked()))
        return false;
    NotifyChangeGroup(1);
    if (m_selection.Size() >= 2)
        NotifyWaitBegin();
    return true;
}

void CTimeLineModel::EndSelectionCommand()
{
    NotifyWaitEnd();
    NotifyChangeGroup(0);
    RepaintControl();
}

void CTimeLineModel::WriteChangedItem(const tagTL_FACE_ITEM_DATA& before, const tagTL_FACE_ITEM_DATA& after)
{
    if (!SetItemData(after))
        return;
    NotifyItemChanged(before, after);
    RefreshPanelAfterChange(before, after);
}

void CTimeLineModel::ApplyLinkCheck(const std::vector<tagTL_FACE_ITEM_DATA>& items)
{
    // The set's items by face and start, so that finding a partner is no scan of the set.
    QMultiHash<quint64, const tagTL_FACE_ITEM_DATA*> byKey;
    byKey.reserve(qsizetype(items.size()));
    for (const tagTL_FACE_ITEM_DATA& item : items)
        byKey.insert(CItemSelection::Key(item.FaceNo, item.Start), &item);
    std::vector<tagTL_FACE_ITEM_DATA> unpaired;
    for (const tagTL_FACE_ITEM_DATA& item : items) {
        if (item.Mode != tagTL_FACE_ITEM_DATA::MODE_LINK || item.LinkFaceNo == 0)
            continue;
        const auto [first, last] = byKey.equal_range(CItemSelection::Key(item.LinkFaceNo, item.Start));
        const bool hasPartner = std::any_of(first, last, [&](const tagTL_FACE_ITEM_DATA* other) {
            return other != &item && other->PlayTime == item.PlayTime;
        });
        if (!hasPartner)
            unpaired.push_back(item);
    }
    // The owner is told of each change: the set is not looked at any more meanwhile.
    // A LINK of unknown kind cannot stand alone: it only forgets the face it pointed at.
    for (const tagTL_FACE_ITEM_DATA& link : unpaired) {
        if (link.LinkMode != 0)
            SetItemMode(link.FaceNo, link.Start, link.LinkMode);
        else
            SetItemLinkFace(link.FaceNo, link.Start, 0);
    }
}

void CTimeLineModel::ReleaseOrphanLinks(
    const std::vector<tagTL_FACE_ITEM_DATA>& vacated, const std::vector<tagTL_FACE_ITEM_DATA>& made)
{
    // The LINKs to look at: those made or moved by the command, and those that showed an item
    // that left its place.
    std::vector<TlItemRef> links;
    for (const tagTL_FACE_ITEM_DATA& item : made) {
        if (item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK)
            links.push_back({ item.FaceNo, item.Start });
    }
    if (!vacated.empty()) {
        const CLinkIndex index(m_faces);
        for (const tagTL_FACE_ITEM_DATA& source : vacated) {
            for (const tagTL_FACE_ITEM_DATA* link : index.LinksTo(source.FaceNo, source.Start))
                links.push_back({ link->FaceNo, link->Start });
        }
    }
    for (const TlItemRef& ref : links) {
        tagTL_FACE_ITEM_DATA link;
        if (!GetItemRecord(ref.faceNo, ref.start, link) || link.Mode != tagTL_FACE_ITEM_DATA::MODE_LINK
            || link.LinkFaceNo == 0 || LinkPartner(m_faces, link))
            continue;
        if (link.LinkMode != 0)
            SetItemMode(link.FaceNo, link.Start, link.LinkMode);
        else
            SetItemLinkFace(link.FaceNo, link.Start, 0);
    }
}

void CTimeLineModel::AlignStartTime(int mode)
{
    if ((mode != 0 && mode != 1) || !BeginSelectionCommand())
        return;
    const std::vector<tagTL_FACE_ITEM_DATA> work = Sorted(m_selection.Items(), mode == 1);
    int64_t target = work.front().Start;
    for (const tagTL_FACE_ITEM_DATA& item : work)
        target = mode == 0 ? std::min<int64_t>(target, item.Start) : std::max<int64_t>(target, item.Start);

    if (target <= m_projectLength) {
        const uint64_t generation = m_faceListGeneration;
        std::vector<tagTL_FACE_ITEM_DATA> vacated;
        std::vector<tagTL_FACE_ITEM_DATA> made;
        for (const tagTL_FACE_ITEM_DATA& selected : work) {
            tagTL_FACE_ITEM_DATA item;
            if (m_faceListGeneration != generation || !GetItemRecord(selected.FaceNo, selected.Start, item))
                continue;
            if (item.Start == target)
                continue;
            tagTL_FACE_ITEM_DATA neighbour;
            if (item.Start > target) {
                // Moving earlier: not before the end of the previous item.
                if (FindPreviousItem(item.FaceNo, item.Start, neighbour) && target < ItemEnd(neighbour))
                    continue;
            } else {
                // Moving later: not into the next item nor past the project's end.
                const int64_t limit
                    = FindNextItem(item.FaceNo, item.Start, neighbour) ? neighbour.Start : m_projectLength;
                if (target + item.PlayTime > limit)
                    continue;
            }
            if (DropMovedItems(item.Channel, item.FaceNo, int32_t(target), item.SubNo, item))
                Moved(item, int32_t(target), vacated, made);
        }
        if (m_faceListGeneration == generation) {
            ApplyLinkCheck(std::vector<tagTL_FACE_ITEM_DATA>(m_selection.Items()));
            ReleaseOrphanLinks(vacated, made);
        }
    }
    EndSelectionCommand();
}

void CTimeLineModel::AlignDuration(int mode)
{
    if ((mode != 2 && mode != 3) || !BeginSelectionCommand())
        return;
    const std::vector<tagTL_FACE_ITEM_DATA> work = Sorted(m_selection.Items(), false);
    int64_t target = work.front().PlayTime;
    for (const tagTL_FACE_ITEM_DATA& item : work)
        target
            = mode == 2 ? std::min<int64_t>(target, item.PlayTime) : std::max<int64_t>(target, item.PlayTime);

    const uint64_t generation = m_faceListGeneration;
    for (const tagTL_FACE_ITEM_DATA& selected : work) {
        tagTL_FACE_ITEM_DATA item;
        if (m_faceListGeneration != generation || !GetItemRecord(selected.FaceNo, selected.Start, item))
            continue;
        if (item.PlayTime == target)
            continue;
        if (item.PlayTime < target) {
            tagTL_FACE_ITEM_DATA next;
            if (FindNextItem(item.FaceNo, item.Start, next) && next.Start < item.Start + target)
                continue;
        } else if (target < NonNegative(EntryEffectLength(item)) + NonNegative(ExitEffectLength(item))) {
            continue; // the effects would not fit
        }
        tagTL_FACE_ITEM_DATA after = item;
        after.PlayTime = int32_t(target);
        if (after.OutPattern > 0) {
            const int64_t exit = ExitEffectLength(after);
            after.OutEndTime = int32_t(ItemEnd(after));
            after.OutStartTime = int32_t(ItemEnd(after) - exit);
        }
        WriteChangedItem(item, after);
    }
    EndSelectionCommand();
}

void CTimeLineModel::PackItemsForward()
{
    if (!BeginSelectionCommand())
        return;
    const std::vector<tagTL_FACE_ITEM_DATA> work = Sorted(m_selection.Items(), false);
    // The gap before the earliest selected item of each face; the smallest one is closed.
    std::map<std::tuple<int32_t, int32_t, int32_t>, bool> measured;
    int64_t shift = INT64_MAX;
    for (const tagTL_FACE_ITEM_DATA& item : work) {
        if (!measured.emplace(std::tuple(item.Channel, item.FaceNo, item.SubNo), true).second)
            continue;
        tagTL_FACE_ITEM_DATA previous;
        const int64_t previousEnd
            = FindPreviousItem(item.FaceNo, item.Start, previous) ? ItemEnd(previous) : 0;
        shift = std::min<int64_t>(shift, item.Start - previousEnd);
    }
    const uint64_t generation = m_faceListGeneration;
    std::vector<tagTL_FACE_ITEM_DATA> vacated;
    std::vector<tagTL_FACE_ITEM_DATA> made;
    for (const tagTL_FACE_ITEM_DATA& selected : work) {
        tagTL_FACE_ITEM_DATA item;
        if (m_faceListGeneration != generation || !GetItemRecord(selected.FaceNo, selected.Start, item))
            continue;
        tagTL_FACE_ITEM_DATA previous;
        const int64_t previousEnd
            = FindPreviousItem(item.FaceNo, item.Start, previous) ? ItemEnd(previous) : 0;
        const int64_t start = std::max<int64_t>(item.Start - shift, previousEnd);
        if (start != item.Start
            && DropMovedItems(item.Channel, item.FaceNo, int32_t(start), item.SubNo, item))
            Moved(item, int32_t(start), vacated, made);
    }
    if (m_faceListGeneration == generation)
        ReleaseOrphanLinks(vacated, made);
    EndSelectionCommand();
}

void CTimeLineModel::PackItemsBackward()
{
    if (!BeginSelectionCommand())
        return;
    const std::vector<tagTL_FACE_ITEM_DATA> work = Sorted(m_selection.Items(), true);
    // The gap after the latest selected item of each face that ends within the project.
    std::map<std::tuple<int32_t, int32_t, int32_t>, bool> measured;
    int64_t shift = INT64_MAX;
    for (const tagTL_FACE_ITEM_DATA& item : work) {
        if (!measured.emplace(std::tuple(item.Channel, item.FaceNo, item.SubNo), true).second)
            continue;
        if (ItemEnd(item) > m_projectLength)
            continue;
        tagTL_FACE_ITEM_DATA next;
        const int64_t limit = FindNextItem(item.FaceNo, item.Start, next) ? next.Start : m_projectLength;
        shift = std::min<int64_t>(shift, limit - ItemEnd(item));
    }
    // Without a face to measure nothing moves: the items of faces whose latest selected item ends
    // past the project stay where they are.
    if (shift == INT64_MAX)
        shift = 0;
    const uint64_t generation = m_faceListGeneration;
    std::vector<tagTL_FACE_ITEM_DATA> vacated;
    std::vector<tagTL_FACE_ITEM_DATA> made;
    for (const tagTL_FACE_ITEM_DATA& selected : work) {
        tagTL_FACE_ITEM_DATA item;
        if (m_faceListGeneration != generation || !GetItemRecord(selected.FaceNo, selected.Start, item)
            || ItemEnd(item) > m_projectLength)
            continue;
        tagTL_FACE_ITEM_DATA next;
        const int64_t limit = FindNextItem(item.FaceNo, item.Start, next) ? next.Start : m_projectLength;
        int64_t start = item.Start + shift;
        if (start + item.PlayTime > limit)
            start = limit - item.PlayTime;
        if (start != item.Start
            && DropMovedItems(item.Channel, item.FaceNo, int32_t(start), item.SubNo, item))
            Moved(item, int32_t(start), vacated, made);
    }
    if (m_faceListGeneration == generation)
        ReleaseOrphanLinks(vacated, made);
    EndSelectionCommand();
}

void CTimeLineModel::SplitItemAtPlayPosition()
{
    if (!BeginSelectionCommand())
        return;
    const std::vector<tagTL_FACE_ITEM_DATA> work = m_selection.Items();
    std::vector<tagTL_FACE_ITEM_DATA> newSelection;
    std::vector<tagTL_FACE_ITEM_DATA> made;
    const int64_t playhead = m_playPosition;
    const uint64_t generation = m_faceListGeneration;
    for (const tagTL_FACE_ITEM_DATA& selected : work) {
        tagTL_FACE_ITEM_DATA item;
        if (m_faceListGeneration != generation || !GetItemRecord(selected.FaceNo, selected.Start, item))
            continue;
        if (!(item.Start < playhead && playhead < ItemEnd(item))) {
            newSelection.push_back(item);
            continue;
        }
        const int32_t offset = int32_t(playhead - item.Start);
        tagTL_FACE_ITEM_DATA first = item;
        first.PlayTime = offset;
        first.OutPattern = first.OutDirection = first.OutStartTime = first.OutEndTime = 0;
        if (playhead < first.InEndTime)
            first.InPattern = first.InDirection = first.InStartTime = first.InEndTime = 0;

        tagTL_FACE_ITEM_DATA second = item;
        second.Start = int32_t(playhead);
        second.PlayTime = item.PlayTime - offset;
        second.InPattern = second.InDirection = second.InStartTime = second.InEndTime = 0;
        if (second.OutStartTime < playhead)
            second.OutPattern = second.OutDirection = second.OutStartTime = second.OutEndTime = 0;
        const bool movie = item.Mode == tagTL_FACE_ITEM_DATA::MODE_MOVIE
            || (item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK
                && item.LinkMode == tagTL_FACE_ITEM_DATA::MODE_MOVIE);
        if (movie && item.PlayMode == 0) {
            // The second part plays on from where the first one stops in the movie.
            second.InTime = item.InTime + offset;
            if (item.OutTime <= second.InTime)
                second.InTime = 0;
        }

        if (!SetItemData(first)) {
            newSelection.push_back(item);
            continue;
        }
        NotifyItemChanged(item, first);
        tagTL_FACE_ITEM_DATA copy;
        if (m_faceListGeneration == generation
            && DropItemsAsCopy(second.Channel, second.FaceNo, second.Start, second.SubNo, first)
            && GetItemRecord(second.FaceNo, second.Start, copy) && SetItemData(second)) {
            NotifyItemChanged(copy, second);
            newSelection.push_back(first);
            newSelection.push_back(second);
            made.push_back(second);
        } else {
            newSelection.push_back(first);
        }
    }
    if (m_faceListGeneration == generation) {
        m_selection.Clear();
        for (const tagTL_FACE_ITEM_DATA& item : newSelection) {
            tagTL_FACE_ITEM_DATA live;
            if (GetItemRecord(item.FaceNo, item.Start, live))
                m_selection.Add(live);
        }
        // A LINK's second part shows nothing when its source was not split with it.
        ReleaseOrphanLinks({}, made);
    }
    EndSelectionCommand();
}

int CTimeLineModel::SetItemEffectTimes(int32_t faceNo, int32_t start, int32_t entryLength, int32_t exitLength)
{
    tagTL_FACE_ITEM_DATA item;
    if (!GetItemRecord(faceNo, start, item))
        return 0;
    tagTL_FACE_ITEM_DATA after = item;
    if (after.InPattern > 0) {
        after.InStartTime = after.Start;
        after.InEndTime = int32_t(int64_t(after.Start) + entryLength);
    }
    if (after.OutPattern > 0) {
        after.OutEndTime = int32_t(ItemEnd(after));
        after.OutStartTime = int32_t(ItemEnd(after) - exitLength);
    }
    WriteChangedItem(item, after);
    return 1;
}

void CTimeLineModel::SelectItemsInRange(
    int32_t firstFaceNo, int32_t lastFaceNo, int32_t startTime, int32_t endTime)
{
    std::vector<tagTL_FACE_ITEM_DATA> found;
    for (const tagTL_FACE_DATA& face : m_faces) {
        if (face.No < firstFaceNo)
            continue;
        if (lastFaceNo > 0 && face.No > lastFaceNo)
            break;
        for (const tagTL_FACE_ITEM_DATA& item : face.Items) {
            if (startTime <= ItemEnd(item) && item.Start <= endTime)
                found.push_back(item);
        }
    }
    SelectWithLinkedItems(found);
}
