#include "platform/termination_signals.h"

#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace platform {
namespace {

constexpr std::array kSignals { SIGTERM, SIGHUP };
int g_pipe[2] = { -1, -1 };

void OnSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Only async-signal-safe calls here; a full pipe already holds a request.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

CTerminationSignals::CTerminationSignals(QObject* parent)
    : QObject(parent)
{
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action { };
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kSignals)
        ::sigaction(signalNumber, &action, nullptr);
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CTerminationSignals::OnReadable);
}

CTerminationSignals::~CTerminationSignals()
{
    if (!m_notifier)
        return;
    struct sigaction action { };
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int signalNumber : kSignals)
        ::sigaction(signalNumber, &action, nullptr);
    delete m_notifier;
    m_notifier = nullptr;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void CTerminationSignals::OnReadable()
{
    // Everything waiting is read before anyone is told: a receiver may run a modal loop, in
    // which the next signal comes through this handler again.
    std::vector<int> received;
    unsigned char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1)
        received.push_back(int(byte));
    for (const int signalNumber : received)
        emit TerminationRequested(signalNumber);
}

} // namespace platform
