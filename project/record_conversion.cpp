#include "project/record_conversion.h"

#include "project/item_list_xml.h"

FaceXmlRecord ToFaceXmlRecord(const tagTL_FACE_DATA& face)
{
    FaceXmlRecord entry;
    entry.No = face.No;
    entry.FilePath = QStringLiteral("Face_%1.xml").arg(face.No);
    entry.Status = face.Status;
    entry.Lock = face.Lock;
    entry.R = face.R;
    entry.G = face.G;
    entry.B = face.B;
    entry.X = face.X;
    entry.Y = face.Y;
    return entry;
}

tagTL_FACE_DATA ToFaceData(const FaceXmlRecord& entry, int32_t channel)
{
    tagTL_FACE_DATA face;
    face.Channel = channel;
    face.No = entry.No;
    face.SubNo = 0;
    face.Status = entry.Status;
    face.Lock = entry.Lock;
    face.R = entry.R;
    face.G = entry.G;
    face.B = entry.B;
    face.X = entry.X;
    face.Y = entry.Y;
    return face;
}

// The stored fields, in field order, shared by both directions of the item conversion.
template <typename From, typename To> static void CopyStoredItemFields(const From& from, To& to)
{
    to.Start = from.Start;
    to.PlayTime = from.PlayTime;
    to.Mode = from.Mode;
    to.FilePath = from.FilePath;
    to.PlayMode = from.PlayMode;
    to.LinkFaceNo = from.LinkFaceNo;
    to.CameraID = from.CameraID;
    to.CameraImgW = from.CameraImgW;
    to.CameraImgH = from.CameraImgH;
    to.InTime = from.InTime;
    to.OutTime = from.OutTime;
    to.MaskMode = from.MaskMode;
    to.MaskX = from.MaskX;
    to.MaskY = from.MaskY;
    to.W = from.W;
    to.H = from.H;
    to.PNUM = from.PNUM;
    to.X = from.X;
    to.Y = from.Y;
    to.MaskImageEnable = from.MaskImageEnable;
    to.MaskImage = from.MaskImage;
    to.Volume = from.Volume;
    to.Mute = from.Mute;
    to.InPattern = from.InPattern;
    to.InDirection = from.InDirection;
    to.InStartTime = from.InStartTime;
    to.InEndTime = from.InEndTime;
    to.OutPattern = from.OutPattern;
    to.OutDirection = from.OutDirection;
    to.OutStartTime = from.OutStartTime;
    to.OutEndTime = from.OutEndTime;
    to.FilterNo = from.FilterNo;
    to.Param = from.Param;
    to.ThumbnailTime = from.ThumbnailTime;
}

bool ToItemXmlRecord(const tagTL_FACE_ITEM_DATA& item, ItemXmlRecord& entry)
{
    if (!FitsEntry(item.FilePath) || !FitsEntry(item.MaskImage))
        return false;
    CopyStoredItemFields(item, entry);
    return true;
}

tagTL_FACE_ITEM_DATA ToFaceItemData(
    const ItemXmlRecord& entry, int32_t channel, int32_t faceNo, int32_t linkMode)
{
    tagTL_FACE_ITEM_DATA item;
    item.Channel = channel;
    item.FaceNo = faceNo;
    item.SubNo = 0;
    CopyStoredItemFields(entry, item);
    item.LinkMode = linkMode;
    return item;
}

int32_t LookUpLinkMode(const ItemXmlRecord& entry, const std::map<int32_t, CItemListXml>& faceItems)
{
    if (entry.Mode != tagTL_FACE_ITEM_DATA::MODE_LINK)
        return 0;
    const auto face = faceItems.find(entry.LinkFaceNo);
    if (face == faceItems.end())
        return 0;
    const auto linked = face->second.Items().find(entry.Start);
    return linked == face->second.Items().end() ? 0 : linked->second.Mode;
}
