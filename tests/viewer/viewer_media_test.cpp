// The viewer's media off the drawing thread: movies decoded ahead by sequence time, pictures
// read by the loader, and the layers of a scene.
#include "tests/project/media_fixtures.h"
#include "tests/viewer/editor_side.h"
#include "tests/viewer/show_project.h"
#include "viewer/movie_stream.h"
#include "viewer/picture_loader.h"
#include "viewer/show_media.h"
#include "viewer/sound_stream.h"
#include "viewer/viewer_scene.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Item = tagTL_FACE_ITEM_DATA;

// The frame number a grey ramp frame shows (luma 16 + 3n).
int FrameNumber(const VideoFramePtr& frame)
{
    if (!frame || frame->format != CVideoFrame::Format::Yuv)
        return -1;
    const uint8_t luma = frame->planes[0].data[frame->planes[0].stride * 10 + 10];
    return (luma - 16 + 1) / 3;
}

// Asks the stream for the sequence time until the frame for it is decoded.
VideoFramePtr FrameWhenReady(CMovieStream& stream, int64_t sequenceUs)
{
    QDeadlineTimer deadline(10000);
    stream.Request(sequenceUs);
    while (!stream.IsReadyFor(sequenceUs) && !deadline.hasExpired()) {
        QThread::msleep(2);
        stream.Request(sequenceUs);
    }
    EXPECT_TRUE(stream.IsReadyFor(sequenceUs)) << sequenceUs;
    return stream.FrameFor(sequenceUs);
}

class MovieStreamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // 60 frames at 25 a second: frame n begins at 40 ms x n.
        movie = temp.FilePath("ramp.mp4");
        ASSERT_TRUE(media_fixtures::MakeGreyRampMovie(
            movie, "25", 60, { "-c:v", "libx264", "-g", "12", "-pix_fmt", "yuv420p", "-crf", "0" }));
    }
    CTempFolder temp;
    QString movie;
};

TEST_F(MovieStreamTest, GivesTheFrameOfEachTimeForwardAndBack)
{
    CMovieStream stream(movie);
    ASSERT_TRUE(CEditorSide::WaitUntil([&] { return stream.GetState() != CMovieStream::State::Opening; }));
    ASSERT_EQ(stream.GetState(), CMovieStream::State::Ready);
    EXPECT_EQ(stream.DisplaySize(), QSize(64, 48));
    EXPECT_EQ(stream.DurationUs(), 2'400'000);
    ItemMediaRange range;
    range.inUs = 0;
    range.outUs = stream.DurationUs();
    stream.SetRange(range);
    struct Case {
        int64_t us;
        int frame;
    } const cases[] = {
        { 0, 0 }, { 39'999, 0 }, { 40'000, 1 }, { 1'000'000, 25 }, { 1'010'000, 25 },
        { 2'000'000, 50 }, // forward within the queue or by a seek
        { 400'000, 10 }, // back: a new start
        { 2'399'000, 59 }, { 9'000'000, 59 }, // after the end: the last frame stays
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.us);
        EXPECT_EQ(FrameNumber(FrameWhenReady(stream, c.us)), c.frame);
    }
}

TEST_F(MovieStreamTest, LoopsInsideInAndOutAheadOfTheClock)
{
    CMovieStream stream(movie);
    ASSERT_TRUE(CEditorSide::WaitUntil([&] { return stream.GetState() == CMovieStream::State::Ready; }));
    Item item = CShowProject::Item(1, 0, 1000, Item::MODE_MOVIE);
    item.InTime = 40; // frame 10
    item.OutTime = 80; // frame 20
    item.PlayMode = 1;
    const ItemMediaRange range = ItemMediaRange::Of(item, stream.DurationUs());
    stream.SetRange(range);
    // Through three laps in steps of 10 ms, as a show plays: each time shows its frame.
    for (int64_t showUs = 0; showUs < 1'200'000; showUs += 10'000) {
        const ItemMediaPosition position = MediaPositionAt(item, range, showUs);
        const int expected = int(position.mediaUs / 40'000);
        ASSERT_EQ(FrameNumber(FrameWhenReady(stream, position.sequenceUs)), expected) << showUs;
    }
    // Decoding is ahead of the clock across the loop.
    QThread::msleep(200);
    EXPECT_GT(stream.LeadUs(), 100'000);
}

// Movies whose indexes make seeking hard: B-frames in a 90 kHz time scale, an NTSC rate whose
// step does not divide the time scale, a variable rate, Matroska (key frames only in its index),
// and an index that calls every frame a key frame.
TEST(MovieStreamKinds, EveryKindShowsTheFrameOfEachTime)
{
    CTempFolder temp;
    using media_fixtures::MakeGreyRampMovie;
    ASSERT_TRUE(MakeGreyRampMovie(temp.FilePath("ramp25.mp4"), "25", 50,
        { "-c:v", "libx264", "-qp", "4", "-bf", "2", "-g", "12", "-video_track_timescale", "90000" }));
    ASSERT_TRUE(MakeGreyRampMovie(temp.FilePath("ntsc90k.mp4"), "30000/1001", 60,
        { "-c:v", "mpeg4", "-q:v", "1", "-video_track_timescale", "90000" }));
    ASSERT_TRUE(MakeGreyRampMovie(temp.FilePath("vfr.mov"), "30", 60,
        { "-vf", "settb=1/600,setpts='floor(N/2)*44+mod(N,2)*24'", "-fps_mode", "passthrough",
            "-enc_time_base", "1/600", "-c:v", "mpeg4", "-q:v", "1", "-video_track_timescale", "600" }));
    ASSERT_TRUE(MakeGreyRampMovie(
        temp.FilePath("keys.mkv"), "25", 50, { "-c:v", "libx264", "-qp", "4", "-bf", "2", "-g", "12" }));
    QByteArray mp4 = temp.ReadFile("ramp25.mp4");
    ASSERT_EQ(mp4.count("stss"), 1);
    temp.WriteFile("false_keys.mp4", mp4.replace("stss", "free"));

    // Where frame n begins, in microseconds.
    const auto rate = [](int64_t num, int64_t den) {
        return [num, den](int n) { return int64_t(n) * den * 1'000'000 / num; };
    };
    const auto variable = [](int n) { return int64_t((n / 2) * 44 + (n % 2) * 24) * 1'000'000 / 600; };
    struct Case {
        const char* file;
        std::function<int64_t(int)> start;
        int frames;
    } const cases[] = {
        { "ramp25.mp4", rate(25, 1), 50 },
        { "ntsc90k.mp4", rate(30000, 1001), 60 },
        { "vfr.mov", variable, 60 },
        { "keys.mkv", rate(25, 1), 50 },
        { "false_keys.mp4", rate(25, 1), 50 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        CMovieStream stream(temp.FilePath(c.file));
        ASSERT_TRUE(
            CEditorSide::WaitUntil([&] { return stream.GetState() != CMovieStream::State::Opening; }));
        ASSERT_EQ(stream.GetState(), CMovieStream::State::Ready);
        ItemMediaRange range;
        range.outUs = stream.DurationUs();
        stream.SetRange(range);
        // Forward, far forward, back and back again: each time in the middle of its frame.
        for (int n : { 0, 7, 30, 5, 13, c.frames - 8, 2, c.frames - 1 }) {
            SCOPED_TRACE(n);
            const int64_t middle = (c.start(n) + c.start(n + 1)) / 2;
            EXPECT_EQ(FrameNumber(FrameWhenReady(stream, middle)), n);
        }
    }
}

TEST(PictureLoader, ReadsOnItsThreadAndTellsFailures)
{
    CTempFolder temp;
    const QString good = WriteSolidPicture(temp, "red.png", Qt::red, { 20, 10 });
    const QString bad = temp.WriteFile("bad.png", "not a picture");
    CPictureLoader loader;
    QImage image;
    ASSERT_TRUE(
        CEditorSide::WaitUntil([&] { return loader.Get(good, &image) != CPictureLoader::State::Pending; }));
    EXPECT_EQ(image.size(), QSize(20, 10));
    EXPECT_EQ(image.format(), QImage::Format_RGBA8888);
    ASSERT_TRUE(
        CEditorSide::WaitUntil([&] { return loader.Get(bad, nullptr) != CPictureLoader::State::Pending; }));
    EXPECT_EQ(loader.Get(bad, nullptr), CPictureLoader::State::Failed);
    EXPECT_EQ(loader.Get(temp.FilePath("missing.png"), nullptr), CPictureLoader::State::Pending);
    EXPECT_TRUE(CEditorSide::WaitUntil([&] { return !loader.IsBusy(); }));
    EXPECT_EQ(loader.Get(temp.FilePath("missing.png"), nullptr), CPictureLoader::State::Failed);
    // A huge picture is kept at the largest size.
    EXPECT_EQ(CPictureLoader::Read(WriteSolidPicture(temp, "wide.png", Qt::blue, { 9000, 100 })).width(),
        CPictureLoader::kMaxSide);
}

// A pipe with a writer that never writes, and a terminal nobody types on, named as pictures: a
// reader that opened them would wait for good. The test lets both go when it ends, so that a
// loader caught by them still ends.
class CPathsThatWait {
public:
    explicit CPathsThatWait(const CTempFolder& temp)
        : pipe(temp.FilePath(QStringLiteral("pipe.png")))
    {
        const QByteArray pipeName = QFile::encodeName(pipe);
        if (::mkfifo(pipeName.constData(), 0600) == 0)
            m_pipeWriter = ::open(pipeName.constData(), O_RDWR | O_CLOEXEC);
        m_terminal = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_terminal >= 0 && ::grantpt(m_terminal) == 0 && ::unlockpt(m_terminal) == 0)
            device = QString::fromLocal8Bit(::ptsname(m_terminal));
    }
    ~CPathsThatWait()
    {
        if (m_pipeWriter >= 0)
            ::close(m_pipeWriter);
        if (m_terminal >= 0)
            ::close(m_terminal);
    }
    bool IsValid() const { return m_pipeWriter >= 0 && !device.isEmpty(); }

    const QString pipe;
    QString device;

private:
    int m_pipeWriter = -1;
    int m_terminal = -1;
};

TEST(PictureLoader, APipeOrADeviceFailsAtOnceAndHoldsUpNoPictureAfterIt)
{
    CTempFolder temp;
    const QString good = WriteSolidPicture(temp, "red.png", Qt::red, { 20, 10 });
    const QString link = temp.FilePath("link.png");
    ASSERT_TRUE(QFile::link(good, link));
    CPictureLoader loader;
    // Declared after the loader, so the paths are let go before the loader ends.
    CPathsThatWait waiting(temp);
    ASSERT_TRUE(waiting.IsValid());

    EXPECT_EQ(loader.Get(waiting.pipe, nullptr), CPictureLoader::State::Pending);
    EXPECT_EQ(loader.Get(waiting.device, nullptr), CPictureLoader::State::Pending);
    QImage image;
    ASSERT_TRUE(CEditorSide::WaitUntil(
        [&] { return loader.Get(good, &image) == CPictureLoader::State::Ready; }, 5000));
    EXPECT_EQ(image.size(), QSize(20, 10));
    // A link is read where it leads.
    EXPECT_TRUE(CEditorSide::WaitUntil(
        [&] { return loader.Get(link, nullptr) == CPictureLoader::State::Ready; }, 5000));
    EXPECT_EQ(loader.Get(waiting.pipe, nullptr), CPictureLoader::State::Failed);
    EXPECT_EQ(loader.Get(waiting.device, nullptr), CPictureLoader::State::Failed);
}

TEST(ShowMedia, LayersOfTheFacesAtATime)
{
    CTempFolder temp;
    CShowProject project(temp);
    ASSERT_TRUE(project.AddFace(1, QPolygon({ { 0, 0 }, { 100, 0 }, { 100, 100 }, { 0, 100 } })));
    ASSERT_TRUE(project.AddFace(2, QPolygon({ { 100, 0 }, { 200, 0 }, { 200, 100 }, { 100, 100 } })));
    ASSERT_TRUE(project.AddFace(
        3, QPolygon({ { 0, 100 }, { 100, 100 }, { 100, 200 }, { 0, 200 } }), Qt::white, false, false));
    const QString red = WriteSolidPicture(temp, "red.png", Qt::red, { 40, 20 });
    Item picture = CShowProject::Item(1, 100, 100, Item::MODE_IMAGE, red);
    picture.MaskX = 10;
    picture.W = 20;
    picture.H = 20;
    ASSERT_TRUE(project.SetItem(picture));
    Item link = CShowProject::Item(2, 100, 100, Item::MODE_LINK);
    link.LinkFaceNo = 1;
    ASSERT_TRUE(project.SetItem(link));
    ASSERT_TRUE(project.SetItem(CShowProject::Item(3, 100, 100, Item::MODE_IMAGE, red)));
    ASSERT_TRUE(
        project.SetItem(CShowProject::Item(1, 300, 100, Item::MODE_IMAGE, temp.FilePath("missing.png"))));

    CViewerScene scene;
    ASSERT_TRUE(scene.Load(project.ProjectXmlPath(), project.WorkFolder()));
    CShowMedia media;
    const int64_t at = 1'500'000;
    ASSERT_TRUE(CEditorSide::WaitUntil([&] {
        media.Update(scene, at, false);
        return media.IsReady(scene, at);
    }));
    const std::vector<FaceLayer> layers = media.Layers(scene, at);
    // Face 3 is switched off; faces 1 and 2 (its link) show the picture's part.
    ASSERT_EQ(layers.size(), 2u);
    EXPECT_EQ(layers[0].faceNo, 1);
    EXPECT_EQ(layers[1].faceNo, 2);
    EXPECT_EQ(layers[0].frame, layers[1].frame); // one source, one upload
    EXPECT_EQ(layers[0].shownArea, QRectF(0.25, 0, 0.5, 1));
    EXPECT_EQ(layers[1].shownArea, QRectF(0, 0, 1, 1)); // the link's own display area
    EXPECT_TRUE(media.TakeFailures().isEmpty());

    // Before the start and between items nothing is drawn.
    media.Update(scene, 500'000, false);
    EXPECT_TRUE(media.Layers(scene, 500'000).empty());

    // A picture that cannot be read is told once.
    const int64_t later = 3'500'000;
    ASSERT_TRUE(CEditorSide::WaitUntil([&] {
        media.Update(scene, later, false);
        media.Layers(scene, later);
        return media.IsReady(scene, later);
    }));
    media.Layers(scene, later);
    EXPECT_EQ(media.TakeFailures(), QStringList({ temp.FilePath("missing.png") }));
    media.Layers(scene, later);
    EXPECT_TRUE(media.TakeFailures().isEmpty());
}

// An item without a file (a kind just chosen in the panel empties it) shows nothing: nothing
// failed, nothing is told, and the frame does not wait for it.
TEST(ShowMedia, AnItemWithoutAFileIsNoFailure)
{
    CTempFolder temp;
    CShowProject project(temp);
    for (int32_t faceNo = 1; faceNo <= 3; ++faceNo)
        ASSERT_TRUE(project.AddFace(faceNo,
            QPolygon({ { 100 * faceNo, 0 }, { 100 * faceNo + 100, 0 }, { 100 * faceNo + 100, 100 },
                { 100 * faceNo, 100 } })));
    const QString red = WriteSolidPicture(temp, "red.png", Qt::red, { 40, 20 });
    ASSERT_TRUE(project.SetItem(CShowProject::Item(1, 0, 100, Item::MODE_IMAGE)));
    ASSERT_TRUE(project.SetItem(CShowProject::Item(2, 0, 100, Item::MODE_MOVIE)));
    ASSERT_TRUE(project.SetItem(CShowProject::Item(3, 0, 100, Item::MODE_IMAGE, red)));

    CViewerScene scene;
    ASSERT_TRUE(scene.Load(project.ProjectXmlPath(), project.WorkFolder()));
    CShowMedia media;
    const int64_t at = 500'000;
    ASSERT_TRUE(CEditorSide::WaitUntil([&] {
        media.Update(scene, at, true);
        media.Layers(scene, at);
        return media.IsReady(scene, at);
    }));
    const std::vector<FaceLayer> layers = media.Layers(scene, at);
    ASSERT_EQ(layers.size(), 1u);
    EXPECT_EQ(layers[0].faceNo, 3);
    const QStringList failures = media.TakeFailures();
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u',').toStdString();
}

TEST(ShowMedia, AMediaFileThatCannotBeOpenedIsToldOncePerOpeningOfTheProject)
{
    CTempFolder temp;
    CShowProject project(temp);
    ASSERT_TRUE(project.AddFace(1, QPolygon({ { 0, 0 }, { 100, 0 }, { 100, 100 }, { 0, 100 } })));
    ASSERT_TRUE(project.AddFace(2, QPolygon({ { 100, 0 }, { 200, 0 }, { 200, 100 }, { 100, 100 } })));
    const QString missingPicture = temp.FilePath("gone.png");
    const QString missingMovie = temp.FilePath("gone.mp4");
    const QString missingSound = temp.FilePath("gone.wav");
    const QString sound = temp.FilePath("tone.wav");
    ASSERT_TRUE(media_fixtures::MakePcmWav(sound, 8000, 8000));
    // The picture is used by two items; the movie plays later on the other face, a sound that
    // is gone and one that plays on the third.
    ASSERT_TRUE(project.SetItem(CShowProject::Item(1, 0, 100, Item::MODE_IMAGE, missingPicture)));
    ASSERT_TRUE(project.SetItem(CShowProject::Item(1, 800, 100, Item::MODE_IMAGE, missingPicture)));
    ASSERT_TRUE(project.SetItem(CShowProject::Item(2, 400, 100, Item::MODE_MOVIE, missingMovie)));
    ASSERT_TRUE(project.AddFace(3, QPolygon({ { 200, 0 }, { 300, 0 }, { 300, 100 }, { 200, 100 } })));
    ASSERT_TRUE(project.SetItem(CShowProject::Item(3, 0, 100, Item::MODE_SOUND, sound)));
    ASSERT_TRUE(project.SetItem(CShowProject::Item(3, 800, 100, Item::MODE_SOUND, missingSound)));

    CViewerScene scene;
    ASSERT_TRUE(scene.Load(project.ProjectXmlPath(), project.WorkFolder()));
    CShowMedia media;
    QStringList told;
    // Frames drawn at a time until it is ready, as the viewer's clock does.
    const auto showAt = [&](int64_t us) {
        EXPECT_TRUE(CEditorSide::WaitUntil([&] {
            media.Update(scene, us, true);
            media.Layers(scene, us);
            return media.IsReady(scene, us);
        }));
        media.Layers(scene, us);
        told += media.TakeFailures();
    };
    // Three passes of a looping show, each drawing many frames of every item.
    for (int pass = 0; pass < 3; ++pass) {
        SCOPED_TRACE(pass);
        for (const int64_t us : { 200'000, 500'000, 4'500'000, 4'600'000, 8'500'000, 9'000'000 })
            showAt(us);
        showAt(30'000'000); // far away: every source is closed
    }
    told.sort();
    EXPECT_EQ(told, QStringList({ missingMovie, missingPicture, missingSound }))
        << told.join(u',').toStdString();

    // The editor's reload of the same project after an edit tells nothing again; another project
    // (or the same opened anew after another) tells its failures again.
    told.clear();
    media.Clear();
    showAt(500'000);
    EXPECT_TRUE(told.isEmpty());
    media.Clear();
    media.ForgetToldFailures();
    showAt(500'000);
    EXPECT_EQ(told, QStringList({ missingPicture }));
}

} // namespace

namespace {

// The sound of an item as the audio output takes it: a 2 s sound that is silent for its first
// second and loud after, read at 48 kHz stereo.
class SoundStreamTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        sound = temp.FilePath("step.wav");
        ASSERT_TRUE(media_fixtures::RunFfmpeg({ "-f", "lavfi", "-i",
            "aevalsrc=if(gte(t\\,1)\\,0.5\\,0):s=48000:d=2", "-c:a", "pcm_s16le", sound }));
        format.setSampleRate(48000);
        format.setChannelCount(2);
        format.setSampleFormat(QAudioFormat::Int16);
    }

    // Reads the frames (after waiting until they are decoded) and gives where the sound turns
    // loud and, after that, silent again (frame numbers; -1 when it does not).
    std::pair<int, int> Edges(CSoundStream& stream, int frames)
    {
        EXPECT_TRUE(
            CEditorSide::WaitUntil([&] { return stream.BufferedUs() >= CSoundStream::kAheadMs * 900; }));
        std::vector<int16_t> samples(size_t(frames) * 2);
        int read = 0;
        while (read < frames) {
            const int chunk = std::min(frames - read, 4800);
            EXPECT_TRUE(CEditorSide::WaitUntil(
                [&] { return stream.BufferedUs() >= chunk * 1000000LL / 48000; }, 3000));
            stream.read(reinterpret_cast<char*>(samples.data() + size_t(read) * 2), qint64(chunk) * 4);
            read += chunk;
        }
        int loud = -1;
        int silentAgain = -1;
        for (int i = 0; i < frames; ++i) {
            const bool on = std::abs(samples[size_t(i) * 2]) > 1000;
            if (on && loud < 0)
                loud = i;
            if (!on && loud >= 0 && silentAgain < 0)
                silentAgain = i;
        }
        return { loud, silentAgain };
    }

    CTempFolder temp;
    QString sound;
    QAudioFormat format;
};

TEST_F(SoundStreamTest, StartsWhereTheClockStandsAndLoops)
{
    CSoundStream stream(sound, format);
    Item item = CShowProject::Item(1, 0, 1000, Item::MODE_SOUND);
    stream.SetRange(ItemMediaRange::Of(item, 0));
    // From half a second in: the step comes half a second later.
    stream.StartAt(500'000);
    auto [loud, silent] = Edges(stream, 36000);
    EXPECT_NEAR(loud, 24000, 2);
    EXPECT_EQ(silent, -1);
    EXPECT_EQ(stream.NextSampleUs(), 500'000 + 750'000);

    // Looping between 0.8 s and 1.2 s: 0.2 s silent, 0.2 s loud, then silent again from IN.
    item.InTime = 80;
    item.OutTime = 120;
    item.PlayMode = 1;
    stream.SetRange(ItemMediaRange::Of(item, 0));
    stream.StartAt(800'000);
    std::tie(loud, silent) = Edges(stream, 24000);
    EXPECT_NEAR(loud, 9600, 2);
    EXPECT_NEAR(silent, 19200, 2);
    EXPECT_FALSE(stream.HasFailed());

    CSoundStream missing(temp.FilePath("none.wav"), format);
    missing.SetRange(ItemMediaRange::Of(item, 0));
    missing.StartAt(0);
    EXPECT_TRUE(CEditorSide::WaitUntil([&] { return missing.HasFailed(); }));
}

} // namespace

namespace {

// 20 s of grey ramp at 30 frames a second, with B-frames and a key frame every `keys` frames.
bool MakeKeyedRampMovie(const QString& path, int keys)
{
    return media_fixtures::MakeGreyRampMovie(path, "30", 600,
        { "-c:v", "libx264", "-g", QString::number(keys), "-keyint_min", QString::number(keys),
            "-sc_threshold", "0", "-bf", "3", "-pix_fmt", "yuv420p" });
}

// A show's clock driving a movie stream as the viewer does: a request every 5 ms with the time
// of the wall clock. The decoder is slowed to 8 ms a picture, as a loaded machine decodes 1080p,
// or more, and can be held still, as a stopped process or a slow disk holds it.
class CPlayedStream {
public:
    static constexpr int64_t kFrameUs = 1'000'000 / 30;

    CPlayedStream(const QString& movie, int64_t fromUs, int msPerPicture = 8)
        : stream(movie, [this, msPerPicture] {
            while (held.load())
                QThread::msleep(1);
            QThread::msleep(msPerPicture);
        })
    {
        EXPECT_TRUE(CEditorSide::WaitUntil([&] { return stream.GetState() == CMovieStream::State::Ready; }));
        ItemMediaRange range;
        range.outUs = stream.DurationUs();
        range.loop = true;
        stream.SetRange(range);
        FrameWhenReady(stream, fromUs);
        m_baseUs = fromUs;
        m_started = std::chrono::steady_clock::now();
    }

    int64_t ClockUs() const
    {
        const auto elapsed = std::chrono::steady_clock::now() - m_started;
        return m_baseUs + std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
    }
    void Jump(int64_t us) { m_baseUs += us; }

    struct Played {
        // How long after the start the shown frame first came within three frames of the clock
        // (-1 when it never did), and the largest lag in the last half second.
        int64_t caughtUpAfter = -1;
        int64_t worstLagAtTheEnd = 0;
        // The longest time one frame stood, and whether the frames shown ever went back.
        int64_t longestStillUs = 0;
        bool wentBack = false;
    };

    // Plays for the time.
    Played Play(int64_t forUs)
    {
        Played played;
        const int64_t startUs = ClockUs();
        VideoFramePtr shown;
        int64_t shownSinceUs = startUs;
        for (int64_t now = startUs; now < startUs + forUs; now = ClockUs()) {
            stream.Request(now, true);
            const VideoFramePtr frame = stream.FrameFor(now);
            const int64_t lag = frame ? now - frame->sequenceUs : INT64_MAX;
            if (played.caughtUpAfter < 0 && lag >= 0 && lag <= 3 * kFrameUs)
                played.caughtUpAfter = now - startUs;
            if (now >= startUs + forUs - 500'000)
                played.worstLagAtTheEnd = std::max(played.worstLagAtTheEnd, lag);
            if (frame != shown) {
                played.wentBack
                    = played.wentBack || (shown && frame && frame->sequenceUs < shown->sequenceUs);
                shown = frame;
                shownSinceUs = now;
            }
            played.longestStillUs = std::max(played.longestStillUs, now - shownSinceUs);
            QThread::msleep(5);
        }
        return played;
    }

    std::atomic<bool> held { false };
    CMovieStream stream;

private:
    int64_t m_baseUs = 0;
    std::chrono::steady_clock::time_point m_started;
};

// After a jump of the clock or a stall of the decoder, every movie shows a frame near the clock
// again within 2 s, whatever the distance between its key frames, and stays with the clock.
TEST(MovieStreamPace, CatchesUpWithTheClockAfterAJumpOrAStall)
{
    CTempFolder temp;
    // 20 s at 30 frames a second, B-frames, key frames only every 30 or every 300 frames.
    for (const int keys : { 30, 300 })
        ASSERT_TRUE(MakeKeyedRampMovie(temp.FilePath(QStringLiteral("keys%1.mp4").arg(keys)), keys));
    struct Case {
        int keys;
        int64_t fromUs;
        int64_t jumpUs; // the clock's jump, or with `stall` how long the decoder is held
        bool stall;
    } const cases[] = {
        { 30, 5'000'000, 500'000, false },
        { 30, 5'000'000, 1'500'000, false },
        { 30, 5'000'000, 3'000'000, false },
        { 300, 5'000'000, 500'000, false },
        { 300, 5'000'000, 1'500'000, false },
        { 300, 5'000'000, 3'000'000, false },
        { 300, 18'500'000, 1'500'000, false }, // across the loop from 20 s back to 0
        { 30, 5'000'000, 1'500'000, true },
        { 300, 5'000'000, 1'500'000, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("key frames every %1, from %2 us, %3 %4 us")
                         .arg(c.keys)
                         .arg(c.fromUs)
                         .arg(c.stall ? "decoder held" : "clock jumps")
                         .arg(c.jumpUs)
                         .toStdString());
        CPlayedStream played(temp.FilePath(QStringLiteral("keys%1.mp4").arg(c.keys)), c.fromUs);
        EXPECT_GE(played.Play(500'000).caughtUpAfter, 0);
        if (c.stall) {
            played.held = true;
            played.Play(c.jumpUs);
            played.held = false;
        } else {
            played.Jump(c.jumpUs);
        }
        const CPlayedStream::Played after = played.Play(2'500'000);
        EXPECT_GE(after.caughtUpAfter, 0);
        EXPECT_LE(after.caughtUpAfter, 2'000'000);
        EXPECT_LE(after.worstLagAtTheEnd, 3 * CPlayedStream::kFrameUs);
    }
}

// A decoder far slower than the clock (a picture takes as long as three of the movie's frames
// last) cannot keep up: the face falls behind, but it keeps moving forward. It never shows one
// frame longer than half a second, also while the decoding goes on to a later key frame, and its
// lag stays bounded.
TEST(MovieStreamPace, KeepsMovingWhenTheDecoderIsSlowerThanTheClock)
{
    CTempFolder temp;
    const QString movie = temp.FilePath("keys30.mp4");
    ASSERT_TRUE(MakeKeyedRampMovie(movie, 30));
    CPlayedStream played(movie, 2'000'000, 150);
    const CPlayedStream::Played result = played.Play(5'000'000);
    EXPECT_LE(result.longestStillUs, 500'000);
    EXPECT_FALSE(result.wentBack);
    EXPECT_LE(result.worstLagAtTheEnd, 2'000'000);
}

// A show that starts playing between the time a key frame is decoded at (which an MP4's index
// holds) and the time it is shown at starts from that key frame, not from the one a group before.
TEST(MovieStreamPace, StartsPlayingAtTheKeyFrameNextToTheClock)
{
    CTempFolder temp;
    const QString movie = temp.FilePath("keys30.mp4");
    ASSERT_TRUE(MakeKeyedRampMovie(movie, 30));
    CMovieStream stream(movie, [] { QThread::msleep(8); });
    ASSERT_TRUE(CEditorSide::WaitUntil([&] { return stream.GetState() == CMovieStream::State::Ready; }));
    ItemMediaRange range;
    range.outUs = stream.DurationUs();
    range.loop = true;
    stream.SetRange(range);
    // The key frame shown at 2 s is decoded at 1.933 s, after two B-frames' delay.
    constexpr int64_t kFromUs = 1'960'000;
    int64_t earliestUs = INT64_MAX;
    const auto started = std::chrono::steady_clock::now();
    for (auto elapsed = std::chrono::microseconds(0); elapsed < std::chrono::milliseconds(600);
         elapsed = std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now() - started)) {
        const int64_t clockUs = kFromUs + elapsed.count();
        stream.Request(clockUs, true);
        if (const VideoFramePtr frame = stream.FrameFor(clockUs))
            earliestUs = std::min(earliestUs, frame->sequenceUs);
        QThread::msleep(2);
    }
    ASSERT_NE(earliestUs, INT64_MAX);
    EXPECT_GE(earliestUs, kFromUs - 3 * CPlayedStream::kFrameUs);
}

// The decoding thread looks for its end between frames: a stream that is going a long way
// ends at once, also on a machine that decodes slowly.
TEST(MovieStreamPace, EndsBetweenTwoFrames)
{
    CTempFolder temp;
    const QString movie = temp.FilePath("keys300.mp4");
    ASSERT_TRUE(media_fixtures::MakeGreyRampMovie(movie, "30", 600,
        { "-c:v", "libx264", "-g", "300", "-keyint_min", "300", "-sc_threshold", "0", "-pix_fmt",
            "yuv420p" }));
    std::atomic<int> decoded { 0 };
    auto stream = std::make_unique<CMovieStream>(movie, [&decoded] {
        ++decoded;
        QThread::msleep(40);
    });
    ASSERT_TRUE(CEditorSide::WaitUntil([&] { return stream->GetState() == CMovieStream::State::Ready; }));
    ItemMediaRange range;
    range.outUs = stream->DurationUs();
    stream->SetRange(range);
    // The frame of 9.9 s lies 297 frames after the key frame before it.
    stream->Request(9'900'000);
    ASSERT_TRUE(CEditorSide::WaitUntil([&] { return decoded.load() >= 3; }));
    const auto before = std::chrono::steady_clock::now();
    stream.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(400));
}

} // namespace
