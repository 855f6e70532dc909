#pragma once

#include "project/xml_records.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class CProjectFolderStore;

// The item edits of one user action, collected per face: each touched face file is written once,
// through the store's batch write, when the action ends. The files that follow the items (their
// thumbnails) are moved, copied or removed in the order of the edits, after the faces were
// written; the viewer is told once per touched face.
class CItemWriteBatch {
public:
    // The entry under its start (added, or replacing the entry of that start). `messageId` is
    // the message shown when the face's file cannot be written; the face's first edit names it.
    void SetItem(int32_t faceNo, const ItemXmlRecord& entry, int messageId);
    void DeleteItem(int32_t faceNo, int32_t start, int messageId);
    // The viewer hears of the face when any of its edits asked for it (notify 1).
    void TellViewer(int32_t faceNo, int notify);
    // A step on the files that follow the items, run once the faces were written.
    void AddFileStep(std::function<void()> step) { m_fileSteps.push_back(std::move(step)); }
    bool IsEmpty() const { return m_faces.empty() && m_fileSteps.empty(); }

    struct Failure {
        int32_t faceNo = 0;
        int messageId = 0;
    };
    // Writes every touched face once. All or nothing: when a face cannot be written, the faces
    // written before it get their entries back and are written again, and the store holds what
    // it held before. The file steps run only after every face was written.
    std::optional<Failure> Write(CProjectFolderStore& store);
    // The touched faces in ascending order, each with whether the viewer is to be told.
    std::vector<std::pair<int32_t, bool>> TouchedFaces() const;

private:
    struct FaceEdits {
        // The last edit of each start: an entry, or none for a deleted item.
        std::map<int32_t, std::optional<ItemXmlRecord>> starts;
        int messageId = 0;
        bool tellViewer = false;
    };
    FaceEdits& Face(int32_t faceNo, int messageId);

    std::map<int32_t, FaceEdits> m_faces;
    std::vector<std::function<void()>> m_fileSteps;
};
