#include "viewer/item_timing.h"

#include <algorithm>

ItemMediaRange ItemMediaRange::Of(const tagTL_FACE_ITEM_DATA& item, int64_t durationUs)
{
    ItemMediaRange range;
    range.inUs = HundredthsToUs(std::max(item.InTime, 0));
    if (item.OutTime > item.InTime)
        range.outUs = HundredthsToUs(item.OutTime);
    else
        range.outUs = durationUs > range.inUs ? durationUs : 0;
    if (durationUs > 0)
        range.outUs = std::min(range.outUs > 0 ? range.outUs : durationUs, durationUs);
    range.loop = item.PlayMode == 1 && range.outUs > range.inUs;
    return range;
}

int64_t ItemMediaRange::MediaOf(int64_t sequenceUs) const
{
    if (sequenceUs < inUs)
        return inUs;
    if (loop)
        return inUs + (sequenceUs - inUs) % SpanUs();
    return outUs > inUs ? std::min(sequenceUs, outUs) : sequenceUs;
}

ItemMediaPosition MediaPositionAt(
    const tagTL_FACE_ITEM_DATA& item, const ItemMediaRange& range, int64_t showUs)
{
    ItemMediaPosition position;
    const int64_t intoItem = std::max<int64_t>(showUs - HundredthsToUs(item.Start), 0);
    position.sequenceUs = range.inUs + intoItem;
    if (!range.loop && range.outUs > range.inUs && position.sequenceUs >= range.outUs) {
        // The frame before OUT stays: a frame starting exactly at OUT is not the item's.
        position.sequenceUs = range.outUs - 1;
        position.ended = true;
    }
    position.mediaUs = range.MediaOf(position.sequenceUs);
    return position;
}
