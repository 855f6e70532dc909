#include "core/instance_handover.h"
#include "tests/core/qstring_printer.h"

#include "core/main_frame.h"
#include "platform/single_instance.h"
#include "tests/core/mapped_boot_block.h"
#include "tests/fixtures/scoped_env.h"
#include "tests/fixtures/temp_folder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QUuid>
#include <atomic>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

QString UniqueName(const char* base)
{
    return QString::fromLatin1(base) + QUuid::createUuid().toString(QUuid::Id128).left(12);
}

QString PathIn(const BootParamBlock& block)
{
    return QString::fromUtf16(block.path);
}

bool PathFieldIsZero(const BootParamBlock& block)
{
    return std::all_of(std::begin(block.path), std::end(block.path), [](char16_t c) { return c == 0; });
}

// Both lock files of a lock name, which the locks never remove.
void RemoveLockFiles(const QString& lockName)
{
    QFile::remove(platform::CSingleInstance::LockFilePath(lockName));
    if (const std::optional<QString> own = platform::CSingleInstance::PrivateLockFilePath(lockName))
        QFile::remove(*own);
}

// An in-process stand-in for the running editor: listens and records every message.
struct CRunningEditor {
    CRunningEditor()
        : lockName(UniqueName("KaleidraTestLock"))
        , serverName(UniqueName("KaleidraTestServer"))
        , instance(lockName, serverName)
    {
        EXPECT_EQ(instance.TryLock(), platform::CSingleInstance::LockResult::Acquired);
        EXPECT_TRUE(instance.Listen());
        QObject::connect(&instance, &platform::CSingleInstance::MessageReceived,
            [this](quint32 m) { messages.push_back(m); });
    }
    ~CRunningEditor() { RemoveLockFiles(lockName); }
    // Waits until the second start's bring-to-front message, always its last, arrived.
    bool WaitForBringToFront()
    {
        const QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            if (!messages.empty() && messages.back() == kBringToFrontMessage)
                return true;
        }
        return false;
    }
    QString lockName;
    QString serverName;
    platform::CSingleInstance instance;
    std::vector<quint32> messages;
};

} // namespace

TEST(BootParam, WriteAndTake)
{
    const QString fits(kBootParamMaxPathLength, u'a');
    const struct {
        const char* name;
        uint32_t flagBefore;
        QString path;
        BootParamWrite result;
    } cases[] = {
        { "free block", kBootParamFree, "/home/user/show.kdp", BootParamWrite::Written },
        { "path that just fits", kBootParamFree, fits, BootParamWrite::Written },
        { "path one too long", kBootParamFree, fits + "b", BootParamWrite::TooLong },
        { "earlier path pending", kBootParamWaiting, "/new.kdp", BootParamWrite::Pending },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CMappedBootBlock mapped;
        ASSERT_NE(mapped.block, nullptr);
        BootParamBlock& block = *mapped.block;
        block.flag = c.flagBefore;
        std::memcpy(block.path, u"/old.kdp", sizeof u"/old.kdp");
        EXPECT_EQ(WriteBootParam(mapped.memory, c.path), c.result);
        if (c.result == BootParamWrite::Written) {
            EXPECT_EQ(block.flag, kBootParamWaiting);
            EXPECT_EQ(PathIn(block), c.path);
            EXPECT_EQ(TakeBootParam(mapped.memory), c.path);
            EXPECT_EQ(block.flag, kBootParamFree);
            EXPECT_TRUE(PathFieldIsZero(block));
        } else {
            EXPECT_EQ(block.flag, c.flagBefore);
            EXPECT_EQ(PathIn(block), QStringLiteral("/old.kdp"));
        }
    }
    CMemMapped unmapped;
    EXPECT_EQ(WriteBootParam(unmapped, "/a"), BootParamWrite::NoBlock);
    EXPECT_EQ(TakeBootParam(unmapped), std::nullopt);
}

// A start that claimed the block (flag "writing") and is still at work keeps it; one that died
// before it stored its path frees it for the next start instead of blocking every hand-over.
TEST(BootParam, AClaimOfADeadStartIsFreedOneOfALiveStartIsKept)
{
    for (const bool writerAlive : { true, false }) {
        SCOPED_TRACE(writerAlive ? "the writer is still writing" : "the writer died half-way");
        CMappedBootBlock mapped;
        ASSERT_NE(mapped.block, nullptr);
        auto writer = std::make_unique<CMemMapped>();
        auto* writersView = static_cast<BootParamBlock*>(writer->Create(sizeof(BootParamBlock), mapped.name));
        ASSERT_NE(writersView, nullptr);
        ASSERT_TRUE(writer->EnterSection(1000));
        writersView->flag = kBootParamWriting;
        std::memcpy(writersView->path, u"/half", sizeof u"/half");
        if (!writerAlive)
            writer.reset(); // the system ends a dead process's section with its mapping

        // Neither the running editor nor a later start reads or writes a path being written.
        EXPECT_EQ(TakeBootParam(mapped.memory), std::nullopt);
        const BootParamWrite written = WriteBootParam(mapped.memory, QStringLiteral("/next.kdp"));
        if (writerAlive) {
            EXPECT_EQ(written, BootParamWrite::Pending);
            EXPECT_EQ(mapped.block->flag, kBootParamWriting);
            EXPECT_EQ(PathIn(*mapped.block), QStringLiteral("/half"));
        } else {
            EXPECT_EQ(written, BootParamWrite::Written);
            EXPECT_EQ(TakeBootParam(mapped.memory), QStringLiteral("/next.kdp"));
            EXPECT_EQ(mapped.block->flag, kBootParamFree);
        }
    }
}

TEST(BootParam, TakeReadsAnUnterminatedPathOnlyToTheEndOfTheField)
{
    CMappedBootBlock mapped;
    ASSERT_NE(mapped.block, nullptr);
    std::fill(std::begin(mapped.block->path), std::end(mapped.block->path), u'x');
    mapped.block->flag = kBootParamWaiting;
    EXPECT_EQ(TakeBootParam(mapped.memory), QString(1024, u'x'));
}

TEST(BootParam, ConcurrentSecondStartsNeverMixTheirPaths)
{
    for (int round = 0; round < 100; ++round) {
        CMappedBootBlock mapped;
        ASSERT_NE(mapped.block, nullptr);
        const BootParamBlock& block = *mapped.block;
        std::atomic<int> written = 0;
        std::vector<std::thread> starts;
        for (int i = 0; i < 4; ++i) {
            // Each start maps the block itself, as a process of its own would.
            starts.emplace_back([&, i] {
                CMemMapped own;
                if (own.Create(sizeof(BootParamBlock), mapped.name)
                    && WriteBootParam(own, QString(500 + i, QChar(u'a' + i))) == BootParamWrite::Written)
                    ++written;
            });
        }
        for (auto& start : starts)
            start.join();
        ASSERT_EQ(written.load(), 1);
        const QString path = PathIn(block);
        ASSERT_GE(path.size(), 500);
        ASSERT_EQ(path, QString(path.size(), path.front()));
        ASSERT_EQ(path.size(), 500 + (path.front().unicode() - u'a'));
    }
}

TEST(InstanceHandOver, SecondStarts)
{
    CTempFolder workingFolder;
    const QString longName(kBootParamMaxPathLength, u'n');
    const struct {
        const char* name;
        QStringList arguments;
        uint32_t flagBefore;
        std::optional<BootParamWrite> handOver;
        QString pathAfter;
        std::vector<quint32> messages;
    } cases[] = {
        { "no argument only brings the editor to the front", {}, kBootParamFree, std::nullopt, "",
            { kBringToFrontMessage } },
        { "an absolute path is handed over", { "/shows/a.kdp" }, kBootParamFree, BootParamWrite::Written,
            "/shows/a.kdp", { kBootParamMessage, kBringToFrontMessage } },
        { "a relative path is made absolute", { "sub/b.kdp" }, kBootParamFree, BootParamWrite::Written,
            workingFolder.Path() + "/sub/b.kdp", { kBootParamMessage, kBringToFrontMessage } },
        { "only the first of two arguments", { "/first.kdp", "/second.kdp" }, kBootParamFree,
            BootParamWrite::Written, "/first.kdp", { kBootParamMessage, kBringToFrontMessage } },
        { "a pending path is kept", { "/new.kdp" }, kBootParamWaiting, BootParamWrite::Pending, "/old.kdp",
            { kBringToFrontMessage } },
        { "a path too long for the field is not cut", { "/" + longName }, kBootParamFree,
            BootParamWrite::TooLong, "", { kBringToFrontMessage } },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CRunningEditor editor;
        CMappedBootBlock mapped;
        ASSERT_NE(mapped.block, nullptr);
        BootParamBlock& block = *mapped.block;
        block.flag = c.flagBefore;
        if (c.flagBefore == kBootParamWaiting)
            std::memcpy(block.path, u"/old.kdp", sizeof u"/old.kdp");

        const SecondStartResult result
            = HandOverToRunningInstance(editor.serverName, mapped.memory, c.arguments, workingFolder.Path());
        EXPECT_TRUE(result.foundRunningInstance);
        EXPECT_EQ(result.handOver, c.handOver);
        ASSERT_TRUE(editor.WaitForBringToFront());
        EXPECT_EQ(editor.messages, c.messages);
        EXPECT_EQ(PathIn(block), c.pathAfter);
        EXPECT_EQ(block.flag, c.pathAfter.isEmpty() ? kBootParamFree : kBootParamWaiting);
    }
}

TEST(InstanceHandOver, WithoutBlockTheEditorIsStillBroughtToTheFront)
{
    CRunningEditor editor;
    CMemMapped unmapped;
    const SecondStartResult result
        = HandOverToRunningInstance(editor.serverName, unmapped, { "/a.kdp" }, "/");
    EXPECT_EQ(result.handOver, BootParamWrite::NoBlock);
    ASSERT_TRUE(editor.WaitForBringToFront());
    EXPECT_EQ(editor.messages, std::vector<quint32> { kBringToFrontMessage });
}

TEST(InstanceHandOver, WithoutRunningEditorNothingIsWritten)
{
    CRunningEditor editor;
    CMappedBootBlock mapped;
    ASSERT_NE(mapped.block, nullptr);
    const BootParamBlock& block = *mapped.block;
    const struct {
        const char* name;
        QString serverName;
    } cases[] = {
        { "nobody listens", UniqueName("KaleidraNobody") },
        // A renamed program file looks for an editor of its own name.
        { "another program name", MakeEditorInstanceNames("Other").server },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SecondStartResult result
            = HandOverToRunningInstance(c.serverName, mapped.memory, { "/a.kdp" }, "/");
        EXPECT_FALSE(result.foundRunningInstance);
        EXPECT_EQ(result.handOver, std::nullopt);
        EXPECT_EQ(block.flag, kBootParamFree);
        EXPECT_TRUE(PathFieldIsZero(block));
    }
}

TEST(InstanceHandOver, NamesFollowTheProgramNameAndTheTestSuffix)
{
    const CScopedEnv suffix("KALEIDRA_INSTANCE_SUFFIX", "-t1");
    const EditorInstanceNames names = MakeEditorInstanceNames("kaleidra");
    EXPECT_EQ(names.lock, QStringLiteral("KaleidraMutex-t1"));
    EXPECT_EQ(names.bootBlock, QStringLiteral("MEMMAP_KALEIDRA_BOOT_PARAM-t1"));
    EXPECT_EQ(names.server, MakeEditorInstanceNames("KALEIDRA").server);
    EXPECT_NE(names.server, MakeEditorInstanceNames("Kaleidra2").server);
}

TEST(SingleInstance, TheLockIsHeldByOneInstanceAtATime)
{
    const QString lock = UniqueName("KaleidraTestLock");
    platform::CSingleInstance first(lock, UniqueName("KaleidraTestServer"));
    platform::CSingleInstance second(lock, UniqueName("KaleidraTestServer"));
    EXPECT_EQ(first.TryLock(), platform::CSingleInstance::LockResult::Acquired);
    EXPECT_EQ(second.TryLock(), platform::CSingleInstance::LockResult::AlreadyHeld);
    first.ReleaseLock();
    EXPECT_EQ(second.TryLock(), platform::CSingleInstance::LockResult::Acquired);
    EXPECT_TRUE(second.LockProblem().isEmpty());
    second.ReleaseLock();
    RemoveLockFiles(lock);
}

// Another user may plant anything under the machine-wide name, which then cannot be locked.
// That never makes every start a first editor: the user's own lock keeps them to one, and the
// planted object is named.
TEST(SingleInstance, WhatIsPlantedUnderTheMachineWideNameLeavesTheUsersOwnLock)
{
    const struct {
        const char* name;
        std::function<bool(const QByteArray& path)> plant;
        QString named;
    } cases[] = {
        { "a folder", [](const QByteArray& path) { return ::mkdir(path.constData(), 0777) == 0; },
            QStringLiteral("a folder") },
        { "a FIFO", [](const QByteArray& path) { return ::mkfifo(path.constData(), 0666) == 0; },
            QStringLiteral("a FIFO") },
        { "a dangling link",
            [](const QByteArray& path) {
                return ::symlink("/nonexistent/kaleidra-lock", path.constData()) == 0;
            },
            QStringLiteral("a symbolic link") },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString lock = UniqueName("KaleidraTestLock");
        const QString path = platform::CSingleInstance::LockFilePath(lock);
        const QByteArray encoded = QFile::encodeName(path);
        ASSERT_TRUE(c.plant(encoded));
        {
            platform::CSingleInstance first(lock, UniqueName("KaleidraTestServer"));
            platform::CSingleInstance second(lock, UniqueName("KaleidraTestServer"));
            EXPECT_EQ(first.TryLock(), platform::CSingleInstance::LockResult::Acquired);
            EXPECT_TRUE(first.LockProblem().contains(path + QStringLiteral(" cannot be taken")))
                << first.LockProblem().toStdString();
            EXPECT_TRUE(first.LockProblem().contains(c.named)) << first.LockProblem().toStdString();
            EXPECT_EQ(second.TryLock(), platform::CSingleInstance::LockResult::AlreadyHeld);
            first.ReleaseLock();
            EXPECT_EQ(second.TryLock(), platform::CSingleInstance::LockResult::Acquired);
        }
        ::rmdir(encoded.constData());
        ::unlink(encoded.constData());
        RemoveLockFiles(lock);
    }
}

TEST(SingleInstance, ASocketLeftByACrashIsReplacedOnlyByTheLockHolder)
{
    const QString server = UniqueName("KaleidraTestServer");
    // A socket file nobody listens on, as a crashed instance leaves it.
    const std::optional<QString> socketPath = platform::CSingleInstance::ServerPath(server);
    ASSERT_TRUE(socketPath.has_value());
    {
        QFile stale(*socketPath);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    const QString lock = UniqueName("KaleidraTestLock");
    platform::CSingleInstance withoutLock(UniqueName("KaleidraTestLock"), server);
    platform::CSingleInstance holder(lock, server);
    ASSERT_EQ(holder.TryLock(), platform::CSingleInstance::LockResult::Acquired);
    EXPECT_TRUE(holder.Listen());
    EXPECT_FALSE(withoutLock.Listen());
    platform::CRunningInstance running;
    EXPECT_TRUE(running.Connect(server));
    holder.ReleaseLock();
    RemoveLockFiles(lock);
}
