#include "tests/timeline/timeline_scene.h"

#include "platform/paths.h"
#include "timeline/thumbnail_writer.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <cstdlib>

namespace timeline_scene {

namespace {

QSize SlotSize(int slot)
{
    if (slot < 20)
        return QSize(64, 36); // kind bars
    if (slot < 24)
        return QSize(16, 16); // lock and display buttons
    if (slot < 26)
        return QSize(13, 14); // link icons
    if (slot < 30)
        return QSize(64, 20); // effect band
    return QSize(12, 12); // filter icon
}

bool WritePicture(const QString& path, QSize size, const QColor& colour)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path);
}

tagTL_FACE_ITEM_DATA MakeItem(
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

void SetEntryEffect(tagTL_FACE_ITEM_DATA& item, int32_t pattern, int32_t length)
{
    item.InPattern = pattern;
    item.InStartTime = item.Start;
    item.InEndTime = item.Start + length;
}

void SetExitEffect(tagTL_FACE_ITEM_DATA& item, int32_t pattern, int32_t length)
{
    item.OutPattern = pattern;
    item.OutEndTime = item.Start + item.PlayTime;
    item.OutStartTime = item.OutEndTime - length;
}

} // namespace

QColor SlotColour(int slot)
{
    // Slots that share a file (each kind's two NORMAL slots, the two filter slots) share a colour.
    if (slot < 20 && slot % 4 == 1)
        --slot;
    if (slot == 31)
        slot = 30;
    if (slot == 27)
        slot = 26;
    return QColor((slot * 53 + 40) % 256, (slot * 97 + 90) % 256, (slot * 31 + 150) % 256);
}

QColor IconColour(int icon)
{
    return icon == 0 ? QColor(20, 200, 120) : QColor(220, 60, 160);
}

void WritePlainSkin(const QString& folder)
{
    CTimeLineAppearance names;
    for (int slot = 0; slot < CTimeLineAppearance::kImageSlotCount; ++slot) {
        const QString path
            = platform::JoinPath(folder, platform::DataFilePathToLocal(names.ImageNames()[size_t(slot)]));
        WritePicture(path, SlotSize(slot), SlotColour(slot));
    }
    for (int icon = 0; icon < 2; ++icon) {
        const QString path
            = platform::JoinPath(folder, platform::DataFilePathToLocal(names.IconNames()[size_t(icon)]));
        WritePicture(path, QSize(48, 27), IconColour(icon));
    }
}

bool WriteThumbnail(const CTimeLineModel& model, const tagTL_FACE_ITEM_DATA& item, const QColor& colour)
{
    const QString path = model.ThumbnailPath(item);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage picture(160, 90, QImage::Format_RGB32);
    picture.fill(colour);
    return ThumbnailWriter().WriteBitmap(picture, path) == 1;
}

void BuildShowcase(CTimeLineModel& model, const QString& projectFolder)
{
    model.SetProjectFolder(projectFolder);
    model.SetProjectName(QStringLiteral("Show"));
    model.SetProjectLength(12000);
    model.SetProjectOpen(true);
    tagCAMERA_SETTING_DATA camera;
    camera.CameraId = 0;
    camera.CameraName = QStringLiteral("Stage camera");
    model.SetCameraList({ camera });

    const int colours[6][3] = { { 230, 80, 60 }, { 60, 160, 230 }, { 90, 200, 90 }, { 230, 200, 60 },
        { 170, 90, 220 }, { 240, 140, 40 } };
    for (int32_t faceNo = 1; faceNo <= 6; ++faceNo) {
        tagTL_FACE_DATA face;
        face.Channel = 1;
        face.No = faceNo;
        face.Status = faceNo == 4 ? 0 : 1;
        face.Lock = faceNo == 5 ? 1 : 0;
        face.R = colours[faceNo - 1][0];
        face.G = colours[faceNo - 1][1];
        face.B = colours[faceNo - 1][2];
        model.AddFaceRecord(face);
    }

    std::vector<tagTL_FACE_ITEM_DATA> items;
    tagTL_FACE_ITEM_DATA picture
        = MakeItem(1, 0, 800, tagTL_FACE_ITEM_DATA::MODE_IMAGE, QStringLiteral("/shows/media/opening.png"));
    SetEntryEffect(picture, 2, 200);
    items.push_back(picture);
    tagTL_FACE_ITEM_DATA movie
        = MakeItem(1, 1000, 1600, tagTL_FACE_ITEM_DATA::MODE_MOVIE, QStringLiteral("/shows/media/waves.mp4"));
    SetExitEffect(movie, 3, 300);
    movie.FilterNo = 2;
    items.push_back(movie);
    items.push_back(
        MakeItem(1, 3000, 1500, tagTL_FACE_ITEM_DATA::MODE_SOUND, QStringLiteral("/shows/media/theme.wav")));

    tagTL_FACE_ITEM_DATA cameraItem = MakeItem(2, 200, 1600, tagTL_FACE_ITEM_DATA::MODE_CAMERA, QString());
    cameraItem.CameraID = 0;
    items.push_back(cameraItem);
    items.push_back(MakeItem(2, 2200, 600, tagTL_FACE_ITEM_DATA::MODE_NONE, QString()));

    tagTL_FACE_ITEM_DATA link = MakeItem(3, 0, 800, tagTL_FACE_ITEM_DATA::MODE_LINK, picture.FilePath);
    link.LinkFaceNo = 1;
    link.LinkMode = tagTL_FACE_ITEM_DATA::MODE_IMAGE;
    items.push_back(link);
    tagTL_FACE_ITEM_DATA selected = MakeItem(
        3, 1200, 3800, tagTL_FACE_ITEM_DATA::MODE_IMAGE, QStringLiteral("/shows/media/facade.jpg"));
    SetEntryEffect(selected, 2, 500);
    SetExitEffect(selected, 2, 700);
    items.push_back(selected);

    items.push_back(
        MakeItem(4, 500, 1500, tagTL_FACE_ITEM_DATA::MODE_MOVIE, QStringLiteral("/shows/media/hidden.mov")));
    items.push_back(
        MakeItem(5, 400, 1000, tagTL_FACE_ITEM_DATA::MODE_IMAGE, QStringLiteral("/shows/media/locked.png")));
    items.push_back(
        MakeItem(6, 9000, 2500, tagTL_FACE_ITEM_DATA::MODE_IMAGE, QStringLiteral("/shows/media/finale.png")));

    const QColor thumbnails[]
        = { QColor(200, 40, 40), QColor(40, 90, 200), QColor(40, 180, 70), QColor(200, 170, 30) };
    int next = 0;
    for (const tagTL_FACE_ITEM_DATA& item : items) {
        model.AddItemRecord(item);
        const int32_t kind = item.Mode == tagTL_FACE_ITEM_DATA::MODE_LINK ? item.LinkMode : item.Mode;
        if (kind == tagTL_FACE_ITEM_DATA::MODE_IMAGE || kind == tagTL_FACE_ITEM_DATA::MODE_MOVIE)
            WriteThumbnail(model, item, thumbnails[next++ % 4]);
    }
    model.SetInOutPosition(500, 9000);
    model.SetPlayPosition(3500);
    model.SetCurrentFace(2);
    model.AddToSelection(selected);
}

bool Near(const QColor& a, const QColor& b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
        && std::abs(a.blue() - b.blue()) <= tolerance;
}

QColor Blend(const QColor& under, const QColor& veil, int alpha)
{
    const auto mix = [alpha](int u, int v) { return (u * (255 - alpha) + v * alpha + 127) / 255; };
    return QColor(
        mix(under.red(), veil.red()), mix(under.green(), veil.green()), mix(under.blue(), veil.blue()));
}

} // namespace timeline_scene
