#pragma once

#include "project/face_list_xml.h"
#include "project/item_list_xml.h"
#include "project/project_xml.h"
#include "project/xml_records.h"

#include <QString>
#include <cstdint>
#include <map>
#include <span>

// The in-memory image of one channel of a project on disk: the project XML, the channel file
// and one face file per face. Every change is written to its file at once; destroying the
// store writes nothing.
//
// Folder tree of project <name> in <folder>:
//   <folder>/<name>/<name>.xml                                 project XML
//   <folder>/<name>/Channel_<c>/Channel_<c>.xml                channel file
//   <folder>/<name>/Channel_<c>/Face_<n>/Face_<n>.xml          face file (+ thumbnails)
class CProjectFolderStore {
public:
    static constexpr int kMaxProjectNameLength = 255;
    static constexpr int kMaxPathLength = 1023;

    // Copies the folder in; an empty text or one longer than the field leaves it empty.
    void SetFolder(const QString& folder);

    // Creates the project XML at the path and the channel file of channel 1 in the folder's
    // channel folder (which must exist).
    bool CreateProject(const QString& projectFilePath, const QString& folder, int32_t playTime);
    // Loads the project XML and then the channel, using the folder set before.
    bool OpenProject(const QString& projectFilePath, int32_t channel);
    bool LoadChannel(int32_t channel);
    bool LoadFaceItemsByIndex(int32_t position);
    bool LoadFaceItems(int32_t faceNo);

    int32_t GetItemCount(int32_t faceNo) const;
    bool GetFaceData(FaceXmlRecord* face) const;
    bool GetItemData(int32_t faceNo, int32_t position, ItemXmlRecord* out) const;

    // Adds (or replaces) the face in the channel file, creates its face file in its face
    // folder (which must exist; an existing file is kept) and loads it.
    bool AddFace(const FaceXmlRecord& face);
    bool UpdateFace(const FaceXmlRecord& face);
    bool SetItem(int32_t faceNo, const ItemXmlRecord& item);
    // Sets many items of one face with one replacement of its face file (CItemListXml::SetItems):
    // the package and paste flows write a face's items this way. FALSE, with nothing changed,
    // when the face has no loaded face file or the write fails.
    bool SetItems(int32_t faceNo, std::span<const ItemXmlRecord> items);
    bool DeleteItem(int32_t faceNo, int32_t start);

    // The face's item list; an empty one is inserted when the face has none.
    CItemListXml& GetFaceItems(int32_t faceNo) { return m_faceItems[faceNo]; }
    bool HasFaceItems(int32_t faceNo) const { return m_faceItems.count(faceNo) != 0; }
    const std::map<int32_t, CItemListXml>& GetFaceItemMap() const { return m_faceItems; }
    // Replaces this store's face-item map by a copy of another's.
    void CopyFaceItemMap(const std::map<int32_t, CItemListXml>& faceItems) { m_faceItems = faceItems; }

    CProjectXml& GetProjectXml() { return m_projectXml; }
    const CProjectXml& GetProjectXml() const { return m_projectXml; }
    CFaceListXml& GetFaceListXml() { return m_faceList; }
    const CFaceListXml& GetFaceListXml() const { return m_faceList; }

    int32_t GetCurrentChannel() const { return m_currentChannel; }
    int32_t GetChannelCount() const { return m_channelCount; }
    int32_t GetFaceCount() const { return m_faceCount; }
    const QString& GetProjectName() const { return m_projectName; }
    const QString& GetFolder() const { return m_folder; }
    const QString& GetProjectFilePath() const { return m_projectFilePath; }

    // Paths of the tree; empty when the result would not fit a path field.
    QString ChannelFolderPath(int32_t channel) const;
    QString FaceFolderPath(int32_t faceNo) const;

private:
    bool LoadFaceFile(const FaceXmlRecord& face);
    bool SetProjectName(const QString& projectFilePath);

    CProjectXml m_projectXml;
    CFaceListXml m_faceList;
    std::map<int32_t, CItemListXml> m_faceItems;
    int32_t m_currentChannel = 0;
    int32_t m_channelCount = 0;
    int32_t m_faceCount = 0;
    QString m_projectName;
    QString m_folder;
    QString m_projectFilePath;
};
