#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

// One item on a face's timeline. Times are hundredths of a second. Within a face an item is
// identified by its Start.
struct tagTL_FACE_ITEM_DATA {
    // Item kinds (Mode); 4 and 5 are not used.
    static constexpr int32_t MODE_NONE = 0;
    static constexpr int32_t MODE_IMAGE = 1;
    static constexpr int32_t MODE_CAMERA = 2;
    static constexpr int32_t MODE_MOVIE = 3;
    static constexpr int32_t MODE_SOUND = 6;
    static constexpr int32_t MODE_LINK = 7;
    // Most mask points an item holds.
    static constexpr int32_t MAX_MASK_POINTS = 16;
    static constexpr int32_t FILTER_PARAMS = 10;

    int32_t Channel = 0;
    int32_t FaceNo = 0;
    int32_t SubNo = 0;
    int32_t Start = 0;
    int32_t PlayTime = 0;
    int32_t Mode = MODE_NONE;
    QString FilePath;
    int32_t PlayMode = 0; // 0 normal, 1 loop
    int32_t LinkFaceNo = 0;
    // For a LINK item, the Mode of the linked face's item with the same Start; worked out on
    // load, never stored.
    int32_t LinkMode = 0;
    int32_t CameraID = -1;
    int32_t CameraImgW = 0;
    int32_t CameraImgH = 0;
    int32_t InTime = 0;
    int32_t OutTime = 0;
    int32_t MaskMode = 0; // 0 square, 1 circle, 2 image
    int32_t MaskX = 0;
    int32_t MaskY = 0;
    int32_t W = 0;
    int32_t H = 0;
    int32_t PNUM = 0; // mask points in use; 0 means the rectangle MaskX, MaskY, W, H
    std::array<int32_t, MAX_MASK_POINTS> X {};
    std::array<int32_t, MAX_MASK_POINTS> Y {};
    int32_t MaskImageEnable = 0;
    QString MaskImage;
    int32_t Volume = 100;
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
    std::array<int32_t, FILTER_PARAMS> Param {};
    int32_t ThumbnailTime = -1;

    // Back to exactly the values of a new record.
    void Clear() { *this = tagTL_FACE_ITEM_DATA(); }

    bool operator==(const tagTL_FACE_ITEM_DATA&) const = default;
};

// One face: an output quadrilateral with its colour and its items, which it owns by value.
struct tagTL_FACE_DATA {
    int32_t Channel = 0;
    int32_t No = 0;
    int32_t SubNo = 0;
    int32_t Status = 0; // 1 shown, 0 hidden
    int32_t Lock = 0; // 1 locked
    int32_t R = 0;
    int32_t G = 0;
    int32_t B = 0;
    // Corners: top-left, top-right, bottom-right, bottom-left.
    std::array<int32_t, 4> X {};
    std::array<int32_t, 4> Y {};
    std::vector<tagTL_FACE_ITEM_DATA> Items;

    void Clear() { *this = tagTL_FACE_DATA(); }

    bool operator==(const tagTL_FACE_DATA&) const = default;
};

// The number of mask points an item's PNUM stands for, kept within the arrays.
inline int32_t ClampedMaskPoints(int32_t pnum)
{
    return pnum < 0
        ? 0
        : (pnum > tagTL_FACE_ITEM_DATA::MAX_MASK_POINTS ? tagTL_FACE_ITEM_DATA::MAX_MASK_POINTS : pnum);
}
