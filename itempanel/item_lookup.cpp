#include "itempanel/item_lookup.h"

#include "platform/paths.h"

namespace itempanel {

const tagTL_FACE_DATA* FindFaceByNo(FaceSpan faces, int32_t faceNo)
{
    for (const tagTL_FACE_DATA& face : faces) {
        if (face.No == faceNo)
            return &face;
    }
    return nullptr;
}

std::optional<tagTL_FACE_ITEM_DATA> ItemAtStart(FaceSpan faces, int32_t faceNo, int32_t start)
{
    if (const tagTL_FACE_DATA* face = FindFaceByNo(faces, faceNo)) {
        for (const tagTL_FACE_ITEM_DATA& item : face->Items) {
            if (item.Start == start)
                return item;
        }
    }
    return std::nullopt;
}

std::optional<tagTL_FACE_ITEM_DATA> NextItemAfter(
    FaceSpan faces, int32_t faceNo, int32_t time, int32_t loadedStart)
{
    const tagTL_FACE_DATA* face = FindFaceByNo(faces, faceNo);
    if (!face)
        return std::nullopt;
    const tagTL_FACE_ITEM_DATA* next = nullptr;
    for (const tagTL_FACE_ITEM_DATA& item : face->Items) {
        if (item.Start != loadedStart && item.Start > time && (!next || item.Start < next->Start))
            next = &item;
    }
    return next ? std::optional(*next) : std::nullopt;
}

std::optional<tagTL_FACE_ITEM_DATA> PreviousItemBefore(
    FaceSpan faces, int32_t faceNo, int32_t time, int32_t loadedStart)
{
    const tagTL_FACE_DATA* face = FindFaceByNo(faces, faceNo);
    if (!face)
        return std::nullopt;
    const tagTL_FACE_ITEM_DATA* previous = nullptr;
    for (const tagTL_FACE_ITEM_DATA& item : face->Items) {
        if (item.Start != loadedStart && item.Start < time && (!previous || item.Start > previous->Start))
            previous = &item;
    }
    return previous ? std::optional(*previous) : std::nullopt;
}

bool IsRangeFree(FaceSpan faces, int32_t faceNo, int32_t start, int32_t length, int32_t loadedStart)
{
    if (ItemAtStart(faces, faceNo, start))
        return false;
    if (const auto previous = PreviousItemBefore(faces, faceNo, start, loadedStart);
        previous && int64_t(previous->Start) + previous->PlayTime > start)
        return false;
    if (const auto next = NextItemAfter(faces, faceNo, start, loadedStart);
        next && next->Start < int64_t(start) + length)
        return false;
    return true;
}

std::vector<tagTL_FACE_ITEM_DATA> MirroringLinks(FaceSpan faces, int32_t faceNo, int32_t start)
{
    std::vector<tagTL_FACE_ITEM_DATA> links;
    for (const tagTL_FACE_DATA& face : faces) {
        if (face.No == faceNo)
            continue;
        for (const tagTL_FACE_ITEM_DATA& item : face.Items) {
            if (item.Start == start && item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK
                && item.LinkFaceNo == faceNo) {
                links.push_back(item);
                break;
            }
        }
    }
    return links;
}

bool IsLinkableMode(int32_t mode)
{
    return mode == tagTL_FACE_ITEM_DATA::MODE_IMAGE || mode == tagTL_FACE_ITEM_DATA::MODE_CAMERA
        || mode == tagTL_FACE_ITEM_DATA::MODE_MOVIE;
}

std::vector<tagTL_FACE_ITEM_DATA> BuildLinkCandidates(
    FaceSpan faces, int32_t channel, int32_t faceNo, int32_t start)
{
    const auto next = NextItemAfter(faces, faceNo, start, start);
    std::vector<tagTL_FACE_ITEM_DATA> candidates;
    for (const tagTL_FACE_DATA& face : faces) {
        if (face.Channel != channel || face.No == faceNo)
            continue;
        for (const tagTL_FACE_ITEM_DATA& item : face.Items) {
            if (item.Start != start)
                continue;
            if (IsLinkableMode(item.Mode) && (!next || int64_t(item.Start) + item.PlayTime <= next->Start))
                candidates.push_back(item);
            break;
        }
    }
    return candidates;
}

int32_t ShortenToNextItem(FaceSpan faces, int32_t faceNo, int32_t loadedStart, int32_t playTime)
{
    if (const auto next = NextItemAfter(faces, faceNo, loadedStart, loadedStart);
        next && int64_t(loadedStart) + playTime > next->Start)
        return next->Start - loadedStart;
    return playTime;
}

namespace {

int32_t EffectLength(int32_t pattern, int32_t start, int32_t end)
{
    return pattern > 0 && end > start ? end - start : 0;
}

} // namespace

int32_t EntryEffectLength(const tagTL_FACE_ITEM_DATA& item)
{
    return EffectLength(item.InPattern, item.InStartTime, item.InEndTime);
}

int32_t ExitEffectLength(const tagTL_FACE_ITEM_DATA& item)
{
    return EffectLength(item.OutPattern, item.OutStartTime, item.OutEndTime);
}

int32_t EffectMinimum(const tagTL_FACE_ITEM_DATA& item)
{
    return EntryEffectLength(item) + ExitEffectLength(item);
}

ThumbnailPlace MakeThumbnailPlace(const QString& workFolder, const QString& projectName, int projectKind)
{
    ThumbnailPlace place { workFolder, projectName };
    if (projectKind == 2)
        place.baseFolder = platform::JoinPath(workFolder, QString(projectName + QStringLiteral("_Package")));
    return place;
}

QString ThumbnailPath(const ThumbnailPlace& place, int32_t channel, int32_t faceNo, int32_t start)
{
    QString path = platform::JoinPath(place.baseFolder, place.projectName);
    path = platform::JoinPath(path, QStringLiteral("Channel_%1").arg(channel));
    path = platform::JoinPath(path, QStringLiteral("Face_%1").arg(faceNo));
    return platform::JoinPath(path, QStringLiteral("thumbnail_%1.jpg").arg(start));
}

} // namespace itempanel
