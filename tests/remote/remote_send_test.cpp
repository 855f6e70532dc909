#include "remote/remote_frame_writer.h"
#include "remote/remote_send.h"
#include "tests/remote/raw_client.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;

namespace {

std::string Frame(std::string_view code, int64_t value)
{
    const RemotePacket packet = FormatRemotePacket(code, value);
    return std::string(packet.data(), packet.size());
}

// A TCP connection over 127.0.0.1: the sending end as a socket, the peer as a raw client whose
// receive buffer may be made small.
class SendingEnd : public ::testing::Test {
protected:
    void Connect(int peerReceiveBuffer = 0)
    {
        const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_GE(listener, 0);
        sockaddr_in local {};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof local;
        ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&local), sizeof local), 0);
        ASSERT_EQ(::listen(listener, 1), 0);
        ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&local), &length), 0);
        peer = CRawClient(ntohs(local.sin_port), peerReceiveBuffer);
        ASSERT_TRUE(peer.IsConnected());
        socket = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        ::close(listener);
        ASSERT_GE(socket, 0);
    }
    void TearDown() override
    {
        if (socket >= 0)
            ::close(socket);
    }

    // True when the socket was shut down in both directions.
    bool IsShutDown() const
    {
        pollfd state { socket, POLLOUT, 0 };
        return ::poll(&state, 1, 0) == 1 && (state.revents & POLLHUP) != 0;
    }

    int socket = -1;
    CRawClient peer;
};

TEST_F(SendingEnd, AFrameWithoutRoomIsDroppedWholeAndTheStreamStaysAligned)
{
    Connect(4096);
    // The peer reads nothing: fill its buffers until a frame finds no room at once.
    int sentFrames = 0;
    for (;;) {
        const RemoteSendResult result
            = SendRemoteFrame(socket, FormatRemotePacket("PM_R05", sentFrames), 0ms);
        ASSERT_FALSE(result.cutShort);
        if (result.whole == 0) {
            EXPECT_EQ(result.dropped, 1);
            break;
        }
        ++sentFrames;
    }
    EXPECT_GT(sentFrames, 0);

    // Every frame that went out arrives whole and in order, and the connection serves on.
    for (int i = 0; i < sentFrames; ++i) {
        const auto frame = peer.ReadFrame();
        ASSERT_TRUE(frame.has_value()) << i;
        ASSERT_EQ(*frame, Frame("PM_R05", i));
    }
    EXPECT_EQ(SendRemoteFrame(socket, FormatRemotePacket("PM_R01", 7)).whole, 1);
    EXPECT_EQ(peer.ReadFrame(), "PM_R01,000000000007");
}

TEST_F(SendingEnd, AFrameCutShortShutsTheConnectionAndOneNotSentAtAllIsDropped)
{
    Connect();
    // A cut send takes one frame and 7 bytes of the next.
    CPlannedSend planned(26);
    const RemoteSendFunction send = planned.Function();
    const std::vector<RemotePacket> three = { FormatRemotePacket("PM_R05", 1),
        FormatRemotePacket("PM_R05", 2), FormatRemotePacket("PM_R05", 3) };

    planned.plan = CPlannedSend::Nothing;
    RemoteSendResult result = SendRemoteFrames(socket, three, 1s, send);
    EXPECT_EQ(result.whole, 2);
    EXPECT_EQ(result.dropped, 1);
    EXPECT_FALSE(result.cutShort);
    EXPECT_EQ(planned.sends, 2) << "the rest goes out in one send";
    EXPECT_EQ(peer.ReadFrame(), Frame("PM_R05", 2)) << "the dropped frame left the stream aligned";
    EXPECT_EQ(peer.ReadFrame(), Frame("PM_R05", 3));
    EXPECT_FALSE(IsShutDown());

    planned.plan = CPlannedSend::CutShort;
    result = SendRemoteFrames(socket, three, 1s, send);
    EXPECT_EQ(result.whole, 1);
    EXPECT_TRUE(result.cutShort);
    EXPECT_TRUE(IsShutDown());
    EXPECT_EQ(peer.ReadFrame(), Frame("PM_R05", 1));
    EXPECT_TRUE(peer.WaitClosed());
}

TEST_F(SendingEnd, SendingToAPeerThatLeftRaisesNoSigpipe)
{
    int pair[2] = { -1, -1 };
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
    ::close(pair[1]);

    // Blocked, a raised SIGPIPE stays pending on this thread instead of ending the test run.
    sigset_t pipeOnly;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    sigset_t previous;
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &pipeOnly, &previous), 0);

    const RemoteSendResult result = SendRemoteFrame(pair[0], FormatRemotePacket("PM_R05", 1), 1s);

    sigset_t pending;
    sigemptyset(&pending);
    ::sigpending(&pending);
    const bool raised = sigismember(&pending, SIGPIPE) == 1;
    if (raised) {
        const timespec noWait {};
        ::sigtimedwait(&pipeOnly, nullptr, &noWait);
    }
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::close(pair[0]);

    EXPECT_EQ(result.whole, 0);
    EXPECT_EQ(result.dropped, 1);
    EXPECT_FALSE(raised);
}

TEST_F(SendingEnd, TheWriterSendsInOrderWithoutHoldingUpWhoQueues)
{
    Connect();
    CRemoteFrameWriter writer(socket);
    std::vector<std::string> expected;
    for (int i = 0; i < 500; ++i) {
        ASSERT_TRUE(writer.Push(FormatRemotePacket("PM_R05", i)));
        expected.push_back(Frame("PM_R05", i));
    }
    for (const std::string& frame : expected)
        ASSERT_EQ(peer.ReadFrame(), frame);
    writer.Stop();
    EXPECT_FALSE(writer.Push(FormatRemotePacket("PM_R05", 0))) << "a stopped writer takes nothing";
    EXPECT_TRUE(peer.WaitClosed()) << "stopping ends the connection";
}

TEST_F(SendingEnd, APeerThatFallsTooFarBehindIsShutDownAndStoppingNeverWaitsForIt)
{
    Connect(4096);
    RemoteFrameWriterOptions options;
    options.capacity = 64;
    CRemoteFrameWriter writer(socket, options);

    // The peer reads nothing. Pushing never waits; once the writer is stuck waiting for room,
    // the queue fills and the connection is shut down.
    const auto started = std::chrono::steady_clock::now();
    int pushed = 0;
    while (writer.Push(FormatRemotePacket("PM_R05", pushed)) && pushed < 10'000'000)
        ++pushed;
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    EXPECT_TRUE(writer.IsShutDown());
    EXPECT_TRUE(IsShutDown());
    EXPECT_FALSE(writer.Push(FormatRemotePacket("PM_R05", 0)));

    // What went out before arrives whole and in order, then the end.
    int received = 0;
    while (const auto frame = peer.ReadFrame(1s)) {
        ASSERT_EQ(*frame, Frame("PM_R05", received));
        ++received;
    }
    EXPECT_LT(received, pushed);
    EXPECT_TRUE(peer.WaitClosed());

    const auto stopping = std::chrono::steady_clock::now();
    writer.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 1s);
}

TEST_F(SendingEnd, StoppingWakesAWriterWaitingForRoom)
{
    Connect(4096);
    // More than the peer's buffers take, and a queue that holds it all: the writer is left
    // waiting for room that never comes.
    RemoteFrameWriterOptions options;
    options.capacity = 1'000'000;
    CRemoteFrameWriter writer(socket, options);
    for (int i = 0; i < 200'000; ++i)
        ASSERT_TRUE(writer.Push(FormatRemotePacket("PM_R05", i)));
    EXPECT_FALSE(writer.IsShutDown());
    const auto stopping = std::chrono::steady_clock::now();
    writer.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 1s) << "not the ten seconds of the wait";
}

} // namespace
