#pragma once

#include "project/face_data.h"

#include <cstdint>

// Where the media of an item (movie or sound) stands at a time of the show. Times are
// microseconds; the item's own values are hundredths of a second.
struct ItemMediaPosition {
    // The media time to show or play.
    int64_t mediaUs = 0;
    // The media time counted on without wrapping at OUT: it grows with the show's time through
    // every loop of the item, so a decoder can keep working ahead across a loop.
    int64_t sequenceUs = 0;
    // Past OUT in normal play mode: the last frame is held and sound is silent.
    bool ended = false;
};

// The item's IN and OUT on its media. OUT is the item's OutTime when it lies after InTime,
// otherwise the media's own length (durationUs; unknown when 0 or less).
struct ItemMediaRange {
    int64_t inUs = 0;
    int64_t outUs = 0;
    bool loop = false;

    static ItemMediaRange Of(const tagTL_FACE_ITEM_DATA& item, int64_t durationUs);
    int64_t SpanUs() const { return outUs - inUs; }
    // The media time of a sequence time.
    int64_t MediaOf(int64_t sequenceUs) const;
};

ItemMediaPosition MediaPositionAt(
    const tagTL_FACE_ITEM_DATA& item, const ItemMediaRange& range, int64_t showUs);

inline constexpr int64_t HundredthsToUs(int64_t hundredths)
{
    return hundredths * 10000;
}
