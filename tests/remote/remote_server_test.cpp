#include "remote/remote_codes.h"
#include "remote/remote_server.h"
#include "tests/remote/raw_client.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;

namespace {

// Records what the server reports, from whichever thread it comes.
class CRecordingOwner : public RemoteServerOwner {
public:
    struct Record {
        enum Kind { Accepted, Received, Failed } kind;
        int number = 0; // slot index for Accepted
        int connectedCount = 0;
        uint64_t clientId = 0;
        QString address;
        int64_t value = 0;
    };

    void RemoteAccepted(int slotIndex, const RemoteClientSlot& client, int connectedCount) override
    {
        Add({ Record::Accepted, slotIndex, connectedCount, client.clientId, client.address, 0 });
    }
    void RemoteReceived(int number, const RemoteEvent& event, RemoteFrameHold hold) override
    {
        if (keepHolds) {
            std::lock_guard guard(m_lock);
            m_holds.push_back(std::move(hold));
        }
        Add({ Record::Received, number, 0, event.clientId, event.address, event.value });
    }
    void RemoteServerFailed(const QString& reason) override { Add({ Record::Failed, 0, 0, 0, reason, 0 }); }

    // Waits until at least count records are there; returns them all.
    std::vector<Record> WaitFor(size_t count, std::chrono::milliseconds timeout = 5s)
    {
        std::unique_lock guard(m_lock);
        m_changed.wait_for(guard, timeout, [&] { return m_records.size() >= count; });
        return m_records;
    }
    std::vector<Record> Records()
    {
        std::lock_guard guard(m_lock);
        return m_records;
    }
    // Handles every frame held so far.
    void ReleaseHolds()
    {
        std::vector<RemoteFrameHold> holds;
        {
            std::lock_guard guard(m_lock);
            holds.swap(m_holds);
        }
    }

    // Keep each frame's hold as a window does until it has handled the frame.
    std::atomic<bool> keepHolds { false };

private:
    void Add(Record record)
    {
        std::lock_guard guard(m_lock);
        m_records.push_back(std::move(record));
        m_changed.notify_all();
    }

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<Record> m_records;
    std::vector<RemoteFrameHold> m_holds;
};

RemoteServerOptions LoopbackAnyPort()
{
    RemoteServerOptions options;
    options.bindAddress = QStringLiteral("127.0.0.1");
    options.port = 0;
    return options;
}

size_t ThreadCount()
{
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

template <typename Condition> bool WaitUntil(Condition condition, std::chrono::milliseconds timeout = 5s)
{
    const auto deadline = DeadlineIn(timeout);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

std::string Frame(std::string_view code, int64_t value)
{
    const RemotePacket packet = FormatRemotePacket(code, value);
    return std::string(packet.data(), packet.size());
}

class RemoteServerTest : public ::testing::Test {
protected:
    void StartServer(RemoteServerOptions options = LoopbackAnyPort())
    {
        server = std::make_unique<RemoteServer>(std::move(options));
        ASSERT_EQ(server->Start(&owner), 1);
        port = server->ListeningPort();
        ASSERT_NE(port, 0);
    }

    // Connects a client and waits until the server has reported it.
    CRawClient Connect()
    {
        const size_t before = owner.Records().size();
        CRawClient client(port);
        EXPECT_TRUE(client.IsConnected());
        owner.WaitFor(before + 1);
        return client;
    }

    CRecordingOwner owner;
    std::unique_ptr<RemoteServer> server;
    uint16_t port = 0;
};

TEST_F(RemoteServerTest, ReportsFramesOfOneClientAndItsEnd)
{
    StartServer();
    EXPECT_EQ(server->Start(&owner), 0); // running already: nothing changes
    EXPECT_EQ(server->ListeningPort(), port);

    CRawClient client = Connect();
    auto records = owner.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].kind, CRecordingOwner::Record::Accepted);
    EXPECT_EQ(records[0].number, 0);
    EXPECT_EQ(records[0].connectedCount, 1);
    EXPECT_EQ(records[0].address, QStringLiteral("127.0.0.1"));
    const uint64_t clientId = records[0].clientId;
    EXPECT_NE(clientId, 0u);

    const std::string time = Frame("PM_S01", 12345);
    ASSERT_TRUE(client.Write(time.substr(0, 7)));
    EXPECT_EQ(owner.WaitFor(2, 150ms).size(), 1u) << "a frame is taken only when its 19th byte came";
    ASSERT_TRUE(client.Write(time.substr(7)));
    // Dropped: a bad comma, a lower-case code, a code of the other direction. Then two frames and
    // the start of a third in one write, completed by the next.
    ASSERT_TRUE(client.Write("PM_S01000000001234," + Frame("pm_s01", 1) + Frame("PM_R01", 1)
        + Frame("PM_S02", -1) + Frame("PM_S56", 7) + Frame("PM_S03", 360000).substr(0, 2)));
    ASSERT_TRUE(client.Write(Frame("PM_S03", 360000).substr(2)));
    client.Close();

    records = owner.WaitFor(6);
    ASSERT_EQ(records.size(), 6u);
    const std::vector<std::pair<int, int64_t>> expected = {
        { kReceiveCurrentTime, 12345 },
        { kReceivePlayTime, -1 },
        { kReceiveAskPlaying, 7 },
        { kReceiveProjectTime, 360000 },
        { kReceiveClientGone, 0 },
    };
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(records[i + 1].kind, CRecordingOwner::Record::Received);
        EXPECT_EQ(records[i + 1].number, expected[i].first);
        EXPECT_EQ(records[i + 1].value, expected[i].second);
        EXPECT_EQ(records[i + 1].clientId, clientId);
    }
    EXPECT_EQ(server->GetClientCount(), 0);
}

TEST_F(RemoteServerTest, RefusesAFifthClientAndReusesTheLowestFreeSlot)
{
    StartServer();
    std::vector<CRawClient> clients;
    for (int i = 0; i < REMOTE_MAX_CLIENTS; ++i)
        clients.push_back(Connect());
    auto records = owner.Records();
    ASSERT_EQ(records.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(records[i].number, i);
        EXPECT_EQ(records[i].connectedCount, i + 1);
    }
    QStringList addresses;
    EXPECT_EQ(server->GetClientIpList(addresses), 4);
    EXPECT_EQ(addresses, QStringList(4, QStringLiteral("127.0.0.1")));

    CRawClient fifth(port);
    EXPECT_EQ(fifth.ReadFrame(), "PM_R11,000000000004");
    EXPECT_TRUE(fifth.WaitClosed());
    for (CRawClient& client : clients)
        EXPECT_TRUE(client.StaysQuiet(20ms)) << "the others see nothing of the refusal";
    EXPECT_EQ(server->GetClientCount(), 4);
    EXPECT_EQ(owner.Records().size(), 4u);

    clients[1].Close();
    records = owner.WaitFor(5);
    EXPECT_EQ(records[4].number, kReceiveClientGone);
    EXPECT_EQ(records[4].clientId, records[1].clientId);

    CRawClient next = Connect();
    records = owner.Records();
    ASSERT_EQ(records.size(), 6u);
    EXPECT_EQ(records[5].kind, CRecordingOwner::Record::Accepted);
    EXPECT_EQ(records[5].number, 1);
    EXPECT_EQ(records[5].connectedCount, 4);
    EXPECT_NE(records[5].clientId, records[1].clientId);
}

TEST_F(RemoteServerTest, SendsToAllOrToOneClient)
{
    RemoteServer stopped(LoopbackAnyPort());
    EXPECT_EQ(stopped.Broadcast("PM_R01", 0), 1);
    QStringList addresses { QStringLiteral("stale") };
    EXPECT_EQ(stopped.GetClientIpList(addresses), 0);
    EXPECT_TRUE(addresses.isEmpty());

    StartServer();
    CRawClient first = Connect();
    CRawClient second = Connect();
    const auto records = owner.Records();

    EXPECT_EQ(server->Broadcast("PM_R05", 4321), 1);
    EXPECT_EQ(first.ReadFrame(), "PM_R05,000000004321");
    EXPECT_EQ(second.ReadFrame(), "PM_R05,000000004321");

    EXPECT_EQ(server->SendTo("PM_R51", 1000, records[1].clientId), 1);
    EXPECT_EQ(second.ReadFrame(), "PM_R51,000000001000");
    EXPECT_TRUE(first.StaysQuiet(20ms));

    second.Close();
    owner.WaitFor(3);
    EXPECT_EQ(server->SendTo("PM_R51", 1000, records[1].clientId), 0) << "a client that left gets nothing";

    EXPECT_EQ(server->CloseClients(), 1);
    EXPECT_EQ(server->CloseClients(), 0);
    EXPECT_EQ(server->Broadcast("PM_R01", 0), 1);
    EXPECT_TRUE(first.WaitClosed());
    EXPECT_FALSE(first.ReadFrame(50ms).has_value());
}

TEST_F(RemoteServerTest, StopEndsBlockedReadersAndJoinsEveryThread)
{
    // Sanitizer runtimes start a helper thread with the first thread of the process: let that
    // happen before counting.
    std::thread([] {}).join();
    const size_t threadsBefore = ThreadCount();
    StartServer();
    std::vector<CRawClient> clients;
    for (int i = 0; i < 3; ++i)
        clients.push_back(Connect());
    EXPECT_TRUE(WaitUntil([&] { return ThreadCount() == threadsBefore + 7; }))
        << "one accept, and a reader and a writer for each client";

    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(server->CloseClients(), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s) << "readers are woken, not timed out";
    // A joined thread may stay listed for a moment while the kernel reaps it.
    EXPECT_TRUE(WaitUntil([&] { return ThreadCount() == threadsBefore; })) << ThreadCount();
    EXPECT_EQ(server->GetClientCount(), 0);
    EXPECT_EQ(server->GetLocalAddress(), QString());
    for (CRawClient& client : clients)
        EXPECT_TRUE(client.WaitClosed());
    int gone = 0;
    for (const auto& record : owner.Records())
        gone += record.kind == CRecordingOwner::Record::Received && record.number == kReceiveClientGone;
    EXPECT_EQ(gone, 3);

    // The port can be taken again at once, and a restarted server serves as before.
    ASSERT_EQ(server->Start(&owner), 1);
    port = server->ListeningPort();
    CRawClient again = Connect();
    EXPECT_EQ(owner.Records().back().number, 0);
    server.reset(); // the destructor stops and joins as well
    EXPECT_TRUE(WaitUntil([&] { return ThreadCount() == threadsBefore; })) << ThreadCount();
}

TEST_F(RemoteServerTest, StartFailsWhenThePortIsTaken)
{
    StartServer();
    RemoteServerOptions samePort = LoopbackAnyPort();
    samePort.port = port;
    RemoteServer second(samePort);
    EXPECT_EQ(second.Start(&owner), 0);
    EXPECT_FALSE(second.IsRunning());
    EXPECT_EQ(second.CloseClients(), 0);

    RemoteServerOptions badAddress = LoopbackAnyPort();
    badAddress.bindAddress = QStringLiteral("not an address");
    RemoteServer third(badAddress);
    EXPECT_EQ(third.Start(&owner), 0);
}

TEST_F(RemoteServerTest, RetriesTransientAcceptErrorsAndStopsOnFatalOnes)
{
    std::atomic<int> failuresLeft { 1 };
    std::atomic<int> failWith { EMFILE };
    RemoteServerOptions options = LoopbackAnyPort();
    options.accept = [&](int listenSocket, sockaddr_in& peer) {
        if (failuresLeft.fetch_sub(1) > 0) {
            errno = failWith.load();
            return -1;
        }
        socklen_t length = sizeof peer;
        return ::accept4(listenSocket, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
    };
    StartServer(options);

    CRawClient first = Connect(); // accepted on the retry after the shortage
    EXPECT_EQ(owner.Records().at(0).kind, CRecordingOwner::Record::Accepted);
    EXPECT_TRUE(server->IsRunning());

    failWith = EBADF;
    failuresLeft = 1;
    CRawClient second(port);
    const auto records = owner.WaitFor(3);
    ASSERT_GE(records.size(), 3u);
    EXPECT_EQ(records[1].kind, CRecordingOwner::Record::Failed);
    EXPECT_FALSE(records[1].address.isEmpty());
    EXPECT_FALSE(server->IsRunning());
    // The clients of a server that stopped accepting are ended and reported as gone.
    EXPECT_EQ(records[2].number, kReceiveClientGone);
    EXPECT_TRUE(first.WaitClosed());
    // Nor does it leave the port listening: an editor's connect is refused, not left hanging.
    EXPECT_FALSE(CRawClient(port).IsConnected());

    // A new start clears what is left of the failed run and serves again.
    ASSERT_EQ(server->Start(&owner), 1);
    port = server->ListeningPort();
    CRawClient third = Connect();
    EXPECT_EQ(owner.Records().back().kind, CRecordingOwner::Record::Accepted);
    EXPECT_EQ(owner.Records().back().connectedCount, 1);
}

TEST_F(RemoteServerTest, AFrameCutShortEndsTheConnectionAndOneNotSentAtAllIsDropped)
{
    // How the next frame's sends go: whole, not at all, or 7 bytes and then a failure.
    CPlannedSend planned(7);
    RemoteServerOptions options = LoopbackAnyPort();
    options.writer.send = planned.Function();
    StartServer(options);
    CRawClient client = Connect();
    const uint64_t clientId = owner.Records().at(0).clientId;

    planned.plan = CPlannedSend::Nothing;
    EXPECT_EQ(server->SendTo("PM_R05", 1, clientId), 1);
    EXPECT_TRUE(WaitUntil([&] { return planned.plan.load() == CPlannedSend::Whole; }));
    EXPECT_EQ(server->SendTo("PM_R05", 2, clientId), 1);
    EXPECT_EQ(client.ReadFrame(), "PM_R05,000000000002") << "the dropped frame left the stream aligned";
    EXPECT_EQ(server->GetClientCount(), 1);

    planned.plan = CPlannedSend::CutShort;
    server->Broadcast("PM_R05", 3);
    const auto records = owner.WaitFor(2);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].number, kReceiveClientGone);
    EXPECT_TRUE(client.WaitClosed());
    EXPECT_EQ(server->GetClientCount(), 0);
}

TEST_F(RemoteServerTest, AnEditorThatStopsReadingHoldsUpNobodyAndIsEndedWhenFarBehind)
{
    StartServer();
    CRawClient stuck(port, 4096); // reads nothing from now on
    owner.WaitFor(1);
    CRawClient reading = Connect();
    const uint64_t stuckId = owner.Records().at(0).clientId;

    std::atomic<bool> done { false };
    std::atomic<int> receivedCount { 0 };
    std::vector<std::string> received; // the reader's until it is joined
    std::thread reader([&] {
        for (;;) {
            if (const auto frame = reading.ReadFrame(50ms)) {
                received.push_back(*frame);
                ++receivedCount;
            } else if (done.load()) {
                break;
            }
        }
    });

    // Broadcast until the stuck editor is ended; no broadcast may wait for it. The editor that
    // reads is given the time to keep up, as an editor on the network would.
    auto slowest = std::chrono::steady_clock::duration::zero();
    int sent = 0;
    const auto giveUp = DeadlineIn(30s);
    while (server->GetClientCount() == 2 && std::chrono::steady_clock::now() < giveUp && sent < 2'000'000) {
        if (sent % 256 == 0 && !WaitUntil([&] { return receivedCount.load() + 512 >= sent; }))
            break;
        const auto before = std::chrono::steady_clock::now();
        server->Broadcast("PM_R05", sent);
        const auto took = std::chrono::steady_clock::now() - before;
        slowest = std::max(slowest, took);
        ++sent;
        if (took > 1s)
            break;
    }
    std::printf("%d broadcasts, the slowest took %lld us\n", sent,
        static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(slowest).count()));
    EXPECT_LT(slowest, 200ms);
    const auto records = owner.WaitFor(3);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2].number, kReceiveClientGone);
    EXPECT_EQ(records[2].clientId, stuckId);

    // The editor that reads got every frame, in order.
    EXPECT_TRUE(WaitUntil([&] { return receivedCount.load() >= sent; }, 10s));
    done = true;
    reader.join();
    ASSERT_EQ(static_cast<int>(received.size()), sent);
    for (int i = 0; i < sent; ++i)
        ASSERT_EQ(received[static_cast<size_t>(i)], Frame("PM_R05", i)) << i;
    EXPECT_EQ(server->GetClientCount(), 1);
}

TEST_F(RemoteServerTest, AClientsReaderWaitsWhileItsFramesAreUnhandled)
{
    owner.keepHolds = true;
    StartServer();
    CRawClient client = Connect();
    std::string many;
    for (int i = 0; i < 50; ++i)
        many += Frame("PM_S01", i);
    ASSERT_TRUE(client.Write(many));

    // The owner handles nothing: the reader stops after a few frames and reads no further.
    owner.WaitFor(1 + kRemoteUnhandledFrames);
    EXPECT_EQ(owner.WaitFor(2 + kRemoteUnhandledFrames, 200ms).size(), size_t(1 + kRemoteUnhandledFrames));

    // Each round of handling lets the next few frames in, in order.
    owner.keepHolds = false;
    owner.ReleaseHolds();
    const auto records = owner.WaitFor(51);
    ASSERT_EQ(records.size(), 51u);
    for (int i = 0; i < 50; ++i)
        EXPECT_EQ(records[static_cast<size_t>(i + 1)].value, i);

    // Stopping does not wait for frames nobody handles.
    owner.keepHolds = true;
    ASSERT_TRUE(client.Write(many));
    owner.WaitFor(51 + kRemoteUnhandledFrames);
    const auto stopping = std::chrono::steady_clock::now();
    EXPECT_EQ(server->CloseClients(), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 1s);
    EXPECT_TRUE(client.WaitClosed());
    owner.ReleaseHolds();
}

TEST(RemoteServerAddress, OwnAddressIsAnExternalIPv4AddressNeverLoopback)
{
    // The host-name lookup would give 127.0.1.1 on Debian; the interfaces give the real one.
    const QString address = FirstExternalIPv4Address();
    EXPECT_FALSE(address.startsWith(QStringLiteral("127."))) << qPrintable(address);
    if (!address.isEmpty()) {
        in_addr parsed {};
        EXPECT_EQ(::inet_pton(AF_INET, address.toLatin1().constData(), &parsed), 1) << qPrintable(address);
    }

    RemoteServer server(LoopbackAnyPort());
    CRecordingOwner owner;
    ASSERT_EQ(server.Start(&owner), 1);
    EXPECT_EQ(server.GetLocalAddress(), address);
    server.CloseClients();
    EXPECT_EQ(server.GetLocalAddress(), QString());
}

} // namespace
