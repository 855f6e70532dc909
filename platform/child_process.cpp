#include "platform/child_process.h"

#include <QFile>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace platform {

namespace {

constexpr auto kExitPollStep = std::chrono::milliseconds(5);
// A child that ignores SIGKILL's effect for this long is stuck in the kernel; it is still
// reaped, however long that takes, because a zombie must never be left behind.
constexpr int kKillWaitMs = 5000;

} // namespace

CChildProcess::~CChildProcess()
{
    Release();
}

bool CChildProcess::Start(const QString& program, const QStringList& arguments)
{
    Release();
    m_exitCode.reset();

    std::vector<QByteArray> storage;
    storage.push_back(QFile::encodeName(program));
    for (const QString& argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& text : storage)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return false;
    if (posix_spawnattr_init(&attributes) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return false;
    }
    // Only the standard streams go across: the editor's shared blocks, sockets and lock files
    // stay its own.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    // A group of its own, so that a signal meant for the editor's terminal group does not reach
    // it, and so that ending it reaches whatever it started.
    posix_spawnattr_setpgroup(&attributes, 0);
    // Signals the editor handles or blocks come back to their defaults in the child.
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signalNumber : { SIGTERM, SIGHUP, SIGINT, SIGPIPE, SIGCHLD, SIGQUIT })
        sigaddset(&defaults, signalNumber);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    sigset_t noMask;
    sigemptyset(&noMask);
    posix_spawnattr_setsigmask(&attributes, &noMask);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = 0;
    const int result = posix_spawn(&pid, argv.front(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0 || pid <= 0)
        return false;
    m_pid = pid;
    m_reaped = false;
    return true;
}

void CChildProcess::Reaped(int status)
{
    m_reaped = true;
    if (WIFEXITED(status))
        m_exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        m_exitCode = 128 + WTERMSIG(status);
    else
        m_exitCode = -1;
}

bool CChildProcess::IsRunning()
{
    if (m_pid <= 0 || m_reaped)
        return false;
    int status = 0;
    pid_t result;
    do {
        result = waitpid(m_pid, &status, WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == 0)
        return true;
    if (result == m_pid)
        Reaped(status);
    else {
        // ECHILD: someone else reaped it (a SIGCHLD set to be ignored); it has ended.
        m_reaped = true;
        m_exitCode = -1;
    }
    return false;
}

bool CChildProcess::WaitForExit(int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (IsRunning()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kExitPollStep);
    }
    return true;
}

bool CChildProcess::Terminate(int terminateWaitMs)
{
    if (!IsRunning())
        return true;
    // The child is not reaped yet, so its id and group still name it and nothing else.
    kill(-m_pid, SIGTERM);
    kill(m_pid, SIGTERM);
    if (WaitForExit(terminateWaitMs))
        return true;
    kill(-m_pid, SIGKILL);
    kill(m_pid, SIGKILL);
    if (!WaitForExit(kKillWaitMs)) {
        int status = 0;
        while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) { }
        Reaped(status);
    }
    return false;
}

void CChildProcess::Release()
{
    if (m_pid > 0)
        Terminate(1000);
    m_pid = 0;
    m_reaped = false;
}

void CChildProcess::Detach()
{
    if (m_pid > 0 && !m_reaped)
        IsRunning(); // reaps it now if it has ended already
    m_pid = 0;
    m_reaped = false;
}

} // namespace platform
