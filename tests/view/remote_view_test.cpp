// The editor's view and KaleidraRemote's window in one process, linked over loopback.
#include "controls/gdi_button.h"
#include "project/project_folder_store.h"
#include "tests/fixtures/scripted_dialog_service.h"
#include "tests/view/remote_window.h"
#include "tests/view/view_fixture.h"
#include "timeline/time_line.h"
#include "view/main_menu.h"
#include "view/remote_link.h"

#include <QDialog>
#include <QMenuBar>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {

bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

// The editor's own view linked to KaleidraRemote's window over loopback: the remote's buttons
// drive the view's show through the view's own handlers, the transport is the remote's
// meanwhile, New and Open are refused, and the link ends with the project or with the remote.
class RemoteLinkThroughTheView : public ViewFixture, protected CRemoteWindow {
protected:
    void SetUp() override
    {
        ViewFixture::SetUp();
        ASSERT_TRUE(MakeView());
        view->SetCommandHandlers(nullptr);
        view->SetModalRunner([](QDialog&) {
            ADD_FAILURE() << "no dialog while the remote drives the show";
            return int(QDialog::Rejected);
        });
        Start();
        StartFakeViewer();
        viewer->EndOnQuit(view->ViewerProcessId());
        OpenTestProject(6000);
        document->SrvIPAdd = QStringLiteral("127.0.0.1");
        view->SetRemotePort(port);
    }
    void TearDown() override
    {
        remote.reset();
        ViewFixture::TearDown();
    }
    bool MenuEnabled(int id)
    {
        view->UpdateMenuStates();
        return FindMenuCommand(*frame->menuBar(), id)->isEnabled();
    }
    QWidget* Control(int id) { return view->Control(id); }
    // The transport as the user finds it: START/PAUSE or the remote indicator in its place.
    void ExpectTransport(bool linked)
    {
        EXPECT_EQ(view->RemoteLinkState(), linked ? CRemoteLink::kConnected : CRemoteLink::kNotConnected);
        EXPECT_EQ(view->TimeLine()->IsRemoteConnected(), linked);
        EXPECT_EQ(Control(CKaleidraView::kIdRemote)->isVisibleTo(frame.get()), linked);
        EXPECT_EQ(view->StartPauseButton()->isVisibleTo(frame.get()), !linked);
        for (QWidget* button : { Control(CKaleidraView::kIdStartPause), Control(CKaleidraView::kIdTop),
                 Control(CKaleidraView::kIdScreen), Control(CKaleidraView::kIdGuide),
                 Control(CKaleidraView::kIdLoop) })
            EXPECT_EQ(button->isEnabled(), !linked) << button->property("controlId").toInt();
        EXPECT_EQ(MenuEnabled(menu_command::kNewProject), !linked);
        EXPECT_EQ(MenuEnabled(menu_command::kOpenProject), !linked);
        EXPECT_EQ(MenuEnabled(menu_command::kRemoteConnect), !linked);
        EXPECT_EQ(MenuEnabled(menu_command::kRemoteDisconnect), linked);
    }
    bool Connect()
    {
        view->RunMenuCommand(menu_command::kRemoteConnect);
        // The remote takes the editor's times first.
        return view->RemoteLinkState() == CRemoteLink::kConnected && WaitFor([&] {
            return remote->Rules().PlayTime() == 6000 && remote->Rules().ProjectTime() == 6000;
        });
    }
    bool LastCommandIs(int32_t kind, const QString& cell0)
    {
        const std::vector<CFakeViewer::Command> commands = viewer->Commands();
        return !commands.empty() && commands.back().kind == kind && commands.back().cell0 == cell0;
    }
};

TEST_F(RemoteLinkThroughTheView, TheRemoteDrivesTheShowAndNewAndOpenAreRefused)
{
    CScriptedDialogService dialogs;
    ExpectTransport(false);
    ASSERT_TRUE(Connect());
    ExpectTransport(true);
    EXPECT_EQ(Control(CKaleidraView::kIdRemote)->geometry(), view->StartPauseButton()->geometry());

    // New and Open are refused, from the menu and from their handlers.
    const QString elsewhere = temp.FilePath(QStringLiteral("Other.kdp"));
    EXPECT_FALSE(view->OnNewProject());
    EXPECT_FALSE(view->OnOpenProject(&elsewhere));
    view->RunMenuCommand(menu_command::kNewProject);
    view->RunMenuCommand(menu_command::kOpenProject);
    EXPECT_TRUE(view->IsProjectOpen());
    EXPECT_EQ(view->RemoteLinkState(), CRemoteLink::kConnected);

    CTimeLine& timeline = *view->TimeLine();
    struct Press {
        const char* name;
        std::function<void()> press;
        std::function<bool()> done;
    };
    const std::vector<Press> presses = {
        { "START", [&] { remote->OnStartPause(); },
            [&] { return view->PlayState() == CKaleidraView::kPlaying && timeline.IsPlaying(); } },
        // PAUSE pauses and stops the show.
        { "PAUSE", [&] { remote->OnStartPause(); },
            [&] {
                return view->PlayState() == CKaleidraView::kStopped && !timeline.IsPlaying()
                    && LastCommandIs(kPmCommandPause, QString());
            } },
        { "seek", [&] { TypeNowTime(QStringLiteral("0:00:12:34")); },
            [&] {
                return view->NowTime() == 1234 && timeline.PlayPosition() == 1234
                    && LastCommandIs(kPmCommandSeek, QStringLiteral("1234"));
            } },
        { "TOP", [&] { remote->OnTop(); },
            [&] {
                return view->NowTime() == 0 && timeline.PlayPosition() == 0
                    && LastCommandIs(kPmCommandSeek, QStringLiteral("0"));
            } },
        { "GUIDE on", [&] { remote->OnGuide(); },
            [&] {
                return view->GuideButton()->GetCheckState() == 1
                    && LastCommandIs(kPmCommandGuide, QStringLiteral("1"));
            } },
        { "GUIDE off", [&] { remote->OnGuide(); },
            [&] {
                return view->GuideButton()->GetCheckState() == 0
                    && LastCommandIs(kPmCommandGuide, QStringLiteral("0"));
            } },
        { "LOOP on", [&] { remote->OnLoop(); },
            [&] {
                return view->LoopButton()->GetCheckState() == 1
                    && document->GetProjectStore(1).GetProjectXml().Loop == 1
                    && LastCommandIs(kPmCommandLoop, QStringLiteral("1"));
            } },
        { "SCREEN on", [&] { remote->OnScreen(); },
            [&] {
                return view->ScreenButton()->GetCheckState() == 1
                    && LastCommandIs(kPmCommandScreen, QStringLiteral("1"));
            } },
        { "SCREEN off", [&] { remote->OnScreen(); },
            [&] {
                return view->ScreenButton()->GetCheckState() == 0
                    && LastCommandIs(kPmCommandScreen, QStringLiteral("0"));
            } },
    };
    for (const Press& press : presses) {
        SCOPED_TRACE(press.name);
        press.press();
        EXPECT_TRUE(WaitFor(press.done));
    }
    // The loop state went into the project file.
    CProjectFolderStore stored;
    stored.SetFolder(temp.FilePath(QStringLiteral("work")));
    ASSERT_TRUE(stored.OpenProject(document->GetProjectFilePath(), 1));
    EXPECT_EQ(stored.GetProjectXml().Loop, 1);
    // Still linked: the buttons stay the remote's after their commands.
    ExpectTransport(true);
    EXPECT_TRUE(dialogs.MessageTexts().empty());

    // Closing the project ends the link; the remote sees its editor go.
    dialogs.AnswerMessageBox(platform::IDYES);
    ASSERT_TRUE(view->OnCloseProject());
    EXPECT_EQ(view->RemoteLinkState(), CRemoteLink::kNotConnected);
    EXPECT_FALSE(view->TimeLine()->IsRemoteConnected());
    EXPECT_TRUE(WaitFor([&] { return remote->Server().GetClientCount() == 0; }));
    EXPECT_FALSE(view->StartPauseButton()->isEnabled()) << "no project: the transport stays off";
    EXPECT_FALSE(MenuEnabled(menu_command::kRemoteConnect));
}

TEST_F(RemoteLinkThroughTheView, TheRemoteClosingGivesTheTransportBack)
{
    CScriptedDialogService dialogs;
    ASSERT_TRUE(Connect());
    ExpectTransport(true);
    remote.reset();
    EXPECT_TRUE(WaitFor([&] { return view->RemoteLinkState() == CRemoteLink::kNotConnected; }));
    ExpectTransport(false);
    EXPECT_TRUE(dialogs.MessageTexts().empty());
    // Connecting to nothing: message 82 and nothing else changes.
    dialogs.AnswerMessageBox(platform::IDOK);
    view->RunMenuCommand(menu_command::kRemoteConnect);
    EXPECT_EQ(dialogs.MessageTexts(), std::vector<QString> { QStringLiteral("接続に失敗しました。") });
    ExpectTransport(false);
}

} // namespace
