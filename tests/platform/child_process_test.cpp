#include "platform/child_process.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using platform::CChildProcess;

namespace {

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

bool ProcessGone(pid_t pid)
{
    return kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace

TEST(ChildProcess, ExitCodeOfAnEndedChildIsKeptAndTheChildReaped)
{
    CChildProcess child;
    ASSERT_TRUE(child.Start(QStringLiteral("/bin/sh"), { QStringLiteral("-c"), QStringLiteral("exit 7") }));
    const pid_t pid = child.ProcessId();
    EXPECT_GT(pid, 0);
    EXPECT_TRUE(child.HasProcess());
    ASSERT_TRUE(WaitUntil([&] { return !child.IsRunning(); }));
    EXPECT_EQ(child.ExitCode(), 7);
    // Reaped: the id no longer names a process, not even a zombie.
    EXPECT_TRUE(ProcessGone(pid));
    EXPECT_TRUE(child.HasProcess());
    child.Release();
    EXPECT_FALSE(child.HasProcess());
    EXPECT_EQ(child.ProcessId(), 0);
}

TEST(ChildProcess, AProgramThatCannotStartLeavesNoChild)
{
    CChildProcess child;
    EXPECT_FALSE(child.Start(QStringLiteral("/nonexistent/Luxviewer"), { QStringLiteral("0") }));
    EXPECT_FALSE(child.HasProcess());
    EXPECT_FALSE(child.IsRunning());
    EXPECT_TRUE(child.Terminate(10));
}

TEST(ChildProcess, RunsInAProcessGroupOfItsOwnWithOnlyTheStandardStreams)
{
    int leaked[2];
    ASSERT_EQ(pipe(leaked), 0); // without close-on-exec
    QTemporaryDir dir;
    const QString script = QStringLiteral("test -e /proc/$$/fd/%1 && exit 3; sleep 30").arg(leaked[1]);
    CChildProcess child;
    ASSERT_TRUE(child.Start(QStringLiteral("/bin/sh"), { QStringLiteral("-c"), script }));
    EXPECT_EQ(getpgid(child.ProcessId()), child.ProcessId());
    EXPECT_NE(getpgid(child.ProcessId()), getpgrp());
    // A child that saw the descriptor ends at once with 3; one that did not sleeps.
    EXPECT_FALSE(child.WaitForExit(300)) << "exit code " << child.ExitCode().value_or(-1);
    EXPECT_TRUE(child.Terminate(2000));
    close(leaked[0]);
    close(leaked[1]);
}

TEST(ChildProcess, EndingIsTerminateThenKillAlwaysReaped)
{
    const struct {
        const char* name;
        const char* setup;
        const char* script;
        bool endsOnTerminate;
        int exitCode;
    } cases[] = {
        { "a child that takes SIGTERM ends with it", "", "sleep 30", true, 128 + SIGTERM },
        { "a child that ignores SIGTERM is killed", "trap '' TERM", "while :; do sleep 1; done", false,
            128 + SIGKILL },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString ready = dir.filePath(QStringLiteral("ready"));
        // The shell says when it has set its trap: only then is it asked to end.
        const QString script = QStringLiteral("%1\n: > '%2'\n%3")
                                   .arg(QString::fromUtf8(c.setup), ready, QString::fromUtf8(c.script));
        CChildProcess child;
        ASSERT_TRUE(child.Start(QStringLiteral("/bin/sh"), { QStringLiteral("-c"), script }));
        const pid_t pid = child.ProcessId();
        ASSERT_TRUE(WaitUntil([&] { return QFileInfo::exists(ready); }));
        EXPECT_EQ(child.Terminate(300), c.endsOnTerminate);
        EXPECT_FALSE(child.IsRunning());
        EXPECT_EQ(child.ExitCode(), c.exitCode);
        EXPECT_TRUE(ProcessGone(pid));
        // The whole group went, the shell's own children too.
        EXPECT_TRUE(WaitUntil([&] { return kill(-pid, 0) != 0; }));
    }
}

TEST(ChildProcess, SignalsTheEditorIgnoresAreDefaultInTheChild)
{
    struct sigaction ignore { };
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous { };
    sigaction(SIGTERM, &ignore, &previous);
    CChildProcess child;
    const bool started = child.Start(QStringLiteral("/bin/sleep"), { QStringLiteral("30") });
    sigaction(SIGTERM, &previous, nullptr);
    ASSERT_TRUE(started);
    EXPECT_TRUE(child.Terminate(2000));
    EXPECT_EQ(child.ExitCode(), 128 + SIGTERM);
}

TEST(ChildProcess, TheDestructorEndsAndReapsARunningChild)
{
    pid_t pid = 0;
    {
        CChildProcess child;
        ASSERT_TRUE(child.Start(QStringLiteral("/bin/sleep"), { QStringLiteral("30") }));
        pid = child.ProcessId();
        EXPECT_TRUE(child.IsRunning());
    }
    EXPECT_TRUE(ProcessGone(pid));
}

TEST(ChildProcess, ASecondStartEndsTheFirstChild)
{
    CChildProcess child;
    ASSERT_TRUE(child.Start(QStringLiteral("/bin/sleep"), { QStringLiteral("30") }));
    const pid_t first = child.ProcessId();
    ASSERT_TRUE(child.Start(QStringLiteral("/bin/sleep"), { QStringLiteral("30") }));
    EXPECT_NE(child.ProcessId(), first);
    EXPECT_TRUE(ProcessGone(first));
}

TEST(ChildProcess, ADetachedChildOutlivesItsObject)
{
    pid_t pid = 0;
    {
        CChildProcess child;
        ASSERT_TRUE(child.Start(QStringLiteral("/bin/sleep"), { QStringLiteral("30") }));
        pid = child.ProcessId();
        child.Detach();
        EXPECT_FALSE(child.HasProcess());
    }
    EXPECT_FALSE(ProcessGone(pid));
    // Still this process's child: end and reap it here so that no zombie stays behind.
    ASSERT_EQ(kill(pid, SIGKILL), 0);
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status));
}
