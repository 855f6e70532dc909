#include "view/project_faces.h"

#include "project/project_folder_store.h"
#include "project/record_conversion.h"

std::vector<tagTL_FACE_DATA> ReadProjectFaces(const CProjectFolderStore& store)
{
    const int32_t channel = store.GetCurrentChannel();
    const std::map<int32_t, CItemListXml>& faceItems = store.GetFaceItemMap();
    std::vector<tagTL_FACE_DATA> faces;
    for (const auto& [number, entry] : store.GetFaceListXml().Faces()) {
        tagTL_FACE_DATA face = ToFaceData(entry, channel);
        const auto items = faceItems.find(number);
        if (items != faceItems.end()) {
            for (const auto& [start, item] : items->second.Items())
                face.Items.push_back(ToFaceItemData(item, channel, number, LookUpLinkMode(item, faceItems)));
        }
        faces.push_back(std::move(face));
    }
    return faces;
}
