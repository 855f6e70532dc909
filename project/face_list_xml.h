#pragma once

#include "core/xml_data.h"
#include "project/xml_records.h"

#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

// The store of one channel file ("Channel_%d.xml"): its face entries keyed by face number.
// Saving rewrites the faces already in the file in place, removes the faces that are gone
// and appends new ones.
class CFaceListXml {
public:
    bool LoadFaceXml(const QString& path);
    // The No of the entry at the position in ascending face order, or -1.
    int32_t GetFaceByIndex(int32_t position, FaceXmlRecord* out) const;
    // Copies out the entry whose No is set in *face.
    bool GetFace(FaceXmlRecord* face) const;
    // Removes the face's entry and saves; TRUE without writing when it has none.
    bool DeleteFace(int32_t faceNo);
    bool SaveFaceXml();

    // The entry stored under the face number; a zeroed entry is inserted when it is absent.
    FaceXmlRecord& Face(int32_t faceNo) { return m_faces[faceNo]; }
    const std::map<int32_t, FaceXmlRecord>& Faces() const { return m_faces; }
    std::map<int32_t, FaceXmlRecord>& Faces() { return m_faces; }

    // The number of "Face" elements the last load found; whoever adds or removes entries sets
    // it to the number of entries.
    int32_t GetCount() const { return m_count; }
    void SetCount(int32_t count) { m_count = count; }

    const CXmlData& Xml() const { return m_xml; }

private:
    bool ReadFace(pugi::xml_node element, FaceXmlRecord& entry);
    bool RewriteFace(pugi::xml_node element, const FaceXmlRecord& entry);
    bool AppendFace(pugi::xml_node root, const FaceXmlRecord& entry);

    CXmlData m_xml;
    int32_t m_count = 0;
    std::map<int32_t, FaceXmlRecord> m_faces;
    // The fingerprints of the entries the loaded document holds, by key, shared with the copies
    // that share it.
    std::shared_ptr<std::vector<std::pair<int32_t, uint64_t>>> m_inDocument;
};
