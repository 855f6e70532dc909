// The conformance suite: a real Luxviewer, started headless as a child process, driven through
// the shared block exactly as the editor drives it; and the viewer's start in this process.
#include "core/pm_param_block.h"
#include "platform/shared_flag.h"
#include "tests/project/media_fixtures.h"
#include "tests/viewer/editor_side.h"
#include "tests/viewer/show_project.h"
#include "viewer/lux_viewer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

namespace {

using Item = tagTL_FACE_ITEM_DATA;

QStringList Cells(std::initializer_list<int> values)
{
    QStringList cells;
    for (int value : values)
        cells << QString::number(value);
    return cells;
}

// Corners in the query cells: cell 0 the face, cells 5..12 the corners.
QStringList CornerCells(int faceNo, std::initializer_list<int> corners)
{
    QStringList cells { QString::number(faceNo), {}, {}, {}, {} };
    for (int value : corners)
        cells << QString::number(value);
    return cells;
}

class ViewerProtocol : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(editor.IsValid());
        ASSERT_TRUE(
            project.AddFace(1, QPolygon({ { 0, 0 }, { 320, 0 }, { 320, 180 }, { 0, 180 } }), Qt::red));
        ASSERT_TRUE(project.AddFace(
            2, QPolygon({ { 320, 180 }, { 640, 180 }, { 640, 360 }, { 320, 360 } }), Qt::green));
        ASSERT_TRUE(project.SetTimes(6000, 100, 5000));
    }

    void TearDown() override
    {
        if (HasFailure())
            std::fprintf(stderr, "Luxviewer's diagnostics:\n%s\n", editor.Diagnostics().toUtf8().constData());
    }

    void StartAndLoad()
    {
        ASSERT_TRUE(editor.StartViewer());
        ASSERT_TRUE(editor.Project(kPmProjectLoad, project.ProjectXmlPath(), project.WorkFolder()));
    }

    CEditorSide editor;
    CTempFolder temp;
    CShowProject project { temp };
};

TEST_F(ViewerProtocol, TakesRequestsRaisedBeforeItStarted)
{
    // The editor raises the project flag and a seek before the viewer runs; the viewer takes
    // the project first and then the seek.
    editor.RaiseProject(kPmProjectLoad, project.ProjectXmlPath(), project.WorkFolder());
    editor.RaiseCommand(kPmCommandSeek, Cells({ 1234 }));
    ASSERT_TRUE(editor.StartViewer());
    ASSERT_TRUE(CEditorSide::WaitUntil([this] {
        return platform::LoadSharedFlag(editor.Block().projectFlag) == 0
            && platform::LoadSharedFlag(editor.Block().commandFlag) == 0;
    }));
    EXPECT_EQ(editor.ViewerTime(), 1234);
    const auto state = editor.State();
    EXPECT_EQ(state.value("faces"), "2");
    EXPECT_EQ(state.value("playing"), "0");
}

TEST_F(ViewerProtocol, ProjectLoadStopsResetsGuideAndStartsAtIn)
{
    StartAndLoad();
    EXPECT_EQ(editor.ViewerTime(), 100); // IN of the project file
    ASSERT_TRUE(editor.Command(kPmCommandGuide, Cells({ 1 })));
    ASSERT_TRUE(editor.Command(kPmCommandPlay));
    EXPECT_EQ(editor.State().value("playing"), "1");

    // A second load (the editor reloads after deleting a face) stops and puts GUIDE off.
    ASSERT_TRUE(editor.Project(kPmProjectLoad, project.ProjectXmlPath(), project.WorkFolder()));
    const auto state = editor.State();
    EXPECT_EQ(state.value("playing"), "0");
    EXPECT_EQ(state.value("guide"), "0");
    EXPECT_EQ(editor.ViewerTime(), 100);
}

TEST_F(ViewerProtocol, AFailedLoadIsReportedAndTheReplyWaitsForTheEditor)
{
    ASSERT_TRUE(editor.StartViewer());
    const QString missing = temp.FilePath(QStringLiteral("gone/gone.xml"));
    // Both loads fail; the flag is cleared all the same so that the editor does not wait.
    ASSERT_TRUE(editor.Project(kPmProjectLoad, missing, temp.Path()));
    ASSERT_TRUE(editor.Project(kPmProjectLoad, missing + QStringLiteral("2"), temp.Path()));
    EXPECT_EQ(editor.State().value("faces"), "0");

    const auto first = editor.WaitForReply();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->kind, kPmReplyMessage);
    EXPECT_EQ(first->cells[0], "2"); // an error
    EXPECT_EQ(first->cells[1], "1"); // to be shown
    EXPECT_TRUE(first->cells[2].endsWith(missing)) << first->cells[2].toStdString();
    // The second reply stays queued while the editor has not cleared the flag.
    QThread::msleep(100);
    EXPECT_EQ(ReadPmText(editor.Block().replyCells[2]), first->cells[2]);
    editor.ClearReply();
    const auto second = editor.WaitForReply();
    ASSERT_TRUE(second);
    EXPECT_TRUE(second->cells[2].endsWith(missing + QStringLiteral("2")));
    editor.ClearReply();
    EXPECT_FALSE(editor.WaitForReply(200));
}

TEST_F(ViewerProtocol, PlayPauseAndSeekFollowTheClock)
{
    StartAndLoad();
    // Seek before IN: the time is exactly the cell's and the viewer stays stopped.
    ASSERT_TRUE(editor.Command(kPmCommandSeek, Cells({ 20 })));
    EXPECT_EQ(editor.ViewerTime(), 20);
    // Play from before IN starts at IN.
    ASSERT_TRUE(editor.Command(kPmCommandPlay));
    const int32_t started = editor.ViewerTime();
    EXPECT_GE(started, 100);
    EXPECT_LT(started, 110);
    QThread::msleep(300);
    // Pause leaves the final time in the block before the flag is cleared, and it stays.
    ASSERT_TRUE(editor.Command(kPmCommandPause));
    const int32_t paused = editor.ViewerTime();
    EXPECT_GE(paused, 125);
    EXPECT_LT(paused, 160);
    QThread::msleep(100);
    EXPECT_EQ(editor.ViewerTime(), paused);
    // Play goes on from there.
    ASSERT_TRUE(editor.Command(kPmCommandPlay));
    QThread::msleep(100);
    EXPECT_GT(editor.ViewerTime(), paused);
    // A seek while playing stops at exactly the time.
    ASSERT_TRUE(editor.Command(kPmCommandSeek, Cells({ 2500 })));
    EXPECT_EQ(editor.ViewerTime(), 2500);
    QThread::msleep(100);
    EXPECT_EQ(editor.ViewerTime(), 2500);
    EXPECT_EQ(editor.State().value("playing"), "0");
}

TEST_F(ViewerProtocol, AtOutItLoopsToInWithLoopAndOtherwiseHoldsOut)
{
    ASSERT_TRUE(project.SetTimes(6000, 100, 150));
    StartAndLoad();
    // LOOP off: it stops holding OUT.
    ASSERT_TRUE(editor.Command(kPmCommandPlay));
    ASSERT_TRUE(CEditorSide::WaitUntil([this] { return editor.State().value("playing") == "0"; }, 3000));
    EXPECT_EQ(editor.ViewerTime(), 150);
    // Playing at OUT without LOOP plays nothing.
    ASSERT_TRUE(editor.Command(kPmCommandPlay));
    EXPECT_EQ(editor.State().value("playing"), "0");
    EXPECT_EQ(editor.ViewerTime(), 150);

    // LOOP on: from OUT it starts at IN and keeps going round.
    ASSERT_TRUE(editor.Command(kPmCommandLoop, Cells({ 1 })));
    EXPECT_EQ(editor.State().value("loop"), "1");
    ASSERT_TRUE(editor.Command(kPmCommandPlay));
    bool sawWrap = false;
    int32_t previous = editor.ViewerTime();
    ASSERT_TRUE(CEditorSide::WaitUntil(
        [&] {
            const int32_t now = editor.ViewerTime();
            EXPECT_GE(now, 100);
            EXPECT_LT(now, 150);
            sawWrap = sawWrap || now < previous;
            previous = now;
            return sawWrap;
        },
        3000));
    EXPECT_EQ(editor.State().value("playing"), "1");
    ASSERT_TRUE(editor.Command(kPmCommandLoop, Cells({ 0 })));
    EXPECT_EQ(editor.State().value("loop"), "0");
}

TEST_F(ViewerProtocol, ProjectFlagTwoRereadsTheTimesWithoutStopping)
{
    StartAndLoad();
    ASSERT_TRUE(editor.Command(kPmCommandPlay));
    ASSERT_TRUE(project.SetTimes(6000, 100, 200));
    ASSERT_TRUE(editor.Project(kPmProjectTimes));
    EXPECT_EQ(editor.State().value("playing"), "1");
    // The new OUT holds.
    ASSERT_TRUE(CEditorSide::WaitUntil([this] { return editor.State().value("playing") == "0"; }, 3000));
    EXPECT_EQ(editor.ViewerTime(), 200);
}

TEST_F(ViewerProtocol, ScreenAndGuideSwitchesKeepTheShow)
{
    StartAndLoad();
    ASSERT_TRUE(editor.Command(kPmCommandPlay));
    ASSERT_TRUE(editor.Command(kPmCommandScreen, Cells({ 1, 1 })));
    auto state = editor.State();
    EXPECT_EQ(state.value("screen"), "1");
    EXPECT_EQ(state.value("mode"), "1");
    EXPECT_EQ(state.value("playing"), "1");
    ASSERT_TRUE(editor.Command(kPmCommandGuide, Cells({ 1 })));
    ASSERT_TRUE(editor.Command(kPmCommandScreen, Cells({ 0, 0 })));
    state = editor.State();
    EXPECT_EQ(state.value("screen"), "0");
    EXPECT_EQ(state.value("mode"), "0");
    EXPECT_EQ(state.value("guide"), "1");
    EXPECT_EQ(state.value("playing"), "1");
    EXPECT_EQ(state.value("faces"), "2");
    ASSERT_TRUE(editor.Command(kPmCommandGuide, Cells({ 0 })));
    EXPECT_EQ(editor.State().value("guide"), "0");
    // A kind the viewer does not know is cleared and changes nothing.
    ASSERT_TRUE(editor.Command(55));
    EXPECT_EQ(editor.State().value("playing"), "1");
}

TEST_F(ViewerProtocol, QueriesAnswerAndTakeCorners)
{
    ASSERT_TRUE(editor.StartViewer(QRect(40, 30, 800, 450)));
    ASSERT_TRUE(editor.Project(kPmProjectLoad, project.ProjectXmlPath(), project.WorkFolder()));

    ASSERT_TRUE(editor.Query(kPmQueryGetCorners, Cells({ 2 })));
    QStringList corners;
    for (int cell = 5; cell <= 12; ++cell)
        corners << editor.QueryCell(cell);
    EXPECT_EQ(corners, Cells({ 320, 180, 640, 180, 640, 360, 320, 360 }));

    // Set corners: taken over without an answer; a later get reads them back.
    ASSERT_TRUE(editor.Query(kPmQuerySetCorners, CornerCells(2, { 300, 170, 630, 190, 620, 350, 310, 355 })));
    ASSERT_TRUE(editor.Query(kPmQueryGetCorners, CornerCells(2, { 0, 0, 0, 0, 0, 0, 0, 0 })));
    corners.clear();
    for (int cell = 5; cell <= 12; ++cell)
        corners << editor.QueryCell(cell);
    EXPECT_EQ(corners, Cells({ 300, 170, 630, 190, 620, 350, 310, 355 }));

    // The window rectangle, also while the screen is off.
    ASSERT_TRUE(editor.Command(kPmCommandScreen, Cells({ 0, 1 })));
    ASSERT_TRUE(editor.Query(kPmQueryWindowRect));
    EXPECT_EQ(
        QStringList({ editor.QueryCell(5), editor.QueryCell(6), editor.QueryCell(7), editor.QueryCell(8) }),
        Cells({ 40, 30, 800, 450 }));

    // A face the viewer does not know gets no answer: the editor's wait runs out.
    EXPECT_FALSE(editor.Query(kPmQueryGetCorners, Cells({ 9 }), 30));
    EXPECT_EQ(editor.QueryCell(5), "");
}

TEST_F(ViewerProtocol, DataKindsReloadAndSelectTheFaceNamed)
{
    StartAndLoad();
    // Face added in the files, then data kind 0.
    ASSERT_TRUE(project.AddFace(3, QPolygon({ { 10, 10 }, { 50, 10 }, { 50, 50 }, { 10, 50 } })));
    ASSERT_TRUE(editor.Data(kPmDataFaceAdded, 3));
    EXPECT_EQ(editor.State().value("faces"), "3");
    // Face changed: its new corners are shown.
    ASSERT_TRUE(project.AddFace(3, QPolygon({ { 11, 12 }, { 51, 13 }, { 52, 54 }, { 14, 55 } })));
    ASSERT_TRUE(editor.Data(kPmDataFaceChanged, 3));
    ASSERT_TRUE(editor.Query(kPmQueryGetCorners, Cells({ 3 })));
    EXPECT_EQ(editor.QueryCell(5), "11");
    EXPECT_EQ(editor.QueryCell(12), "55");
    // Selected.
    ASSERT_TRUE(editor.Data(kPmDataFaceSelected, 2));
    EXPECT_EQ(editor.State().value("selected"), "2");
}

TEST_F(ViewerProtocol, QuitEndsTheViewer)
{
    StartAndLoad();
    ASSERT_TRUE(editor.Command(kPmCommandQuit));
    EXPECT_EQ(editor.WaitForExit(), 0);
}

TEST_F(ViewerProtocol, EndsWhenTheEditorIsGone)
{
    // The viewer's parent here is a shell standing in for the editor; the shell is killed.
    QProcess editorProcess;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KALEIDRA_INSTANCE_SUFFIX"), editor.Suffix());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    editorProcess.setProcessEnvironment(environment);
    editorProcess.start(QStringLiteral("/bin/sh"),
        { QStringLiteral("-c"), QStringLiteral("\"$0\" --headless 0 0 320 180 & echo $!; wait"),
            QStringLiteral(KALEIDRA_LUXVIEWER_PATH) });
    ASSERT_TRUE(editorProcess.waitForStarted(5000));
    ASSERT_TRUE(editorProcess.waitForReadyRead(5000));
    const qint64 viewerPid = editorProcess.readAllStandardOutput().trimmed().toLongLong();
    ASSERT_GT(viewerPid, 0);
    const QString procStat = QStringLiteral("/proc/%1/stat").arg(viewerPid);
    const auto running = [&procStat] {
        QFile stat(procStat);
        if (!stat.open(QIODevice::ReadOnly))
            return false;
        // A zombie has ended; only its parent has not reaped it yet.
        const QByteArray text = stat.readAll();
        return !text.contains(") Z ");
    };
    // It takes requests while its editor lives.
    ASSERT_TRUE(editor.Project(kPmProjectLoad, project.ProjectXmlPath(), project.WorkFolder()));
    EXPECT_TRUE(running());
    editorProcess.kill();
    editorProcess.waitForFinished(5000);
    EXPECT_TRUE(CEditorSide::WaitUntil([&] { return !running(); }, 5000));
}

TEST_F(ViewerProtocol, WithoutTheEditorsBlockItEnds)
{
    QProcess viewer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KALEIDRA_INSTANCE_SUFFIX"),
        QStringLiteral("-no-editor-here-%1").arg(QCoreApplication::applicationPid()));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    viewer.setProcessEnvironment(environment);
    viewer.start(QStringLiteral(KALEIDRA_LUXVIEWER_PATH), { "--headless", "0", "0", "320", "180" });
    // Generous: a loaded machine may take seconds to start it.
    ASSERT_TRUE(viewer.waitForFinished(15000));
    EXPECT_EQ(viewer.exitCode(), 1);
    // A command line that does not match is refused.
    viewer.start(QStringLiteral(KALEIDRA_LUXVIEWER_PATH), { "--headless", "0", "0", "wide" });
    ASSERT_TRUE(viewer.waitForFinished(15000));
    EXPECT_EQ(viewer.exitCode(), 2);
}

// An output that shows nothing: the viewer's start without a window.
class CNoOutput : public CViewerOutput {
public:
    void SetScreen(bool, int) override { }
    QRect WindowRect() const override { return {}; }
    QSize DisplaySize() const override { return { 640, 360 }; }
    void Refresh() override { }
};

int ThreadsOfThisProcess()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

// The start of the event loop sets up the platform, which on X may fork a helper; a child forked
// while decoding threads allocate can hang on their locks, and the loop with it. So a project
// raised before the viewer started is taken by the first pass of the loop, not by Start, and no
// movie's decoding thread runs before then.
TEST(ViewerStart, TakesWhatWasRaisedBeforeItFromTheEventLoop)
{
    CEditorSide editor;
    ASSERT_TRUE(editor.IsValid());
    CTempFolder temp;
    CShowProject project { temp };
    const QString movie = temp.FilePath("ramp.mp4");
    ASSERT_TRUE(
        media_fixtures::MakeGreyRampMovie(movie, "25", 25, { "-c:v", "libx264", "-pix_fmt", "yuv420p" }));
    ASSERT_TRUE(project.AddFace(1, QPolygon({ { 0, 0 }, { 640, 0 }, { 640, 360 }, { 0, 360 } })));
    ASSERT_TRUE(project.SetItem(CShowProject::Item(1, 0, 1000, tagTL_FACE_ITEM_DATA::MODE_MOVIE, movie)));
    editor.RaiseProject(kPmProjectLoad, project.ProjectXmlPath(), project.WorkFolder());

    ViewerOptions options;
    options.headless = true;
    options.rect = QRect(0, 0, 640, 360);
    CLuxViewer viewer(options, editor.Block());
    const int threadsBefore = ThreadsOfThisProcess();
    viewer.Start(std::make_unique<CNoOutput>());
    EXPECT_EQ(platform::LoadSharedFlag(editor.Block().projectFlag), kPmProjectLoad);
    EXPECT_EQ(ThreadsOfThisProcess(), threadsBefore);

    // The loop's first pass takes the project and opens the movie on a thread of its own.
    QDeadlineTimer deadline(10000);
    while (platform::LoadSharedFlag(editor.Block().projectFlag) != 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(platform::LoadSharedFlag(editor.Block().projectFlag), 0);
    EXPECT_GT(ThreadsOfThisProcess(), threadsBefore);
}

} // namespace
