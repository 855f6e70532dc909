#pragma once

#include "itempanel/item_lookup.h"

#include <QString>
#include <optional>
#include <vector>

// What the panel does to other items after an edit: the LINK items of the other faces that
// show the edited item follow it, and after a start move the LINK items that mirror it move with
// it. Plain functions over copies of the faces; the thumbnail files they touch are returned as
// data, and ApplyThumbnailOps carries them out.
namespace itempanel {

// Copies `source` over `target` when the source exists; otherwise, when asked, deletes `target`.
struct ThumbnailOp {
    QString source;
    QString target;
    bool deleteTargetWhenSourceMissing = false;
    bool operator==(const ThumbnailOp&) const = default;
};
// Failures are not reported: a thumbnail is redrawn from its item when it is missing.
void ApplyThumbnailOps(const std::vector<ThumbnailOp>& ops);

// One LINK item brought in step: the record before and after, and its thumbnail copies.
struct LinkSyncStep {
    tagTL_FACE_ITEM_DATA before;
    tagTL_FACE_ITEM_DATA after;
    std::vector<ThumbnailOp> thumbnails;
};

// The LINK item of `face` that shows the edited item `work` (the first item at the work item's
// start whose kind is LINK and whose link face is the work item's face), brought in step:
// - a LINK that would run into the next item on its face with the work item's play time becomes
//   an independent item of the kind it showed;
// - a work item that is no longer a picture, camera or movie leaves it independent as well;
// - otherwise it takes the work item's media, play mode, camera, times (and, for a new kind, the
//   mute switch), and the work item's display rectangle and thumbnail when the file changed;
//   its effects are placed on its new length, or dropped when they no longer fit.
// Nothing when the face is the work item's own, lies in another channel or has no such LINK.
std::optional<LinkSyncStep> SyncLinkOnFace(
    const tagTL_FACE_DATA& face, const tagTL_FACE_ITEM_DATA& work, const ThumbnailPlace& place);
// The same over all faces, in face order.
std::vector<LinkSyncStep> PlanLinkSync(
    FaceSpan faces, const tagTL_FACE_ITEM_DATA& work, const ThumbnailPlace& place);

// A LINK item that mirrors the work item, moved to the work item's start: both effects keep
// their lengths, the entry placed at the start and the exit at the end.
tagTL_FACE_ITEM_DATA MoveMirroringItem(const tagTL_FACE_ITEM_DATA& mirror, const tagTL_FACE_ITEM_DATA& work);

} // namespace itempanel
