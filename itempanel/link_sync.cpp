#include "itempanel/link_sync.h"

#include "platform/file_copy.h"
#include "platform/paths.h"

#include <QFile>

namespace itempanel {

namespace {

using Item = tagTL_FACE_ITEM_DATA;

// Whether the LINK keeps room on its face for the work item's play time: the next item on its
// face starts at or after its end.
bool HasRoom(const tagTL_FACE_DATA& face, const Item& link, int32_t playTime)
{
    const Item* next = nullptr;
    for (const Item& item : face.Items) {
        if (item.Start > link.Start && (!next || item.Start < next->Start))
            next = &item;
    }
    return !next || int64_t(link.Start) + playTime <= next->Start;
}

void Dissolve(Item& link, int32_t kind)
{
    link.Mode = kind;
    link.LinkFaceNo = 0;
    link.LinkMode = 0;
}

void CopyMedia(Item& link, const Item& work)
{
    link.FilePath = work.FilePath;
    link.PlayMode = work.PlayMode;
    link.CameraID = work.CameraID;
    link.CameraImgW = work.CameraImgW;
    link.CameraImgH = work.CameraImgH;
    link.PlayTime = work.PlayTime;
    link.InTime = work.InTime;
    link.OutTime = work.OutTime;
}

void CopyDisplayRectangle(Item& link, const Item& work)
{
    link.MaskMode = work.MaskMode;
    link.MaskX = work.MaskX;
    link.MaskY = work.MaskY;
    link.W = work.W;
    link.H = work.H;
}

// The LINK's effects on its new length: kept at the start and at the end, or all dropped when
// together they are longer than the item.
void FitEffects(Item& link, const Item& work)
{
    const int32_t entryLength = link.InPattern > 0 ? link.InEndTime - link.InStartTime : 0;
    const int32_t exitLength = link.OutPattern > 0 ? link.OutEndTime - link.OutStartTime : 0;
    if (int64_t(entryLength) + exitLength > work.PlayTime) {
        link.InPattern = link.InDirection = link.InStartTime = link.InEndTime = 0;
        link.OutPattern = link.OutDirection = link.OutStartTime = link.OutEndTime = 0;
        return;
    }
    if (link.InPattern > 0) {
        link.InStartTime = work.Start;
        link.InEndTime = work.Start + entryLength;
    }
    if (link.OutPattern > 0) {
        link.OutEndTime = work.Start + work.PlayTime;
        link.OutStartTime = link.OutEndTime - exitLength;
    }
}

} // namespace

void ApplyThumbnailOps(const std::vector<ThumbnailOp>& ops)
{
    for (const ThumbnailOp& op : ops) {
        if (platform::IsRegularFile(op.source)) {
            platform::CopyFileReplacing(op.source, op.target, {});
        } else if (op.deleteTargetWhenSourceMissing) {
            QFile::remove(op.target);
        }
    }
}

std::optional<LinkSyncStep> SyncLinkOnFace(
    const tagTL_FACE_DATA& face, const Item& work, const ThumbnailPlace& place)
{
    if (face.Channel != work.Channel || face.No == work.FaceNo)
        return std::nullopt;
    const Item* found = nullptr;
    for (const Item& item : face.Items) {
        if (item.Mode == Item::MODE_LINK && item.Start == work.Start && item.LinkFaceNo == work.FaceNo) {
            found = &item;
            break;
        }
    }
    if (!found)
        return std::nullopt;

    LinkSyncStep step { *found, *found, {} };
    Item& link = step.after;
    const bool fileChanged = link.FilePath != work.FilePath;
    // The room check runs for every edit: a longer play time can run into the next item too.
    const bool room = HasRoom(face, link, work.PlayTime);
    const QString workThumbnail = ThumbnailPath(place, work.Channel, work.FaceNo, work.Start);
    const QString linkThumbnail = ThumbnailPath(place, link.Channel, link.FaceNo, link.Start);

    if (link.LinkMode == work.Mode) {
        if (!room) {
            Dissolve(link, link.LinkMode);
            return step;
        }
        if (fileChanged) {
            CopyDisplayRectangle(link, work);
            step.thumbnails.push_back({ workThumbnail, linkThumbnail, false });
        }
        CopyMedia(link, work);
    } else {
        if (!IsLinkableMode(work.Mode)) {
            Dissolve(link, link.LinkMode);
            return step;
        }
        link.LinkMode = work.Mode;
        if (!room) {
            Dissolve(link, link.LinkMode);
            return step;
        }
        if (fileChanged) {
            CopyDisplayRectangle(link, work);
            step.thumbnails.push_back({ workThumbnail, linkThumbnail, true });
        }
        CopyMedia(link, work);
        link.Mute = work.Mute;
    }
    FitEffects(link, work);
    link.ThumbnailTime = work.ThumbnailTime;
    return step;
}

std::vector<LinkSyncStep> PlanLinkSync(FaceSpan faces, const Item& work, const ThumbnailPlace& place)
{
    std::vector<LinkSyncStep> steps;
    for (const tagTL_FACE_DATA& face : faces) {
        if (auto step = SyncLinkOnFace(face, work, place))
            steps.push_back(std::move(*step));
    }
    return steps;
}

Item MoveMirroringItem(const Item& mirror, const Item& work)
{
    Item moved = mirror;
    const int32_t entryLength = mirror.InEndTime - mirror.InStartTime;
    const int32_t exitLength = mirror.OutEndTime - mirror.OutStartTime;
    moved.Start = work.Start;
    moved.InStartTime = work.Start;
    moved.InEndTime = work.Start + entryLength;
    moved.OutEndTime = work.Start + work.PlayTime;
    moved.OutStartTime = moved.OutEndTime - exitLength;
    return moved;
}

} // namespace itempanel
