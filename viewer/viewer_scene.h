#pragma once

#include "project/face_data.h"
#include "project/project_folder_store.h"

#include <QString>
#include <cstdint>
#include <vector>

// What the viewer shows: the faces of the open project with their items, and the project's
// times, read from the project XML, its channel file and its face files through the project
// store. The viewer only reads these files; the editor writes them.
class CViewerScene {
public:
    // Loads the project XML at the path, with its tree under the work folder. On failure the
    // scene is empty and LastError tells why.
    bool Load(const QString& projectXmlPath, const QString& workFolder);
    // Re-reads the project XML's times and play range (not LOOP, which the editor commands).
    bool ReloadTimes();
    // Re-reads the channel file and the face files: a face was added or changed.
    bool ReloadFaces();
    void Clear();

    bool IsLoaded() const { return m_loaded; }
    const QString& LastError() const { return m_lastError; }

    // In ascending face number: the order they are drawn in, the last on top.
    const std::vector<tagTL_FACE_DATA>& Faces() const { return m_faces; }
    // For what the viewer changes itself: corners moved on the output or set by the editor.
    std::vector<tagTL_FACE_DATA>& Faces() { return m_faces; }
    tagTL_FACE_DATA* Face(int32_t faceNo);
    const tagTL_FACE_DATA* Face(int32_t faceNo) const;

    int32_t ProjectTime() const { return m_projectTime; }
    int32_t In() const { return m_in; }
    int32_t Out() const { return m_out; }
    bool Loop() const { return m_loop; }

    // The project's own folder (<work folder>/<name>), against which relative media paths are
    // resolved.
    const QString& ProjectFolder() const { return m_projectFolder; }
    // A media path as stored (perhaps written on Windows, perhaps relative) as a local path.
    QString MediaPath(const QString& stored) const;

    // The item of the face under the time: the one whose span [Start, Start + PlayTime) holds
    // it (the later one where two overlap); nullptr when none does.
    static const tagTL_FACE_ITEM_DATA* ItemAt(const tagTL_FACE_DATA& face, int32_t time);

private:
    bool Fail(const QString& text);
    void TakeTimes();
    void TakeFaces();

    CProjectFolderStore m_store;
    QString m_projectXmlPath;
    QString m_projectFolder;
    std::vector<tagTL_FACE_DATA> m_faces;
    int32_t m_projectTime = 0;
    int32_t m_in = 0;
    int32_t m_out = 0;
    bool m_loop = false;
    bool m_loaded = false;
    QString m_lastError;
};
