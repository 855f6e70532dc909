#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <sys/types.h>

namespace platform {

// A program this process started and is responsible for: started in a process group of its
// own with only the standard input, output and error inherited, asked whether it still runs
// without waiting, and always reaped, so no zombie is left behind. Nothing of it blocks except
// the waits its caller asks for.
class CChildProcess {
public:
    CChildProcess() = default;
    // A child still running is ended (SIGTERM, then SIGKILL) and reaped.
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // Starts the program with the arguments. A child held from an earlier start is ended and
    // reaped first. False (and no child held) when the program could not be started.
    bool Start(const QString& program, const QStringList& arguments);

    // Whether a child is held: from a successful start until Release.
    bool HasProcess() const { return m_pid > 0; }
    // The child's process id; 0 when none is held.
    pid_t ProcessId() const { return m_pid; }

    // True while the held child has not ended. An ended child is reaped here and its exit
    // status kept.
    bool IsRunning();
    // Waits up to timeoutMs for the child to end; true when it has ended (or none is held).
    bool WaitForExit(int timeoutMs);
    // Ends the child: SIGTERM to its process group, up to terminateWaitMs for it to go, then
    // SIGKILL; always reaped. Nothing when it has ended already. True when it ended on SIGTERM
    // (or before).
    bool Terminate(int terminateWaitMs);
    // Forgets an ended child; a running one is terminated first.
    void Release();
    // Lets the child go on by itself: it is no longer ended with this object. A child that ends
    // while this process still runs stays unreaped until this process ends.
    void Detach();

    // The exit code of an ended child (exit status, or 128 + signal number); none while it
    // runs or before any start.
    std::optional<int> ExitCode() const { return m_exitCode; }

private:
    void Reaped(int status);

    pid_t m_pid = 0;
    bool m_reaped = false;
    std::optional<int> m_exitCode;
};

} // namespace platform
