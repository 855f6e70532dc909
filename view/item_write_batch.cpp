#include "view/item_write_batch.h"

#include "project/project_folder_store.h"

CItemWriteBatch::FaceEdits& CItemWriteBatch::Face(int32_t faceNo, int messageId)
{
    const auto [found, added] = m_faces.try_emplace(faceNo);
    if (added)
        found->second.messageId = messageId;
    return found->second;
}

void CItemWriteBatch::SetItem(int32_t faceNo, const ItemXmlRecord& entry, int messageId)
{
    Face(faceNo, messageId).starts.insert_or_assign(entry.Start, entry);
}

void CItemWriteBatch::DeleteItem(int32_t faceNo, int32_t start, int messageId)
{
    Face(faceNo, messageId).starts.insert_or_assign(start, std::nullopt);
}

void CItemWriteBatch::TellViewer(int32_t faceNo, int notify)
{
    const auto found = m_faces.find(faceNo);
    if (found != m_faces.end() && notify == 1)
        found->second.tellViewer = true;
}

std::vector<std::pair<int32_t, bool>> CItemWriteBatch::TouchedFaces() const
{
    std::vector<std::pair<int32_t, bool>> faces;
    for (const auto& [faceNo, edits] : m_faces)
        faces.emplace_back(faceNo, edits.tellViewer);
    return faces;
}

std::optional<CItemWriteBatch::Failure> CItemWriteBatch::Write(CProjectFolderStore& store)
{
    struct Written {
        int32_t faceNo;
        std::map<int32_t, ItemXmlRecord> entries;
        int32_t count;
    };
    std::vector<Written> written;
    const auto putBack = [&] {
        // The faces written before get their entries back; what cannot be written again stays
        // as the file has it.
        for (Written& face : written) {
            CItemListXml& list = store.GetFaceItems(face.faceNo);
            list.Items() = std::move(face.entries);
            list.SetCount(face.count);
            list.SetItems({});
        }
    };
    for (const auto& [faceNo, edits] : m_faces) {
        if (!store.HasFaceItems(faceNo)) {
            putBack();
            return Failure { faceNo, edits.messageId };
        }
        CItemListXml& list = store.GetFaceItems(faceNo);
        Written before { faceNo, list.Items(), list.GetCount() };
        // Deleted entries leave the map; the batch write adds or replaces the others and saves.
        std::vector<ItemXmlRecord> entries;
        entries.reserve(edits.starts.size());
        for (const auto& [start, entry] : edits.starts) {
            if (entry)
                entries.push_back(*entry);
            else
                list.Items().erase(start);
        }
        list.SetCount(int32_t(list.Items().size()));
        if (!list.SetItems(entries)) {
            list.Items() = std::move(before.entries);
            list.SetCount(before.count);
            putBack();
            return Failure { faceNo, edits.messageId };
        }
        written.push_back(std::move(before));
    }
    for (const std::function<void()>& step : m_fileSteps)
        step();
    return std::nullopt;
}
