#pragma once

#include "project/face_data.h"
#include "project/xml_records.h"

#include <cstdint>
#include <map>

class CItemListXml;

// Face record to channel file entry; the file name is "Face_%d.xml" of the face number.
FaceXmlRecord ToFaceXmlRecord(const tagTL_FACE_DATA& face);
// Channel file entry to face record of the channel; the items stay empty.
tagTL_FACE_DATA ToFaceData(const FaceXmlRecord& entry, int32_t channel);

// Item record to face file entry. False, with the entry untouched, when a text is longer than
// its field: a path is never cut.
bool ToItemXmlRecord(const tagTL_FACE_ITEM_DATA& item, ItemXmlRecord& entry);
// Face file entry to item record of the given face, with LinkMode as given.
tagTL_FACE_ITEM_DATA ToFaceItemData(
    const ItemXmlRecord& entry, int32_t channel, int32_t faceNo, int32_t linkMode);

// For a LINK entry, the Mode of the item of its linked face that starts at the same time;
// 0 when there is none and for every other kind.
int32_t LookUpLinkMode(const ItemXmlRecord& entry, const std::map<int32_t, CItemListXml>& faceItems);
