#include "platform/paths.h"
#include "project/quicktime_media.h"
#include "tables/effect_ini.h"
#include "timeline/thumbnail_writer.h"
#include "timeline/timeline_model.h"

#include <algorithm>

using namespace timeline;

namespace {

// Pictures, cameras and movies, and LINKs that show one: the items that carry a filter.
bool TakesFilter(const tagTL_FACE_ITEM_DATA& item)
{
    return IsMediaMode(item.Mode)
        || (item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK && IsMediaMode(item.LinkMode));
}

// Those and sounds carry effects.
bool TakesEffects(const tagTL_FACE_ITEM_DATA& item)
{
    return TakesFilter(item) || item.Mode == tagTL_FACE_ITEM_DATA::MODE_SOUND;
}

} // namespace

CQuickTimeMedia& CTimeLineModel::Media()
{
    if (!m_media) {
        m_media = std::make_unique<CQuickTimeMedia>();
        m_media->Initialize();
    }
    return *m_media;
}

// ---- Items ------------------------------------------------------------------------------------

int CTimeLineModel::CopySelectedItems()
{
    if (m_selection.Empty())
        return 0;
    m_itemClipboard = m_selection.Items();
    std::stable_sort(m_itemClipboard.begin(), m_itemClipboard.end(),
        [](const tagTL_FACE_ITEM_DATA& a, const tagTL_FACE_ITEM_DATA& b) {
            return CompareItemKey(a, b) < 0;
        });
    return int(m_itemClipboard.size());
}

void CTimeLineModel::PasteItemsAtPlayPosition()
{
    PasteItems(m_currentFace, m_playPosition);
}

void CTimeLineModel::PasteItems(int32_t faceNo, int32_t time)
{
    if (m_itemClipboard.empty() || faceNo <= 0)
        return;
    const std::vector<tagTL_FACE_ITEM_DATA> clipboard = m_itemClipboard;
    NotifyChangeGroup(1);
    if (clipboard.size() >= 2)
        NotifyWaitBegin();

    const int64_t faceOffset = int64_t(faceNo) - clipboard.front().FaceNo;
    const int64_t timeOffset = int64_t(time) - clipboard.front().Start;
    const uint64_t generation = m_faceListGeneration;
    std::vector<tagTL_FACE_ITEM_DATA> pasted;
    for (const tagTL_FACE_ITEM_DATA& copied : clipboard) {
        if (m_faceListGeneration != generation)
            break;
        tagTL_FACE_ITEM_DATA item = copied;
        const int64_t targetFace = item.FaceNo + faceOffset;
        const int64_t start = item.Start + timeOffset;
        const tagTL_FACE_DATA* face
            = targetFace > 0 && targetFace <= INT32_MAX ? FindFace(m_faces, 1, int32_t(targetFace)) : nullptr;
        if (!face || face->Lock == 1 || start < 0 || start > m_projectLength)
            continue;
        // A LINK not yet pointed at a face stays so.
        if (item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK && item.LinkFaceNo != 0) {
            const int64_t linkFace = item.LinkFaceNo + faceOffset;
            if (linkFace > FaceCount() || linkFace <= 0) {
                item.Mode = item.LinkMode;
                item.LinkFaceNo = 0;
                item.LinkMode = 0;
            } else {
                item.LinkFaceNo = int32_t(linkFace);
            }
        }
        item.Channel = 1;
        item.SubNo = 0;
        item.FaceNo = int32_t(targetFace);
        item.Start = int32_t(start);
        // The pasted items keep their place or are left out: nothing is pushed behind another
        // item, and the selected items are obstacles like any other.
        int32_t placedStart = item.Start;
        if (!PlaceItem(*face, placedStart, item, false, false, false))
            continue;
        AnchorEffects(item);
        tagTL_FACE_DATA* target = FindFace(m_faces, 1, item.FaceNo);
        if (!target || !InsertItemSorted(*target, item))
            continue;
        CreateItemThumbnail(item);
        if (m_owner)
            m_owner->OnTlItemAdded(item);
        pasted.push_back(item);
    }
    if (m_faceListGeneration == generation) {
        // A LINK whose source did not come along shows nothing: it becomes an item of its kind.
        ApplyLinkCheck(pasted);
        if (!pasted.empty()) {
            ClearSelection();
            for (const tagTL_FACE_ITEM_DATA& item : pasted) {
                tagTL_FACE_ITEM_DATA live;
                if (GetItemRecord(item.FaceNo, item.Start, live))
                    AddToSelection(live);
            }
            if (!m_selection.Empty()) {
                const tagTL_FACE_ITEM_DATA first = m_selection.Items().front();
                SyncPanelFaceList();
                m_panel->SetItem(first);
            }
        }
    }
    NotifyChangeGroup(0);
    NotifyWaitEnd();
    RepaintControl();
}

QString CTimeLineModel::ThumbnailPath(const tagTL_FACE_ITEM_DATA& item) const
{
    if (m_projectFolder.isEmpty() || !platform::IsSafeComponent(m_projectName))
        return QString();
    return platform::JoinPath(platform::JoinPath(m_projectFolder, m_projectName),
        QStringLiteral("Channel_%1/Face_%2/thumbnail_%3.jpg")
            .arg(item.Channel)
            .arg(item.FaceNo)
            .arg(item.Start));
}

int CTimeLineModel::CreateItemThumbnail(const tagTL_FACE_ITEM_DATA& item)
{
    const int32_t kind = item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK ? item.LinkMode : item.Mode;
    const QString thumbnail = ThumbnailPath(item);
    if ((kind != tagTL_FACE_ITEM_DATA::MODE_IMAGE && kind != tagTL_FACE_ITEM_DATA::MODE_MOVIE)
        || item.FilePath.isEmpty() || thumbnail.isEmpty())
        return 0;
    ThumbnailWriter writer;
    if (kind == tagTL_FACE_ITEM_DATA::MODE_IMAGE)
        return writer.WriteFile(item.FilePath, thumbnail);
    CQuickTimeMedia& media = Media();
    if (!media.OpenMovie(item.FilePath))
        return 0;
    const int64_t frameMs
        = item.ThumbnailTime >= 0 ? int64_t(item.ThumbnailTime) * 10 : media.MovieDuration() / 2;
    const int written
        = writer.WriteBitmap(media.GetFrameBitmap(int32_t(std::min<int64_t>(frameMs, INT32_MAX))), thumbnail);
    media.CloseMovie();
    return written;
}

// ---- Effects and filters ----------------------------------------------------------------------

int CTimeLineModel::IsEffectUsableForMode(int32_t effectNo, int32_t mode) const
{
    const CEffectIni* table = m_panel->EffectTable();
    tagCEF_EFFECT_TABLE effect;
    if (!table || !table->GetEffect(effectNo, &effect))
        return 0;
    return effect.AllowsMode(mode) ? 1 : 0;
}

int CTimeLineModel::CopyItemEffect()
{
    tagTL_FACE_ITEM_DATA item;
    if (!m_projectOpen || !GetItemRecord(m_currentItem.faceNo, m_currentItem.start, item)
        || !TakesEffects(item))
        return 0;
    m_effectBuffer = std::array<int32_t, 8> { item.InPattern, item.InDirection, item.InStartTime,
        item.InEndTime, item.OutPattern, item.OutDirection, item.OutStartTime, item.OutEndTime };
    return 0;
}

int CTimeLineModel::PasteItemEffect()
{
    if (!m_effectBuffer || m_selection.Empty())
        return 0;
    const std::array<int32_t, 8> buffer = *m_effectBuffer;
    const std::vector<tagTL_FACE_ITEM_DATA> selection = m_selection.Items();
    BeginSelectionCommand(false);
    const int64_t entryLength = int64_t(buffer[3]) - buffer[2];
    const int64_t exitLength = int64_t(buffer[7]) - buffer[6];
    const uint64_t generation = m_faceListGeneration;
    for (const tagTL_FACE_ITEM_DATA& selected : selection) {
        tagTL_FACE_ITEM_DATA item;
        if (m_faceListGeneration != generation || IsFaceLocked(selected.FaceNo)
            || !GetItemRecord(selected.FaceNo, selected.Start, item))
            continue;
        if (item.PlayTime < entryLength + exitLength || !IsEffectUsableForMode(buffer[0], item.Mode)
            || !IsEffectUsableForMode(buffer[4], item.Mode))
            continue;
        tagTL_FACE_ITEM_DATA after = item;
        after.InPattern = buffer[0];
        after.InDirection = buffer[1];
        after.InStartTime = item.Start;
        after.InEndTime = int32_t(item.Start + entryLength);
        after.OutPattern = buffer[4];
        after.OutDirection = buffer[5];
        after.OutStartTime = int32_t(ItemEnd(item) - exitLength);
        after.OutEndTime = int32_t(ItemEnd(item));
        WriteChangedItem(item, after);
    }
    EndSelectionCommand();
    return 1;
}

int CTimeLineModel::ClearItemEffects(int mask)
{
    if ((mask != 1 && mask != 2 && mask != 3) || !BeginSelectionCommand())
        return 0;
    const std::vector<tagTL_FACE_ITEM_DATA> selection = m_selection.Items();
    const uint64_t generation = m_faceListGeneration;
    for (const tagTL_FACE_ITEM_DATA& selected : selection) {
        tagTL_FACE_ITEM_DATA item;
        if (m_faceListGeneration != generation || !GetItemRecord(selected.FaceNo, selected.Start, item))
            continue;
        const bool clearEntry = (mask & 1) && item.InPattern > 0;
        const bool clearExit = (mask & 2) && item.OutPattern > 0;
        if (!clearEntry && !clearExit)
            continue;
        tagTL_FACE_ITEM_DATA after = item;
        if (mask & 1)
            after.InPattern = after.InDirection = after.InStartTime = after.InEndTime = 0;
        if (mask & 2)
            after.OutPattern = after.OutDirection = after.OutStartTime = after.OutEndTime = 0;
        WriteChangedItem(item, after);
    }
    EndSelectionCommand();
    return 1;
}

int CTimeLineModel::CopyItemFilter()
{
    tagTL_FACE_ITEM_DATA item;
    if (!m_projectOpen || !GetItemRecord(m_currentItem.faceNo, m_currentItem.start, item)
        || !TakesFilter(item))
        return 0;
    m_filterBuffer = FilterBuffer { item.FilterNo, item.Param };
    return 0;
}

int CTimeLineModel::PasteItemFilter()
{
    if (!m_filterBuffer || m_selection.Empty())
        return 0;
    const FilterBuffer buffer = *m_filterBuffer;
    const std::vector<tagTL_FACE_ITEM_DATA> selection = m_selection.Items();
    BeginSelectionCommand(false);
    const uint64_t generation = m_faceListGeneration;
    for (const tagTL_FACE_ITEM_DATA& selected : selection) {
        tagTL_FACE_ITEM_DATA item;
        if (m_faceListGeneration != generation || IsFaceLocked(selected.FaceNo)
            || !GetItemRecord(selected.FaceNo, selected.Start, item) || !TakesFilter(item))
            continue;
        tagTL_FACE_ITEM_DATA after = item;
        after.FilterNo = buffer.filterNo;
        after.Param = buffer.params;
        WriteChangedItem(item, after);
    }
    EndSelectionCommand();
    return 1;
}

int CTimeLineModel::ClearItemFilters()
{
    if (!BeginSelectionCommand())
        return 0;
    const std::vector<tagTL_FACE_ITEM_DATA> selection = m_selection.Items();
    const uint64_t generation = m_faceListGeneration;
    for (const tagTL_FACE_ITEM_DATA& selected : selection) {
        tagTL_FACE_ITEM_DATA item;
        if (m_faceListGeneration != generation || !GetItemRecord(selected.FaceNo, selected.Start, item)
            || item.FilterNo <= 0)
            continue;
        tagTL_FACE_ITEM_DATA after = item;
        after.FilterNo = 0;
        after.Param = {};
        WriteChangedItem(item, after);
    }
    EndSelectionCommand();
    return 1;
}

// ---- Display positions and the effect display ---------------------------------------------------

int CTimeLineModel::CopyFaceDisplayPosition()
{
    if (const tagTL_FACE_DATA* face = FindFaceByNo(m_faces, m_currentFace))
        m_positionBuffer = PositionBuffer { face->X, face->Y };
    return 1;
}

int CTimeLineModel::PasteFaceDisplayPosition()
{
    if (!m_positionBuffer || m_currentFace < 0)
        return 0;
    if (const tagTL_FACE_DATA* found = FindFaceByNo(m_faces, m_currentFace)) {
        tagTL_FACE_DATA face = *found;
        face.X = m_positionBuffer->x;
        face.Y = m_positionBuffer->y;
        SetFaceDisplayPosition(face);
    }
    return 1;
}

void CTimeLineModel::ToggleEffectDisplay()
{
    if (m_effectDisplay == 0)
        m_effectDisplay = 1;
    else if (m_effectDisplay == 1)
        m_effectDisplay = 0;
    RepaintControl();
}
