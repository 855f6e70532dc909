#pragma once

#include "core/xml_data.h"
#include "project/xml_records.h"

#include <QString>
#include <cstdint>
#include <map>

// The store of the project XML ("<name>.xml" in the project folder): the project's times,
// its loop switch and its channel entries. Callers set the header members and then call
// UpdateProjectXml to write them.
class CProjectXml {
public:
    static constexpr int kMaxVersionLength = 9;

    // Creates the file of a new project; fails when a file of that path already exists.
    bool CreateProjectXml(const QString& path, int32_t playTime);
    bool LoadProjectXml(const QString& path);
    bool GetChannel(int32_t channelNo, ChannelXmlRecord* out) const;
    // Writes the six header values into the loaded document and saves it.
    bool UpdateProjectXml();

    int32_t GetChannelCount() const { return m_channelCount; }
    const std::map<int32_t, ChannelXmlRecord>& Channels() const { return m_channels; }
    const CXmlData& Xml() const { return m_xml; }

    QString Version; // at most 9 characters
    int32_t ProjectTime = 0;
    int32_t TotalTime = 0;
    int32_t StartTime = 0;
    int32_t EndTime = 0;
    int32_t Loop = 0;

private:
    void ResetHeader();
    bool Fail(const QString& text);

    CXmlData m_xml;
    int32_t m_channelCount = 0;
    std::map<int32_t, ChannelXmlRecord> m_channels;
};
