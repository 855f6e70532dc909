#include "core/message_catalog.h"
#include "platform/child_process.h"
#include "remote/kaleidra_remote_view.h"
#include "remote/language_ini.h"
#include "remote/remote_messages.h"
#include "tests/fixtures/scoped_env.h"
#include "tests/fixtures/temp_folder.h"
#include "tests/view/remote_window.h"
#include "view/remote_link.h"

#include <QLineEdit>
#include <QTest>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;

namespace {

// The view as the remote link sees it: its transport records what the remote made it do.
class CFakeLinkView : public CRemoteLinkView {
public:
    bool IsPlaying() const override { return playing; }
    void RemoteStartPause() override
    {
        playing = !playing;
        calls.push_back(playing ? "start" : "pause");
    }
    void RemoteTop() override { calls.push_back("top"); }
    void RemoteSeek(int32_t time) override { calls.push_back("seek " + std::to_string(time)); }
    void RemoteSetGuide(bool on) override { calls.push_back(on ? "guide on" : "guide off"); }
    void RemoteSetLoop(bool on) override { calls.push_back(on ? "loop on" : "loop off"); }
    void RemoteSetScreen(bool on) override { calls.push_back(on ? "screen on" : "screen off"); }
    int32_t RemoteCurrentTime() const override { return currentTime; }
    int32_t RemotePlayLength() const override { return playLength; }
    int32_t RemotePlayTimeField() const override { return playLength; }
    int32_t RemoteProjectTime() const override { return projectTime; }
    void RemoteLinkChanged(bool up) override
    {
        connected = up;
        calls.push_back(up ? "linked" : "unlinked");
    }
    void RemoteShowMessage(const QString& text) override { messages.push_back(text); }

    bool playing = false;
    bool connected = false;
    int32_t currentTime = 0;
    int32_t playLength = 0;
    int32_t projectTime = 0;
    std::vector<std::string> calls;
    std::vector<QString> messages;
};

bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    return QTest::qWaitFor(condition, timeoutMs);
}

// A TCP server on 127.0.0.1 that plays the remote byte by byte.
class CRawServer {
public:
    CRawServer()
    {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in local {};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::bind(m_listen, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
        EXPECT_EQ(::listen(m_listen, 4), 0);
        socklen_t length = sizeof local;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&local), &length);
        port = ntohs(local.sin_port);
    }
    ~CRawServer()
    {
        CloseClient();
        ::close(m_listen);
    }
    bool Accept()
    {
        pollfd waitFor { m_listen, POLLIN, 0 };
        if (::poll(&waitFor, 1, 5000) != 1)
            return false;
        m_client = ::accept(m_listen, nullptr, nullptr);
        return m_client >= 0;
    }
    bool Write(const std::string& bytes)
    {
        return ::send(m_client, bytes.data(), bytes.size(), MSG_NOSIGNAL) == ssize_t(bytes.size());
    }
    // The next frame from the editor, letting the window's thread work meanwhile.
    std::optional<std::string> ReadFrame()
    {
        std::string frame;
        WaitFor([&] {
            char byte = 0;
            while (frame.size() < 19 && ::recv(m_client, &byte, 1, MSG_DONTWAIT) == 1)
                frame += byte;
            return frame.size() == 19;
        });
        return frame.size() == 19 ? std::optional(frame) : std::nullopt;
    }
    void CloseClient()
    {
        if (m_client >= 0)
            ::close(m_client);
        m_client = -1;
    }

    uint16_t port = 0;

private:
    int m_listen = -1;
    int m_client = -1;
};

std::string Frame(const char* code, int64_t value)
{
    const RemotePacket packet = FormatRemotePacket(code, value);
    return std::string(packet.data(), packet.size());
}

TEST(RemoteLinkRules, AddressesAreFourPlainNumbers)
{
    struct Case {
        const char* text;
        bool usable;
    };
    const Case cases[] = {
        { "192.168.0.10", true },
        { "127.0.0.1", true },
        { "255.255.255.255", true },
        { "0.0.0.0", false },
        { "010.0.0.1", false },
        { "192.168.00.1", false },
        { "1.2.3.04", false },
        { "192.168.0", false },
        { "1.2.3.4.5", false },
        { "256.1.1.1", false },
        { "...", false },
        { "1..2.3", false },
        { " 1.2.3.4", false },
        { "1.2.3.4 ", false },
        { "1.2.3.-4", false },
        { "", false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseRemoteAddress(QString::fromLatin1(c.text)).has_value(), c.usable) << c.text;
    EXPECT_EQ(ParseRemoteAddress(QStringLiteral("127.0.0.1")), htonl(INADDR_LOOPBACK));
}

TEST(RemoteLinkRules, EveryCommandNumberHasItsAction)
{
    struct Case {
        int code;
        RemoteAction action;
        bool on;
    };
    const Case cases[] = {
        { 1, RemoteAction::Start, false },
        { 2, RemoteAction::Pause, false },
        { 3, RemoteAction::TopOrSeek, false },
        { 4, RemoteAction::Guide, true },
        { 5, RemoteAction::Guide, false },
        { 6, RemoteAction::Loop, true },
        { 7, RemoteAction::Loop, false },
        { 8, RemoteAction::Screen, true },
        { 9, RemoteAction::Screen, false },
        { 50, RemoteAction::AnswerCurrentTime, false },
        { 51, RemoteAction::AnswerPlayLength, false },
        { 52, RemoteAction::AnswerProjectTime, false },
        { 60, RemoteAction::Ignore, false },
        { 61, RemoteAction::CheckPlayTime, false },
        { 62, RemoteAction::Ignore, false },
        { 66, RemoteAction::Ignore, false },
        { 100, RemoteAction::LinkLost, false },
        { 101, RemoteAction::Refused, false },
        { 0, RemoteAction::Ignore, false },
        { 102, RemoteAction::Ignore, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        const RemoteActionRow row = RemoteActionOf(c.code);
        EXPECT_EQ(row.action, c.action);
        EXPECT_EQ(row.on, c.on);
    }
    EXPECT_EQ(FormatRemoteTime(0), QStringLiteral("0:00:00:00"));
    EXPECT_EQ(FormatRemoteTime(360000 + 2 * 6000 + 3 * 100 + 45), QStringLiteral("1:02:03:45"));
}

TEST(RemoteLinkRules, ABurstLeavesTheLatestFrameOfEachState)
{
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, int64_t>> frames;
        std::vector<RemoteDelivery> expected;
    };
    const std::vector<Case> cases = {
        { "seeks", { { "PM_R05", 100 }, { "PM_R05", 200 }, { "PM_R05", 300 } },
            { { 3, { "PM_R05", 300 } } } },
        { "start, pause, start", { { "PM_R01", 0 }, { "PM_R02", 10 }, { "PM_R01", 20 } },
            { { 1, { "PM_R01", 20 } } } },
        { "pause then the question for the time", { { "PM_R02", 10 }, { "PM_R03", 10 } },
            { { 2, { "PM_R02", 10 } }, { 50, { "PM_R03", 10 } } } },
        { "switches in first-arrival order",
            { { "PM_R06", 0 }, { "PM_R12", 0 }, { "PM_R07", 0 }, { "PM_R09", 0 }, { "PM_R08", 0 } },
            { { 5, { "PM_R07", 0 } }, { 8, { "PM_R12", 0 } }, { 6, { "PM_R08", 0 } } } },
        { "seek and top", { { "PM_R05", 500 }, { "PM_R01", 0 }, { "PM_R05", 0 } },
            { { 3, { "PM_R05", 0 } }, { 1, { "PM_R01", 0 } } } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CRemoteReplyPool pool;
        for (const auto& [code, value] : c.frames)
            pool.Put(*EditorReceiveCodeOf(code), { code, value });
        pool.PutConnectionLost();
        std::vector<RemoteDelivery> expected = c.expected;
        expected.push_back({ kEditorConnectionLost, {} });
        EXPECT_EQ(pool.TakeAll(), expected);
        EXPECT_FALSE(pool.HasPending());
    }
}

class RemoteLinkTest : public ::testing::Test {
protected:
    RemoteLinkTest()
    {
        view.currentTime = 1234;
        view.playLength = 6000;
        view.projectTime = 360000;
    }

    CMessageCatalog messages;
    CFakeLinkView view;
};

TEST_F(RemoteLinkTest, FramesAreCutFromTheStreamAndABurstOfSeeksIsOneSeek)
{
    RemoteClientOptions options;
    options.dispatchTick = 300ms; // a burst lands within one tick
    CRemoteLink link(view, messages, options);
    CRawServer server;
    ASSERT_TRUE(link.ConnectHost(QStringLiteral("127.0.0.1"), server.port));
    ASSERT_TRUE(server.Accept());
    EXPECT_EQ(link.LinkState(), CRemoteLink::kConnected);

    // A frame split over two writes, a misplaced comma, a lower-case code, an unknown code, and
    // three seeks in one write.
    const std::string guide = Frame("PM_R06", 0);
    ASSERT_TRUE(server.Write(guide.substr(0, 7)));
    QTest::qWait(20);
    ASSERT_TRUE(server.Write(guide.substr(7)));
    ASSERT_TRUE(server.Write("PM_R05000000000001,pm_r05,000000000002PM_S01,000000000003"));
    ASSERT_TRUE(server.Write(Frame("PM_R05", 100) + Frame("PM_R05", 200) + Frame("PM_R05", 300)));
    ASSERT_TRUE(WaitFor([&] { return view.calls.size() >= 3; }));
    QTest::qWait(400);
    EXPECT_EQ(view.calls, (std::vector<std::string> { "linked", "guide on", "seek 300" }));

    // The questions are answered with the view's times.
    ASSERT_TRUE(server.Write(Frame("PM_R10", 0) + Frame("PM_R04", 0) + Frame("PM_R03", 0)));
    EXPECT_EQ(server.ReadFrame(), "PM_S03,000000360000");
    EXPECT_EQ(server.ReadFrame(), "PM_S02,000000006000");
    EXPECT_EQ(server.ReadFrame(), "PM_S01,000000001234");
}

TEST_F(RemoteLinkTest, StartAndPauseActOnlyOnTheStateTheyName)
{
    struct Step {
        int code;
        bool playingBefore;
        bool playingAfter;
    };
    const Step steps[] = {
        { 1, false, true }, // start while stopped
        { 1, true, true }, // start while playing: nothing
        { 2, true, false }, // pause while playing
        { 2, false, false }, // pause while not playing: nothing
    };
    CRemoteLink link(view, messages);
    for (const Step& step : steps) {
        view.playing = step.playingBefore;
        link.HandleRemoteMessage(step.code, { step.code == 1 ? "PM_R01" : "PM_R02", 0 });
        EXPECT_EQ(view.playing, step.playingAfter) << step.code << " " << step.playingBefore;
    }
}

TEST_F(RemoteLinkTest, TheRemoteClosingEndsTheLink)
{
    CRemoteLink link(view, messages);
    CRawServer server;
    ASSERT_TRUE(link.ConnectHost(QStringLiteral("127.0.0.1"), server.port));
    ASSERT_TRUE(server.Accept());
    server.CloseClient();
    ASSERT_TRUE(WaitFor([&] { return !view.connected; }));
    EXPECT_EQ(link.LinkState(), CRemoteLink::kNotConnected);
    EXPECT_FALSE(link.Client().IsConnected());
    EXPECT_TRUE(view.messages.empty());

    // Connecting again starts the threads again; a refused or malformed address gives message 82.
    ASSERT_TRUE(link.ConnectHost(QStringLiteral("127.0.0.1"), server.port));
    ASSERT_TRUE(server.Accept());
    view.calls.clear();
    ASSERT_TRUE(server.Write(Frame("PM_R13", 0)));
    EXPECT_TRUE(WaitFor([&] { return view.calls == std::vector<std::string> { "screen off" }; }));
    link.DisconnectHost();
    EXPECT_FALSE(view.connected);
    for (const QString& address : { QStringLiteral("0.0.0.0"), QStringLiteral("127.000.0.1") }) {
        view.messages.clear();
        EXPECT_FALSE(link.ConnectHost(address, server.port));
        EXPECT_EQ(view.messages, std::vector<QString> { messages.GetMessage(82) });
    }
    uint16_t closedPort = 0;
    {
        CRawServer gone;
        closedPort = gone.port;
    }
    view.messages.clear();
    EXPECT_FALSE(link.ConnectHost(QStringLiteral("127.0.0.1"), closedPort)) << "nobody listens there";
    EXPECT_EQ(view.messages.size(), 1u);
}

TEST_F(RemoteLinkTest, ConnectingToARemoteThatDoesNotAnswerGivesUpQuickly)
{
    // A listener whose queue is full and that never accepts: the kernel drops further
    // connection requests, so a connect would wait for minutes.
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local {};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&local), sizeof local), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    socklen_t length = sizeof local;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&local), &length);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        fillers.push_back(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        ::connect(fillers.back(), reinterpret_cast<sockaddr*>(&local), sizeof local);
    }
    QTest::qWait(100);

    RemoteClientOptions options;
    options.connectTimeout = 300ms;
    CRemoteLink link(view, messages, options);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(link.ConnectHost(QStringLiteral("127.0.0.1"), ntohs(local.sin_port)));
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_GE(waited, 250ms);
    EXPECT_LT(waited, 1500ms);
    EXPECT_EQ(view.messages, std::vector<QString> { messages.GetMessage(82) });
    for (const int filler : fillers)
        ::close(filler);
    ::close(listener);
}

// The link against KaleidraRemote's own window and server in this process: its buttons send
// the frames, over loopback.
class RemoteLinkWithRemoteTest : public RemoteLinkTest, protected CRemoteWindow {
protected:
    void SetUp() override { Start(); }
};

TEST_F(RemoteLinkWithRemoteTest, TheRemoteDrivesTheView)
{
    CRemoteLink link(view, messages);
    ASSERT_TRUE(link.ConnectHost(QStringLiteral("127.0.0.1"), port));
    // The opening questions are answered: the remote takes the editor's times.
    ASSERT_TRUE(WaitFor([&] {
        return remote->Rules().ProjectTime() == 360000 && remote->Rules().PlayTime() == 6000
            && remote->Rules().CurrentTime() == 1234;
    }));

    struct Press {
        const char* name;
        std::function<void()> press;
        std::string call;
    };
    const std::vector<Press> presses = {
        { "START", [&] { remote->OnStartPause(); }, "start" },
        { "PAUSE", [&] { remote->OnStartPause(); }, "pause" },
        { "TOP", [&] { remote->OnTop(); }, "top" },
        { "GUIDE on", [&] { remote->OnGuide(); }, "guide on" },
        { "GUIDE off", [&] { remote->OnGuide(); }, "guide off" },
        { "LOOP on", [&] { remote->OnLoop(); }, "loop on" },
        { "SCREEN on", [&] { remote->OnScreen(); }, "screen on" },
        { "SCREEN off", [&] { remote->OnScreen(); }, "screen off" },
        { "seek", [&] { TypeNowTime(QStringLiteral("0:00:12:34")); }, "seek 1234" },
    };
    for (const Press& press : presses) {
        SCOPED_TRACE(press.name);
        view.calls.clear();
        press.press();
        EXPECT_TRUE(WaitFor([&] { return !view.calls.empty(); }));
        EXPECT_EQ(view.calls, std::vector<std::string> { press.call });
    }
    // After PAUSE the remote asked for the time and took the editor's answer.
    view.currentTime = 2500;
    remote->OnStartPause();
    ASSERT_TRUE(WaitFor([&] { return view.playing; }));
    remote->OnStartPause();
    EXPECT_TRUE(WaitFor([&] { return remote->Rules().CurrentTime() == 2500; }));
}

TEST_F(RemoteLinkWithRemoteTest, ALaterEditorWithAnotherPlayTimeLeaves)
{
    CRemoteLink first(view, messages);
    ASSERT_TRUE(first.ConnectHost(QStringLiteral("127.0.0.1"), port));
    ASSERT_TRUE(WaitFor([&] { return remote->Rules().PlayTime() == 6000; }));

    CFakeLinkView sameView;
    sameView.playLength = 6000;
    CRemoteLink same(sameView, messages);
    ASSERT_TRUE(same.ConnectHost(QStringLiteral("127.0.0.1"), port));

    CFakeLinkView otherView;
    otherView.playLength = 7000;
    CRemoteLink other(otherView, messages);
    ASSERT_TRUE(other.ConnectHost(QStringLiteral("127.0.0.1"), port));
    ASSERT_TRUE(WaitFor([&] { return !otherView.connected; }));
    EXPECT_EQ(otherView.messages,
        std::vector<QString> { QStringLiteral("再生時間が異なります。\n接続中の再生時間：0:01:00:00") });

    QTest::qWait(200);
    EXPECT_TRUE(sameView.connected);
    EXPECT_TRUE(sameView.messages.empty());
    EXPECT_EQ(remote->Server().GetClientCount(), 2);
}

TEST_F(RemoteLinkWithRemoteTest, AFifthEditorIsRefusedAndTheRemoteClosingIsNoticed)
{
    std::vector<std::unique_ptr<CFakeLinkView>> views;
    std::vector<std::unique_ptr<CRemoteLink>> links;
    for (int i = 0; i < 5; ++i) {
        views.push_back(std::make_unique<CFakeLinkView>());
        views.back()->playLength = 6000;
        links.push_back(std::make_unique<CRemoteLink>(*views.back(), messages));
        ASSERT_TRUE(links.back()->ConnectHost(QStringLiteral("127.0.0.1"), port));
        if (i == 0) {
            ASSERT_TRUE(WaitFor([&] { return remote->Rules().PlayTime() == 6000; }));
        } else if (i < 4) {
            ASSERT_TRUE(WaitFor([&] { return remote->Server().GetClientCount() == i + 1; }));
        }
    }
    ASSERT_TRUE(WaitFor([&] { return !views[4]->connected; }));
    EXPECT_EQ(
        views[4]->messages, std::vector<QString> { QStringLiteral("最大接続台数(4台)を超えています。") });
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(views[size_t(i)]->connected);

    remote.reset();
    EXPECT_TRUE(WaitFor([&] {
        return std::none_of(views.begin(), views.end(), [](const auto& v) { return v->connected; });
    }));
    for (const auto& link : links)
        EXPECT_EQ(link->LinkState(), CRemoteLink::kNotConnected);
}

// The built KaleidraRemote program on a free port of 127.0.0.1. It is started with posix_spawn,
// as the editor starts programs (QProcess's own way of starting a child leaves ThreadSanitizer
// unable to follow this process's threads afterwards).
TEST_F(RemoteLinkTest, TheRemoteProgramAsksItsFirstEditorAndItsEndIsNoticed)
{
    uint16_t programPort = 0;
    {
        CRawServer probe;
        programPort = probe.port;
    }
    CTempFolder folder;
    const CScopedEnv offscreen("QT_QPA_PLATFORM", "offscreen");
    const CScopedEnv programFolder("KALEIDRA_PROGRAM_DIR", folder.Path().toUtf8());
    const CScopedEnv listen(
        "KALEIDRA_REMOTE_TEST_LISTEN", QByteArray("127.0.0.1:") + QByteArray::number(programPort));
    platform::CChildProcess program;
    ASSERT_TRUE(program.Start(QStringLiteral(KALEIDRA_REMOTE_EXECUTABLE), {}));
    // The program listens once its window is up.
    CRemoteLink link(view, messages);
    ASSERT_TRUE(WaitFor(
        [&] {
            view.messages.clear();
            return link.ConnectHost(QStringLiteral("127.0.0.1"), programPort);
        },
        20000));
    view.messages.clear();
    // A second editor with another play time learns that the program took the first one's (once
    // the program has had the first one's answers).
    const QString expected = QStringLiteral("再生時間が異なります。\n接続中の再生時間：0:01:00:00");
    CFakeLinkView otherView;
    otherView.playLength = 100;
    CRemoteLink other(otherView, messages);
    ASSERT_TRUE(WaitFor([&] {
        if (!otherView.messages.empty() && otherView.messages.back() != expected)
            otherView.messages.clear();
        if (otherView.messages.empty() && !other.Client().IsConnected())
            other.ConnectHost(QStringLiteral("127.0.0.1"), programPort);
        return !otherView.messages.empty();
    }));
    EXPECT_TRUE(view.connected);

    ASSERT_TRUE(program.Terminate(10000));
    EXPECT_TRUE(WaitFor([&] { return link.LinkState() == CRemoteLink::kNotConnected; }));
    EXPECT_FALSE(view.connected);
}

} // namespace
