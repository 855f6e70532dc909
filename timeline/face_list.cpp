#include "timeline/face_list.h"

#include <algorithm>
#include <numeric>
#include <tuple>

namespace timeline {

namespace {

template <typename A, typename B> int ThreeWay(const A& a, const B& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

template <typename Faces> auto* FindFaceIn(Faces& faces, int32_t channel, int32_t faceNo, int32_t subNo)
{
    for (auto& face : faces) {
        if (face.Channel == channel && face.No == faceNo && face.SubNo == subNo)
            return &face;
    }
    return static_cast<decltype(&faces.front())>(nullptr);
}

template <typename Faces> auto* FindFaceIn(Faces& faces, int32_t channel, int32_t faceNo)
{
    for (auto& face : faces) {
        if (face.Channel == channel && face.No == faceNo)
            return &face;
    }
    return static_cast<decltype(&faces.front())>(nullptr);
}

template <typename Faces> auto* FindFaceByNoIn(Faces& faces, int32_t faceNo)
{
    for (auto& face : faces) {
        if (face.No == faceNo)
            return &face;
    }
    return static_cast<decltype(&faces.front())>(nullptr);
}

template <typename Face> auto* FindItemIn(Face& face, int32_t start)
{
    // Items are kept in start order.
    auto& items = face.Items;
    auto found = std::lower_bound(items.begin(), items.end(), start,
        [](const tagTL_FACE_ITEM_DATA& item, int32_t value) { return item.Start < value; });
    if (found != items.end() && found->Start == start)
        return &*found;
    // Items loaded from files before they were sorted: fall back to a scan.
    for (auto& item : items) {
        if (item.Start == start)
            return &item;
    }
    return static_cast<decltype(&items.front())>(nullptr);
}

} // namespace

int CompareFaceKey(const tagTL_FACE_DATA& a, const tagTL_FACE_DATA& b)
{
    return ThreeWay(std::tie(a.Channel, a.No, a.SubNo), std::tie(b.Channel, b.No, b.SubNo));
}

int CompareItemKey(const tagTL_FACE_ITEM_DATA& a, const tagTL_FACE_ITEM_DATA& b)
{
    return ThreeWay(
        std::tie(a.Channel, a.FaceNo, a.SubNo, a.Start), std::tie(b.Channel, b.FaceNo, b.SubNo, b.Start));
}

int CompareItemKeyStartFirstDescending(const tagTL_FACE_ITEM_DATA& a, const tagTL_FACE_ITEM_DATA& b)
{
    if (const int faces
        = ThreeWay(std::tie(b.Channel, b.FaceNo, b.SubNo), std::tie(a.Channel, a.FaceNo, a.SubNo)))
        return faces;
    return ThreeWay(a.Start, b.Start);
}

int CompareItemKeyDescending(const tagTL_FACE_ITEM_DATA& a, const tagTL_FACE_ITEM_DATA& b)
{
    return CompareItemKey(b, a);
}

bool IsMediaMode(int32_t mode)
{
    return mode == tagTL_FACE_ITEM_DATA::MODE_IMAGE || mode == tagTL_FACE_ITEM_DATA::MODE_CAMERA
        || mode == tagTL_FACE_ITEM_DATA::MODE_MOVIE;
}

int64_t ItemEnd(const tagTL_FACE_ITEM_DATA& item)
{
    return int64_t(item.Start) + item.PlayTime;
}

int64_t EntryEffectLength(const tagTL_FACE_ITEM_DATA& item)
{
    return int64_t(item.InEndTime) - item.InStartTime;
}

int64_t ExitEffectLength(const tagTL_FACE_ITEM_DATA& item)
{
    return int64_t(item.OutEndTime) - item.OutStartTime;
}

void AnchorEffects(tagTL_FACE_ITEM_DATA& item)
{
    const int64_t entry = EntryEffectLength(item);
    if (entry > 0) {
        item.InStartTime = item.Start;
        item.InEndTime = int32_t(item.Start + entry);
    }
    const int64_t exit = ExitEffectLength(item);
    if (exit > 0) {
        item.OutEndTime = int32_t(ItemEnd(item));
        item.OutStartTime = int32_t(ItemEnd(item) - exit);
    }
}

bool SameItemKey(const tagTL_FACE_ITEM_DATA& a, const tagTL_FACE_ITEM_DATA& b)
{
    return CompareItemKey(a, b) == 0;
}

tagTL_FACE_DATA* FindFace(FaceList& faces, int32_t channel, int32_t faceNo, int32_t subNo)
{
    return FindFaceIn(faces, channel, faceNo, subNo);
}

const tagTL_FACE_DATA* FindFace(const FaceList& faces, int32_t channel, int32_t faceNo, int32_t subNo)
{
    return FindFaceIn(faces, channel, faceNo, subNo);
}

tagTL_FACE_DATA* FindFace(FaceList& faces, int32_t channel, int32_t faceNo)
{
    return FindFaceIn(faces, channel, faceNo);
}

const tagTL_FACE_DATA* FindFace(const FaceList& faces, int32_t channel, int32_t faceNo)
{
    return FindFaceIn(faces, channel, faceNo);
}

tagTL_FACE_DATA* FindFaceByNo(FaceList& faces, int32_t faceNo)
{
    return FindFaceByNoIn(faces, faceNo);
}

const tagTL_FACE_DATA* FindFaceByNo(const FaceList& faces, int32_t faceNo)
{
    return FindFaceByNoIn(faces, faceNo);
}

int FaceRow(const FaceList& faces, int32_t faceNo)
{
    for (size_t row = 0; row < faces.size(); ++row) {
        if (faces[row].No == faceNo)
            return int(row);
    }
    return -1;
}

tagTL_FACE_ITEM_DATA* FindItem(tagTL_FACE_DATA& face, int32_t start)
{
    return FindItemIn(face, start);
}

const tagTL_FACE_ITEM_DATA* FindItem(const tagTL_FACE_DATA& face, int32_t start)
{
    return FindItemIn(face, start);
}

bool InsertItemSorted(tagTL_FACE_DATA& face, const tagTL_FACE_ITEM_DATA& item)
{
    if (FindItem(face, item.Start))
        return false;
    auto place = std::upper_bound(face.Items.begin(), face.Items.end(), item,
        [](const tagTL_FACE_ITEM_DATA& a, const tagTL_FACE_ITEM_DATA& b) {
            return CompareItemKey(a, b) < 0;
        });
    face.Items.insert(place, item);
    return true;
}

void SortItems(tagTL_FACE_DATA& face)
{
    std::stable_sort(face.Items.begin(), face.Items.end(),
        [](const tagTL_FACE_ITEM_DATA& a, const tagTL_FACE_ITEM_DATA& b) {
            return CompareItemKey(a, b) < 0;
        });
}

void InsertFaceSorted(FaceList& faces, tagTL_FACE_DATA face)
{
    auto place = std::upper_bound(faces.begin(), faces.end(), face,
        [](const tagTL_FACE_DATA& a, const tagTL_FACE_DATA& b) { return CompareFaceKey(a, b) < 0; });
    faces.insert(place, std::move(face));
}

std::vector<int32_t> RenumberByRow(FaceList& faces)
{
    std::vector<int32_t> oldNumbers;
    oldNumbers.reserve(faces.size());
    for (size_t row = 0; row < faces.size(); ++row) {
        tagTL_FACE_DATA& face = faces[row];
        oldNumbers.push_back(face.No);
        face.No = int32_t(row + 1);
        for (tagTL_FACE_ITEM_DATA& item : face.Items)
            item.FaceNo = face.No;
    }
    return oldNumbers;
}

std::vector<int32_t> RowNumbers(size_t count)
{
    std::vector<int32_t> numbers(count);
    std::iota(numbers.begin(), numbers.end(), 1);
    return numbers;
}

int RepointLinks(FaceList& faces,
    const std::vector<int32_t>& oldNumbers,
    const std::vector<int32_t>& newNumbers,
    int skipRow)
{
    int changed = 0;
    for (tagTL_FACE_DATA& face : faces) {
        for (tagTL_FACE_ITEM_DATA& item : face.Items) {
            if (item.Mode != tagTL_FACE_ITEM_DATA::MODE_LINK)
                continue;
            for (size_t position = 0; position < oldNumbers.size() && position < newNumbers.size();
                 ++position) {
                if (int(position) == skipRow || oldNumbers[position] != item.LinkFaceNo)
                    continue;
                if (item.LinkFaceNo != newNumbers[position]) {
                    item.LinkFaceNo = newNumbers[position];
                    ++changed;
                }
                break;
            }
        }
    }
    return changed;
}

const tagTL_FACE_ITEM_DATA* LinkPartner(const FaceList& faces, const tagTL_FACE_ITEM_DATA& link)
{
    if (link.LinkFaceNo == link.FaceNo)
        return nullptr;
    const tagTL_FACE_DATA* face = FindFace(faces, link.Channel, link.LinkFaceNo);
    if (!face)
        return nullptr;
    const tagTL_FACE_ITEM_DATA* partner = FindItem(*face, link.Start);
    return partner && IsMediaMode(partner->Mode) ? partner : nullptr;
}

CLinkIndex::CLinkIndex(const FaceList& faces)
{
    for (const tagTL_FACE_DATA& face : faces) {
        for (const tagTL_FACE_ITEM_DATA& item : face.Items) {
            if (item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK)
                m_links[(quint64(quint32(item.LinkFaceNo)) << 32) | quint32(item.Start)].push_back(&item);
        }
    }
}

const std::vector<const tagTL_FACE_ITEM_DATA*>& CLinkIndex::LinksTo(int32_t faceNo, int32_t start) const
{
    static const std::vector<const tagTL_FACE_ITEM_DATA*> none;
    const auto found = m_links.constFind((quint64(quint32(faceNo)) << 32) | quint32(start));
    return found == m_links.cend() ? none : found.value();
}

void DissolveLink(tagTL_FACE_ITEM_DATA& link, int32_t kind)
{
    const int32_t newKind = kind != 0 ? kind : link.LinkMode;
    if (newKind != 0)
        link.Mode = newKind;
    link.LinkFaceNo = 0;
    link.LinkMode = 0;
}

} // namespace timeline
