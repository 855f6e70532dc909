#pragma once

#include "project/face_data.h"

#include <cstdint>
#include <vector>

// The records the timeline hands its owner with its notifications. They are values: the owner
// may keep copies, and nothing in them points into the timeline's faces.

// An item before and after a change (moved, copied, changed).
struct ItemRecordPair {
    tagTL_FACE_ITEM_DATA before;
    tagTL_FACE_ITEM_DATA after;
};

// A face moved to another row. The four numbers come first; then every face before the faces
// were renumbered and after it, index by index (row order after the move).
struct FaceMoveInfo {
    int32_t sourceRow = 0;
    int32_t targetRow = 0;
    int32_t oldFaceNo = 0;
    int32_t newFaceNo = 0;
    std::vector<tagTL_FACE_DATA> facesBefore;
    std::vector<tagTL_FACE_DATA> facesAfter;
};

// A face copied with its items to a row: the new face as stored, and the number every row had
// before the renumbering and has after it, pairwise in row order.
struct FaceCopyInfo {
    int32_t sourceRow = 0;
    int32_t targetRow = 0;
    tagTL_FACE_DATA newFace;
    std::vector<int32_t> oldNumbers;
    std::vector<int32_t> newNumbers;
};

// A face record inserted at a row, with the numbers before and after the renumbering.
struct FaceInsertInfo {
    int32_t row = 0;
    tagTL_FACE_DATA face;
    std::vector<int32_t> oldNumbers;
    std::vector<int32_t> newNumbers;
};
