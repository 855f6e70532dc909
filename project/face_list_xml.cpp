#include "project/face_list_xml.h"

#include "project/entry_list.h"
#include "project/xml_fields.h"

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

bool CFaceListXml::LoadFaceXml(const QString& path)
{
    return entry_list::Load(m_xml, path, "LoadFaceXml", "Channel", "Face", &FaceXmlRecord::No, m_count,
        m_faces, m_inDocument,
        [this](pugi::xml_node element, FaceXmlRecord& entry) { return ReadFace(element, entry); });
}

bool CFaceListXml::ReadFace(pugi::xml_node element, FaceXmlRecord& entry)
{
    ReadInt(element, "No", entry.No);
    if (!ReadFileName(element, "FilePath", entry.FilePath))
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
    return entry_list::GetByIndex(m_faces, m_count, position, out);
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
    return entry_list::Delete(m_faces, m_count, faceNo, [this] { return SaveFaceXml(); });
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
    return entry_list::Save(
        m_xml, "Face", "No", m_faces, m_inDocument, QStringLiteral("SaveFaceXml Face要素エラー"),
        [this](pugi::xml_node element, const FaceXmlRecord& entry) { return RewriteFace(element, entry); },
        [this](pugi::xml_node root, const FaceXmlRecord& entry) { return AppendFace(root, entry); });
}
