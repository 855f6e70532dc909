// kaleidra_demo_project <demo folder>
// kaleidra_demo_project --folder
//
// Writes the demo show that scripts/demo opens: two title pictures painted here, the clock movie
// "media/clock.mp4" and the tone "media/tone.wav" that the script made beforehand, laid on three
// faces of a 1920 x 1080 canvas with fades, a wipe, a LINK and a filter, looping over 10 s. The
// project is written through the project store as the editor writes it and packed into
// "<demo folder>/Demo.kdp"; the unpacked copy is removed again. With --folder it prints the
// folder the demo belongs in: "Demo" in the product's folder of the user's documents, where the
// editor's file dialogs start.
#include "itempanel/link_sync.h"
#include "platform/known_folders.h"
#include "platform/paths.h"
#include "project/face_data.h"
#include "project/project_folder_store.h"
#include "project/quicktime_media.h"
#include "project/record_conversion.h"
#include "project/zip_file.h"
#include "timeline/thumbnail_writer.h"

#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygon>
#include <cstdio>

namespace {

using Item = tagTL_FACE_ITEM_DATA;

constexpr int32_t kShowTime = 1000; // hundredths: 10 s
const QString kName = QStringLiteral("Demo");

int Fail(const QString& what)
{
    std::fprintf(stderr, "kaleidra_demo_project: %s\n", qPrintable(what));
    return 1;
}

// A title card: a diagonal gradient with a large title and a line under it.
QImage TitleCard(const QColor& from, const QColor& to, const QString& title, const QString& line)
{
    QImage card(1280, 720, QImage::Format_RGB32);
    QPainter painter(&card);
    QLinearGradient gradient(0, 0, card.width(), card.height());
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    painter.fillRect(card.rect(), gradient);
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setPixelSize(150);
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(0, 120, card.width(), 300), Qt::AlignCenter, title);
    font.setPixelSize(56);
    font.setBold(false);
    painter.setFont(font);
    painter.drawText(QRect(0, 430, card.width(), 120), Qt::AlignCenter, line);
    painter.setPen(QPen(Qt::white, 12));
    painter.drawRect(card.rect().adjusted(24, 24, -24, -24));
    return card;
}

class CDemoWriter {
public:
    explicit CDemoWriter(const QString& folder)
        : m_folder(folder)
        , m_build(QDir(folder).filePath(QStringLiteral("build")))
    {
    }

    int Run()
    {
        const QString media = QDir(m_folder).filePath(QStringLiteral("media"));
        const QString clock = QDir(media).filePath(QStringLiteral("clock.mp4"));
        const QString tone = QDir(media).filePath(QStringLiteral("tone.wav"));
        for (const QString& path : { clock, tone }) {
            if (!QFileInfo(path).isFile())
                return Fail(QStringLiteral("%1 is missing").arg(path));
        }
        const QString welcome = QDir(media).filePath(QStringLiteral("welcome.png"));
        const QString mapping = QDir(media).filePath(QStringLiteral("mapping.png"));
        if (!TitleCard(QColor(20, 60, 160), QColor(150, 30, 120), QStringLiteral("Kaleidra"),
                QStringLiteral("projection mapping demo"))
                 .save(welcome)
            || !TitleCard(QColor(200, 90, 20), QColor(230, 180, 40), QStringLiteral("Faces"),
                QStringLiteral("pictures, movies, sound, links"))
                    .save(mapping))
            return Fail(QStringLiteral("the pictures cannot be written into %1").arg(media));

        QDir(m_build).removeRecursively();
        const QString projectFolder = QDir(m_build).filePath(kName);
        const QString projectXml = QDir(projectFolder).filePath(kName + QStringLiteral(".xml"));
        if (!QDir().mkpath(QDir(projectFolder).filePath(QStringLiteral("Channel_1")))
            || !m_store.CreateProject(projectXml, m_build, kShowTime))
            return Fail(QStringLiteral("the project cannot be made in %1").arg(m_build));
        m_store.SetFolder(m_build);
        if (!m_store.OpenProject(projectXml, 1))
            return Fail(QStringLiteral("the project just made does not load"));

        // Face 1, upper left: the two title cards, faded in, the second wiped in and faded out.
        // Face 2, right and tilted: the clock movie for the whole show.
        // Face 3, below: a LINK of the first card in sepia, then the tone.
        bool written = AddFace(1, { { 140, 120 }, { 860, 150 }, { 840, 560 }, { 160, 540 } }, Qt::cyan)
            && AddFace(2, { { 1000, 140 }, { 1800, 100 }, { 1820, 600 }, { 980, 640 } }, Qt::yellow)
            && AddFace(3, { { 300, 660 }, { 920, 660 }, { 860, 1000 }, { 360, 1000 } }, Qt::magenta);
        Item card = Picture(1, 0, 500, welcome);
        card.InPattern = 1; // fade
        card.InStartTime = 0;
        card.InEndTime = 100;
        Item second = Picture(1, 500, 500, mapping);
        second.InPattern = 2; // wipe
        second.InStartTime = 500;
        second.InEndTime = 600;
        second.OutPattern = 1;
        second.OutStartTime = 900;
        second.OutEndTime = 1000;
        Item sound = NewItem(3, 600, 200, Item::MODE_SOUND);
        sound.FilePath = tone;
        sound.OutTime = sound.PlayTime;
        written = written && SetItem(card, welcome) && SetItem(second, mapping) && AddLink(3, card)
            && SetItem(sound, {}) && AddMovie(2, 0, clock);
        if (!written)
            return Fail(QStringLiteral("the faces and items cannot be written"));

        CProjectXml& project = m_store.GetProjectXml();
        project.ProjectTime = kShowTime;
        project.TotalTime = kShowTime;
        project.StartTime = 0;
        project.EndTime = kShowTime;
        project.Loop = 1;
        if (!project.UpdateProjectXml())
            return Fail(QStringLiteral("the project times cannot be written"));

        const QString projectFile = QDir(m_folder).filePath(kName + QStringLiteral(".kdp"));
        CZipFile zip;
        if (!zip.Zip(projectFolder, projectFile))
            return Fail(QStringLiteral("%1 cannot be written: %2").arg(projectFile, zip.ErrorText()));
        QDir(m_build).removeRecursively();
        std::printf("%s\n", qPrintable(projectFile));
        return 0;
    }

private:
    bool AddFace(int32_t no, const QPolygon& corners, const QColor& colour)
    {
        if (!QDir().mkpath(m_store.FaceFolderPath(no)))
            return false;
        tagTL_FACE_DATA face;
        face.Channel = 1;
        face.No = no;
        face.Status = 1;
        face.R = colour.red();
        face.G = colour.green();
        face.B = colour.blue();
        for (size_t i = 0; i < 4; ++i) {
            face.X[i] = corners[int(i)].x();
            face.Y[i] = corners[int(i)].y();
        }
        return m_store.AddFace(ToFaceXmlRecord(face));
    }

    static Item NewItem(int32_t faceNo, int32_t start, int32_t playTime, int32_t mode)
    {
        Item item;
        item.Channel = 1;
        item.FaceNo = faceNo;
        item.Start = start;
        item.PlayTime = playTime;
        item.Mode = mode;
        return item;
    }

    static Item Picture(int32_t faceNo, int32_t start, int32_t playTime, const QString& path)
    {
        Item item = NewItem(faceNo, start, playTime, Item::MODE_IMAGE);
        item.FilePath = path;
        const QImage picture(path);
        item.W = picture.width();
        item.H = picture.height();
        return item;
    }

    QString ThumbnailPath(const Item& item) const
    {
        return QDir(m_store.FaceFolderPath(item.FaceNo))
            .filePath(QStringLiteral("thumbnail_%1.jpg").arg(item.Start));
    }

    // The item's entry, and the thumbnail the timeline shows for a picture.
    bool SetItem(const Item& item, const QString& picture)
    {
        ItemXmlRecord entry;
        if (!ToItemXmlRecord(item, entry) || !m_store.SetItem(item.FaceNo, entry))
            return false;
        return picture.isEmpty() || ThumbnailWriter().WriteFile(picture, ThumbnailPath(item)) == 1;
    }

    // A sepia LINK on the face showing `source`, written as the item panel writes a LINK the
    // user links: the source's file, times, display rectangle and thumbnail.
    bool AddLink(int32_t faceNo, const Item& source)
    {
        Item link = NewItem(faceNo, source.Start, source.PlayTime, Item::MODE_LINK);
        link.LinkFaceNo = source.FaceNo;
        link.FilterNo = 6; // sepia
        link.Param[0] = 100;
        tagTL_FACE_DATA face;
        face.Channel = 1;
        face.No = faceNo;
        face.Items = { link };
        const auto synced
            = itempanel::SyncLinkOnFace(face, source, itempanel::MakeThumbnailPlace(m_build, kName, 1));
        if (!synced)
            return false;
        itempanel::ApplyThumbnailOps(synced->thumbnails);
        return SetItem(synced->after, {});
    }

    // A movie item of the movie's length, with the thumbnail of its middle frame.
    bool AddMovie(int32_t faceNo, int32_t start, const QString& path)
    {
        CQuickTimeMedia media;
        if (!media.OpenMovie(path))
            return Fail(QStringLiteral("%1 cannot be opened").arg(path)) == 0;
        Item item = NewItem(faceNo, start, media.MovieDuration() / 10, Item::MODE_MOVIE);
        item.FilePath = path;
        item.OutTime = item.PlayTime;
        item.W = media.MovieBox().right - media.MovieBox().left;
        item.H = media.MovieBox().bottom - media.MovieBox().top;
        item.ThumbnailTime = item.PlayTime / 2;
        const QImage middle = media.GetFrameBitmap(item.ThumbnailTime * 10);
        media.CloseMovie();
        ItemXmlRecord entry;
        return ToItemXmlRecord(item, entry) && m_store.SetItem(faceNo, entry)
            && ThumbnailWriter().WriteBitmap(middle, ThumbnailPath(item)) == 1;
    }

    QString m_folder;
    QString m_build;
    CProjectFolderStore m_store;
};

} // namespace

int main(int argc, char** argv)
{
    // The pictures are painted off screen; no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2)
        return Fail(QStringLiteral("usage: kaleidra_demo_project <demo folder> | --folder"));
    if (arguments[1] == QStringLiteral("--folder")) {
        const QString documents = platform::DocumentsFolder();
        if (documents.isEmpty())
            return Fail(QStringLiteral("the system names no documents folder"));
        std::printf("%s\n", qPrintable(platform::JoinPath(documents, u"Kaleidra/Demo")));
        return 0;
    }
    return CDemoWriter(QFileInfo(arguments[1]).absoluteFilePath()).Run();
}
