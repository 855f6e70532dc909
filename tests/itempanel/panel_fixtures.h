#pragma once

#include "itempanel/time_rules.h"
#include "project/face_data.h"

#include <QString>
#include <deque>
#include <ostream>
#include <vector>

// Faces and items for the item panel's tests: channel 1, sub-number 0.
namespace panel_fixtures {

tagTL_FACE_ITEM_DATA MakeItem(int32_t faceNo, int32_t start, int32_t playTime, int32_t mode = 1);
tagTL_FACE_ITEM_DATA MakeLink(
    int32_t faceNo, int32_t start, int32_t playTime, int32_t linkFaceNo, int32_t linkMode);
// Sets an entry and an exit effect of the given lengths (pattern 0 leaves a side unset).
tagTL_FACE_ITEM_DATA WithEffects(
    tagTL_FACE_ITEM_DATA item, int32_t inPattern, int32_t inLength, int32_t outPattern, int32_t outLength);
tagTL_FACE_DATA MakeFace(int32_t no, std::vector<tagTL_FACE_ITEM_DATA> items);

// Answers the checks' messages from a queue (IDOK when it runs out) and keeps every message
// number asked, in order.
struct CScriptedAsk {
    std::deque<int> answers;
    std::vector<int> asked;
    itempanel::AskMessage Fn();
};

} // namespace panel_fixtures

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
