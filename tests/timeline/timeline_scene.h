#pragma once

#include "timeline/timeline_model.h"

#include <QColor>
#include <QImage>
#include <QString>

// Pictures and scenes for the tests of the timeline's painting.
namespace timeline_scene {

// Writes a skin of plain pictures into a folder under the skin's file names: every image slot
// one colour of its own, at the size the delivered skin has (bars 64 x 36, effect band 64 x 20,
// buttons 16 x 16, link icon 13 x 14, filter icon 12 x 12, camera and sound icons 48 x 27).
// A pixel then tells which picture was drawn there.
void WritePlainSkin(const QString& folder);
// The colour of an image slot's picture (slots sharing a file share the first one's colour).
QColor SlotColour(int slot);
// The colours of the camera and sound icons.
QColor IconColour(int icon);

// A picture of one colour, written as an item's thumbnail.
bool WriteThumbnail(const CTimeLineModel& model, const tagTL_FACE_ITEM_DATA& item, const QColor& colour);

// A show of six faces with items of every kind, effects, a filter, a LINK, a hidden and a locked
// face, thumbnails in `projectFolder`, IN and OUT and the playhead: for looking at the timeline
// and for probing it.
void BuildShowcase(CTimeLineModel& model, const QString& projectFolder);

// True when the colours differ by at most `tolerance` in each channel.
bool Near(const QColor& a, const QColor& b, int tolerance = 2);
// The colour a veil of `veil` with alpha `alpha` (0..255) gives over `under`.
QColor Blend(const QColor& under, const QColor& veil, int alpha);

} // namespace timeline_scene
