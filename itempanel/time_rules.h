#pragma once

#include "itempanel/item_lookup.h"

#include <cstdint>
#include <functional>
#include <vector>

// The checks of the times typed into the panel's pages, as plain functions. A check that has to
// tell the user something asks through `ask` with the catalogue message's number and the box's
// style (MB_OK, or MB_YESNO for the two questions) and gets the answer (IDOK, IDYES, IDNO).
namespace itempanel {

// Message numbers of the catalogue that the checks show.
enum TimeMessage : int {
    kMsgTimeBelowZero = 106, // "0秒未満は入力できません。"
    kMsgTimeAboveMaximum = 107, // "最大時間を超えています。"
    kMsgInAfterOut = 108,
    kMsgOutBeforeIn = 109,
    kMsgShorterThanEffects = 110, // question: take the shortest the effects allow?
    kMsgOverlapsNextItem = 111, // question: end where the next item starts?
    kMsgEffectLongerThanItem = 112,
    kMsgEntryPastExit = 113,
    kMsgExitBeforeEntry = 114,
};

using AskMessage = std::function<int(int messageId, unsigned type)>;

// A typed play time of the item at (faceNo, loadedStart). Out of 0 .. 360000 it is told (106,
// 107) and taken as the bound; then the item's effects must fit (110: Yes takes their length)
// and the item must end before the next one (111: Yes ends it there); after a Yes the new value
// is checked against the other rule. "No", a value that cannot meet both rules, and an item that
// is no longer on its face give back `accepted`, the value the item has.
struct PlayTimeCheck {
    int32_t value = 0;
    bool report = false; // true: the value is taken and the change is to be reported
};
PlayTimeCheck CheckTypedPlayTime(int64_t typed,
    int32_t accepted,
    FaceSpan faces,
    int32_t faceNo,
    int32_t loadedStart,
    const AskMessage& ask);

// A typed start time of the item at (faceNo, loadedStart) with its current play time. Equal to
// the loaded start: nothing. Out of 0 .. 360000: told (106, 107) and the loaded start restored.
// A range that is not free on the face, or, for a picture, camera or movie item, on the face of
// any LINK item that shows it: the loaded start restored without a word. Otherwise taken, with
// the LINK items that move with it.
struct StartTimeCheck {
    bool accepted = false;
    int32_t value = 0; // the new start, or the loaded start restored
    std::vector<tagTL_FACE_ITEM_DATA> mirrors;
};
StartTimeCheck CheckTypedStartTime(int64_t typed,
    int32_t loadedStart,
    int32_t playTime,
    int32_t mode,
    FaceSpan faces,
    int32_t faceNo,
    const AskMessage& ask);

// Typed IN and OUT points (both checked whichever has the focus). Each out of 0 .. its maximum
// is told (106, 107) and set to the bound; then IN after OUT is told (109 and OUT = IN with the
// focus in OUT, 108 and IN = OUT with the focus in IN). Only values that needed no correction
// are reported.
struct InOutCheck {
    int32_t inTime = 0;
    int32_t outTime = 0;
    bool report = false;
};
InOutCheck CheckTypedInOut(
    int64_t inTime, int64_t outTime, int32_t inMax, int32_t outMax, bool focusInOut, const AskMessage& ask);

// A typed preview time: told and set to 0 or the maximum when out of range; `accepted` when it
// was in range.
struct PreviewTimeCheck {
    int32_t value = 0;
    bool accepted = false;
};
PreviewTimeCheck CheckTypedPreviewTime(int64_t typed, int32_t maximum, const AskMessage& ask);

// The IN/OUT spin buttons: one hundredth up or down. IN stays within 0 .. OUT; OUT within IN ..
// the movie's length.
int32_t SpinInUp(int32_t inTime, int32_t outTime);
int32_t SpinInDown(int32_t inTime);
int32_t SpinOutUp(int32_t outTime, int32_t movieLength);
int32_t SpinOutDown(int32_t inTime, int32_t outTime);

// The effect times of the effects page (entry e, exit x, start s, play time p). The entry time
// must end no later than the exit begins (113, corrected to p - x) or, without an exit, no
// later than the item (112, corrected to p); the exit time likewise (114 to p - e, 112 to p).
struct EffectTimeCheck {
    int32_t value = 0; // the time the edit shows afterwards
    bool accepted = false; // true: reported to the panel
};
EffectTimeCheck CheckEntryEffectTime(
    int64_t entry, int64_t exit, int64_t start, int64_t playTime, const AskMessage& ask);
EffectTimeCheck CheckExitEffectTime(
    int64_t entry, int64_t exit, int64_t start, int64_t playTime, const AskMessage& ask);
// The time an effect gets when it is chosen: the default effect time, at most what the other
// effect leaves of the play time, and not below 0.
int64_t PresetEffectTime(int64_t defaultTime, int64_t playTime, int64_t otherEffectTime);

} // namespace itempanel
