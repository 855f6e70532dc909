#include "tests/view/view_fixture.h"

#include "controls/gdi_button.h"
#include "controls/msk_edit.h"
#include "core/language_data.h"
#include "core/wait_dlg.h"
#include "platform/dialog_service.h"
#include "tests/core/qstring_printer.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "timeline/time_line.h"
#include "view/main_menu.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <csignal>

using platform::LoadSharedFlag;
using platform::StoreSharedFlag;

namespace {

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

} // namespace

TEST_F(ViewFixture, SetUpBuildsTheChildWindowsWithTheirIdsAndTexts)
{
    ASSERT_TRUE(MakeView());
    EXPECT_TRUE(view->HasCompletedFirstUpdate());
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Kaleidra Pro"));
    for (int id : { 1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1010, 1011, 1013, 1014, 1104, 1105,
             1106, 1107, 1108, 1109, 1110, 1111, 1113, 1230 }) {
        SCOPED_TRACE(id);
        EXPECT_NE(view->Control(id), nullptr);
    }
    EXPECT_EQ(static_cast<QLabel*>(view->Control(1004))->text(), QStringLiteral("現在時間"));
    EXPECT_EQ(static_cast<QLabel*>(view->Control(1013))->text(), QStringLiteral("SCREEN"));
    EXPECT_TRUE(view->PlayTimeEdit()->isReadOnly());
    EXPECT_FALSE(view->Control(1113)->isVisible()) << "the remote indicator starts hidden";
    EXPECT_FALSE(view->StartPauseButton()->isEnabled()) << "no project yet";
    EXPECT_EQ(view->TimeLine()->ImageDefaultTime(), 500);
    // The timeline's records: the message texts and the menu texts with slots 8 and 9 empty.
    EXPECT_EQ(view->TimeLine()->MessageText(2), QStringLiteral("ITEMを削除します。よろしいですか？"));
    ASSERT_TRUE(view->TimeLine()->LanguageTexts());
    EXPECT_TRUE(view->TimeLine()->LanguageTexts()->texts[8].isEmpty());
    EXPECT_TRUE(view->TimeLine()->LanguageTexts()->texts[9].isEmpty());

    // The menu: language texts with their suffixes; the Control menu keeps its own.
    QMenuBar* menuBar = frame->menuBar();
    ASSERT_EQ(menuBar->actions().size(), 7);
    EXPECT_EQ(menuBar->actions()[0]->text(), QStringLiteral("ファイル(&F)"));
    EXPECT_EQ(FindMenuCommand(*menuBar, menu_command::kNewProject)->text(),
        QStringLiteral("新規作成(&N)\tCtrl+Shift+N"));
    EXPECT_EQ(FindMenuCommand(*menuBar, menu_command::kTop)->text(), QStringLiteral("TOP(&T)\tCtrl+T"));
    QMenu* edit = menuBar->actions()[1]->menu();
    ASSERT_GE(edit->actions().size(), 15);
    EXPECT_EQ(edit->actions()[14]->text(), QStringLiteral("整列"));
    EXPECT_EQ(FindMenuCommand(*menuBar, menu_command::kAlignPlayLong)->text(),
        CLanguageData().GetAlignMenuPlayLong() + QStringLiteral("(&L)"));
    EXPECT_EQ(FindMenuCommand(*menuBar, menu_command::kSaveProject)->text(),
        CLanguageData().GetFileMenuSave() + QStringLiteral("(&S)\t Ctrl+S"));
}

TEST_F(ViewFixture, UnreadableSettingsEndTheStartWithTheirMessage)
{
    QFile::remove(temp.FilePath(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Kaleidra.ini")));
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDOK);
    EXPECT_FALSE(MakeView());
    ASSERT_EQ(dialogs.MessageTexts().size(), 1u);
    EXPECT_TRUE(
        dialogs.MessageTexts()[0].startsWith(QStringLiteral("設定ファイルの読込みに失敗しました。\n\n")));
    EXPECT_FALSE(view->HasCompletedFirstUpdate());
}

TEST_F(ViewFixture, StartUpChoiceAndACommandLinePath)
{
    handlers.startupChoice = 1;
    ASSERT_TRUE(MakeView());
    EXPECT_EQ(handlers.calls, QStringList({ QStringLiteral("startup"), QStringLiteral("new") }));

    // A path on the command line skips the dialog; a missing one is reported.
    handlers.calls.clear();
    const QString project = temp.WriteFile(QStringLiteral("shows/a.kdp"), "x");
    ASSERT_TRUE(MakeView(project));
    EXPECT_EQ(handlers.calls, QStringList({ QStringLiteral("open ") + project }));

    handlers.calls.clear();
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDOK);
    ASSERT_TRUE(MakeView(temp.FilePath(QStringLiteral("shows"))));
    EXPECT_TRUE(handlers.calls.isEmpty()) << "a folder is not opened";
    EXPECT_EQ(dialogs.MessageTexts(),
        std::vector<QString>(
            { temp.FilePath(QStringLiteral("shows")) + QStringLiteral(" が見つかりません。") }));
}

TEST_F(ViewFixture, EveryReplyKind)
{
    ASSERT_TRUE(MakeView());
    StartFakeViewer();
    AddFace(1, { 0, 0, 100, 0, 100, 100, 0, 100 }, 100, 500);
    AddFace(2, { 10, 10, 90, 10, 90, 90, 10, 90 }, 0, 300);
    view->TimeLine()->SetPlayPosition(200);

    {
        SCOPED_TRACE("0: a face clicked selects its item under the playhead");
        Reply(kPmReplyFaceClicked, { QStringLiteral("2") });
        EXPECT_TRUE(view->TimeLine()->IsItemSelected(2, 0));
        EXPECT_FALSE(view->TimeLine()->IsItemSelected(1, 100));
        EXPECT_EQ(Block().replyFlag, 0);
    }
    {
        SCOPED_TRACE("1: corners moved in the viewer, one undo operation, the open group kept");
        view->OnTlChangeGroup(1);
        Reply(kPmReplyCorners, { "1", "", "", "", "", "5", "6", "105", "0", "100", "100", "0", "100" });
        tagTL_FACE_DATA face;
        ASSERT_TRUE(view->TimeLine()->GetFaceData(1, 1, face));
        EXPECT_EQ(face.X, (std::array<int32_t, 4> { 5, 105, 100, 0 }));
        EXPECT_EQ(face.Y, (std::array<int32_t, 4> { 6, 0, 100, 100 }));
        ASSERT_EQ(handlers.corners.size(), 1u);
        EXPECT_EQ(handlers.corners[0].faceNo, 1);
        EXPECT_EQ(handlers.corners[0].before, (std::array<int32_t, 8> { 0, 0, 100, 0, 100, 100, 0, 100 }));
        EXPECT_EQ(handlers.corners[0].after, (std::array<int32_t, 8> { 5, 6, 105, 0, 100, 100, 0, 100 }));
        EXPECT_EQ(view->ChangeGrouping(), 1);
        view->OnTlChangeGroup(0);
        // The same corners again record nothing; a face the timeline does not have is ignored.
        Reply(kPmReplyCorners, { "1", "", "", "", "", "5", "6", "105", "0", "100", "100", "0", "100" });
        Reply(kPmReplyCorners, { "9", "", "", "", "", "1", "1", "1", "1", "1", "1", "1", "1" });
        EXPECT_EQ(handlers.corners.size(), 1u);
        EXPECT_EQ(view->TimeLine()->FaceCount(), 2);
    }
    {
        SCOPED_TRACE("3 and unknown kinds are ignored, their flag cleared");
        Reply(kPmReplyIgnored, { "1" });
        EXPECT_EQ(Block().replyFlag, 0);
        Reply(42, { "1" });
        EXPECT_EQ(Block().replyFlag, 0);
    }
    {
        SCOPED_TRACE("4: minimise and restore the editor; other values nothing");
        frame->show();
        Reply(kPmReplyMinimise, { "1" });
        EXPECT_TRUE(WaitUntil([&] { return frame->isMinimized(); }));
        Reply(kPmReplyMinimise, { "2" });
        QTest::qWait(20);
        EXPECT_TRUE(frame->isMinimized());
        Reply(kPmReplyMinimise, { "0" });
        EXPECT_TRUE(WaitUntil([&] { return !frame->isMinimized(); }));
    }
    {
        SCOPED_TRACE("5: a message to show, only with its show flag, that waits for no answer");
        CScriptedDialogService dialogs;
        Reply(kPmReplyMessage, { "1", "0", "hidden" });
        Reply(kPmReplyMessage, { "2", "1", "映像ファイルが読めません" });
        EXPECT_TRUE(WaitUntil([&] { return dialogs.Requests().size() == 1; }));
        ASSERT_EQ(dialogs.Requests().size(), 1u);
        EXPECT_EQ(dialogs.Requests()[0].kind, CScriptedDialogService::Kind::Notice);
        EXPECT_EQ(dialogs.Requests()[0].text, QStringLiteral("映像ファイルが読めません"));
        EXPECT_EQ(dialogs.Requests()[0].caption, QStringLiteral("Kaleidra Pro"));
        EXPECT_EQ(dialogs.Requests()[0].type & platform::MB_ICONMASK, unsigned(platform::MB_ICONERROR));
    }
}

namespace {

// The view on a real display with the real message boxes.
class ViewerMessageX11 : public ViewFixture {
protected:
    void SetUp() override
    {
        if (!qEnvironmentVariableIsSet("KALEIDRA_TEST_X11") || QGuiApplication::platformName() != u"xcb")
            GTEST_SKIP() << "no X display of the test's own";
        ViewFixture::SetUp();
    }
};

} // namespace

// The viewer reports a failure while the user works in the editor: its box comes up without
// taking the keyboard, so the user's next Ctrl+Z still undoes.
TEST_F(ViewerMessageX11, TheViewersMessageLeavesTheKeyboardWithTheEditor)
{
    ASSERT_TRUE(MakeView());
    StartFakeViewer();
    OpenTestProject();
    document->ProjectSource = 1;
    view->OnTlInMoved(100);
    ASSERT_TRUE(view->CanUndo());
    frame->show();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    view->TimeLine()->setFocus();
    ASSERT_TRUE(WaitUntil([&] { return QApplication::focusWidget() == view->TimeLine(); }));
    // A box that holds the program in its own loop is closed after a while, and told.
    bool heldTheProgram = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            heldTheProgram = true;
            modal->close();
        }
    });
    closer.start(3000);

    const QString text = QStringLiteral("メディアファイルの読込みに失敗しました。\n/shows/gone.png");
    Reply(kPmReplyMessage, { "1", "1", text });
    QMessageBox* shown = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(window);
            if (box && box->isVisible() && box->text() == text)
                shown = box;
        }
        return shown != nullptr;
    }));
    EXPECT_EQ(shown->windowTitle(), QStringLiteral("Kaleidra Pro"));
    // The user's Ctrl+Z, typed on the keyboard, reaches the editor.
    handlers.calls.clear();
    QProcess::execute(
        QStringLiteral(KALEIDRA_XDOTOOL_PATH), { QStringLiteral("key"), QStringLiteral("ctrl+z") });
    EXPECT_TRUE(WaitUntil([&] { return handlers.calls.contains(QStringLiteral("undo")); }))
        << handlers.calls.join(u',').toStdString();
    EXPECT_EQ(QApplication::activeWindow(), frame.get());
    EXPECT_FALSE(heldTheProgram);
    // The box goes when the user closes it.
    QPointer<QMessageBox> box = shown;
    box->close();
    EXPECT_TRUE(WaitUntil([&] { return box.isNull(); }));
}

TEST_F(ViewFixture, EveryKeyCodeOfTheViewer)
{
    ASSERT_TRUE(MakeView());
    StartFakeViewer();
    OpenTestProject(5000);
    AddFace(1, { 0, 0, 100, 0, 100, 100, 0, 100 }, 100, 500);
    view->TimeLine()->SetInOutPosition(100, 2100);
    view->SetPlayTime(2000);
    const auto key = [&](int32_t code, Qt::KeyboardModifiers held) {
        modifiers = held;
        Reply(kPmReplyKey, { QString::number(code) });
        modifiers = {};
    };
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    handlers.calls.clear();

    key(PmLetterKey('A'), ctrl);
    EXPECT_EQ(view->TimeLine()->FaceCount(), 2) << "Ctrl+A adds a face";
    key(PmLetterKey('A'), {});
    EXPECT_EQ(view->TimeLine()->FaceCount(), 2) << "letters act only with Ctrl";

    const int effects = view->TimeLine()->EffectDisplay();
    key(PmLetterKey('E'), ctrl);
    EXPECT_NE(view->TimeLine()->EffectDisplay(), effects);

    viewer->ClearRecords();
    key(PmLetterKey('G'), ctrl);
    EXPECT_EQ(view->GuideButton()->GetCheckState(), 1);
    EXPECT_TRUE(WaitUntil([&] { return !viewer->Commands().empty(); }));
    EXPECT_EQ(viewer->Commands().back().kind, kPmCommandGuide);
    EXPECT_EQ(viewer->Commands().back().cell0, QStringLiteral("1"));
    view->GuideButton()->setEnabled(false);
    key(PmLetterKey('G'), ctrl);
    EXPECT_EQ(view->GuideButton()->GetCheckState(), 1) << "not while the button is disabled";
    view->GuideButton()->setEnabled(true);

    view->TimeLine()->SetPlayPosition(300);
    key(PmLetterKey('I'), ctrl);
    EXPECT_EQ(view->TimeLine()->InPosition(), 300);
    view->TimeLine()->SetPlayPosition(1800);
    key(PmLetterKey('O'), ctrl);
    EXPECT_EQ(view->TimeLine()->OutPosition(), 1800);
    EXPECT_EQ(view->PlayTime(), 1500);

    key(PmLetterKey('N'), ctrl | Qt::ShiftModifier);
    key(PmLetterKey('O'), ctrl | Qt::ShiftModifier);
    key(PmLetterKey('S'), ctrl);
    key(PmLetterKey('Y'), ctrl);
    key(PmLetterKey('Z'), ctrl);
    EXPECT_TRUE(WaitUntil([&] { return handlers.calls.size() >= 5; }));
    EXPECT_EQ(handlers.calls,
        QStringList({ QStringLiteral("save"), QStringLiteral("redo"), QStringLiteral("undo"),
            QStringLiteral("new"), QStringLiteral("open") }))
        << "new and open are posted";

    // Steps of one pixel of the scale, ten with Shift, within the play time.
    view->TimeLine()->SetZoomMode(3); // 100 units a column: a step of 10
    view->SetNowTime(0);
    key(kPmKeyLeft, {});
    EXPECT_EQ(view->NowTime(), 0);
    key(kPmKeyRight, Qt::ShiftModifier);
    EXPECT_EQ(view->NowTime(), 100);
    EXPECT_EQ(view->TimeLine()->PlayPosition(), 400);
    key(kPmKeyRight, {});
    EXPECT_EQ(view->NowTime(), 110);
    key(kPmKeyRight, ctrl);
    EXPECT_EQ(view->NowTime(), 110) << "not with Ctrl";
    view->SetNowTime(1495);
    key(kPmKeyRight, Qt::ShiftModifier);
    EXPECT_EQ(view->NowTime(), 1500) << "never beyond the play time";

    view->TimeLine()->SetPlayPosition(500);
    key(kPmKeyStartPause, {});
    EXPECT_EQ(view->PlayState(), CKaleidraView::kPlaying);
    key(kPmKeyStartPause, {});
    EXPECT_EQ(view->PlayState(), CKaleidraView::kStopped);

    key(PmLetterKey('T'), ctrl);
    EXPECT_EQ(view->TimeLine()->PlayPosition(), 300);
    EXPECT_EQ(view->NowTime(), 0);

    view->ScreenButton()->SetCheckState(1);
    key(kPmKeyScreenOff, {});
    EXPECT_EQ(view->ScreenButton()->GetCheckState(), 0);
    key(PmLetterKey('P'), ctrl);
    EXPECT_EQ(view->ScreenButton()->GetCheckState(), 1);
    EXPECT_EQ(viewer->Commands().back().kind, kPmCommandScreen);
    EXPECT_EQ(viewer->Commands().back().cell1, QStringLiteral("1")) << "ViewerMode of the settings";
}

TEST_F(ViewFixture, ThePollDoesNotReEnterWhileItsHandlerRuns)
{
    ASSERT_TRUE(MakeView());
    StartFakeViewer();
    // Saving from the viewer's key runs a nested event loop (a message box would); a reply
    // standing meanwhile waits for the poll that follows.
    handlers.calls.clear();
    handlers.onSave = [&] {
        Block().replyKind = kPmReplyKey;
        WritePmNumber(Block().replyCells[0], PmLetterKey('Z'));
        StoreSharedFlag(Block().replyFlag, 1);
        view->OnViewerPoll();
        QTest::qWait(50);
    };
    modifiers = Qt::ControlModifier;
    Reply(kPmReplyKey, { QString::number(PmLetterKey('S')) });
    EXPECT_EQ(handlers.calls, QStringList({ QStringLiteral("save") }));
    EXPECT_EQ(Block().replyFlag, 1);
    handlers.onSave = {};
    view->OnViewerPoll();
    EXPECT_EQ(handlers.calls, QStringList({ QStringLiteral("save"), QStringLiteral("undo") }));
}

TEST_F(ViewFixture, ThePollStopsWhenTheViewerHasGoneAndAStartDropsAStaleReply)
{
    ASSERT_TRUE(MakeView());
    StoreSharedFlag(Block().replyFlag, 1);
    StartFakeViewer();
    EXPECT_EQ(Block().replyFlag, 0) << "a reply of an earlier viewer";
    EXPECT_TRUE(view->IsViewerPollRunning());
    kill(view->ViewerProcessId(), SIGKILL);
    EXPECT_TRUE(WaitUntil([&] { return !view->IsViewerPollRunning(); }));
    EXPECT_FALSE(view->IsViewerRunning());
    // Without a viewer every request returns at once.
    QElapsedTimer timer;
    timer.start();
    viewer->Hang(true);
    view->EnableControls(true);
    view->OnTop();
    view->OnStartPause();
    EXPECT_LT(timer.elapsed(), 200);
}

TEST_F(ViewFixture, CloseAsksForTheWindowThenQuitsAndTheViewerIsReaped)
{
    ASSERT_TRUE(MakeView());
    StartFakeViewer();
    const pid_t pid = view->ViewerProcessId();
    viewer->EndOnQuit(pid);
    view->ScreenButton()->SetCheckState(1);
    view->CloseViewer();
    const auto commands = viewer->Commands();
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].kind, kPmCommandScreen);
    EXPECT_EQ(commands[0].cell0, QStringLiteral("0"));
    EXPECT_EQ(commands[1].kind, kPmCommandQuit);
    EXPECT_EQ(view->ViewerRect(), (tagWINDOW_RECT { 30, 40, 830, 490 }));
    EXPECT_EQ(view->ScreenButton()->GetCheckState(), 0);
    EXPECT_EQ(view->ViewerProcessId(), 0);
    EXPECT_TRUE(kill(pid, 0) != 0 && errno == ESRCH) << "reaped";
}

TEST_F(ViewFixture, AViewerThatDoesNotQuitIsEnded)
{
    ASSERT_TRUE(MakeView());
    StartFakeViewer();
    const pid_t pid = view->ViewerProcessId();
    view->CloseViewer(); // takes the commands but does not end
    EXPECT_EQ(view->ViewerProcessId(), 0);
    EXPECT_TRUE(kill(pid, 0) != 0 && errno == ESRCH);
}

TEST_F(ViewFixture, FetchCornersSkipsFacesWithoutAnAnswerAndStopsWhenTheViewerDoesNotAnswer)
{
    ASSERT_TRUE(MakeView());
    StartFakeViewer();
    AddFace(1, { 0, 0, 10, 0, 10, 10, 0, 10 });
    AddFace(2, { 0, 0, 20, 0, 20, 20, 0, 20 });
    viewer->SetCorners(2, { 1, 2, 3, 4, 5, 6, 7, 8 });
    EXPECT_TRUE(view->FetchFaceCorners());
    tagTL_FACE_DATA face;
    ASSERT_TRUE(view->TimeLine()->GetFaceData(1, 1, face));
    EXPECT_EQ(face.X, (std::array<int32_t, 4> { 0, 10, 10, 0 })) << "no answer: kept";
    ASSERT_TRUE(view->TimeLine()->GetFaceData(1, 2, face));
    EXPECT_EQ(face.X, (std::array<int32_t, 4> { 1, 3, 5, 7 }));
    EXPECT_EQ(face.Y, (std::array<int32_t, 4> { 2, 4, 6, 8 }));
}

TEST_F(ViewFixture, PlayStates)
{
    ASSERT_TRUE(MakeView());
    StartFakeViewer();
    CTimeLine& timeLine = *view->TimeLine();
    timeLine.SetProjectLength(6000);
    timeLine.SetInOutPosition(1000, 3000);
    view->SetPlayTime(2000);
    const auto lastCommands = [&](size_t count) {
        std::vector<int32_t> kinds;
        const auto commands = viewer->Commands();
        for (size_t index = commands.size() > count ? commands.size() - count : 0; index < commands.size();
             ++index)
            kinds.push_back(commands[index].kind);
        return kinds;
    };

    {
        SCOPED_TRACE("start before IN: the playhead and the viewer go to IN, then play");
        timeLine.SetPlayPosition(500);
        viewer->ClearRecords();
        view->OnStartPause();
        EXPECT_EQ(view->PlayState(), CKaleidraView::kPlaying);
        EXPECT_TRUE(timeLine.IsPlaying());
        EXPECT_TRUE(view->IsPlayClockRunning());
        EXPECT_EQ(view->StartPauseButton()->property("showsPause").toBool(), true);
        EXPECT_EQ(lastCommands(2), (std::vector<int32_t> { kPmCommandSeek, kPmCommandPlay }));
        EXPECT_EQ(viewer->Commands()[0].cell0, QStringLiteral("1000"));
        // The clock follows the viewer's time.
        EXPECT_TRUE(WaitUntil([&] { return timeLine.PlayPosition() > 1000 && view->NowTime() > 0; }));
    }
    {
        SCOPED_TRACE("pause/resume keeps the show, START/PAUSE stops it at the viewer's time");
        view->OnPauseResume();
        EXPECT_EQ(view->PlayState(), CKaleidraView::kPaused);
        EXPECT_FALSE(view->IsPlayClockRunning());
        EXPECT_FALSE(timeLine.IsPlaying());
        const int32_t paused = timeLine.PlayPosition();
        EXPECT_EQ(paused, viewer->time.load());
        EXPECT_EQ(view->NowTime(), paused - 1000);
        view->OnPauseResume();
        EXPECT_EQ(view->PlayState(), CKaleidraView::kPlaying);
        view->OnStartPause();
        EXPECT_EQ(view->PlayState(), CKaleidraView::kStopped);
        EXPECT_EQ(lastCommands(1), (std::vector<int32_t> { kPmCommandPause }));
        EXPECT_FALSE(view->StartPauseButton()->property("showsPause").toBool());
        view->OnPauseResume();
        EXPECT_EQ(view->PlayState(), CKaleidraView::kStopped) << "nothing in state 0";
    }
    {
        SCOPED_TRACE("at OUT without LOOP nothing starts; with LOOP the viewer goes to IN first");
        timeLine.SetPlayPosition(3000);
        viewer->ClearRecords();
        view->OnStartPause();
        EXPECT_EQ(view->PlayState(), CKaleidraView::kStopped);
        EXPECT_FALSE(timeLine.IsPlaying());
        EXPECT_TRUE(viewer->Commands().empty());
        view->LoopButton()->SetCheckState(1);
        view->OnStartPause();
        EXPECT_EQ(view->PlayState(), CKaleidraView::kPlaying);
        EXPECT_EQ(lastCommands(2), (std::vector<int32_t> { kPmCommandSeek, kPmCommandPlay }));
        EXPECT_EQ(viewer->Commands()[0].cell0, QStringLiteral("1000"));
        view->StopPlayback();
        view->LoopButton()->SetCheckState(0);
    }
    {
        SCOPED_TRACE("the clock stops at OUT without LOOP and rests the playhead on OUT");
        viewer->time = 3050;
        view->OnStartPause();
        view->OnPlayClock();
        EXPECT_EQ(view->PlayState(), CKaleidraView::kStopped);
        EXPECT_EQ(timeLine.PlayPosition(), 3000);
        EXPECT_EQ(view->NowTime(), 2000);
    }
    {
        SCOPED_TRACE("with LOOP the clock runs on past OUT");
        view->LoopButton()->SetCheckState(1);
        timeLine.SetPlayPosition(2000);
        view->OnStartPause();
        viewer->time = 3100;
        view->OnPlayClock();
        EXPECT_EQ(view->PlayState(), CKaleidraView::kPlaying);
        view->StopPlayback();
        view->LoopButton()->SetCheckState(0);
    }
    {
        SCOPED_TRACE("a typed time beyond the play time seeks to OUT; before IN shows 0");
        view->SetNowTime(9999);
        view->SeekToCurrentTime();
        EXPECT_EQ(view->NowTime(), 2000);
        EXPECT_EQ(timeLine.PlayPosition(), 3000);
        EXPECT_EQ(viewer->Commands().back().cell0, QStringLiteral("3000"));
        view->OnTlPlayPositionSet(200);
        EXPECT_EQ(view->NowTime(), 0) << "never negative";
        EXPECT_EQ(timeLine.PlayPosition(), 1000);
        EXPECT_EQ(viewer->Commands().back().cell0, QStringLiteral("1000"));
    }
    {
        SCOPED_TRACE("TOP: back to IN, stopped");
        timeLine.SetPlayPosition(2500);
        view->OnStartPause();
        view->OnTop();
        EXPECT_EQ(view->PlayState(), CKaleidraView::kStopped);
        EXPECT_EQ(timeLine.PlayPosition(), 1000);
        EXPECT_EQ(view->NowTime(), 0);
        EXPECT_EQ(viewer->Commands().back().kind, kPmCommandSeek);
    }
    {
        SCOPED_TRACE("SCREEN on while playing pauses the show first");
        view->OnStartPause();
        viewer->ClearRecords();
        view->ScreenButton()->SetCheckState(1);
        view->OnScreen();
        EXPECT_EQ(view->PlayState(), CKaleidraView::kStopped);
        EXPECT_EQ(lastCommands(2), (std::vector<int32_t> { kPmCommandPause, kPmCommandScreen }));
    }
    {
        SCOPED_TRACE("dragging the playhead seeks without waiting and stops the show");
        view->OnStartPause();
        view->OnTlPlayPositionDrag(2222);
        EXPECT_EQ(view->PlayState(), CKaleidraView::kStopped);
        EXPECT_EQ(view->NowTime(), 1222);
        EXPECT_TRUE(WaitUntil([&] { return viewer->Commands().back().cell0 == QStringLiteral("2222"); }));
    }
}

TEST_F(ViewFixture, LoopIsWrittenToTheProjectAndAFailedWritePutsTheButtonBack)
{
    ASSERT_TRUE(MakeView());
    StartFakeViewer();
    CScriptedDialogService dialogs;
    dialogs.AnswerMessageBox(platform::IDOK);
    // No project file to write: the button goes back and the viewer is not told.
    view->LoopButton()->SetCheckState(1);
    view->OnLoop();
    EXPECT_EQ(view->LoopButton()->GetCheckState(), 0);
    EXPECT_EQ(
        dialogs.MessageTexts(), std::vector<QString>({ QStringLiteral("全体ループの更新に失敗しました。") }));
    EXPECT_TRUE(viewer->Commands().empty());
    EXPECT_EQ(document->Modified, 0);

    // With a project the value is stored, the viewer told and the project marked modified.
    const QString folder = temp.MakeFolder(QStringLiteral("work/show/Channel_1"));
    CProjectFolderStore& store = document->GetProjectStore(1);
    const QString xml = temp.FilePath(QStringLiteral("work/show/show.xml"));
    ASSERT_TRUE(store.CreateProject(xml, temp.FilePath(QStringLiteral("work")), 6000));
    ASSERT_TRUE(document->OpenProjectFile(xml, temp.FilePath(QStringLiteral("work"))));
    view->LoopButton()->SetCheckState(1);
    view->OnLoop();
    EXPECT_EQ(view->LoopButton()->GetCheckState(), 1);
    ASSERT_FALSE(viewer->Commands().empty());
    EXPECT_EQ(viewer->Commands().back().kind, kPmCommandLoop);
    EXPECT_EQ(viewer->Commands().back().cell0, QStringLiteral("1"));
    EXPECT_EQ(document->Modified, 1);
    CProjectXml reread;
    ASSERT_TRUE(reread.LoadProjectXml(xml));
    EXPECT_EQ(reread.Loop, 1);
    (void)folder;
}

TEST_F(ViewFixture, AutoPlayTurnsGuideOffScreenOnAndStarts)
{
    WriteSettings();
    temp.WriteFile(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Kaleidra.ini"),
        temp.ReadFile(QStringLiteral("common/Oxtrel/Kaleidra/SETTING/Kaleidra.ini"))
            + "[AUTO_PLAY]\nAutoPlayMode=1\n");
    ASSERT_TRUE(MakeView());
    StartFakeViewer();
    view->TimeLine()->SetInOutPosition(0, 1000);
    view->GuideButton()->SetCheckState(1);
    view->AutoPlay();
    const auto commands = viewer->Commands();
    ASSERT_GE(commands.size(), 3u);
    EXPECT_EQ(commands[0].kind, kPmCommandGuide);
    EXPECT_EQ(commands[0].cell0, QStringLiteral("0"));
    EXPECT_EQ(commands[1].kind, kPmCommandScreen);
    EXPECT_EQ(commands[1].cell0, QStringLiteral("1"));
    EXPECT_EQ(commands.back().kind, kPmCommandPlay);
    EXPECT_EQ(view->GuideButton()->GetCheckState(), 0);
    EXPECT_EQ(view->ScreenButton()->GetCheckState(), 1);
    EXPECT_EQ(view->PlayState(), CKaleidraView::kPlaying);
}

TEST_F(ViewFixture, AHandOverWaitsForTheModalWindowToClose)
{
    ASSERT_TRUE(MakeView());
    handlers.calls.clear();
    {
        CKaleidraView::CModalGuard modal(*view);
        view->OpenHandedOverProject(QStringLiteral("/shows/b.kdp"));
        EXPECT_TRUE(handlers.calls.isEmpty());
        EXPECT_EQ(view->PendingHandOver(), QStringLiteral("/shows/b.kdp"));
    }
    EXPECT_TRUE(WaitUntil([&] { return !handlers.calls.isEmpty(); }));
    EXPECT_EQ(handlers.calls, QStringList({ QStringLiteral("handover /shows/b.kdp") }));
    view->OpenHandedOverProject(QStringLiteral("/shows/c.kdp"));
    EXPECT_EQ(handlers.calls.back(), QStringLiteral("handover /shows/c.kdp"));
}

TEST_F(ViewFixture, WindowPositionsAndRecentProjectsLiveOnInTheRegistryStore)
{
    ASSERT_TRUE(MakeView());
    EXPECT_FALSE(view->LoadWindowPositions()) << "first start: nothing stored";
    frame->setGeometry(100, 200, 900, 500);
    view->AddHistory(QStringLiteral("/shows/one.kdp"));
    view->AddHistory(QStringLiteral("/shows/two.kdp"));
    view->CloseViewer();
    view->SaveWindowPositions();
    view->SaveHistory();
    const tagWINDOW_RECT viewerRect = view->ViewerRect();

    ASSERT_TRUE(MakeView());
    EXPECT_EQ(frame->geometry(), QRect(100, 200, 900, 500));
    EXPECT_EQ(view->ViewerRect(), viewerRect);
    EXPECT_EQ(
        view->History(), QStringList({ QStringLiteral("/shows/one.kdp"), QStringLiteral("/shows/two.kdp") }));
    EXPECT_EQ(view->DefaultFolder(), QStringLiteral("/shows"));

    // Shift held at the start: the stored positions are not used.
    modifiers = Qt::ShiftModifier;
    ASSERT_TRUE(MakeView());
    EXPECT_NE(frame->geometry(), QRect(100, 200, 900, 500));
}
