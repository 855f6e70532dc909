#pragma once

#include "project/face_data.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// How the properties page and the panel find items on the faces: plain functions over a copy of
// the timeline's faces, taken at the moment of use. `loadedStart` is the start of the item shown
// in the panel; lookups that name it never return that item itself.
namespace itempanel {

using FaceSpan = std::span<const tagTL_FACE_DATA>;

// The first face with that number, or null.
const tagTL_FACE_DATA* FindFaceByNo(FaceSpan faces, int32_t faceNo);

// The first item of the face that starts at `start`.
std::optional<tagTL_FACE_ITEM_DATA> ItemAtStart(FaceSpan faces, int32_t faceNo, int32_t start);

// Among the face's items not at `loadedStart`, the one with the smallest start after `time`.
std::optional<tagTL_FACE_ITEM_DATA> NextItemAfter(
    FaceSpan faces, int32_t faceNo, int32_t time, int32_t loadedStart);
// Among the face's items not at `loadedStart`, the one with the largest start before `time`.
std::optional<tagTL_FACE_ITEM_DATA> PreviousItemBefore(
    FaceSpan faces, int32_t faceNo, int32_t time, int32_t loadedStart);

// Whether [start, start + length) is free on the face: no item starts exactly at `start`, the
// previous item ends at or before it and the next one starts at or after its end. Computed in
// 64 bits.
bool IsRangeFree(FaceSpan faces, int32_t faceNo, int32_t start, int32_t length, int32_t loadedStart);

// The LINK items of the other faces that show the item at (faceNo, start): on every other face
// the first item at `start` whose kind is LINK and whose link face is `faceNo`.
std::vector<tagTL_FACE_ITEM_DATA> MirroringLinks(FaceSpan faces, int32_t faceNo, int32_t start);

// The items a LINK item at (channel, faceNo, start) may show: on every other face of the channel,
// in face order, the first item at `start` when it is a picture, camera or movie item that ends
// no later than the next item on this face (when there is one). At most one per face.
std::vector<tagTL_FACE_ITEM_DATA> BuildLinkCandidates(
    FaceSpan faces, int32_t channel, int32_t faceNo, int32_t start);

// A new play time shortened so that the item ends no later than the next item on its face.
int32_t ShortenToNextItem(FaceSpan faces, int32_t faceNo, int32_t loadedStart, int32_t playTime);

// The length of an item's entry effect and exit effect; an effect counts only when it is set
// (a pattern above 0 and an end after its start).
int32_t EntryEffectLength(const tagTL_FACE_ITEM_DATA& item);
int32_t ExitEffectLength(const tagTL_FACE_ITEM_DATA& item);
// The shortest play time the item's effects allow: both lengths together.
int32_t EffectMinimum(const tagTL_FACE_ITEM_DATA& item);

// Whether the kind is a picture, camera or movie: the kinds a LINK item can show.
bool IsLinkableMode(int32_t mode);

// The item thumbnails lie in <base>/<project>/Channel_<c>/Face_<f>/thumbnail_<start>.jpg. The base
// folder is the work folder, for a package project (kind 2) followed by "<project>_Package".
struct ThumbnailPlace {
    QString baseFolder;
    QString projectName;
};
ThumbnailPlace MakeThumbnailPlace(const QString& workFolder, const QString& projectName, int projectKind);
QString ThumbnailPath(const ThumbnailPlace& place, int32_t channel, int32_t faceNo, int32_t start);

} // namespace itempanel
