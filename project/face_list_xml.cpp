#include "project/face_list_xml.h"

#include "project/xml_fields.h"

#include <cstring>
#include <set>

using namespace xml_fields;

namespace {

constexpr int kCorners = 4;

bool AddColor(CXmlData& xml, pugi::xml_node face, const FaceXmlRecord& entry)
{
    pugi::xml_node color = xml.AddNode(face, "Color");
    return color && xml.AddIntNode(color, "R", entry.R) && xml.AddIntNode(color, "G", entry.G)
        && xml.AddIntNode(color, "B", entry.B);
}

bool AddPosition(CXmlData& xml, pugi::xml_node face, const FaceXmlRecord& entry)
{
    pugi::xml_node position = xml.AddNode(face, "Position");
    return position && AddPoints(xml, position, entry.X.data(), entry.Y.data(), kCorners);
}

} // namespace

void CFaceListXml::Reset()
{
    m_faces.clear();
    m_count = 0;
}

bool CFaceListXml::LoadFaceXml(const QString& path)
{
    Reset();
    bool loaded = m_xml.LoadXmlData(path);
    if (loaded && std::strcmp(m_xml.Root().name(), "Channel") != 0) {
        m_xml.SetErrorText(QStringLiteral("LoadFaceXml ルートノード名エラー"));
        loaded = false;
    }
    if (loaded) {
        for (pugi::xml_node element = m_xml.Root().child("Face"); element;
             element = element.next_sibling("Face")) {
            ++m_count;
            FaceXmlRecord entry;
            if (!ReadFace(element, entry)) {
                m_xml.SetErrorText(QStringLiteral("LoadFaceXml 文字数エラー"));
                loaded = false;
                break;
            }
            m_faces.insert_or_assign(entry.No, std::move(entry));
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

bool CFaceListXml::ReadFace(pugi::xml_node element, FaceXmlRecord& entry)
{
    ReadInt(element, "No", entry.No);
    if (!ReadText(element, "FilePath", entry.FilePath))
        return false;
    ReadInt(element, "Status", entry.Status);
    ReadInt(element, "Lock", entry.Lock);
    if (pugi::xml_node color = element.child("Color")) {
        ReadInt(color, "R", entry.R);
        ReadInt(color, "G", entry.G);
        ReadInt(color, "B", entry.B);
    }
    if (pugi::xml_node position = element.child("Position"))
        ReadPoints(position, entry.X.data(), entry.Y.data(), kCorners);
    return true;
}

int32_t CFaceListXml::GetFaceByIndex(int32_t position, FaceXmlRecord* out) const
{
    if (!out || m_count < 1 || position < 0 || position >= m_count)
        return -1;
    *out = FaceXmlRecord();
    if (size_t(position) >= m_faces.size())
        return -1;
    const auto entry = std::next(m_faces.begin(), position);
    *out = entry->second;
    return entry->first;
}

bool CFaceListXml::GetFace(FaceXmlRecord* face) const
{
    if (!face || m_count < 1)
        return false;
    const auto entry = m_faces.find(face->No);
    if (entry == m_faces.end())
        return false;
    *face = entry->second;
    return true;
}

bool CFaceListXml::DeleteFace(int32_t faceNo)
{
    const auto entry = m_faces.find(faceNo);
    if (entry == m_faces.end())
        return true;
    // A failed save keeps the entry, as the file still holds it.
    auto removed = m_faces.extract(entry);
    const int32_t previousCount = m_count;
    m_count = int32_t(m_faces.size());
    if (SaveFaceXml())
        return true;
    m_faces.insert(std::move(removed));
    m_count = previousCount;
    return false;
}

bool CFaceListXml::RewriteFace(pugi::xml_node element, const FaceXmlRecord& entry)
{
    if (!Required(m_xml, element, "FilePath", entry.FilePath)
        || !Required(m_xml, element, "Status", entry.Status) || !Required(m_xml, element, "Lock", entry.Lock))
        return false;
    if (pugi::xml_node color = element.child("Color")) {
        if (!Required(m_xml, color, "R", entry.R) || !Required(m_xml, color, "G", entry.G)
            || !Required(m_xml, color, "B", entry.B))
            return false;
    } else if (!AddColor(m_xml, element, entry)) {
        return false;
    }
    pugi::xml_node position = element.child("Position");
    return position ? RewritePoints(m_xml, position, entry.X.data(), entry.Y.data(), kCorners)
                    : AddPosition(m_xml, element, entry);
}

bool CFaceListXml::AppendFace(pugi::xml_node root, const FaceXmlRecord& entry)
{
    pugi::xml_node face = m_xml.AddNode(root, "Face");
    return face && m_xml.AddIntNode(face, "No", entry.No)
        && m_xml.AddTextNode(face, "FilePath", entry.FilePath)
        && m_xml.AddIntNode(face, "Status", entry.Status) && m_xml.AddIntNode(face, "Lock", entry.Lock)
        && AddColor(m_xml, face, entry) && AddPosition(m_xml, face, entry);
}

bool CFaceListXml::SaveFaceXml()
{
    if (!m_xml.IsLoaded())
        return false;
    for (const auto& [no, entry] : m_faces) {
        if (!FitsEntry(entry.FilePath) || !CXmlData::IsXmlText(entry.FilePath)) {
            m_xml.SetErrorText(QStringLiteral("SaveFaceXml 文字列エラー"));
            return false;
        }
    }
    pugi::xml_node root = m_xml.Root();
    std::set<int32_t> written;
    for (pugi::xml_node element = root.child("Face"), next; element; element = next) {
        next = element.next_sibling("Face");
        pugi::xml_node no = element.child("No");
        const int32_t key = no ? CXmlData::ThisNodeInt(no) : -1;
        const auto entry = m_faces.find(key);
        if (entry != m_faces.end() && written.insert(key).second) {
            if (!RewriteFace(element, entry->second)) {
                m_xml.SetErrorText(QStringLiteral("SaveFaceXml Face要素エラー"));
                return false;
            }
        } else if (!root.remove_child(element)) {
            return false;
        }
    }
    for (const auto& [no, entry] : m_faces) {
        if (!written.count(no) && !AppendFace(root, entry))
            return false;
    }
    return m_xml.SaveXmlData(m_xml.Path());
}
