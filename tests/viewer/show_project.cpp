#include "tests/viewer/show_project.h"

#include "project/record_conversion.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

CShowProject::CShowProject(const CTempFolder& temp, int32_t projectTime)
    : m_temp(temp)
{
    m_temp.MakeFolder(QStringLiteral("show/Channel_1"));
    m_projectXml = m_temp.FilePath(QStringLiteral("show/show.xml"));
    EXPECT_TRUE(m_store.CreateProject(m_projectXml, m_temp.Path(), projectTime));
    m_store.SetFolder(m_temp.Path());
    EXPECT_TRUE(m_store.OpenProject(m_projectXml, 1));
}

bool CShowProject::AddFace(int32_t no, const QPolygon& corners, QColor color, bool locked, bool shown)
{
    m_temp.MakeFolder(QStringLiteral("show/Channel_1/Face_%1").arg(no));
    tagTL_FACE_DATA face;
    face.Channel = 1;
    face.No = no;
    face.Status = shown ? 1 : 0;
    face.Lock = locked ? 1 : 0;
    face.R = color.red();
    face.G = color.green();
    face.B = color.blue();
    for (size_t i = 0; i < 4; ++i) {
        face.X[i] = corners.value(int(i)).x();
        face.Y[i] = corners.value(int(i)).y();
    }
    FaceXmlRecord entry = ToFaceXmlRecord(face);
    FaceXmlRecord existing;
    existing.No = no;
    return m_store.GetFaceData(&existing) ? m_store.UpdateFace(entry) : m_store.AddFace(entry);
}

bool CShowProject::SetItem(const tagTL_FACE_ITEM_DATA& item)
{
    ItemXmlRecord entry;
    return ToItemXmlRecord(item, entry) && m_store.SetItem(item.FaceNo, entry);
}

bool CShowProject::DeleteItem(int32_t faceNo, int32_t start)
{
    return m_store.DeleteItem(faceNo, start);
}

bool CShowProject::SetTimes(int32_t projectTime, int32_t in, int32_t out, bool loop)
{
    CProjectXml& project = m_store.GetProjectXml();
    project.ProjectTime = projectTime;
    project.TotalTime = projectTime;
    project.StartTime = in;
    project.EndTime = out;
    project.Loop = loop ? 1 : 0;
    return project.UpdateProjectXml();
}

tagTL_FACE_ITEM_DATA CShowProject::Item(
    int32_t faceNo, int32_t start, int32_t playTime, int32_t mode, const QString& path)
{
    tagTL_FACE_ITEM_DATA item;
    item.Channel = 1;
    item.FaceNo = faceNo;
    item.Start = start;
    item.PlayTime = playTime;
    item.Mode = mode;
    item.FilePath = path;
    return item;
}

QString WriteSolidPicture(const CTempFolder& temp, const QString& name, QColor color, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    const QString path = temp.FilePath(name);
    EXPECT_TRUE(image.save(path, "PNG")) << path.toStdString();
    return path;
}

QString WriteQuarterPicture(
    const CTempFolder& temp, const QString& name, const QColor (&quarters)[4], QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int w = size.width() / 2;
    const int h = size.height() / 2;
    painter.fillRect(0, 0, w, h, quarters[0]);
    painter.fillRect(w, 0, size.width() - w, h, quarters[1]);
    painter.fillRect(w, h, size.width() - w, size.height() - h, quarters[2]);
    painter.fillRect(0, h, w, size.height() - h, quarters[3]);
    painter.end();
    const QString path = temp.FilePath(name);
    EXPECT_TRUE(image.save(path, "PNG")) << path.toStdString();
    return path;
}
