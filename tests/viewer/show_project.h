#pragma once

#include "project/face_data.h"
#include "project/project_folder_store.h"
#include "tests/fixtures/temp_folder.h"

#include <QColor>
#include <QPolygon>
#include <QSize>
#include <QString>

// A project on disk, written through the project store exactly as the editor writes it:
// "<temp>/show/show.xml" with its channel and face files, the temp folder as the work folder.
class CShowProject {
public:
    explicit CShowProject(const CTempFolder& temp, int32_t projectTime = 6000);

    QString ProjectXmlPath() const { return m_projectXml; }
    QString WorkFolder() const { return m_temp.Path(); }

    // Adds (or replaces) a face with its corners (top-left, top-right, bottom-right,
    // bottom-left) and colour.
    bool AddFace(int32_t no,
        const QPolygon& corners,
        QColor color = Qt::white,
        bool locked = false,
        bool shown = true);
    bool SetItem(const tagTL_FACE_ITEM_DATA& item);
    bool DeleteItem(int32_t faceNo, int32_t start);
    // The project file's times and loop switch.
    bool SetTimes(int32_t projectTime, int32_t in, int32_t out, bool loop = false);

    // An item of the face, with what the editor gives a new one.
    static tagTL_FACE_ITEM_DATA Item(
        int32_t faceNo, int32_t start, int32_t playTime, int32_t mode, const QString& path = {});

private:
    const CTempFolder& m_temp;
    QString m_projectXml;
    CProjectFolderStore m_store;
};

// Pictures written for the tests.
QString WriteSolidPicture(
    const CTempFolder& temp, const QString& name, QColor color, QSize size = QSize(64, 48));
// Four quarters of a picture in the colours given (top-left, top-right, bottom-right,
// bottom-left): a face that shows it tells where each part of the picture went.
QString WriteQuarterPicture(
    const CTempFolder& temp, const QString& name, const QColor (&quarters)[4], QSize size);
