#include "media/media_api.h"
#include "media/media_library.h"
#include "media_fixtures.h"
#include "project/quicktime_media.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/fixtures/temp_folder.h"

#include <QFile>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <sys/stat.h>

using namespace media_fixtures;

namespace {

// One set of media files for the whole suite: making them takes a few ffmpeg runs.
class QuickTimeMediaTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_folder = std::make_unique<CTempFolder>();
        const auto path = [](const char* name) { return s_folder->FilePath(QString::fromLatin1(name)); };
        // 30 frames a second in a time scale of 600: one frame lasts 20 units.
        ASSERT_TRUE(MakeGreyRampMovie(
            path("ramp30.mov"), "30", 60, { "-c:v", "mpeg4", "-q:v", "1", "-video_track_timescale", "600" }));
        // 25 frames a second in a time scale of 90000, with B-frames and a key frame every 12.
        ASSERT_TRUE(MakeGreyRampMovie(path("ramp25.mp4"), "25", 50,
            { "-c:v", "libx264", "-qp", "4", "-bf", "2", "-g", "12", "-video_track_timescale", "90000" }));
        // NTSC rate: 30000/1001 frames a second in its own time scale of 30000.
        ASSERT_TRUE(MakeGreyRampMovie(path("ntsc.mp4"), "30000/1001", 30,
            { "-c:v", "mpeg4", "-q:v", "1", "-video_track_timescale", "30000" }));
        // NTSC rate in a time scale of 90000, which the step of 3003 does not divide evenly.
        ASSERT_TRUE(MakeGreyRampMovie(path("ntsc90k.mp4"), "30000/1001", 60,
            { "-c:v", "mpeg4", "-q:v", "1", "-video_track_timescale", "90000" }));
        // A variable frame rate: frames last 24 and 20 units of 600 by turns (1/25 and 1/30 s),
        // so the average step (22) does not divide the time scale evenly.
        ASSERT_TRUE(MakeGreyRampMovie(path("vfr.mov"), "30", 60,
            { "-vf", "settb=1/600,setpts='floor(N/2)*44+mod(N,2)*24'", "-fps_mode", "passthrough",
                "-enc_time_base", "1/600", "-c:v", "mpeg4", "-q:v", "1", "-video_track_timescale", "600" }));
        // Matroska indexes key frames only.
        ASSERT_TRUE(MakeGreyRampMovie(
            path("keys.mkv"), "25", 50, { "-c:v", "libx264", "-qp", "4", "-bf", "2", "-g", "12" }));
        // An index that calls every frame a key frame (the list of key frames renamed away): a seek
        // lands on frames that do not decode by themselves.
        QByteArray mp4 = s_folder->ReadFile(QStringLiteral("ramp25.mp4"));
        ASSERT_EQ(mp4.count("stss"), 1);
        s_folder->WriteFile(QStringLiteral("false_keys.mp4"), mp4.replace("stss", "free"));
        // MPEG-4 Part 2 with B-frames and a key frame every 12, its list of key frames renamed
        // away: the index calls every frame a key frame, and this decoder, unlike H.264's, gives
        // out a picture for a frame whose references it never saw.
        ASSERT_TRUE(MakeGreyRampMovie(path("no_sync_mpeg4.mp4"), "25", 60,
            { "-c:v", "mpeg4", "-q:v", "1", "-bf", "2", "-g", "12", "-video_track_timescale", "90000" }));
        QByteArray mpeg4 = s_folder->ReadFile(QStringLiteral("no_sync_mpeg4.mp4"));
        ASSERT_EQ(mpeg4.count("stss"), 1);
        s_folder->WriteFile(QStringLiteral("no_sync_mpeg4.mp4"), mpeg4.replace("stss", "free"));
        // MPEG transport streams have no index; their times start late (1.4 s and more).
        ASSERT_TRUE(MakeGreyRampMovie(
            path("bframes264.ts"), "25", 50, { "-c:v", "libx264", "-qp", "4", "-bf", "2", "-g", "12" }));
        ASSERT_TRUE(MakeGreyRampMovie(path("bframes_mpeg2.ts"), "25", 50,
            { "-c:v", "mpeg2video", "-q:v", "1", "-bf", "2", "-g", "12" }));
        // 10 s at the NTSC rate in Matroska, whose index lists key frames only and whose time base
        // (milliseconds) holds no whole frame step; once with its length, once written as a live
        // stream (no length, no index).
        for (const char* live : { "0", "1" }) {
            ASSERT_TRUE(RunFfmpeg({ "-f", "lavfi", "-i", "color=c=gray:s=64x48:r=30000/1001", "-frames:v",
                "300", "-c:v", "libx264", "-g", "30", "-live", live,
                path(*live == '1' ? "ntsc10s_live.mkv" : "ntsc10s.mkv") }));
        }
        // Non-square pixels (4:3) in a picture of 66 x 50 coded pixels.
        ASSERT_TRUE(RunFfmpeg({ "-f", "lavfi", "-i", "color=c=white:s=66x50:r=25,format=yuv420p,setsar=4/3",
            "-frames:v", "5", "-c:v", "mpeg4", "-q:v", "1", path("wide_pixels.mov") }));
        ASSERT_TRUE(RunFfmpeg({ "-f", "lavfi", "-i", "testsrc=s=64x48:r=25:d=1", "-f", "lavfi", "-i",
            "sine=frequency=440:duration=1", "-c:v", "mpeg4", "-c:a", "aac", "-shortest",
            path("with_sound.mp4") }));
        ASSERT_TRUE(RunFfmpeg({ "-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-c:a", "libmp3lame",
            path("tone.mp3") }));
        ASSERT_TRUE(MakePcmWav(path("tone.wav"), 44100, 110250));
        ASSERT_TRUE(MakePcmWav(path("short.wav"), 22050, 11025));
        // A picture white on its left half, stored with a display matrix of a quarter turn, as
        // cameras store portrait clips.
        ASSERT_TRUE(RunFfmpeg({ "-f", "lavfi", "-i",
            "color=c=black:s=64x48:r=25,format=yuv420p,geq=lum='if(lt(X,32),235,16)':cb=128:cr=128",
            "-frames:v", "5", "-c:v", "mpeg4", "-q:v", "1", path("halves.mov") }));
        ASSERT_TRUE(RunFfmpeg(
            { "-i", path("halves.mov"), "-c", "copy", "-metadata:s:v:0", "rotate=90", path("turned.mov") }));
        s_folder->WriteFile("notes.mov", "this is no movie");
        ASSERT_EQ(::mkfifo(QFile::encodeName(path("pipe.mov")).constData(), 0600), 0);
        // A playlist that would make the reader open another local file.
        ASSERT_TRUE(
            RunFfmpeg({ "-f", "lavfi", "-i", "testsrc=s=64x48:r=25:d=1", "-c:v", "mpeg4", path("part.ts") }));
        s_folder->WriteFile(
            "playlist.mov", "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1.0,\npart.ts\n#EXT-X-ENDLIST\n");
    }
    static void TearDownTestSuite() { s_folder.reset(); }

    static QString Media(const char* name) { return s_folder->FilePath(QString::fromLatin1(name)); }

    static std::unique_ptr<CTempFolder> s_folder;
    CScriptedDialogService m_dialogs;
};

std::unique_ptr<CTempFolder> QuickTimeMediaTest::s_folder;

// The movie as the media support library decodes it, in its own time base; null when it does
// not open.
std::unique_ptr<CMediaMovie> OpenDecoder(const QString& path)
{
    std::unique_ptr<CMediaMovie> movie;
    if (const CMediaSupport* support = CMediaLibrary::Shared().Support())
        support->OpenMovie(path, movie);
    return movie;
}

// The frame a picture shows, read from its grey level.
void ExpectFrame(const QImage& image, int frame)
{
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.format(), QImage::Format_ARGB32);
    const QRgb pixel = image.pixel(image.width() / 2, image.height() / 2);
    EXPECT_EQ(qAlpha(pixel), 255);
    EXPECT_NEAR(qGreen(pixel), GreyOfFrame(frame), 2) << "expected frame " << frame;
    EXPECT_NEAR(qRed(pixel), qGreen(pixel), 2);
}

} // namespace

TEST_F(QuickTimeMediaTest, MovieFactsFollowTheStreamTimeBase)
{
    struct Case {
        const char* file;
        uint32_t frameStep;
        double timeScale;
        int32_t durationMs;
        int32_t frameCount;
    };
    const Case cases[] = {
        { "ramp30.mov", 20, 600, 2000, 60 },
        { "ramp25.mp4", 3600, 90000, 2000, 50 },
        { "ntsc.mp4", 1001, 30000, 1001, 30 },
        { "ntsc90k.mp4", 3003, 90000, 2002, 60 },
        { "vfr.mov", 22, 600, 2200, 60 },
        { "keys.mkv", 40, 1000, 2000, 50 },
        { "ntsc10s.mkv", 33, 1000, 10010, 300 },
        { "ntsc10s_live.mkv", 33, 1000, 0, 300 },
        { "bframes264.ts", 3600, 90000, 2000, 50 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        CQuickTimeMedia media;
        ASSERT_TRUE(media.Initialize());
        ASSERT_TRUE(media.OpenMovie(Media(c.file)));
        EXPECT_TRUE(media.IsMovieOpen());
        EXPECT_EQ(media.FrameStep(), c.frameStep);
        EXPECT_EQ(media.MovieTimeScale(), c.timeScale);
        EXPECT_EQ(media.MovieDuration(), c.durationMs);
        EXPECT_EQ(media.FrameCount(), c.frameCount);
        const auto& box = media.MovieBox();
        EXPECT_EQ(box.left, 0);
        EXPECT_EQ(box.top, 0);
        EXPECT_EQ(box.right, 64);
        EXPECT_EQ(box.bottom, 48);
    }
}

TEST(QuickTimeMediaTime, MillisecondsMapOntoMovieTime)
{
    struct Case {
        int32_t ms;
        double scale;
        uint32_t step;
        int64_t movieTime;
    };
    const Case cases[] = {
        { 1000, 600, 20, 600 }, // 30 frames a second: truncate(truncate(30 * 1000) * 0.02)
        { 1033, 600, 20, 619 }, // still frame 30
        { 1034, 600, 20, 620 }, // frame 31
        { 1000, 90000, 3600, 90000 },
        { 1001, 30000, 1001, 30030 },
        { 5000, 600, 0xFFFFFFFFu, 0 }, // an unreadable step shows the first frame
        { 250, 44100, 0, 11025 }, // no step known: plain scaling
        // A step that does not divide the scale: exactly t * scale / 1000, where the thousandths
        // of a frame would give 23 and 155, the frame before.
        { 40, 600, 22, 24 },
        { 260, 600, 22, 156 },
        { 1001, 90000, 3003, 90090 },
        { -100, 600, 22, -60 },
        { 2147483647, 90000, 3003, 193273528230 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ms);
        EXPECT_EQ(CQuickTimeMedia::MovieTimeOf(c.ms, c.scale, c.step), c.movieTime);
    }
}

TEST_F(QuickTimeMediaTest, RendersTheFrameShownAtATimeForwardAndBackward)
{
    struct Case {
        int32_t ms;
        int frame;
    };
    struct Movie {
        const char* file;
        std::vector<Case> cases;
    };
    const Movie movies[] = {
        { "ramp30.mov",
            { { -100, 0 }, { 0, 0 }, { 33, 0 }, { 34, 1 }, { 500, 15 }, { 1000, 30 }, { 1966, 58 },
                { 1967, 59 }, { 5000, 59 } } },
        { "ramp25.mp4",
            { { 0, 0 }, { 39, 0 }, { 40, 1 }, { 470, 11 }, { 480, 12 }, { 1000, 25 }, { 1999, 49 } } },
        // Frames start at 0, 24, 44, 68, ... units of 600: frame 1 at 40 ms, frame 7 at 260 ms.
        { "vfr.mov",
            { { 0, 0 }, { 39, 0 }, { 40, 1 }, { 73, 1 }, { 74, 2 }, { 259, 6 }, { 260, 7 }, { 1999, 54 },
                { 2020, 55 }, { 5000, 59 } } },
        { "ntsc90k.mp4", { { 0, 0 }, { 1000, 29 }, { 1001, 30 }, { 1968, 58 }, { 1969, 59 } } },
        { "keys.mkv", { { 0, 0 }, { 480, 12 }, { 1000, 25 }, { 1999, 49 } } },
        { "false_keys.mp4", { { 0, 0 }, { 1000, 25 }, { 1300, 32 }, { 1999, 49 } } },
        // Times count from the stream's first frame, which a transport stream starts late.
        { "bframes264.ts", { { 0, 0 }, { 40, 1 }, { 119, 2 }, { 120, 3 }, { 1000, 25 }, { 1999, 49 } } },
        { "no_sync_mpeg4.mp4", { { 0, 0 }, { 559, 13 }, { 1000, 25 }, { 2000, 50 }, { 2399, 59 } } },
    };
    for (const auto& movie : movies) {
        SCOPED_TRACE(movie.file);
        CQuickTimeMedia media;
        ASSERT_TRUE(media.OpenMovie(Media(movie.file)));
        // In order (decoding forward), then backward (seeking every time).
        for (const auto& c : movie.cases) {
            SCOPED_TRACE(c.ms);
            const auto image = media.GetFrameBitmap(c.ms);
            EXPECT_EQ(image.size(), QSize(64, 48));
            ExpectFrame(image, c.frame);
        }
        for (auto it = movie.cases.rbegin(); it != movie.cases.rend(); ++it) {
            SCOPED_TRACE(it->ms);
            ExpectFrame(media.GetFrameBitmap(it->ms), it->frame);
        }
    }
}

// Every frame asked for out of order shows what decoding the movie from its start shows there:
// a seek never shows a picture built without its references, nor skips the first frames.
TEST_F(QuickTimeMediaTest, SeeksShowTheFramesOfASequentialDecode)
{
    for (const char* file : { "ramp25.mp4", "keys.mkv", "false_keys.mp4", "no_sync_mpeg4.mp4",
             "bframes264.ts", "bframes_mpeg2.ts" }) {
        SCOPED_TRACE(file);
        // The reference: every frame in order, decoded forward from the start.
        auto sequential = OpenDecoder(Media(file));
        ASSERT_NE(sequential, nullptr);
        const int64_t step = sequential->FrameStep();
        const int frames = int(sequential->FrameCount());
        ASSERT_GT(step, 0);
        ASSERT_GE(frames, 50);
        std::vector<QImage> reference;
        int64_t seeksToTheStart = 0;
        for (int frame = 0; frame < frames; ++frame) {
            reference.push_back(sequential->FrameAt(frame * step));
            ExpectFrame(reference.back(), frame);
            if (frame == 0)
                seeksToTheStart = sequential->SeekCount();
        }
        EXPECT_EQ(sequential->SeekCount(), seeksToTheStart) << "the reference is decoded forward";

        // Each frame's start and middle, in a shuffled order and then backward.
        std::vector<std::pair<int, int64_t>> requests;
        for (int frame = 0; frame < frames; ++frame) {
            requests.emplace_back(frame, frame * step);
            requests.emplace_back(frame, frame * step + step / 2);
        }
        std::shuffle(requests.begin(), requests.end(), std::mt19937(12));
        for (int frame = frames - 1; frame >= 0; --frame)
            requests.emplace_back(frame, frame * step + step - 1);
        auto seeking = OpenDecoder(Media(file));
        ASSERT_NE(seeking, nullptr);
        int wrong = 0;
        for (const auto& [frame, time] : requests) {
            if (seeking->FrameAt(time) != reference[size_t(frame)]) {
                ++wrong;
                ADD_FAILURE() << "frame " << frame << " at " << time << " shows another picture";
                if (wrong >= 5)
                    break;
            }
        }
    }
}

TEST_F(QuickTimeMediaTest, NonSquarePixelsWidenTheBox)
{
    CQuickTimeMedia media;
    ASSERT_TRUE(media.OpenMovie(Media("wide_pixels.mov")));
    EXPECT_EQ(media.MovieBox().right, 88);
    EXPECT_EQ(media.MovieBox().bottom, 50);
    const QImage frame = media.GetFrameBitmap(100);
    ASSERT_EQ(frame.size(), QSize(88, 50));
    for (const QPoint corner : { QPoint(0, 0), QPoint(87, 49), QPoint(44, 25) }) {
        SCOPED_TRACE(corner.x());
        EXPECT_GE(qGray(frame.pixel(corner)), 250);
        EXPECT_EQ(qAlpha(frame.pixel(corner)), 255);
    }
}

TEST_F(QuickTimeMediaTest, StoredRotationTurnsTheBoxAndTheFrame)
{
    struct Case {
        const char* file;
        QSize size;
        QPoint white;
        QPoint black;
    };
    // The turned clip shows as the library's own player shows it: the white half at the bottom.
    const Case cases[] = {
        { "halves.mov", QSize(64, 48), QPoint(8, 24), QPoint(56, 24) },
        { "turned.mov", QSize(48, 64), QPoint(24, 56), QPoint(24, 8) },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        CQuickTimeMedia media;
        ASSERT_TRUE(media.OpenMovie(Media(c.file)));
        EXPECT_EQ(media.MovieBox().right, c.size.width());
        EXPECT_EQ(media.MovieBox().bottom, c.size.height());
        const QImage frame = media.GetFrameBitmap(0);
        ASSERT_EQ(frame.size(), c.size);
        EXPECT_EQ(frame.format(), QImage::Format_ARGB32);
        EXPECT_GE(qGray(frame.pixel(c.white)), 240);
        EXPECT_LE(qGray(frame.pixel(c.black)), 15);
    }
}

TEST_F(QuickTimeMediaTest, SteppingThroughAMovieDecodesForwardWithoutSeeking)
{
    auto decoder = OpenDecoder(Media("ramp25.mp4"));
    ASSERT_NE(decoder, nullptr);
    const int64_t unitsPerMs = 90;
    for (int64_t ms = 0; ms < 2000; ms += 10)
        ExpectFrame(decoder->FrameAt(ms * unitsPerMs), int(ms / 40));
    EXPECT_EQ(decoder->SeekCount(), 1) << "only the first frame is sought";

    ExpectFrame(decoder->FrameAt(0), 0);
    EXPECT_EQ(decoder->SeekCount(), 2) << "going back seeks";
    ExpectFrame(decoder->FrameAt(1900 * unitsPerMs), 47);
    EXPECT_EQ(decoder->SeekCount(), 3) << "a jump past key frames seeks";
    ExpectFrame(decoder->FrameAt(1920 * unitsPerMs), 48);
    ExpectFrame(decoder->FrameAt(1920 * unitsPerMs), 48);
    EXPECT_EQ(decoder->SeekCount(), 3);
}

TEST_F(QuickTimeMediaTest, NothingIsRenderedWithoutAnOpenMovie)
{
    CQuickTimeMedia media;
    EXPECT_TRUE(media.GetFrameBitmap(0).isNull());
    EXPECT_FALSE(media.CloseMovie());

    ASSERT_TRUE(media.OpenMovie(Media("ramp30.mov")));
    EXPECT_TRUE(media.CloseMovie());
    EXPECT_FALSE(media.CloseMovie()) << "a second close has nothing to close";
    EXPECT_FALSE(media.IsMovieOpen());
    EXPECT_TRUE(media.GetFrameBitmap(500).isNull());
    EXPECT_EQ(media.MovieBox().right, 0);
}

TEST_F(QuickTimeMediaTest, MovieOpenFailures)
{
    struct Case {
        const char* name;
        QString path;
        bool box;
    };
    const Case cases[] = {
        { "missing file", Media("missing.mov"), true },
        { "not a media file", Media("notes.mov"), true },
        { "a folder", s_folder->Path(), true },
        { "a pipe", Media("pipe.mov"), true },
        { "a device", QStringLiteral("/dev/ptmx"), true },
        { "no video stream", Media("tone.wav"), false },
        { "only a sound", Media("tone.mp3"), false },
        { "playlist naming another file", Media("playlist.mov"), true },
    };
    CQuickTimeMedia media(
        QStringLiteral("start failed"), QStringLiteral("movie failed"), QStringLiteral("sound failed"));
    ASSERT_TRUE(media.OpenMovie(Media("ramp30.mov")));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_dialogs.Clear();
        if (c.box)
            m_dialogs.AnswerMessageBox(platform::IDOK);
        EXPECT_FALSE(media.OpenMovie(c.path));
        EXPECT_FALSE(media.IsMovieOpen());
        EXPECT_TRUE(media.GetFrameBitmap(0).isNull());
        const auto expected = c.box ? std::vector<QString> { QStringLiteral("movie failed OpenMovieFile") }
                                    : std::vector<QString> {};
        EXPECT_EQ(m_dialogs.MessageTexts(), expected);
        if (c.box) {
            EXPECT_EQ(m_dialogs.Requests().front().caption, QStringLiteral("Kaleidra Pro"));
        }
    }
}

TEST_F(QuickTimeMediaTest, SoundLengths)
{
    struct Case {
        const char* name;
        QString path;
        bool measured;
        int32_t lengthMs;
        int32_t toleranceMs;
        bool box;
    };
    const Case cases[] = {
        { "wav of 2.5 s", Media("tone.wav"), true, 2500, 0, false },
        { "wav of 0.5 s at 22050", Media("short.wav"), true, 500, 0, false },
        // mp3 counts whole frames of 1152 samples, encoder padding included.
        { "mp3 of 2 s", Media("tone.mp3"), true, 2000, 60, false },
        { "sound track of a movie", Media("with_sound.mp4"), true, 1000, 50, false },
        { "movie without sound", Media("ramp30.mov"), false, 0, 0, false },
        { "missing file", Media("missing.wav"), false, 0, 0, false },
        { "not a media file", Media("notes.mov"), false, 0, 0, true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_dialogs.Clear();
        if (c.box)
            m_dialogs.AnswerMessageBox(platform::IDOK);
        CQuickTimeMedia media;
        int32_t length = -1;
        EXPECT_EQ(media.GetSoundLength(c.path, length), c.measured);
        EXPECT_NEAR(length, c.lengthMs, c.toleranceMs);
        EXPECT_FALSE(media.IsSoundOpen());
        const auto expected = c.box ? std::vector<QString> { QStringLiteral(
                                  "サウンドファイルのオープンに失敗しました。 OpenMovieFile") }
                                    : std::vector<QString> {};
        EXPECT_EQ(m_dialogs.MessageTexts(), expected);
    }
}

TEST_F(QuickTimeMediaTest, FilesWithJapaneseAndBlankNamesOpen)
{
    const QString movie = s_folder->FilePath(QStringLiteral("動画 #1.mov"));
    const QString sound = s_folder->FilePath(QStringLiteral("音声 ?.wav"));
    ASSERT_TRUE(QFile::copy(Media("ramp30.mov"), movie));
    ASSERT_TRUE(QFile::copy(Media("tone.wav"), sound));
    CQuickTimeMedia media;
    ASSERT_TRUE(media.OpenMovie(movie));
    ExpectFrame(media.GetFrameBitmap(1000), 30);
    int32_t length = 0;
    EXPECT_TRUE(media.GetSoundLength(sound, length));
    EXPECT_EQ(length, 2500);
    EXPECT_TRUE(m_dialogs.MessageTexts().empty());
}

TEST_F(QuickTimeMediaTest, OpeningASoundLeavesTheOpenMovieAlone)
{
    CQuickTimeMedia media;
    ASSERT_TRUE(media.OpenMovie(Media("ramp30.mov")));
    ExpectFrame(media.GetFrameBitmap(500), 15);

    ASSERT_TRUE(media.OpenSound(Media("tone.wav")));
    EXPECT_TRUE(media.IsSoundOpen());
    EXPECT_EQ(media.SoundDuration(), 2500);
    EXPECT_TRUE(media.IsMovieOpen());
    EXPECT_EQ(media.FrameStep(), 20u);
    EXPECT_EQ(media.MovieDuration(), 2000);
    EXPECT_EQ(media.MovieBox().right, 64);
    ExpectFrame(media.GetFrameBitmap(1000), 30);

    int32_t length = 0;
    ASSERT_TRUE(media.GetSoundLength(Media("short.wav"), length));
    EXPECT_EQ(length, 500);
    EXPECT_FALSE(media.IsSoundOpen());
    ExpectFrame(media.GetFrameBitmap(1500), 45);
}
