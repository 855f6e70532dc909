#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/project/media_fixtures.h"
#include "tests/timeline/timeline_fixtures.h"
#include "timeline/timeline_messages.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <gtest/gtest.h>
#include <memory>

using namespace timeline;

namespace {

// Media files for the whole suite: making them takes a few ffmpeg runs.
class TimelineDropTest : public CTimeLineFixture {
protected:
    static void SetUpTestSuite()
    {
        s_media = std::make_unique<CTempFolder>();
        const auto path = [](const char* name) { return s_media->FilePath(QString::fromLatin1(name)); };
        for (const char* name : { "one.png", "two.JPG", "three.bmp" }) {
            QImage picture(320, 180, QImage::Format_RGB32);
            picture.fill(QColor(200, 30, 30));
            ASSERT_TRUE(
                picture.save(path(name), QFileInfo(path(name)).suffix().toUpper().toLatin1().constData()));
        }
        // 2 s and 37 frames of 1/30 s (1233 ms).
        ASSERT_TRUE(media_fixtures::MakeGreyRampMovie(path("two_seconds.mov"), "30", 60,
            { "-c:v", "mpeg4", "-q:v", "1", "-video_track_timescale", "600" }));
        ASSERT_TRUE(media_fixtures::MakeGreyRampMovie(
            path("odd.mp4"), "30", 37, { "-c:v", "mpeg4", "-q:v", "1", "-video_track_timescale", "600" }));
        ASSERT_TRUE(media_fixtures::MakePcmWav(path("tone.wav"), 44100, 110250)); // 2.5 s
        ASSERT_TRUE(media_fixtures::MakePcmWav(path("blip.wav"), 44100, 300)); // under 1/100 s
        s_media->WriteFile(QStringLiteral("broken.png"), "no picture in here");
        s_media->WriteFile(QStringLiteral("notes.txt"), "text");
        s_media->MakeFolder(QStringLiteral("folder.jpg"));
        // A picture whose path is longer than an item's path field (259 UTF-16 units).
        const QString longFolder = QString(100, QLatin1Char('d')) + u'/' + QString(100, QLatin1Char('e'))
            + u'/' + QString(60, QLatin1Char('f'));
        s_media->MakeFolder(longFolder);
        QImage picture(16, 9, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        ASSERT_TRUE(picture.save(s_media->FilePath(longFolder + QStringLiteral("/long.png"))));
    }
    static void TearDownTestSuite() { s_media.reset(); }

    TimelineDropTest()
    {
        model.SetProjectFolder(project.Path());
        model.SetProjectName(QStringLiteral("Show"));
        project.MakeFolder(QStringLiteral("Show/Channel_1/Face_1"));
        project.MakeFolder(QStringLiteral("Show/Channel_1/Face_2"));
    }

    static QString Media(const char* name) { return s_media->FilePath(QString::fromLatin1(name)); }
    static QString LongPath()
    {
        return s_media->FilePath(QString(100, QLatin1Char('d')) + u'/' + QString(100, QLatin1Char('e')) + u'/'
            + QString(60, QLatin1Char('f')) + QStringLiteral("/long.png"));
    }
    int Drop(const QStringList& paths, int32_t time, int row = 0)
    {
        return model.DropFiles(paths, XOf(time), YOfRow(row));
    }
    QSize ThumbnailSize(int32_t faceNo, int32_t start) const
    {
        return QImageReader(model.ThumbnailPath(At(faceNo, start))).size();
    }

    static std::unique_ptr<CTempFolder> s_media;
    CTempFolder project;
    CScriptedDialogService dialogs;
};

std::unique_ptr<CTempFolder> TimelineDropTest::s_media;

TEST_F(TimelineDropTest, PicturesFollowOneAnotherFromTheDropPointWithTheirThumbnails)
{
    Load({ Face(1), Face(2) });
    EXPECT_EQ(Drop({ Media("one.png"), Media("two.JPG"), Media("three.bmp") }, 1000), 3);
    EXPECT_EQ(Describe(model), QStringLiteral("1: 1000+500 IMAGE, 1500+500 IMAGE, 2000+500 IMAGE | 2: "));
    EXPECT_EQ(owner.Log(),
        (QStringList { QStringLiteral("WAIT_BEGIN"), QStringLiteral("ITEM_ADDED 1@1000"),
            QStringLiteral("ITEM_ADDED 1@1500"), QStringLiteral("ITEM_ADDED 1@2000"),
            QStringLiteral("WAIT_END") }));
    const tagTL_FACE_ITEM_DATA first = At(1, 1000);
    EXPECT_EQ(first.FilePath, Media("one.png"));
    EXPECT_EQ(first.W, 320);
    EXPECT_EQ(first.H, 180);
    EXPECT_EQ(first.ThumbnailTime, -1);
    EXPECT_EQ(first.CameraID, -1);
    EXPECT_EQ(first.Volume, 100);
    for (const int32_t start : { 1000, 1500, 2000 })
        EXPECT_EQ(ThumbnailSize(1, start), QSize(48, 27)) << start;
    ASSERT_TRUE(TimelineInvariantsHold(model));
}

TEST_F(TimelineDropTest, MoviesAndSoundsTakeTheirLengthFromTheMedia)
{
    Load({ Face(1), Face(2) });
    owner.Clear();
    EXPECT_EQ(Drop({ Media("two_seconds.mov"), Media("odd.mp4") }, 0, 1), 2);
    const tagTL_FACE_ITEM_DATA movie = At(2, 0);
    EXPECT_EQ(movie.Mode, tagTL_FACE_ITEM_DATA::MODE_MOVIE);
    EXPECT_EQ(movie.PlayTime, 200);
    EXPECT_EQ(movie.InTime, 0);
    EXPECT_EQ(movie.OutTime, 200);
    EXPECT_EQ(movie.ThumbnailTime, 100) << "the middle of the movie";
    EXPECT_EQ(movie.W, 64);
    EXPECT_EQ(movie.H, 48);
    EXPECT_EQ(ThumbnailSize(2, 0), QSize(48, 27));
    const tagTL_FACE_ITEM_DATA odd = At(2, 200);
    EXPECT_EQ(odd.PlayTime, 123) << "1233 ms";
    EXPECT_EQ(odd.ThumbnailTime, 61);

    owner.Clear();
    EXPECT_EQ(Drop({ Media("tone.wav") }, 500), 1);
    const tagTL_FACE_ITEM_DATA sound = At(1, 500);
    EXPECT_EQ(sound.Mode, tagTL_FACE_ITEM_DATA::MODE_SOUND);
    EXPECT_EQ(sound.PlayTime, 250);
    EXPECT_EQ(sound.OutTime, 250);
    EXPECT_FALSE(QFileInfo::exists(model.ThumbnailPath(sound))) << "sounds have no thumbnail";
    EXPECT_EQ(owner.Log(), (QStringList { QStringLiteral("ITEM_ADDED 1@500"), QStringLiteral("WAIT_END") }))
        << "one file: no WAIT_BEGIN";
}

TEST_F(TimelineDropTest, FilesThatCannotBecomeItemsAreSkipped)
{
    Load({ Face(1) });
    const QStringList files = { Media("notes.txt"), Media("one.png"), Media("broken.png"),
        Media("folder.jpg"), Media("missing.png"), Media("blip.wav"), LongPath(), Media("tone.wav") };
    EXPECT_EQ(Drop(files, 1000), 2);
    EXPECT_EQ(Describe(model), QStringLiteral("1: 1000+500 IMAGE, 1500+250 SOUND"))
        << "the sound starts where the picture ends";
    EXPECT_TRUE(dialogs.Requests().empty());
}

TEST_F(TimelineDropTest, AFileThatDoesNotFitEndsTheDrop)
{
    Load({ Face(1, { Item(1, 1300, 300), Item(1, 3000, 1000) }), Face(2, {}, 1) });
    // Shortened to the gap before the next item; then the next file would start inside it.
    EXPECT_EQ(Drop({ Media("one.png"), Media("two.JPG") }, 1000), 1);
    EXPECT_EQ(At(1, 1000).PlayTime, 300);
    EXPECT_FALSE(Has(1, 1600));
    // A locked face takes nothing; beyond the project's end nothing is added.
    owner.Clear();
    EXPECT_EQ(Drop({ Media("one.png"), Media("two.JPG") }, 1000, 1), 0);
    EXPECT_EQ(owner.Log(), (QStringList { QStringLiteral("WAIT_BEGIN"), QStringLiteral("WAIT_END") }));
    model.SetProjectLength(9500);
    model.SetHorzScrollPos(10);
    EXPECT_EQ(Drop({ Media("one.png") }, 9600), 0);
    // Outside the face rows the drop is ignored, without a word to the owner.
    owner.Clear();
    EXPECT_EQ(model.DropFiles({ Media("one.png") }, 500, 250), 0);
    EXPECT_EQ(model.DropFiles({ Media("one.png") }, 500, 5), 0);
    EXPECT_TRUE(owner.received.empty());
    ASSERT_TRUE(TimelineInvariantsHold(model));
}

} // namespace
