// The show driven from KaleidraRemote (its buttons clicked and its current-time field typed into,
// in its own window) with the editor and the viewer following. The view's Remote menu is not wired
// yet: the remote link runs here on the view's own transport handlers.
#include "controls/gdi_button.h"
#include "core/message_catalog.h"
#include "project/project_xml.h"
#include "tests/e2e/remote_program.h"
#include "tests/e2e/show_fixture.h"
#include "timeline/time_line.h"
#include "view/remote_link.h"

#include <QTest>

namespace {

// The middle of face 2, where the movie plays from 600 to 800, and of face 1 (the picture from 0
// to 500, the tone from 600).
const QPoint kMiddleOfFace2(990, 640);
const QPoint kMiddleOfFace1(960, 460);

// The view's side of the remote link: the remote's commands through the transport buttons' own
// handlers, its questions answered from the view's times.
class CViewRemoteSide final : public CRemoteLinkView {
public:
    explicit CViewRemoteSide(CKaleidraView& view)
        : m_view(view)
    {
    }
    bool IsPlaying() const override { return m_view.TimeLine()->IsPlaying(); }
    void RemoteStartPause() override { m_view.OnStartPause(); }
    void RemoteTop() override { m_view.OnTop(); }
    void RemoteSeek(int32_t time) override
    {
        m_view.SetNowTime(time);
        m_view.SeekToCurrentTime();
    }
    void RemoteSetGuide(bool on) override { Toggle(*m_view.GuideButton(), on, &CKaleidraView::OnGuide); }
    void RemoteSetLoop(bool on) override { Toggle(*m_view.LoopButton(), on, &CKaleidraView::OnLoop); }
    void RemoteSetScreen(bool on) override { Toggle(*m_view.ScreenButton(), on, &CKaleidraView::OnScreen); }
    int32_t RemoteCurrentTime() const override { return m_view.NowTime(); }
    int32_t RemotePlayLength() const override
    {
        return m_view.TimeLine()->OutPosition() - m_view.TimeLine()->InPosition();
    }
    int32_t RemotePlayTimeField() const override { return m_view.PlayTime(); }
    int32_t RemoteProjectTime() const override { return m_view.ProjectTime(); }
    void RemoteLinkChanged(bool up) override { connected = up; }
    void RemoteShowMessage(const QString& text) override { messages.push_back(text); }

    bool connected = false;
    std::vector<QString> messages;

private:
    void Toggle(CGdiButton& button, bool on, void (CKaleidraView::*command)())
    {
        button.SetCheckState(on ? 1 : 0);
        (m_view.*command)();
    }

    CKaleidraView& m_view;
};

bool LoopStoredIn(const QString& projectXml)
{
    CProjectXml project;
    return project.LoadProjectXml(projectXml) && project.Loop == 1;
}

} // namespace

TEST_F(ShowEndToEnd, TheRemoteDrivesTheEditorAndTheViewer)
{
    ASSERT_NO_FATAL_FAILURE(NewShow());
    CRemoteProgram remote;
    ASSERT_TRUE(remote.Start()) << remote.Diagnostics().toStdString();
    CViewRemoteSide side(*view);
    CMessageCatalog messages;
    CRemoteLink link(side, messages);
    ASSERT_TRUE(link.ConnectHost(QStringLiteral("127.0.0.1"), remote.Port()));
    ASSERT_EQ(link.LinkState(), CRemoteLink::kConnected);
    EXPECT_TRUE(side.connected);
    SetScreen(true);
    ShowAt(620);
    const CViewerChannel& channel = *view->Channel();

    // START from the remote: the editor plays and the viewer's clock runs on through the movie.
    ASSERT_TRUE(remote.Click(CRemoteProgram::Button::StartPause));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->PlayState() == CKaleidraView::kPlaying; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return channel.PlayTime() > 660; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->NowTime() > 660; }, 10000));
    // PAUSE from the remote: both stop where the viewer stopped.
    ASSERT_TRUE(remote.Click(CRemoteProgram::Button::StartPause));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->PlayState() == CKaleidraView::kStopped; }, 10000));
    const int32_t stopped = channel.PlayTime();
    QTest::qWait(300);
    EXPECT_EQ(channel.PlayTime(), stopped);
    EXPECT_EQ(TimeLine().PlayPosition(), stopped);

    // A time typed into the remote: the editor seeks there and the viewer shows the movie's
    // frame of that time.
    ASSERT_TRUE(remote.TypeCurrentTime(QStringLiteral("0:00:07:10")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->NowTime() == 710; }, 10000)) << view->NowTime();
    EXPECT_EQ(channel.PlayTime(), 710);
    const int grey = MovieGreyAt(600, 710);
    EXPECT_TRUE(ShowsColour(kMiddleOfFace2, QColor(grey, grey, grey), 5));

    // LOOP from the remote: the editor's button and the project file; with OUT at 800 the viewer
    // and the editor go round from OUT to IN.
    ASSERT_TRUE(remote.Click(CRemoteProgram::Button::Loop));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->LoopButton()->GetCheckState() == 1; }, 10000));
    EXPECT_TRUE(LoopStoredIn(ProjectXml()));
    view->OnTlOutMoved(800);
    ShowAt(700);
    ASSERT_TRUE(remote.Click(CRemoteProgram::Button::StartPause));
    EXPECT_TRUE(QTest::qWaitFor([&] { return channel.PlayTime() > 750; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return channel.PlayTime() < 700; }, 10000)) << "the viewer went round";
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->NowTime() < 700; }, 10000)) << "the editor went round";
    EXPECT_EQ(view->PlayState(), CKaleidraView::kPlaying);
    // TOP from the remote while it plays: back to IN.
    ASSERT_TRUE(remote.Click(CRemoteProgram::Button::StartPause));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->PlayState() == CKaleidraView::kStopped; }, 10000));
    ASSERT_TRUE(remote.Click(CRemoteProgram::Button::Top));
    EXPECT_TRUE(QTest::qWaitFor([&] { return channel.PlayTime() == 0 && view->NowTime() == 0; }, 10000));
    EXPECT_TRUE(ShowsColour(kMiddleOfFace1, kPicture)) << "the picture of the top";

    // Disconnect.
    link.DisconnectHost();
    EXPECT_EQ(link.LinkState(), CRemoteLink::kNotConnected);
    EXPECT_FALSE(side.connected);
    EXPECT_TRUE(side.messages.empty());
}
