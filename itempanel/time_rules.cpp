#include "itempanel/time_rules.h"

#include "itempanel/item_panel_messages.h"
#include "platform/dialog_service.h"

#include <algorithm>

namespace itempanel {

namespace {

// Out of 0 .. maximum: told and taken as the bound.
int32_t BoundTypedTime(int64_t typed, int32_t maximum, const AskMessage& ask, bool* corrected = nullptr)
{
    if (typed < 0) {
        ask(kMsgTimeBelowZero, platform::MB_OK);
        if (corrected)
            *corrected = true;
        return 0;
    }
    if (typed > maximum) {
        ask(kMsgTimeAboveMaximum, platform::MB_OK);
        if (corrected)
            *corrected = true;
        return maximum;
    }
    return int32_t(typed);
}

} // namespace

PlayTimeCheck CheckTypedPlayTime(int64_t typed,
    int32_t accepted,
    FaceSpan faces,
    int32_t faceNo,
    int32_t loadedStart,
    const AskMessage& ask)
{
    const PlayTimeCheck refused { accepted, false };
    int32_t value = BoundTypedTime(typed, kMaxTypedTime, ask);
    const auto item = ItemAtStart(faces, faceNo, loadedStart);
    if (!item)
        return refused;
    const int32_t minimum = EffectMinimum(*item);
    if (value < minimum) {
        if (ask(kMsgShorterThanEffects, platform::MB_YESNO) != platform::IDYES)
            return refused;
        value = minimum;
    }
    if (const auto next = NextItemAfter(faces, faceNo, loadedStart, loadedStart);
        next && int64_t(loadedStart) + value > next->Start) {
        if (ask(kMsgOverlapsNextItem, platform::MB_YESNO) != platform::IDYES)
            return refused;
        value = next->Start - loadedStart;
        // The room left before the next item is shorter than the effects: no value meets both.
        if (value < minimum)
            return refused;
    }
    return { value, true };
}

StartTimeCheck CheckTypedStartTime(int64_t typed,
    int32_t loadedStart,
    int32_t playTime,
    int32_t mode,
    FaceSpan faces,
    int32_t faceNo,
    const AskMessage& ask)
{
    StartTimeCheck check { false, loadedStart, {} };
    if (typed == loadedStart)
        return check;
    if (typed < 0) {
        ask(kMsgTimeBelowZero, platform::MB_OK);
        return check;
    }
    if (typed > kMaxTypedTime) {
        ask(kMsgTimeAboveMaximum, platform::MB_OK);
        return check;
    }
    const int32_t start = int32_t(typed);
    if (!IsRangeFree(faces, faceNo, start, playTime, loadedStart))
        return check;
    std::vector<tagTL_FACE_ITEM_DATA> mirrors;
    if (IsLinkableMode(mode)) {
        mirrors = MirroringLinks(faces, faceNo, loadedStart);
        for (const tagTL_FACE_ITEM_DATA& link : mirrors) {
            if (!IsRangeFree(faces, link.FaceNo, start, link.PlayTime, loadedStart))
                return check;
        }
    }
    return { true, start, std::move(mirrors) };
}

InOutCheck CheckTypedInOut(
    int64_t inTime, int64_t outTime, int32_t inMax, int32_t outMax, bool focusInOut, const AskMessage& ask)
{
    bool corrected = false;
    InOutCheck check;
    check.inTime = BoundTypedTime(inTime, inMax, ask, &corrected);
    check.outTime = BoundTypedTime(outTime, outMax, ask, &corrected);
    if (check.inTime > check.outTime) {
        corrected = true;
        if (focusInOut) {
            ask(kMsgOutBeforeIn, platform::MB_OK);
            check.outTime = check.inTime;
        } else {
            ask(kMsgInAfterOut, platform::MB_OK);
            check.inTime = check.outTime;
        }
    }
    check.report = !corrected;
    return check;
}

PreviewTimeCheck CheckTypedPreviewTime(int64_t typed, int32_t maximum, const AskMessage& ask)
{
    bool corrected = false;
    const int32_t value = BoundTypedTime(typed, maximum, ask, &corrected);
    return { value, !corrected };
}

int32_t SpinInUp(int32_t inTime, int32_t outTime)
{
    return std::min(inTime + 1, outTime);
}

int32_t SpinInDown(int32_t inTime)
{
    return std::max(inTime - 1, 0);
}

int32_t SpinOutUp(int32_t outTime, int32_t movieLength)
{
    return std::min(outTime + 1, movieLength);
}

int32_t SpinOutDown(int32_t inTime, int32_t outTime)
{
    return std::max(std::max(outTime - 1, 0), inTime);
}

EffectTimeCheck CheckEntryEffectTime(
    int64_t entry, int64_t exit, int64_t start, int64_t playTime, const AskMessage& ask)
{
    if (exit > 0) {
        if (start + entry <= start + playTime - exit)
            return { int32_t(entry), true };
        ask(kMsgEntryPastExit, platform::MB_OK);
        return { int32_t(playTime - exit), false };
    }
    if (entry <= playTime)
        return { int32_t(entry), true };
    ask(kMsgEffectLongerThanItem, platform::MB_OK);
    return { int32_t(playTime), false };
}

EffectTimeCheck CheckExitEffectTime(
    int64_t entry, int64_t exit, int64_t start, int64_t playTime, const AskMessage& ask)
{
    if (entry > 0) {
        if (start + entry <= start + playTime - exit)
            return { int32_t(exit), true };
        ask(kMsgExitBeforeEntry, platform::MB_OK);
        return { int32_t(playTime - entry), false };
    }
    if (exit <= playTime)
        return { int32_t(exit), true };
    ask(kMsgEffectLongerThanItem, platform::MB_OK);
    return { int32_t(playTime), false };
}

int64_t PresetEffectTime(int64_t defaultTime, int64_t playTime, int64_t otherEffectTime)
{
    // An exit that already takes the whole play time leaves 0, never a negative time.
    return std::max<int64_t>(0, std::min(defaultTime, playTime - otherEffectTime));
}

} // namespace itempanel
