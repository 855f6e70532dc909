#include "project/project_folder_store.h"

#include "platform/paths.h"

#include <QFile>
#include <optional>

namespace {

// The path if it fits a path field, else empty: a path is refused, never cut.
QString Fitting(QString path)
{
    return path.size() <= CProjectFolderStore::kMaxPathLength ? path : QString();
}

QString ChannelFolderName(int32_t channel)
{
    return QStringLiteral("Channel_%1").arg(channel);
}

QString FaceFileName(int32_t faceNo)
{
    return QStringLiteral("Face_%1.xml").arg(faceNo);
}

// Stores a value in a map entry and saves; when the save fails the map gets its old entry back,
// so that the next save does not write a change that was reported as failed.
template <typename Map, typename Save>
bool StoreAndSave(Map& map, int32_t key, const typename Map::mapped_type& value, Save save)
{
    std::optional<typename Map::mapped_type> previous;
    if (const auto found = map.find(key); found != map.end())
        previous = found->second;
    map[key] = value;
    if (save())
        return true;
    if (previous)
        map[key] = *previous;
    else
        map.erase(key);
    return false;
}

} // namespace

void CProjectFolderStore::SetFolder(const QString& folder)
{
    m_folder = folder.size() <= kMaxPathLength ? folder : QString();
}

bool CProjectFolderStore::SetProjectName(const QString& projectFilePath)
{
    if (projectFilePath.isEmpty() || projectFilePath.size() > kMaxPathLength)
        return false;
    QString name = platform::FileNameOf(projectFilePath);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0)
        name.truncate(dot);
    if (name.size() > kMaxProjectNameLength || !platform::IsSafeComponent(name))
        return false;
    m_projectName = name;
    return true;
}

QString CProjectFolderStore::ChannelFolderPath(int32_t channel) const
{
    if (m_folder.isEmpty() || m_projectName.isEmpty())
        return QString();
    return Fitting(
        platform::JoinPath(platform::JoinPath(m_folder, m_projectName), ChannelFolderName(channel)));
}

QString CProjectFolderStore::FaceFolderPath(int32_t faceNo) const
{
    const QString channelFolder = ChannelFolderPath(m_currentChannel);
    if (channelFolder.isEmpty())
        return QString();
    return Fitting(platform::JoinPath(channelFolder, QStringLiteral("Face_%1").arg(faceNo)));
}

bool CProjectFolderStore::CreateProject(
    const QString& projectFilePath, const QString& folder, int32_t playTime)
{
    const QString previousFolder = m_folder;
    if (folder.isEmpty() || folder.size() > kMaxPathLength || !SetProjectName(projectFilePath))
        return false;
    // The channel file lies in the given folder; the store's own folder is set by SetFolder. Its
    // path is checked before anything is created, so that a refusal leaves nothing behind.
    m_folder = folder;
    const QString channelFolder = ChannelFolderPath(1);
    m_folder = previousFolder;
    const QString channelFile = channelFolder.isEmpty()
        ? QString()
        : Fitting(platform::JoinPath(channelFolder, ChannelFolderName(1) + QStringLiteral(".xml")));
    if (channelFile.isEmpty() || !m_projectXml.CreateProjectXml(projectFilePath, playTime))
        return false;
    CXmlData xml;
    if (xml.CreateXmlData(channelFile, QStringLiteral("Channel")))
        return true;
    // The project XML made above would stand without its channel: nothing half made stays.
    QFile::remove(projectFilePath);
    m_projectXml = CProjectXml();
    return false;
}

bool CProjectFolderStore::OpenProject(const QString& projectFilePath, int32_t channel)
{
    m_channelCount = 0;
    if (!m_projectXml.LoadProjectXml(projectFilePath))
        return false;
    m_channelCount = m_projectXml.GetChannelCount();
    if (!SetProjectName(projectFilePath))
        return false;
    m_projectFilePath = projectFilePath;
    return LoadChannel(channel);
}

bool CProjectFolderStore::LoadChannel(int32_t channel)
{
    m_faceCount = 0;
    ChannelXmlRecord entry;
    if (!m_projectXml.GetChannel(channel, &entry))
        return false;
    // The name comes from the file: it must name a file in the channel folder and nothing else.
    if (!platform::IsSafeComponent(entry.FilePath))
        return false;
    const QString channelFolder = ChannelFolderPath(channel);
    const QString path
        = channelFolder.isEmpty() ? QString() : Fitting(platform::JoinPath(channelFolder, entry.FilePath));
    if (path.isEmpty() || !m_faceList.LoadFaceXml(path))
        return false;
    m_currentChannel = channel;
    m_faceCount = m_faceList.GetCount();
    m_faceItems.clear();
    for (int32_t position = 0; position < m_faceCount; ++position)
        LoadFaceItemsByIndex(position);
    return true;
}

bool CProjectFolderStore::LoadFaceFile(const FaceXmlRecord& face)
{
    if (!platform::IsSafeComponent(face.FilePath))
        return false;
    const QString faceFolder = FaceFolderPath(face.No);
    const QString path
        = faceFolder.isEmpty() ? QString() : Fitting(platform::JoinPath(faceFolder, face.FilePath));
    CItemListXml items;
    if (path.isEmpty() || !items.LoadItemXml(path))
        return false;
    m_faceItems.insert_or_assign(face.No, std::move(items));
    return true;
}

bool CProjectFolderStore::LoadFaceItemsByIndex(int32_t position)
{
    if (m_faceCount < 1)
        return true;
    if (position < 0 || position >= m_faceCount)
        return false;
    FaceXmlRecord face;
    if (m_faceList.GetFaceByIndex(position, &face) < 1)
        return false;
    return LoadFaceFile(face);
}

bool CProjectFolderStore::LoadFaceItems(int32_t faceNo)
{
    if (m_faceCount < 1)
        return true;
    FaceXmlRecord face;
    face.No = faceNo;
    return m_faceList.GetFace(&face) && LoadFaceFile(face);
}

int32_t CProjectFolderStore::GetItemCount(int32_t faceNo) const
{
    const auto items = m_faceItems.find(faceNo);
    return items == m_faceItems.end() ? 0 : items->second.GetCount();
}

bool CProjectFolderStore::GetFaceData(FaceXmlRecord* face) const
{
    return face && m_faceList.GetFace(face);
}

bool CProjectFolderStore::GetItemData(int32_t faceNo, int32_t position, ItemXmlRecord* out) const
{
    if (!out || position < 0 || position >= GetItemCount(faceNo))
        return false;
    FaceXmlRecord face;
    face.No = faceNo;
    const auto items = m_faceItems.find(faceNo);
    if (!m_faceList.GetFace(&face) || items == m_faceItems.end())
        return false;
    return items->second.GetItemByIndex(position, out) >= 0;
}

bool CProjectFolderStore::AddFace(const FaceXmlRecord& face)
{
    if (!platform::IsSafeComponent(face.FilePath))
        return false;
    const int32_t previousCount = m_faceList.GetCount();
    const bool saved = StoreAndSave(m_faceList.Faces(), face.No, face, [this] {
        m_faceList.SetCount(int32_t(m_faceList.Faces().size()));
        return m_faceList.SaveFaceXml();
    });
    if (!saved) {
        m_faceList.SetCount(previousCount);
        return false;
    }
    m_faceCount = m_faceList.GetCount();
    const QString faceFolder = FaceFolderPath(face.No);
    const QString path
        = faceFolder.isEmpty() ? QString() : Fitting(platform::JoinPath(faceFolder, FaceFileName(face.No)));
    CXmlData xml;
    if (path.isEmpty() || !xml.CreateXmlData(path, QStringLiteral("Face")))
        return false;
    return LoadFaceItems(face.No);
}

bool CProjectFolderStore::UpdateFace(const FaceXmlRecord& face)
{
    // Only a face the channel file lists can be updated; adding goes through AddFace.
    if (!platform::IsSafeComponent(face.FilePath) || !m_faceList.Faces().count(face.No))
        return false;
    return StoreAndSave(m_faceList.Faces(), face.No, face, [this] { return m_faceList.SaveFaceXml(); });
}

bool CProjectFolderStore::SetItem(int32_t faceNo, const ItemXmlRecord& item)
{
    const auto found = m_faceItems.find(faceNo);
    if (found == m_faceItems.end())
        return false;
    CItemListXml& items = found->second;
    const int32_t previousCount = items.GetCount();
    const bool saved = StoreAndSave(items.Items(), item.Start, item, [&items] {
        items.SetCount(int32_t(items.Items().size()));
        return items.SaveItemXml();
    });
    if (!saved)
        items.SetCount(previousCount);
    return saved;
}

bool CProjectFolderStore::SetItems(int32_t faceNo, std::span<const ItemXmlRecord> items)
{
    const auto found = m_faceItems.find(faceNo);
    return found != m_faceItems.end() && found->second.SetItems(items);
}

bool CProjectFolderStore::DeleteItem(int32_t faceNo, int32_t start)
{
    const auto found = m_faceItems.find(faceNo);
    return found != m_faceItems.end() && found->second.DeleteItem(start);
}
