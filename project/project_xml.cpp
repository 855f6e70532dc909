#include "project/project_xml.h"

#include "project/xml_fields.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace {

// The header numbers in file order, after "Version".
struct HeaderNumber {
    const char* name;
    int32_t CProjectXml::*member;
};

constexpr HeaderNumber kHeaderNumbers[] = {
    { "ProjectTime", &CProjectXml::ProjectTime },
    { "TotalTime", &CProjectXml::TotalTime },
    { "StartTime", &CProjectXml::StartTime },
    { "EndTime", &CProjectXml::EndTime },
    { "Loop", &CProjectXml::Loop },
};

constexpr int kChannels = 1; // only channel 1 exists

} // namespace

void CProjectXml::ResetHeader()
{
    Version.clear();
    for (const HeaderNumber& number : kHeaderNumbers)
        this->*number.member = 0;
    m_channels.clear();
    m_channelCount = 0;
}

bool CProjectXml::Fail(const QString& text)
{
    m_xml.SetErrorText(text);
    return false;
}

bool CProjectXml::CreateProjectXml(const QString& path, int32_t playTime)
{
    if (path.isEmpty())
        return Fail(QStringLiteral("CreateProjectXml 引数エラー"));
    // A second header and channel must never be appended to an existing project.
    if (QFileInfo::exists(path))
        return Fail(QStringLiteral("CreateProjectXml ファイルが既に存在しています"));
    if (!m_xml.CreateXmlData(path, QStringLiteral("Project")))
        return false;
    bool created = m_xml.LoadXmlData(path);
    if (created) {
        pugi::xml_node root = m_xml.Root();
        created = m_xml.AddTextNode(root, "Version", QStringLiteral("1.0"))
            && m_xml.AddIntNode(root, "ProjectTime", playTime)
            && m_xml.AddIntNode(root, "TotalTime", playTime) && m_xml.AddIntNode(root, "StartTime", 0)
            && m_xml.AddIntNode(root, "EndTime", playTime) && m_xml.AddIntNode(root, "Loop", 0);
        for (int32_t no = 1; created && no <= kChannels; ++no) {
            pugi::xml_node channel = m_xml.AddNode(root, "Channel");
            created = channel && m_xml.AddIntNode(channel, "No", no)
                && m_xml.AddTextNode(channel, "FilePath", QStringLiteral("Channel_%1.xml").arg(no))
                && m_xml.AddIntNode(channel, "Status", 1);
        }
        created = created && m_xml.SaveXmlData(path);
    }
    if (!created) {
        // Nothing half made stays behind: the file did not exist before this call.
        QFile::remove(path);
        const QString error = m_xml.ErrorText();
        m_xml = CXmlData();
        m_xml.SetErrorText(error);
    }
    return created;
}

bool CProjectXml::LoadProjectXml(const QString& path)
{
    ResetHeader();
    bool loaded = m_xml.LoadXmlData(path);
    if (loaded && std::strcmp(m_xml.Root().name(), "Project") != 0)
        loaded = Fail(QStringLiteral("LoadProjectXml ルートノード名エラー"));
    pugi::xml_node root = m_xml.Root();
    if (loaded) {
        if (pugi::xml_node version = root.child("Version")) {
            Version = CXmlData::ThisNodeText(version);
            if (Version.size() > kMaxVersionLength)
                loaded = Fail(QStringLiteral("LoadProjectXml Version文字数エラー"));
        }
        for (const HeaderNumber& number : kHeaderNumbers)
            xml_fields::ReadInt(root, number.name, this->*number.member);
    }
    for (pugi::xml_node element = root.child("Channel"); loaded && element;
         element = element.next_sibling("Channel")) {
        ++m_channelCount;
        ChannelXmlRecord channel;
        xml_fields::ReadInt(element, "No", channel.No);
        if (!xml_fields::ReadFileName(element, "FilePath", channel.FilePath))
            loaded = Fail(QStringLiteral("LoadProjectXml FilePath文字数エラー"));
        xml_fields::ReadInt(element, "Status", channel.Status);
        m_channels.insert_or_assign(channel.No, std::move(channel));
    }
    if (!loaded) {
        // A refused file leaves nothing that a later update could write into.
        const QString error = m_xml.ErrorText();
        ResetHeader();
        m_xml = CXmlData();
        m_xml.SetErrorText(error);
    }
    return loaded;
}

bool CProjectXml::GetChannel(int32_t channelNo, ChannelXmlRecord* out) const
{
    if (!out)
        return false;
    const auto channel = m_channels.find(channelNo);
    if (channel == m_channels.end())
        return false;
    *out = channel->second;
    return true;
}

bool CProjectXml::UpdateProjectXml()
{
    if (!m_xml.IsLoaded())
        return false;
    if (Version.size() > kMaxVersionLength)
        return Fail(QStringLiteral("UpdateProjectXml Version文字数エラー"));
    pugi::xml_node root = m_xml.Root();
    if (!m_xml.SetNodeText(root, "Version", Version))
        return false;
    for (const HeaderNumber& number : kHeaderNumbers) {
        if (!m_xml.SetNodeInt(root, number.name, this->*number.member))
            return false;
    }
    return m_xml.SaveXmlData(m_xml.Path());
}
