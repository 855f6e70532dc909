#include "viewer/viewer_scene.h"

#include "platform/paths.h"
#include "project/record_conversion.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

constexpr int32_t kChannel = 1;

} // namespace

bool CViewerScene::Fail(const QString& text)
{
    Clear();
    m_lastError = text;
    return false;
}

void CViewerScene::Clear()
{
    m_store = CProjectFolderStore();
    m_projectXmlPath.clear();
    m_projectFolder.clear();
    m_faces.clear();
    m_projectTime = m_in = m_out = 0;
    m_loop = false;
    m_loaded = false;
    m_lastError.clear();
}

bool CViewerScene::Load(const QString& projectXmlPath, const QString& workFolder)
{
    Clear();
    if (projectXmlPath.isEmpty())
        return Fail(QStringLiteral("no project file named"));
    m_store.SetFolder(workFolder);
    if (workFolder.isEmpty() || m_store.GetFolder().isEmpty())
        return Fail(QStringLiteral("no work folder named"));
    if (!m_store.OpenProject(projectXmlPath, kChannel))
        return Fail(QStringLiteral("the project cannot be read: %1").arg(projectXmlPath));
    m_projectXmlPath = projectXmlPath;
    m_projectFolder = platform::JoinPath(workFolder, m_store.GetProjectName());
    TakeTimes();
    m_loop = m_store.GetProjectXml().Loop == 1;
    TakeFaces();
    m_loaded = true;
    return true;
}

bool CViewerScene::ReloadTimes()
{
    if (!m_loaded)
        return false;
    CProjectXml& projectXml = m_store.GetProjectXml();
    const bool loop = m_loop;
    if (!projectXml.LoadProjectXml(m_projectXmlPath)) {
        m_lastError = QStringLiteral("the project cannot be read: %1").arg(m_projectXmlPath);
        return false;
    }
    TakeTimes();
    m_loop = loop;
    return true;
}

bool CViewerScene::ReloadFaces()
{
    if (!m_loaded)
        return false;
    if (!m_store.LoadChannel(kChannel)) {
        m_lastError = QStringLiteral("the channel file cannot be read");
        return false;
    }
    TakeFaces();
    return true;
}

void CViewerScene::TakeTimes()
{
    const CProjectXml& projectXml = m_store.GetProjectXml();
    m_projectTime = projectXml.ProjectTime;
    m_in = projectXml.StartTime;
    m_out = projectXml.EndTime;
}

void CViewerScene::TakeFaces()
{
    m_faces.clear();
    const auto& faceItems = m_store.GetFaceItemMap();
    for (const auto& [faceNo, entry] : m_store.GetFaceListXml().Faces()) {
        tagTL_FACE_DATA face = ToFaceData(entry, kChannel);
        if (const auto items = faceItems.find(faceNo); items != faceItems.end()) {
            for (const auto& [start, item] : items->second.Items())
                face.Items.push_back(ToFaceItemData(item, kChannel, faceNo, LookUpLinkMode(item, faceItems)));
        }
        m_faces.push_back(std::move(face));
    }
}

tagTL_FACE_DATA* CViewerScene::Face(int32_t faceNo)
{
    const auto found = std::find_if(
        m_faces.begin(), m_faces.end(), [faceNo](const tagTL_FACE_DATA& face) { return face.No == faceNo; });
    return found == m_faces.end() ? nullptr : &*found;
}

const tagTL_FACE_DATA* CViewerScene::Face(int32_t faceNo) const
{
    return const_cast<CViewerScene*>(this)->Face(faceNo);
}

QString CViewerScene::MediaPath(const QString& stored) const
{
    if (stored.isEmpty())
        return {};
    const QString local = platform::DataFilePathToLocal(stored);
    if (QDir::isAbsolutePath(local) || m_projectFolder.isEmpty())
        return local;
    return QDir(m_projectFolder).absoluteFilePath(local);
}

const tagTL_FACE_ITEM_DATA* CViewerScene::ItemAt(const tagTL_FACE_DATA& face, int32_t time)
{
    // Items are kept in ascending Start: the last that starts at or before the time and has
    // not ended yet.
    for (auto item = face.Items.rbegin(); item != face.Items.rend(); ++item) {
        if (item->Start > time)
            continue;
        if (int64_t(time) < int64_t(item->Start) + item->PlayTime)
            return &*item;
    }
    return nullptr;
}
