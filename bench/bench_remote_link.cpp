// The remote link on loopback. KaleidraRemote's server (its protocol code and its threads, in
// this process) broadcasts "PM_R03"; the editor's link hands the frame to its owner on the
// window's thread (leg 1), the owner answers "PM_S01", and the server's reader reports the
// answer (leg 2). The dispatcher hands frames over once per tick: the link is measured with its
// 10 ms tick and with the tick taken out (a dispatcher that looks all the time), beside a raw
// round trip of 19 bytes between two sockets of the same machine.

#include "remote/remote_codes.h"
#include "remote/remote_server.h"
#include "view/remote_client.h"

#include <QCoreApplication>
#include <arpa/inet.h>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <condition_variable>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

double Microseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::micro>(duration).count();
}

// The server's owner: notes when the editor's answer arrived.
class CServerProbe : public RemoteServerOwner {
public:
    void RemoteAccepted(int, const RemoteClientSlot&, int) override { accepted = true; }
    void RemoteReceived(int number, const RemoteEvent&, RemoteFrameHold) override
    {
        if (number != kReceiveCurrentTime)
            return;
        std::lock_guard guard(lock);
        answeredAt = Clock::now();
        answered = true;
        wake.notify_all();
    }
    void RemoteServerFailed(const QString&) override { }

    std::atomic<bool> accepted { false };
    std::mutex lock;
    std::condition_variable wake;
    bool answered = false;
    Clock::time_point answeredAt;
};

// The editor's side: answers the question for the current time at once, as the view does.
class CAnsweringOwner : public CRemoteClientOwner {
public:
    void OnRemoteMessage(int messageCode, const RemoteFrame&) override
    {
        if (messageCode != 50)
            return;
        actedAt = Clock::now();
        acted = true;
        client->SendTime(1234);
    }
    RemoteClient* client = nullptr;
    bool acted = false;
    Clock::time_point actedAt;
};

void BM_RemoteLink(benchmark::State& state)
{
    CServerProbe probe;
    RemoteServerOptions serverOptions;
    serverOptions.bindAddress = QStringLiteral("127.0.0.1");
    serverOptions.port = 0;
    RemoteServer server(serverOptions);
    if (!server.Start(&probe)) {
        state.SkipWithError("the server did not start");
        return;
    }
    RemoteClientOptions clientOptions;
    clientOptions.dispatchTick = std::chrono::milliseconds(state.range(0));
    CAnsweringOwner owner;
    RemoteClient client(owner, clientOptions);
    owner.client = &client;
    if (!client.Connect(QStringLiteral("127.0.0.1"), server.ListeningPort())) {
        state.SkipWithError("the link did not connect");
        return;
    }
    while (!probe.accepted)
        std::this_thread::yield();

    double toOwner = 0;
    double toServer = 0;
    for (auto _ : state) {
        {
            std::lock_guard guard(probe.lock);
            probe.answered = false;
        }
        owner.acted = false;
        const Clock::time_point sent = Clock::now();
        server.Broadcast(remote_code::kAskCurrentTime, 0);
        while (!owner.acted)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        std::unique_lock guard(probe.lock);
        probe.wake.wait(guard, [&] { return probe.answered; });
        toOwner += Microseconds(owner.actedAt - sent);
        toServer += Microseconds(probe.answeredAt - owner.actedAt);
        state.SetIterationTime(std::chrono::duration<double>(probe.answeredAt - sent).count());
    }
    const double n = double(state.iterations());
    state.counters["frame_to_owner_us"] = toOwner / n;
    state.counters["reply_to_receipt_us"] = toServer / n;
    client.Disconnect();
}
BENCHMARK(BM_RemoteLink)->ArgName("tick_ms")->Arg(10)->Arg(0)->UseManualTime()->Unit(benchmark::kMicrosecond);

// 19 bytes there and back between two TCP sockets on loopback, the far end echoing on a thread.
void BM_RawRoundTrip19(benchmark::State& state)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local {};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener, reinterpret_cast<sockaddr*>(&local), sizeof local);
    ::listen(listener, 1);
    socklen_t length = sizeof local;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&local), &length);
    const int near = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    ::setsockopt(near, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::connect(near, reinterpret_cast<sockaddr*>(&local), sizeof local);
    const int far = ::accept(listener, nullptr, nullptr);
    ::setsockopt(far, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    std::thread echo([far] {
        char frame[19];
        for (;;) {
            size_t got = 0;
            while (got < sizeof frame) {
                const ssize_t n = ::recv(far, frame + got, sizeof frame - got, 0);
                if (n <= 0)
                    return;
                got += size_t(n);
            }
            ::send(far, frame, sizeof frame, MSG_NOSIGNAL);
        }
    });
    char frame[19] = "PM_R03,00000000000";
    for (auto _ : state) {
        ::send(near, frame, sizeof frame, MSG_NOSIGNAL);
        size_t got = 0;
        while (got < sizeof frame)
            got += size_t(std::max<ssize_t>(::recv(near, frame + got, sizeof frame - got, 0), 0));
    }
    ::shutdown(near, SHUT_RDWR);
    ::close(near);
    echo.join();
    ::close(far);
    ::close(listener);
}
BENCHMARK(BM_RawRoundTrip19)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
