// The view driving the real Luxviewer (headless) through the shared block, as the editor does.
#include "tests/view/view_fixture.h"

#include "controls/gdi_button.h"
#include "tests/viewer/show_project.h"
#include "timeline/time_line.h"

#include <QPolygon>
#include <QTest>

TEST_F(ViewFixture, DrivesLuxviewerThroughTheBlock)
{
    ASSERT_TRUE(MakeView());
    CTempFolder work;
    CShowProject show(work, 6000);
    ASSERT_TRUE(
        show.AddFace(1, QPolygon({ QPoint(10, 10), QPoint(330, 12), QPoint(328, 190), QPoint(8, 188) })));
    ASSERT_TRUE(show.SetItem(CShowProject::Item(1, 0, 6000, tagTL_FACE_ITEM_DATA::MODE_NONE)));
    ASSERT_TRUE(show.SetTimes(6000, 100, 3000));
    ASSERT_TRUE(document->OpenProjectFile(show.ProjectXmlPath(), show.WorkFolder()));
    AddFace(1, { 0, 0, 1, 0, 1, 1, 0, 1 }, 0, 6000);
    CTimeLine& timeLine = *view->TimeLine();
    timeLine.SetProjectLength(6000);
    timeLine.SetInOutPosition(100, 3000);
    view->SetPlayTime(2900);
    view->EnableControls(true);

    view->Viewer().SetProgram(QStringLiteral(KALEIDRA_LUXVIEWER_PATH), { QStringLiteral("--headless") });
    view->WriteProjectToBlock(show.ProjectXmlPath(), show.WorkFolder(), QStringLiteral("1.0"));
    view->RestartViewer();
    ASSERT_TRUE(view->IsViewerRunning());
    EXPECT_EQ(Block().projectFlag, 0) << "the viewer loaded the project";
    CViewerChannel& channel = *view->Channel();

    // Play: the clock follows the viewer's time.
    timeLine.SetPlayPosition(100);
    view->OnStartPause();
    EXPECT_EQ(view->PlayState(), CKaleidraView::kPlaying);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->NowTime() > 20; }, 5000));
    // Pause: the playhead rests where the viewer stopped.
    view->OnStartPause();
    EXPECT_EQ(view->PlayState(), CKaleidraView::kStopped);
    EXPECT_EQ(timeLine.PlayPosition(), channel.PlayTime());

    // Seek, TOP.
    view->SetNowTime(1000);
    view->SeekToCurrentTime();
    EXPECT_EQ(channel.PlayTime(), 1100);
    view->OnTop();
    EXPECT_EQ(channel.PlayTime(), 100);

    // GUIDE (not waited for), LOOP (written to the project) and SCREEN are taken.
    view->GuideButton()->SetCheckState(1);
    view->OnGuide();
    EXPECT_TRUE(QTest::qWaitFor([&] { return platform::LoadSharedFlag(Block().commandFlag) == 0; }, 3000));
    view->LoopButton()->SetCheckState(1);
    view->OnLoop();
    EXPECT_EQ(view->LoopButton()->GetCheckState(), 1);
    EXPECT_EQ(Block().commandFlag, 0);
    view->ScreenButton()->SetCheckState(1);
    view->OnScreen();
    EXPECT_EQ(Block().commandFlag, 0);
    view->ScreenButton()->SetCheckState(0);
    view->OnScreen();

    // The corners the viewer shows come back into the timeline.
    EXPECT_TRUE(view->FetchFaceCorners());
    tagTL_FACE_DATA face;
    ASSERT_TRUE(timeLine.GetFaceData(1, 1, face));
    EXPECT_EQ(face.X, (std::array<int32_t, 4> { 10, 330, 328, 8 }));
    EXPECT_EQ(face.Y, (std::array<int32_t, 4> { 10, 12, 190, 188 }));

    // Closing: the window's place is kept and the viewer quits by itself.
    const pid_t pid = view->ViewerProcessId();
    view->CloseViewer();
    EXPECT_FALSE(view->ViewerRect().IsEmpty());
    EXPECT_EQ(view->ViewerProcessId(), 0);
    EXPECT_TRUE(kill(pid, 0) != 0 && errno == ESRCH);
}
