#pragma once

#include "project/face_data.h"

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>

// Longest text, in UTF-16 units, that a file entry's string field holds.
inline constexpr int kMaxEntryTextLength = 259;

// One face entry of a channel file. A default entry is all zero with an empty file name.
struct FaceXmlRecord {
    int32_t No = 0;
    QString FilePath; // the face file's name, "Face_%d.xml"
    int32_t Status = 0;
    int32_t Lock = 0;
    int32_t R = 0;
    int32_t G = 0;
    int32_t B = 0;
    std::array<int32_t, 4> X {};
    std::array<int32_t, 4> Y {};

    bool operator==(const FaceXmlRecord&) const = default;
};

// One item entry of a face file: the stored fields of an item record. A default entry is all
// zero; the item record's defaults are not applied to entries.
struct ItemXmlRecord {
    int32_t Start = 0;
    int32_t PlayTime = 0;
    int32_t Mode = 0;
    QString FilePath;
    int32_t PlayMode = 0;
    int32_t LinkFaceNo = 0;
    int32_t CameraID = 0;
    int32_t CameraImgW = 0;
    int32_t CameraImgH = 0;
    int32_t InTime = 0;
    int32_t OutTime = 0;
    int32_t MaskMode = 0;
    int32_t MaskX = 0;
    int32_t MaskY = 0;
    int32_t W = 0;
    int32_t H = 0;
    int32_t PNUM = 0;
    std::array<int32_t, tagTL_FACE_ITEM_DATA::MAX_MASK_POINTS> X {};
    std::array<int32_t, tagTL_FACE_ITEM_DATA::MAX_MASK_POINTS> Y {};
    int32_t MaskImageEnable = 0;
    QString MaskImage;
    int32_t Volume = 0;
    int32_t Mute = 0;
    int32_t InPattern = 0;
    int32_t InDirection = 0;
    int32_t InStartTime = 0;
    int32_t InEndTime = 0;
    int32_t OutPattern = 0;
    int32_t OutDirection = 0;
    int32_t OutStartTime = 0;
    int32_t OutEndTime = 0;
    int32_t FilterNo = 0;
    std::array<int32_t, tagTL_FACE_ITEM_DATA::FILTER_PARAMS> Param {};
    int32_t ThumbnailTime = 0;

    bool operator==(const ItemXmlRecord&) const = default;
};

// One channel entry of the project XML.
struct ChannelXmlRecord {
    int32_t No = 0;
    QString FilePath; // the channel file's name, "Channel_%d.xml"
    int32_t Status = 0;

    bool operator==(const ChannelXmlRecord&) const = default;
};

// A 64-bit digest of every field of the entry: two entries that differ in any field have
// different fingerprints but with a chance of about 2^-64. A save compares the entries it holds
// with the fingerprints of what the loaded document holds, instead of keeping a copy of them.
uint64_t Fingerprint(const FaceXmlRecord& entry);
uint64_t Fingerprint(const ItemXmlRecord& entry);

// The memory a text takes beside the entry that holds it: its characters, their header and the
// allocator's share. An empty text takes none.
inline size_t TextHeapBytes(const QString& text)
{
    return text.isEmpty() ? 0 : size_t(text.capacity() + 1) * sizeof(char16_t) + 48;
}

inline size_t TextHeapBytes(const FaceXmlRecord& entry)
{
    return TextHeapBytes(entry.FilePath);
}

inline size_t TextHeapBytes(const ItemXmlRecord& entry)
{
    return TextHeapBytes(entry.FilePath) + TextHeapBytes(entry.MaskImage);
}

// True when the entry's texts fit their fields.
inline bool FitsEntry(const QString& text)
{
    return text.size() <= kMaxEntryTextLength;
}
