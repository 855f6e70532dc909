#pragma once

#include "project/face_data.h"

#include <QHash>
#include <cstdint>
#include <vector>

// Keys, order and lookups of the timeline's faces and items, and the LINK rules over them.
// Faces are kept sorted by (channel, number, sub-number); a face's items by start, no two with
// one start. The pointers these functions return are valid until the faces change.
namespace timeline {

using FaceList = std::vector<tagTL_FACE_DATA>;

// Three-way comparisons: negative, 0 or positive.
int CompareFaceKey(const tagTL_FACE_DATA& a, const tagTL_FACE_DATA& b);
// Channel, face number, sub-number, start, all ascending.
int CompareItemKey(const tagTL_FACE_ITEM_DATA& a, const tagTL_FACE_ITEM_DATA& b);
// Channel, face number, sub-number descending, then start ascending.
int CompareItemKeyStartFirstDescending(const tagTL_FACE_ITEM_DATA& a, const tagTL_FACE_ITEM_DATA& b);
// All four descending.
int CompareItemKeyDescending(const tagTL_FACE_ITEM_DATA& a, const tagTL_FACE_ITEM_DATA& b);

// IMAGE, CAMERA or MOVIE: the kinds a LINK item can show.
bool IsMediaMode(int32_t mode);
// The end of an item (start + play time) without overflow.
int64_t ItemEnd(const tagTL_FACE_ITEM_DATA& item);
// Effect lengths (end - start); an effect whose length is not positive is absent.
int64_t EntryEffectLength(const tagTL_FACE_ITEM_DATA& item);
int64_t ExitEffectLength(const tagTL_FACE_ITEM_DATA& item);
// Places the effects that are present on the item's own span: the entry effect from the start,
// the exit effect up to the end, each keeping its length.
void AnchorEffects(tagTL_FACE_ITEM_DATA& item);
// Whether two items have the same key (channel, face, sub-number, start).
bool SameItemKey(const tagTL_FACE_ITEM_DATA& a, const tagTL_FACE_ITEM_DATA& b);

// The face with that key; null when none.
tagTL_FACE_DATA* FindFace(FaceList& faces, int32_t channel, int32_t faceNo, int32_t subNo);
const tagTL_FACE_DATA* FindFace(const FaceList& faces, int32_t channel, int32_t faceNo, int32_t subNo);
// The first face of that channel and number.
tagTL_FACE_DATA* FindFace(FaceList& faces, int32_t channel, int32_t faceNo);
const tagTL_FACE_DATA* FindFace(const FaceList& faces, int32_t channel, int32_t faceNo);
// The first face with that number, whatever its channel.
tagTL_FACE_DATA* FindFaceByNo(FaceList& faces, int32_t faceNo);
const tagTL_FACE_DATA* FindFaceByNo(const FaceList& faces, int32_t faceNo);
// The row of the first face with that number, -1 when none.
int FaceRow(const FaceList& faces, int32_t faceNo);

// The face's item starting at `start`; null when none.
tagTL_FACE_ITEM_DATA* FindItem(tagTL_FACE_DATA& face, int32_t start);
const tagTL_FACE_ITEM_DATA* FindItem(const tagTL_FACE_DATA& face, int32_t start);
// Adds an item in start order; false (nothing added) when its start is taken.
bool InsertItemSorted(tagTL_FACE_DATA& face, const tagTL_FACE_ITEM_DATA& item);
// Puts the face's items back into start order after a start changed.
void SortItems(tagTL_FACE_DATA& face);
// Adds a face in key order.
void InsertFaceSorted(FaceList& faces, tagTL_FACE_DATA face);

// Gives the face in row r the number r + 1 and its items that number. Returns the number every
// row had before, in row order.
std::vector<int32_t> RenumberByRow(FaceList& faces);
// The numbers 1 .. count: every row's number after a renumbering.
std::vector<int32_t> RowNumbers(size_t count);
// Points every LINK item at the new number of the face it mirrored: its LinkFaceNo is looked up
// in oldNumbers (skipping position skipRow, -1 for none) and takes the new number at the first
// match. Returns the number of items changed.
int RepointLinks(FaceList& faces,
    const std::vector<int32_t>& oldNumbers,
    const std::vector<int32_t>& newNumbers,
    int skipRow);

// The item a LINK shows: the item of face LinkFaceNo that starts at the LINK's start. Null when
// there is none, or it is not a picture, camera or movie item.
const tagTL_FACE_ITEM_DATA* LinkPartner(const FaceList& faces, const tagTL_FACE_ITEM_DATA& link);
// The LINK items of every face by the face number and start of the item they show, each list in
// row and start order. The pointers are valid until the faces change.
class CLinkIndex {
public:
    explicit CLinkIndex(const FaceList& faces);
    const std::vector<const tagTL_FACE_ITEM_DATA*>& LinksTo(int32_t faceNo, int32_t start) const;

private:
    QHash<quint64, std::vector<const tagTL_FACE_ITEM_DATA*>> m_links;
};

// Turns a LINK into an independent item of the given kind (its linked kind when 0): the kind
// is taken, LinkFaceNo and the linked kind become 0. A LINK without a known kind stays a LINK
// but forgets the face it pointed at.
void DissolveLink(tagTL_FACE_ITEM_DATA& link, int32_t kind = 0);

} // namespace timeline
