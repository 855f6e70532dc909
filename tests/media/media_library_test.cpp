#include "media/media_api.h"
#include "media/media_library.h"
#include "tests/fixtures/loaded_libraries.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/project/media_fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>
#include <sys/stat.h>

// The media support is a library of its own that links FFmpeg, opened when a movie or sound is
// first opened: the editor starts without FFmpeg and the codec libraries it pulls in.

using namespace media_fixtures;

namespace {

const char* const kFfmpegLibraries[] = { "libavcodec", "libavformat", "libavutil", "libswscale" };

struct CProgramRun {
    QProcess::ExitStatus status = QProcess::CrashExit;
    int exitCode = -1;
    QString errors;
};

// Runs the demo tool at the path on the demo folder, without a display.
CProgramRun RunDemoTool(const QString& program, const QString& demoFolder)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.start(program, { demoFolder });
    CProgramRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitStatus();
    run.exitCode = process.exitCode();
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

TEST(MediaLibrary, TheEditorStartsWithoutFfmpeg)
{
    const QString program = QStringLiteral(KALEIDRA_EDITOR_PROGRAM);
    const QString loaded = LoadedAtStart(program);
    // The listing is the program's own: Qt is there.
    EXPECT_TRUE(loaded.contains(QStringLiteral("libQt6Core.so"))) << loaded.toStdString();
    for (const char* library : kFfmpegLibraries)
        EXPECT_FALSE(loaded.contains(QString::fromLatin1(library))) << library;
    EXPECT_FALSE(loaded.contains(QStringLiteral("libkaleidra_media"))) << loaded.toStdString();
    // The media support lies beside the program, where the program looks for it.
    EXPECT_TRUE(QFileInfo(QFileInfo(program).dir(), QString::fromLatin1(CMediaLibrary::kFileName)).isFile());
}

// Opening the library brings FFmpeg in; through it a movie gives its frames and a sound its
// length, and a file that is no media, or lacks the stream asked for, is told apart.
TEST(MediaLibrary, OpeningItLoadsFfmpegAndReadsMoviesAndSounds)
{
    CTempFolder folder;
    const QString movie = folder.FilePath(QStringLiteral("ramp.mp4"));
    const QString sound = folder.FilePath(QStringLiteral("tone.wav"));
    const QString notMedia = folder.WriteFile(QStringLiteral("notes.mp4"), "this is no movie");
    ASSERT_TRUE(MakeGreyRampMovie(movie, QStringLiteral("25"), 25,
        { QStringLiteral("-c:v"), QStringLiteral("mpeg4"), QStringLiteral("-q:v"), QStringLiteral("1"),
            QStringLiteral("-video_track_timescale"), QStringLiteral("600") }));
    ASSERT_TRUE(MakePcmWav(sound, 8000, 12000));

    const qint64 self = QCoreApplication::applicationPid();
    for (const char* library : kFfmpegLibraries)
        ASSERT_FALSE(AnyNamed(MappedLibraries(self), QString::fromLatin1(library))) << library;
    const CWarningLog log;
    const CMediaLibrary library(QStringLiteral(KALEIDRA_MEDIA_LIBRARY));
    ASSERT_TRUE(library.IsLoaded()) << library.ErrorText().toStdString();
    EXPECT_TRUE(library.ErrorText().isEmpty());
    EXPECT_TRUE(log.Lines().isEmpty()) << log.Lines().join(u'\n').toStdString();
    EXPECT_TRUE(AnyNamed(MappedLibraries(self), QStringLiteral("libavcodec")));
    const CMediaSupport& support = *library.Support();

    std::unique_ptr<CMediaMovie> opened;
    ASSERT_EQ(support.OpenMovie(movie, opened), EMediaOpenResult::Opened);
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->DisplayWidth(), 64);
    EXPECT_EQ(opened->DisplayHeight(), 48);
    EXPECT_EQ(opened->TimeScale(), 600);
    EXPECT_EQ(opened->FrameStep(), 24);
    EXPECT_EQ(opened->FrameCount(), 25);
    for (const int frame : { 10, 3, 24 }) {
        SCOPED_TRACE(frame);
        const QImage picture = opened->FrameAt(frame * 24);
        ASSERT_EQ(picture.size(), QSize(64, 48));
        EXPECT_NEAR(qGreen(picture.pixel(32, 24)), GreyOfFrame(frame), 2);
    }

    tagMEDIA_SOUND_FACTS facts;
    ASSERT_EQ(support.ReadSound(sound, facts), EMediaOpenResult::Opened);
    EXPECT_EQ(facts.timeScale, 8000);
    EXPECT_EQ(facts.duration, 12000);

    struct Case {
        const char* name;
        QString path;
        EMediaOpenResult movie;
        EMediaOpenResult sound;
    } cases[] = {
        { "no media", notMedia, EMediaOpenResult::Unreadable, EMediaOpenResult::Unreadable },
        { "missing", folder.FilePath(QStringLiteral("none.mp4")), EMediaOpenResult::Unreadable,
            EMediaOpenResult::Unreadable },
        { "a movie without sound", movie, EMediaOpenResult::Opened, EMediaOpenResult::NoStream },
        { "a sound without a picture", sound, EMediaOpenResult::NoStream, EMediaOpenResult::Opened },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<CMediaMovie> other;
        EXPECT_EQ(support.OpenMovie(c.path, other), c.movie);
        EXPECT_EQ(other != nullptr, c.movie == EMediaOpenResult::Opened);
        tagMEDIA_SOUND_FACTS read;
        EXPECT_EQ(support.ReadSound(c.path, read), c.sound);
    }
}

// Without the library (or with one that is not ours) nothing is opened through it, and the log
// says why once.
TEST(MediaLibrary, WithoutTheLibraryNothingOpensAndTheLogSaysWhy)
{
    CTempFolder folder;
    folder.WriteFile(QStringLiteral("text/libkaleidra_media.so"), "not a library");
    folder.MakeFolder(QStringLiteral("pipe"));
    const QString pipe = folder.FilePath(QStringLiteral("pipe/libkaleidra_media.so"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    struct Case {
        const char* name;
        QString path;
        QString reason; // a part of the error text
    } cases[] = {
        { "missing", folder.FilePath(QStringLiteral("none/libkaleidra_media.so")),
            QStringLiteral("missing or no regular file") },
        // Refused without being opened: the loader would wait for a writer for good.
        { "a pipe", pipe, QStringLiteral("missing or no regular file") },
        { "not a library", folder.FilePath(QStringLiteral("text/libkaleidra_media.so")),
            QStringLiteral("text/libkaleidra_media.so") },
        { "another library", QStringLiteral(KALEIDRA_OTHER_LIBRARY), QStringLiteral("kaleidra_media_api") },
        { "another version", QStringLiteral(KALEIDRA_OTHER_VERSION_MEDIA),
            QStringLiteral("another version") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CWarningLog log;
        const CMediaLibrary library(c.path);
        EXPECT_FALSE(library.IsLoaded());
        EXPECT_EQ(library.Support(), nullptr);
        EXPECT_TRUE(library.ErrorText().contains(c.reason)) << library.ErrorText().toStdString();
        ASSERT_EQ(log.Lines().size(), 1);
        EXPECT_TRUE(log.Lines()[0].contains(QStringLiteral("no movie or sound can be opened")));
        EXPECT_TRUE(log.Lines()[0].contains(library.ErrorText()));
    }
}

// A program takes the library from its own folder: beside it, the program reads the movie's
// frames; without it, or with one of another version, the movie cannot be opened, the user is
// shown the usual failure and the log says why, and the program goes on to its own end.
TEST(MediaLibrary, AProgramOpensMoviesOnlyWithTheLibraryBesideIt)
{
    CTempFolder folder;
    const QString media = folder.MakeFolder(QStringLiteral("demo/media"));
    ASSERT_TRUE(MakeGreyRampMovie(QDir(media).filePath(QStringLiteral("clock.mp4")), QStringLiteral("25"), 25,
        { QStringLiteral("-c:v"), QStringLiteral("mpeg4") }));
    ASSERT_TRUE(MakePcmWav(QDir(media).filePath(QStringLiteral("tone.wav")), 8000, 8000));
    const QString tool = QFileInfo(QStringLiteral(KALEIDRA_DEMO_TOOL)).fileName();
    const QString library = QString::fromLatin1(CMediaLibrary::kFileName);

    struct Case {
        const char* name;
        QString besideTheProgram; // copied beside it under the library's name; none when empty
        bool opens;
        QString reason; // a part of the logged reason
    } cases[] = {
        { "beside", QStringLiteral(KALEIDRA_MEDIA_LIBRARY), true, {} },
        { "without", {}, false, QStringLiteral("missing or no regular file") },
        { "another version", QStringLiteral(KALEIDRA_OTHER_VERSION_MEDIA), false,
            QStringLiteral("another version") },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString programFolder = folder.MakeFolder(QString::fromLatin1(c.name));
        const QString program = QDir(programFolder).filePath(tool);
        ASSERT_TRUE(QFile::copy(QStringLiteral(KALEIDRA_DEMO_TOOL), program));
        if (!c.besideTheProgram.isEmpty()) {
            ASSERT_TRUE(QFile::copy(c.besideTheProgram, QDir(programFolder).filePath(library)));
        }
        const QString project = folder.FilePath(QStringLiteral("demo/Demo.kdp"));
        QFile::remove(project);

        const CProgramRun run = RunDemoTool(program, folder.FilePath(QStringLiteral("demo")));
        ASSERT_EQ(run.status, QProcess::NormalExit) << run.errors.toStdString();
        EXPECT_EQ(run.exitCode, c.opens ? 0 : 1) << run.errors.toStdString();
        EXPECT_EQ(QFileInfo::exists(project), c.opens);
        // The movie-open box; a program without windows writes it to its error stream.
        EXPECT_EQ(
            run.errors.contains(QStringLiteral("動画のオープンに失敗しました。 OpenMovieFile")), !c.opens)
            << run.errors.toStdString();
        if (!c.opens) {
            EXPECT_TRUE(run.errors.contains(QStringLiteral("no movie or sound can be opened")))
                << run.errors.toStdString();
            EXPECT_TRUE(run.errors.contains(QDir(programFolder).filePath(library)))
                << run.errors.toStdString();
            EXPECT_TRUE(run.errors.contains(c.reason)) << run.errors.toStdString();
        }
    }
}
