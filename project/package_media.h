#pragma once

#include "project/xml_records.h"

#include <QString>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

class CProjectFolderStore;

// Face number -> start time -> item entry, both in ascending order: the items of a project as
// the package flows rewrite them before writing them back face by face.
using ProjectMediaMap = std::map<int32_t, std::map<int32_t, ItemXmlRecord>>;

// The name of a media file inside a package: "%d_%d.%s" of the face number, the item's
// position on its face (1-based, ascending start) and the extension of the source's file name
// (the text after its last '.', empty when the name has none).
QString PackageMediaName(int32_t faceNo, int position, const QString& sourcePath);

// Opens a store on the project XML inside the folder, channel 1, and checks that every face of
// the channel file has its face file loaded.
bool OpenProjectStore(CProjectFolderStore& store, const QString& folder, const QString& projectXml);

// The items of every face of a loaded store, as stored.
ProjectMediaMap ReadProjectItems(const CProjectFolderStore& store);

struct MediaCopy {
    QString source; // the path the item names, in the program's form
    QString target; // the file in the data or mask folder
};

// What packing a project's media takes: its items with package names for their media and
// masks, and the copies to make. Picture, movie and sound items with a file get the name of
// their media in the data folder, image masks whose file exists the name of the mask in the
// mask folder; items without a file keep their empty path; LINK items name the file of the
// item at their start on their linked face.
struct PackageMediaPlan {
    ProjectMediaMap items;
    std::vector<MediaCopy> copies;
};
PackageMediaPlan PlanPackageMedia(
    const ProjectMediaMap& items, const QString& dataFolder, const QString& maskFolder);

// Makes every copy of the plan; the source path that failed, or nothing when all were made.
std::optional<QString> CopyPackageMedia(const PackageMediaPlan& plan);

// Writes the items of every face with one batch write per face.
bool WriteProjectItems(CProjectFolderStore& store, const ProjectMediaMap& items);

// Points media and mask paths into folders: a non-empty path becomes "<folder>/<its file
// name>". Media paths are rewritten for every kind when `allKinds` is set, else only for
// picture, movie, sound and LINK items; mask paths for every item when `allKinds` is set, else
// only for image masks. False when a file name is not one safe path component.
bool RebaseItems(ProjectMediaMap& items, const QString& dataFolder, const QString& maskFolder, bool allKinds);
