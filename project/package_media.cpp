#include "project/package_media.h"

#include "platform/paths.h"
#include "project/package_folders.h"
#include "project/project_folder_store.h"

#include <QFileInfo>

namespace {

bool CarriesMedia(int32_t mode)
{
    return mode == tagTL_FACE_ITEM_DATA::MODE_IMAGE || mode == tagTL_FACE_ITEM_DATA::MODE_MOVIE
        || mode == tagTL_FACE_ITEM_DATA::MODE_SOUND;
}

constexpr int32_t kImageMask = 2;

// "<folder>/<file name of the path>"; nothing when the file name is not one safe component.
std::optional<QString> Rebased(const QString& folder, const QString& path)
{
    const QString name = platform::FileNameOf(path);
    if (!platform::IsSafeComponent(name))
        return std::nullopt;
    return platform::JoinPath(folder, name);
}

} // namespace

QString PackageMediaName(int32_t faceNo, int position, const QString& sourcePath)
{
    const QString fileName = platform::FileNameOf(sourcePath);
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : fileName.mid(dot + 1);
    return QStringLiteral("%1_%2.%3").arg(faceNo).arg(position).arg(extension);
}

bool OpenProjectStore(CProjectFolderStore& store, const QString& folder, const QString& projectXml)
{
    store.SetFolder(folder);
    if (store.GetFolder().isEmpty() || !store.OpenProject(projectXml, 1))
        return false;
    // The store skips a face whose file it cannot read; a package made without that face's
    // items would lose them, so such a project is not taken.
    for (const auto& [faceNo, face] : store.GetFaceListXml().Faces()) {
        if (!store.HasFaceItems(faceNo))
            return false;
    }
    return true;
}

ProjectMediaMap ReadProjectItems(const CProjectFolderStore& store)
{
    ProjectMediaMap items;
    for (const auto& [faceNo, face] : store.GetFaceListXml().Faces()) {
        std::map<int32_t, ItemXmlRecord>& faceItems = items[faceNo];
        if (const auto found = store.GetFaceItemMap().find(faceNo); found != store.GetFaceItemMap().end())
            faceItems = found->second.Items();
    }
    return items;
}

PackageMediaPlan PlanPackageMedia(
    const ProjectMediaMap& items, const QString& dataFolder, const QString& maskFolder)
{
    PackageMediaPlan plan;
    for (const auto& [faceNo, faceItems] : items) {
        std::map<int32_t, ItemXmlRecord>& planned = plan.items[faceNo];
        int position = 0;
        for (const auto& [start, stored] : faceItems) {
            ++position;
            ItemXmlRecord item = stored;
            if (CarriesMedia(item.Mode) && !item.FilePath.isEmpty()) {
                const QString name = PackageMediaName(faceNo, position, item.FilePath);
                plan.copies.push_back(
                    { platform::DataFilePathToLocal(item.FilePath), platform::JoinPath(dataFolder, name) });
                item.FilePath = name;
            }
            if (item.MaskMode == kImageMask && !item.MaskImage.isEmpty()) {
                const QString mask = platform::DataFilePathToLocal(item.MaskImage);
                if (QFileInfo(mask).isFile()) {
                    const QString name = PackageMediaName(faceNo, position, item.MaskImage);
                    plan.copies.push_back({ mask, platform::JoinPath(maskFolder, name) });
                    item.MaskImage = name;
                }
            }
            planned.emplace(start, std::move(item));
        }
    }
    // LINK items name what their linked face shows at their start, once every face has its
    // package names; a LINK item never shows another LINK item.
    const ProjectMediaMap named = plan.items;
    for (auto& [faceNo, faceItems] : plan.items) {
        for (auto& [start, item] : faceItems) {
            if (item.Mode != tagTL_FACE_ITEM_DATA::MODE_LINK)
                continue;
            item.FilePath.clear();
            const auto face = named.find(item.LinkFaceNo);
            if (face == named.end())
                continue;
            const auto linked = face->second.find(start);
            if (linked != face->second.end() && linked->second.Mode != tagTL_FACE_ITEM_DATA::MODE_LINK)
                item.FilePath = linked->second.FilePath;
        }
    }
    return plan;
}

std::optional<QString> CopyPackageMedia(const PackageMediaPlan& plan)
{
    for (const MediaCopy& copy : plan.copies) {
        if (!package_folders::StageFile(copy.source, copy.target))
            return copy.source;
    }
    return std::nullopt;
}

bool WriteProjectItems(CProjectFolderStore& store, const ProjectMediaMap& items)
{
    for (const auto& [faceNo, faceItems] : items) {
        std::vector<ItemXmlRecord> batch;
        batch.reserve(faceItems.size());
        for (const auto& [start, item] : faceItems)
            batch.push_back(item);
        if (!batch.empty() && !store.SetItems(faceNo, batch))
            return false;
    }
    return true;
}

bool RebaseItems(ProjectMediaMap& items, const QString& dataFolder, const QString& maskFolder, bool allKinds)
{
    for (auto& [faceNo, faceItems] : items) {
        for (auto& [start, item] : faceItems) {
            const bool mediaKind
                = allKinds || CarriesMedia(item.Mode) || item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK;
            if (mediaKind && !item.FilePath.isEmpty()) {
                const std::optional<QString> path = Rebased(dataFolder, item.FilePath);
                if (!path)
                    return false;
                item.FilePath = *path;
            }
            const bool maskKind = allKinds || item.MaskMode == kImageMask;
            if (maskKind && !item.MaskImage.isEmpty()) {
                const std::optional<QString> path = Rebased(maskFolder, item.MaskImage);
                if (!path)
                    return false;
                item.MaskImage = *path;
            }
        }
    }
    return true;
}
