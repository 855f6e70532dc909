#pragma once

#include "project/xml_records.h"

// What a face file gives back for an item entry: the mask position is one point when no
// points are in use, and the first point otherwise (it doubles as the rectangle's corner).
inline ItemXmlRecord AsStoredItem(ItemXmlRecord entry)
{
    if (entry.PNUM <= 0) {
        entry.X = {};
        entry.Y = {};
        entry.X[0] = entry.MaskX;
        entry.Y[0] = entry.MaskY;
    } else {
        const int points = ClampedMaskPoints(entry.PNUM);
        for (int i = points; i < tagTL_FACE_ITEM_DATA::MAX_MASK_POINTS; ++i)
            entry.X[i] = entry.Y[i] = 0;
        entry.MaskX = entry.X[0];
        entry.MaskY = entry.Y[0];
    }
    return entry;
}
