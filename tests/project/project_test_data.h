#pragma once

#include "project/face_data.h"
#include "project/xml_records.h"

#include <QString>

// Records with a distinct value in every field, so that a field lost or swapped on the way
// through a file shows.
inline tagTL_FACE_ITEM_DATA FilledItem(int32_t start, int32_t pnum)
{
    tagTL_FACE_ITEM_DATA item;
    item.Channel = 1;
    item.FaceNo = 2;
    item.Start = start;
    item.PlayTime = 500;
    item.Mode = tagTL_FACE_ITEM_DATA::MODE_MOVIE;
    item.FilePath = QStringLiteral("/media/映像/clip & <one>.mp4");
    item.PlayMode = 1;
    item.LinkFaceNo = 4;
    item.CameraID = 5;
    item.CameraImgW = 640;
    item.CameraImgH = 480;
    item.InTime = 11;
    item.OutTime = 12;
    item.MaskMode = 2;
    item.MaskX = 13;
    item.MaskY = 14;
    item.W = 15;
    item.H = 16;
    item.PNUM = pnum;
    for (int i = 0; i < tagTL_FACE_ITEM_DATA::MAX_MASK_POINTS; ++i) {
        item.X[i] = 100 + i;
        item.Y[i] = -200 - i;
    }
    item.MaskImageEnable = 1;
    item.MaskImage = QStringLiteral("/media/mask.png");
    item.Volume = 150;
    item.Mute = 1;
    item.InPattern = 21;
    item.InDirection = 22;
    item.InStartTime = 23;
    item.InEndTime = 24;
    item.OutPattern = 25;
    item.OutDirection = 26;
    item.OutStartTime = 27;
    item.OutEndTime = 28;
    item.FilterNo = 29;
    for (int i = 0; i < tagTL_FACE_ITEM_DATA::FILTER_PARAMS; ++i)
        item.Param[i] = 30 + i;
    item.ThumbnailTime = 77;
    return item;
}

inline FaceXmlRecord FilledFace(int32_t no)
{
    FaceXmlRecord face;
    face.No = no;
    face.FilePath = QStringLiteral("Face_%1.xml").arg(no);
    face.Status = 1;
    face.Lock = 1;
    face.R = 10 + no;
    face.G = 20 + no;
    face.B = 30 + no;
    face.X = { 1 * no, 2 * no, 3 * no, 4 * no };
    face.Y = { -1 * no, -2 * no, -3 * no, -4 * no };
    return face;
}

// What a file gives back for an entry: the mask position is one point when no points are in
// use, and the first point otherwise (it doubles as the rectangle's corner).
inline ItemXmlRecord AsStored(ItemXmlRecord entry)
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

inline const QByteArray kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
