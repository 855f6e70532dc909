#include "platform/atomic_file.h"
#include "platform/file_copy.h"
#include "platform/temporary_file.h"
#include "tests/fixtures/temp_folder.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QStringList EntriesIn(const QString& folder)
{
    QStringList entries
        = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    entries.sort();
    return entries;
}

// Runs the step in a child process that the step kills with SIGKILL, as a crash ends a program.
void RunKilled(const std::function<void()>& step)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        step();
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the write was not ended half way";
}

// A write of the target killed half way: its temporary file stays in the folder.
void CrashWhileWriting(const QString& target)
{
    RunKilled([&target] {
        platform::WriteFileAtomically(target, [](QIODevice& device) {
            device.write("half of the new");
            ::raise(SIGKILL);
            return true;
        });
    });
}

} // namespace

TEST(TemporaryFile, TheNextWriteOfATargetRemovesWhatACrashedWriteLeft)
{
    const struct {
        const char* name;
        std::function<bool(const CTempFolder&, const QString&)> write;
    } cases[] = {
        { "the atomic write",
            [](const CTempFolder&, const QString& target) {
                return platform::WriteFileAtomically(target, QByteArray("new"));
            } },
        { "the replacing copy",
            [](const CTempFolder& temp, const QString& target) {
                return platform::CopyFileReplacing(
                    temp.WriteFile(QStringLiteral("source"), "new"), target, {});
            } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTempFolder temp;
        const QString target = temp.WriteFile(QStringLiteral("show/show.kdp"), "old");
        const QString other = temp.WriteFile(QStringLiteral("show/other.xml"), "other");
        CrashWhileWriting(target);
        CrashWhileWriting(other);
        const QStringList leftovers = EntriesIn(temp.FilePath(QStringLiteral("show")));
        ASSERT_EQ(leftovers.size(), 4) << leftovers.join(u' ').toStdString();
        ASSERT_EQ(temp.ReadFile(QStringLiteral("show/show.kdp")), QByteArray("old"));

        ASSERT_TRUE(c.write(temp, target));
        EXPECT_EQ(temp.ReadFile(QStringLiteral("show/show.kdp")), QByteArray("new"));
        // Only the target's own leftover goes: the other file's is its own writer's to remove.
        QStringList remaining = EntriesIn(temp.FilePath(QStringLiteral("show")));
        EXPECT_EQ(remaining.size(), 3) << remaining.join(u' ').toStdString();
        EXPECT_TRUE(remaining.filter(QStringLiteral(".show.kdp.")).isEmpty());
        ASSERT_TRUE(platform::WriteFileAtomically(other, QByteArray("x")));
        EXPECT_EQ(EntriesIn(temp.FilePath(QStringLiteral("show"))),
            QStringList({ QStringLiteral("other.xml"), QStringLiteral("show.kdp") }));
    }
}

TEST(TemporaryFile, OnlyTemporariesThatNobodyHoldsAreRemoved)
{
    CTempFolder temp;
    const QString folder = temp.MakeFolder(QStringLiteral("show"));
    const QString target = temp.WriteFile(QStringLiteral("show/show.kdp"), "archive");
    const QString outside = temp.WriteFile(QStringLiteral("outside"), "kept");
    const auto plant
        = [&temp](const char* name) { return temp.WriteFile(QStringLiteral("show/") + name, "x"); };
    plant(".show.kdp.Ab12Cd"); // a crashed write of the target
    plant("sub/.show.kdp.Qq11Ww"); // a crashed write of another file of that name, below
    plant(".Face_1.xml.Zz99Yy"); // a crashed write of another target
    plant(".show.kdp.bak"); // not a writer's name
    plant("show.kdp.Ab12Cd");
    plant(".show.kdp.Ab12C");
    // A write in progress holds its lock.
    QFile held(plant(".show.kdp.Held01"));
    ASSERT_TRUE(held.open(QIODevice::ReadOnly));
    ASSERT_EQ(::flock(held.handle(), LOCK_EX | LOCK_NB), 0);
    // Only files of the running user's own are taken.
    if (::geteuid() == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        ASSERT_NE(nobody, nullptr);
        ASSERT_EQ(
            ::chown(QFile::encodeName(plant(".show.kdp.Nobody")).constData(), nobody->pw_uid, nobody->pw_gid),
            0);
    }
    ASSERT_TRUE(QFile::link(outside, folder + QStringLiteral("/.show.kdp.Link01")));
    temp.MakeFolder(QStringLiteral("show/.show.kdp.Dir001"));

    QStringList expected = EntriesIn(folder);
    expected.removeOne(QStringLiteral(".show.kdp.Ab12Cd"));
    platform::RemoveAbandonedTemporaries(target);
    EXPECT_EQ(EntriesIn(folder), expected);
    EXPECT_EQ(EntriesIn(folder + QStringLiteral("/sub")), QStringList { QStringLiteral(".show.kdp.Qq11Ww") });

    // Below a folder, the temporaries of every target, in every folder.
    expected.removeOne(QStringLiteral(".Face_1.xml.Zz99Yy"));
    platform::RemoveAbandonedTemporariesBelow(folder);
    EXPECT_EQ(EntriesIn(folder), expected);
    EXPECT_EQ(EntriesIn(folder + QStringLiteral("/sub")), QStringList());
    EXPECT_EQ(temp.ReadFile(QStringLiteral("outside")), QByteArray("kept"));
}

TEST(TemporaryFile, AWriteInProgressKeepsItsTemporary)
{
    CTempFolder temp;
    const QString target = temp.WriteFile(QStringLiteral("show.kdp"), "old");
    QStringList seen;
    ASSERT_TRUE(platform::WriteFileAtomically(target, [&](QIODevice& device) {
        device.write("new");
        platform::RemoveAbandonedTemporaries(target);
        platform::RemoveAbandonedTemporariesBelow(temp.Path());
        seen = EntriesIn(temp.Path());
        return true;
    }));
    EXPECT_EQ(seen.size(), 2) << "the temporary stays while it is written";
    EXPECT_EQ(temp.ReadFile(QStringLiteral("show.kdp")), QByteArray("new"));
    EXPECT_EQ(EntriesIn(temp.Path()), QStringList { QStringLiteral("show.kdp") });
}
