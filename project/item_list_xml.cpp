#include "project/item_list_xml.h"

#include "project/xml_fields.h"

#include <cstring>
#include <set>

using namespace xml_fields;

namespace {

using IntField = int32_t ItemXmlRecord::*;

struct NamedInt {
    const char* name;
    IntField member;
};

// The plain numbers between "Mode" and "MaskPos" that a rewrite requires, after "FilePath".
constexpr NamedInt kRequiredNumbers[] = {
    { "PlayMode", &ItemXmlRecord::PlayMode },
    { "LinkFaceNo", &ItemXmlRecord::LinkFaceNo },
    { "CameraID", &ItemXmlRecord::CameraID },
    { "CameraImgW", &ItemXmlRecord::CameraImgW },
    { "CameraImgH", &ItemXmlRecord::CameraImgH },
    { "InTime", &ItemXmlRecord::InTime },
    { "OutTime", &ItemXmlRecord::OutTime },
    { "MaskMode", &ItemXmlRecord::MaskMode },
};

struct Effect {
    const char* container;
    IntField values[4];
};

constexpr const char* kEffectChildren[] = { "Pattern", "Direction", "StartTime", "EndTime" };
constexpr Effect kEffects[] = {
    { "InEffect",
        { &ItemXmlRecord::InPattern, &ItemXmlRecord::InDirection, &ItemXmlRecord::InStartTime,
            &ItemXmlRecord::InEndTime } },
    { "OutEffect",
        { &ItemXmlRecord::OutPattern, &ItemXmlRecord::OutDirection, &ItemXmlRecord::OutStartTime,
            &ItemXmlRecord::OutEndTime } },
};

// With no points in use the mask position is its rectangle's corner; otherwise the points.
int MaskPointsOf(const ItemXmlRecord& entry, const int32_t*& xs, const int32_t*& ys)
{
    if (entry.PNUM <= 0) {
        xs = &entry.MaskX;
        ys = &entry.MaskY;
        return 1;
    }
    xs = entry.X.data();
    ys = entry.Y.data();
    return ClampedMaskPoints(entry.PNUM);
}

bool AddMaskPos(CXmlData& xml, pugi::xml_node item, const ItemXmlRecord& entry)
{
    pugi::xml_node maskPos = xml.AddNode(item, "MaskPos");
    const int32_t* xs = nullptr;
    const int32_t* ys = nullptr;
    const int points = MaskPointsOf(entry, xs, ys);
    return maskPos && xml.AddIntNode(maskPos, "PNUM", entry.PNUM) && AddPoints(xml, maskPos, xs, ys, points)
        && xml.AddIntNode(maskPos, "W", entry.W) && xml.AddIntNode(maskPos, "H", entry.H);
}

bool RewriteMaskPos(CXmlData& xml, pugi::xml_node maskPos, const ItemXmlRecord& entry)
{
    pugi::xml_node w = maskPos.child("W");
    if (!w || !maskPos.child("H") || !Added(xml, maskPos, "PNUM", entry.PNUM))
        return false;
    const int32_t* xs = nullptr;
    const int32_t* ys = nullptr;
    const int points = MaskPointsOf(entry, xs, ys);
    return RewritePoints(xml, maskPos, xs, ys, points, w) && Required(xml, maskPos, "W", entry.W)
        && Required(xml, maskPos, "H", entry.H);
}

bool WriteFilterParams(CXmlData& xml, pugi::xml_node filter, const ItemXmlRecord& entry)
{
    size_t i = 0;
    for (pugi::xml_node param = filter.child("Param"); param && i < entry.Param.size();
         param = param.next_sibling("Param")) {
        if (!xml.SetThisNodeInt(param, entry.Param[i++]))
            return false;
    }
    for (; i < entry.Param.size(); ++i) {
        if (!xml.AddIntNode(filter, "Param", entry.Param[i]))
            return false;
    }
    return true;
}

} // namespace

void CItemListXml::Reset()
{
    m_items.clear();
    m_count = 0;
}

bool CItemListXml::LoadItemXml(const QString& path)
{
    Reset();
    bool loaded = m_xml.LoadXmlData(path);
    if (loaded && std::strcmp(m_xml.Root().name(), "Face") != 0) {
        m_xml.SetErrorText(QStringLiteral("LoadItemXml ルートノード名エラー"));
        loaded = false;
    }
    if (loaded) {
        for (pugi::xml_node element = m_xml.Root().child("Item"); element;
             element = element.next_sibling("Item")) {
            ++m_count;
            ItemXmlRecord entry;
            if (!ReadItem(element, entry)) {
                m_xml.SetErrorText(QStringLiteral("LoadItemXml 文字数エラー"));
                loaded = false;
                break;
            }
            m_items.insert_or_assign(entry.Start, std::move(entry));
        }
    }
    if (!loaded) {
        // A refused file leaves the store empty and with nothing to save into.
        const QString error = m_xml.ErrorText();
        Reset();
        m_xml = CXmlData();
        m_xml.SetErrorText(error);
    }
    return loaded;
}

bool CItemListXml::ReadItem(pugi::xml_node element, ItemXmlRecord& entry)
{
    ReadInt(element, "Start", entry.Start);
    ReadInt(element, "PlayTime", entry.PlayTime);
    ReadInt(element, "Mode", entry.Mode);
    if (!ReadText(element, "FilePath", entry.FilePath))
        return false;
    for (const NamedInt& field : kRequiredNumbers)
        ReadInt(element, field.name, entry.*field.member);
    if (pugi::xml_node maskPos = element.child("MaskPos")) {
        ReadInt(maskPos, "PNUM", entry.PNUM);
        ReadPoints(maskPos, entry.X.data(), entry.Y.data(), tagTL_FACE_ITEM_DATA::MAX_MASK_POINTS);
        // The first point doubles as the corner of the mask rectangle.
        if (maskPos.child("X"))
            entry.MaskX = entry.X[0];
        if (maskPos.child("Y"))
            entry.MaskY = entry.Y[0];
        ReadInt(maskPos, "W", entry.W);
        ReadInt(maskPos, "H", entry.H);
    }
    ReadInt(element, "MaskImageEnable", entry.MaskImageEnable);
    if (!ReadText(element, "MaskImage", entry.MaskImage))
        return false;
    ReadInt(element, "Volume", entry.Volume);
    ReadInt(element, "Mute", entry.Mute);
    for (const Effect& effect : kEffects) {
        if (pugi::xml_node container = element.child(effect.container)) {
            for (int i = 0; i < 4; ++i)
                ReadInt(container, kEffectChildren[i], entry.*effect.values[i]);
        }
    }
    if (pugi::xml_node filter = element.child("Filter")) {
        ReadInt(filter, "No", entry.FilterNo);
        size_t i = 0;
        for (pugi::xml_node param = filter.child("Param"); param && i < entry.Param.size();
             param = param.next_sibling("Param"))
            entry.Param[i++] = CXmlData::ThisNodeInt(param);
    }
    ReadInt(element, "ThumbnailTime", entry.ThumbnailTime);
    return true;
}

int32_t CItemListXml::GetItemByIndex(int32_t position, ItemXmlRecord* out) const
{
    if (!out || m_count < 1 || position < 0 || position >= m_count)
        return -1;
    *out = ItemXmlRecord();
    if (size_t(position) >= m_items.size())
        return -1;
    const auto entry = std::next(m_items.begin(), position);
    *out = entry->second;
    return entry->first;
}

bool CItemListXml::DeleteItem(int32_t start)
{
    const auto entry = m_items.find(start);
    if (entry == m_items.end())
        return true;
    // A failed save keeps the entry, as the file still holds it.
    auto removed = m_items.extract(entry);
    const int32_t previousCount = m_count;
    m_count = int32_t(m_items.size());
    if (SaveItemXml())
        return true;
    m_items.insert(std::move(removed));
    m_count = previousCount;
    return false;
}

bool CItemListXml::RewriteItem(pugi::xml_node element, const ItemXmlRecord& entry)
{
    if (!Required(m_xml, element, "PlayTime", entry.PlayTime) || !Required(m_xml, element, "Mode", entry.Mode)
        || !Required(m_xml, element, "FilePath", entry.FilePath))
        return false;
    for (const NamedInt& field : kRequiredNumbers) {
        if (!Required(m_xml, element, field.name, entry.*field.member))
            return false;
    }
    pugi::xml_node maskPos = element.child("MaskPos");
    if (maskPos ? !RewriteMaskPos(m_xml, maskPos, entry) : !AddMaskPos(m_xml, element, entry))
        return false;
    if (!Added(m_xml, element, "MaskImageEnable", entry.MaskImageEnable)
        || !Added(m_xml, element, "MaskImage", entry.MaskImage)
        || !Added(m_xml, element, "Volume", entry.Volume) || !Required(m_xml, element, "Mute", entry.Mute))
        return false;
    for (const Effect& effect : kEffects) {
        pugi::xml_node container = Container(m_xml, element, effect.container);
        if (!container)
            return false;
        for (int i = 0; i < 4; ++i) {
            if (!Added(m_xml, container, kEffectChildren[i], entry.*effect.values[i]))
                return false;
        }
    }
    pugi::xml_node filter = Container(m_xml, element, "Filter");
    return filter && Added(m_xml, filter, "No", entry.FilterNo) && WriteFilterParams(m_xml, filter, entry)
        && Added(m_xml, element, "ThumbnailTime", entry.ThumbnailTime);
}

bool CItemListXml::AppendItem(pugi::xml_node root, const ItemXmlRecord& entry)
{
    pugi::xml_node item = m_xml.AddNode(root, "Item");
    if (!item || !m_xml.AddIntNode(item, "Start", entry.Start)
        || !m_xml.AddIntNode(item, "PlayTime", entry.PlayTime) || !m_xml.AddIntNode(item, "Mode", entry.Mode)
        || !m_xml.AddTextNode(item, "FilePath", entry.FilePath))
        return false;
    for (const NamedInt& field : kRequiredNumbers) {
        if (!m_xml.AddIntNode(item, field.name, entry.*field.member))
            return false;
    }
    if (!AddMaskPos(m_xml, item, entry) || !m_xml.AddIntNode(item, "MaskImageEnable", entry.MaskImageEnable)
        || !m_xml.AddTextNode(item, "MaskImage", entry.MaskImage)
        || !m_xml.AddIntNode(item, "Volume", entry.Volume) || !m_xml.AddIntNode(item, "Mute", entry.Mute))
        return false;
    for (const Effect& effect : kEffects) {
        pugi::xml_node container = m_xml.AddNode(item, effect.container);
        if (!container)
            return false;
        for (int i = 0; i < 4; ++i) {
            if (!m_xml.AddIntNode(container, kEffectChildren[i], entry.*effect.values[i]))
                return false;
        }
    }
    pugi::xml_node filter = m_xml.AddNode(item, "Filter");
    return filter && m_xml.AddIntNode(filter, "No", entry.FilterNo) && WriteFilterParams(m_xml, filter, entry)
        && m_xml.AddIntNode(item, "ThumbnailTime", entry.ThumbnailTime);
}

bool CItemListXml::SaveItemXml()
{
    if (!m_xml.IsLoaded())
        return false;
    // Texts that do not fit their field or that XML cannot hold are refused before anything
    // in the document changes.
    for (const auto& [start, entry] : m_items) {
        if (!FitsEntry(entry.FilePath) || !FitsEntry(entry.MaskImage) || !CXmlData::IsXmlText(entry.FilePath)
            || !CXmlData::IsXmlText(entry.MaskImage)) {
            m_xml.SetErrorText(QStringLiteral("SaveItemXml 文字列エラー"));
            return false;
        }
    }
    pugi::xml_node root = m_xml.Root();
    std::set<int32_t> written;
    for (pugi::xml_node element = root.child("Item"), next; element; element = next) {
        next = element.next_sibling("Item");
        pugi::xml_node start = element.child("Start");
        const int32_t key = start ? CXmlData::ThisNodeInt(start) : -1;
        const auto entry = m_items.find(key);
        if (entry != m_items.end() && written.insert(key).second) {
            if (!RewriteItem(element, entry->second)) {
                m_xml.SetErrorText(QStringLiteral("SaveItemXml Item要素エラー"));
                return false;
            }
        } else if (!root.remove_child(element)) {
            return false;
        }
    }
    for (const auto& [start, entry] : m_items) {
        if (!written.count(start) && !AppendItem(root, entry))
            return false;
    }
    return m_xml.SaveXmlData(m_xml.Path());
}
