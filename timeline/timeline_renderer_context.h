#pragma once

// What the timeline's painting shares between its files; nothing outside them includes it.

#include "timeline/timeline_appearance.h"
#include "timeline/timeline_model.h"
#include "timeline/timeline_renderer.h"

#include <QColor>
#include <QPainter>
#include <QSet>

namespace timeline::paint {

// The colour table by use.
enum ColourIndex : int {
    COLOR_TIMELINE_BK = 0,
    COLOR_FACE_BORDER = 1,
    COLOR_SCALE_LINE = 2,
    COLOR_SCALE_LINE_SD = 3,
    COLOR_SCALE_FACE_LINE = 4,
    COLOR_NOWTIME_LINE = 5,
    COLOR_NOWTIME_LINE_SD = 6,
    COLOR_NOWTIME_ARROW = 7,
    COLOR_EFFECT_LINE = 8,
    COLOR_EFFECT_LINE_SD = 9,
    COLOR_INOUT_LINE = 10,
    COLOR_INOUT_LINE_SD = 11,
    COLOR_INOUT_ARROW = 12,
    COLOR_TOTALTIME_LINE = 13,
    COLOR_PLAYRANGE_MASK = 15,
    COLOR_ITEMTEXT = 16,
    COLOR_ITEMTEXT_FOCUS = 17,
    COLOR_ITEMTEXT_DISABLE = 18,
    COLOR_SCALE_TEXT = 19,
    COLOR_SCALE_TEXT_DISABLE = 20,
    COLOR_EFFECTTEXT = 21,
    COLOR_EFFECTTEXT_FOCUS = 22,
    COLOR_FACE_BK0_TOP = 23,
    COLOR_FACE_BK0_UNDER = 24,
    COLOR_FACE_BK1_TOP = 25,
    COLOR_FACE_BK1_UNDER = 26,
    COLOR_HEADER_BK_TOP = 27,
    COLOR_HEADER_BK_UNDER = 28,
};

// Image slots: each kind's four states, the buttons, icons and the effect band.
constexpr int kSlotNormal = 0;
constexpr int kSlotNot = 2;
constexpr int kSlotPress = 3;
constexpr int kSlotNone = 0;
constexpr int kSlotPicture = 4;
constexpr int kSlotMovie = 8;
constexpr int kSlotSound = 12;
constexpr int kSlotCamera = 16;
constexpr int kSlotLockOff = 20;
constexpr int kSlotLockOn = 21;
constexpr int kSlotDisplayOff = 22;
constexpr int kSlotDisplayOn = 23;
constexpr int kSlotLinkFocus = 24;
constexpr int kSlotLinkNormal = 25;
constexpr int kSlotEffectNormal = 26;
constexpr int kSlotEffectNot = 28;
constexpr int kSlotEffectPress = 29;
constexpr int kSlotFilter = 30;

// The item bar's picture: thumbnail box, link icon and text places inside the bar.
constexpr int kPictureLeft = 15;
constexpr int kPictureTop = 5;
constexpr int kPictureWidth = 48;
constexpr int kPictureHeight = 27;
constexpr int kTextLeft = 80;
constexpr int kLinkIconTop = 13;
constexpr int kLinkIconWidth = 13;
constexpr int kLinkIconHeight = 14;
constexpr int kLinkTextShift = 18;
constexpr int kBandInset = 8;
constexpr int kDefaultBarHeight = 36;

// The slot of a kind's NORMAL image (a LINK draws as its linked kind); -1 for a kind without.
int KindSlot(const tagTL_FACE_ITEM_DATA& item);
// The kind an item shows: its own, or a LINK's linked kind.
int32_t ShownKind(const tagTL_FACE_ITEM_DATA& item);

// Lines and outlines exactly on pixels, as the control's drawing lays them out: a vertical line
// covers y1 .. y2 - 1, an outline every pixel of the rectangle's edges including right and bottom.
void VLine(QPainter& painter, int x, int y1, int y2, const QColor& colour);
void HLine(QPainter& painter, int x1, int x2, int y, const QColor& colour);
void FrameRect(QPainter& painter, const TlRect& rect, const QColor& colour);
void FillGradientV(QPainter& painter, const QColor& top, const QColor& bottom, const TlRect& rect);
// An inverting drag rectangle of the halftone pattern, `border` pixels wide.
void DrawDragRect(QPainter& painter, const TlRect& rect, int border);
QRect ToQRect(const TlRect& rect);

} // namespace timeline::paint

struct CTimeLineRenderer::Context {
    QPainter& painter;
    QRect exposed;
    const CTimeLineModel& model;
    const CTimeLineViewport& viewport;
    const CTimeLineAppearance& appearance;
    const TlDragFeedback& drag;
    qreal devicePixelRatio = 1.0;
    TlRect client;
    TlRect firstTrack;
    CTimeLineModel::SelectedKeys selected; // filled for the rows only

    QColor Colour(int index) const;
    const QImage& Image(int slot) const;
    // The top of the row that shows the face at a position of the face list.
    int RowTopOfIndex(int faceIndex) const;
};

// How an item's bar looks: by whether its face is hidden, whether it is selected, or a ghost.
struct CTimeLineRenderer::ItemLook {
    int state = timeline::paint::kSlotNormal; // image state within the kind's slots
    int bandSlot = timeline::paint::kSlotEffectNormal;
    int textColour = timeline::paint::COLOR_ITEMTEXT;
    int linkSlot = timeline::paint::kSlotLinkFocus;
    bool hiddenFace = false; // pictures at half opacity
    bool ghost = false; // pictures without their dark box
};
