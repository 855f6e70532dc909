#pragma once

#include "timeline/timeline_appearance.h"

#include <QString>
#include <array>
#include <cstdint>

class CMessageCatalog;
class CSkinIni;

// The timeline's skin record, filled from the skin: the 29 timeline colours in key order, the 32
// image names in slot order, the camera and music icons and the three timeline fonts.
ViewSettingRecord MakeViewSettingRecord(const CSkinIni& skin);

// The timeline's four delete questions: catalogue messages 29 to 32, in order.
std::array<QString, 4> MakeViewMessageRecord(CMessageCatalog& messages);

// A face's number and its four corners before and after an edit in the viewer.
struct FaceCornerRecord {
    int32_t faceNo = 0;
    std::array<int32_t, 8> before {}; // x1, y1, x2, y2, x3, y3, x4, y4
    std::array<int32_t, 8> after {};

    void Clear() { *this = FaceCornerRecord(); }
    bool operator==(const FaceCornerRecord&) const = default;
};
