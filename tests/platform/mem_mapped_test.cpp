#include "platform/mem_mapped.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <QUuid>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString UniqueName()
{
    return QStringLiteral("KALEIDRA_TEST_") + QUuid::createUuid().toString(QUuid::Id128);
}

bool BlockExists(const QString& name)
{
    const QByteArray path = "/" + name.toLatin1() + "." + QByteArray::number(::getuid());
    const int fd = ::shm_open(path.constData(), O_RDONLY, 0);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// Files the block's name left in the shared-memory folder (the block itself included).
int FilesNamedAfter(const QString& name)
{
    return int(QDir(QStringLiteral("/dev/shm")).entryList({ name + QLatin1Char('*') }, QDir::Files).size());
}

bool AllZero(const void* view, size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(view);
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] != 0)
            return false;
    }
    return true;
}

// A child process that maps the block, fills it with a byte and waits to be killed.
class CHolderProcess {
public:
    CHolderProcess(const QString& name, uint32_t size, unsigned char fill)
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            CMemMapped block;
            void* view = block.Create(size, name);
            char existed = view ? (block.existed ? 'E' : 'N') : 'F';
            if (view)
                std::memset(view, fill, size);
            (void)!::write(ready[1], &existed, 1);
            for (;;)
                ::pause();
        }
        ::close(ready[1]);
        if (::read(ready[0], &m_state, 1) != 1)
            m_state = '?';
        ::close(ready[0]);
    }
    ~CHolderProcess() { Kill(); }
    char State() const { return m_state; }
    void Kill()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
            m_pid = -1;
        }
    }

private:
    pid_t m_pid = -1;
    char m_state = '?';
};

TEST(MemMapped, FreshBlockIsZeroedAndTheLastHolderRemovesIt)
{
    const QString name = UniqueName();
    {
        CMemMapped block;
        void* view = block.Create(2052, name);
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view, block.View());
        EXPECT_FALSE(block.existed);
        EXPECT_TRUE(AllZero(view, 2052));
        EXPECT_TRUE(BlockExists(name));
    }
    EXPECT_FALSE(BlockExists(name));
    EXPECT_EQ(FilesNamedAfter(name), 0); // nothing left behind
}

TEST(MemMapped, TwoHoldersInOneProcessShareTheMemory)
{
    const QString name = UniqueName();
    CMemMapped first;
    CMemMapped second;
    auto* a = static_cast<int32_t*>(first.Create(64, name));
    ASSERT_NE(a, nullptr);
    auto* b = static_cast<int32_t*>(second.Create(64, name));
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(second.existed);
    a[3] = 1234;
    EXPECT_EQ(b[3], 1234);
    // The block stays while one holder is left.
    first.~CMemMapped();
    new (&first) CMemMapped;
    EXPECT_TRUE(BlockExists(name));
    EXPECT_EQ(b[3], 1234);
}

TEST(MemMapped, SecondCreateReleasesTheFirstMapping)
{
    const QString firstName = UniqueName();
    const QString secondName = UniqueName();
    CMemMapped block;
    ASSERT_NE(block.Create(64, firstName), nullptr);
    ASSERT_NE(block.Create(128, secondName), nullptr);
    EXPECT_FALSE(block.existed);
    EXPECT_FALSE(BlockExists(firstName)); // we were its only holder
    EXPECT_TRUE(BlockExists(secondName));
}

TEST(MemMapped, RefusesABlockSmallerThanAsked)
{
    const QString name = UniqueName();
    CMemMapped small;
    ASSERT_NE(small.Create(16, name), nullptr);
    CMemMapped large;
    EXPECT_EQ(large.Create(35404, name), nullptr);
    EXPECT_EQ(large.View(), nullptr);
    EXPECT_FALSE(large.existed);
    // A smaller view of a larger block is fine.
    CMemMapped smaller;
    EXPECT_NE(smaller.Create(8, name), nullptr);
    EXPECT_TRUE(smaller.existed);
}

TEST(MemMapped, BadArgumentsAndEmptyObjects)
{
    CMemMapped block;
    EXPECT_EQ(block.Create(0, UniqueName()), nullptr);
    EXPECT_EQ(block.Create(16, QString()), nullptr);
    CMemMapped neverUsed; // destroying it does nothing
    EXPECT_EQ(neverUsed.View(), nullptr);
}

TEST(MemMapped, TwoProcessesShareOneBlock)
{
    const QString name = UniqueName();
    CHolderProcess child(name, 256, 0xAB);
    ASSERT_EQ(child.State(), 'N');
    CMemMapped block;
    auto* view = static_cast<unsigned char*>(block.Create(256, name));
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(block.existed);
    EXPECT_EQ(view[0], 0xAB);
    EXPECT_EQ(view[255], 0xAB);

    // The block outlives the child while this process holds it.
    child.Kill();
    CMemMapped again;
    ASSERT_NE(again.Create(256, name), nullptr);
    EXPECT_TRUE(again.existed);
}

TEST(MemMapped, BlockOfAKilledHolderIsRecreatedZeroed)
{
    const QString name = UniqueName();
    CHolderProcess child(name, 512, 0xCD);
    ASSERT_EQ(child.State(), 'N');
    child.Kill(); // SIGKILL: no destructor ran, the block is left behind
    EXPECT_TRUE(BlockExists(name));

    CMemMapped block;
    void* view = block.Create(512, name);
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(block.existed);
    EXPECT_TRUE(AllZero(view, 512));
    block.~CMemMapped();
    new (&block) CMemMapped;
    EXPECT_EQ(FilesNamedAfter(name), 0);
}

// The name under which a block lies in the system's shared-memory folder.
QByteArray ShmPath(const QString& name)
{
    return "/" + name.toLatin1() + "." + QByteArray::number(::getuid());
}

// Runs a call in a child process and says whether it ended within the time; a child that did not
// is killed. The result is the child's exit code, or -1.
int RunInChild(const std::function<int()>& call, int timeoutMs)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(call());
    const QDeadlineTimer deadline(timeoutMs);
    int status = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        if (deadline.hasExpired()) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        QThread::msleep(10);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A block another local user planted, or one open to group or others, is never adopted: the
// other user could read and write what the programs exchange through it.
TEST(MemMapped, ABlockThatIsNotTheUsersOwnIsRefused)
{
    const struct {
        const char* name;
        mode_t mode;
        bool otherOwner;
    } cases[] = {
        { "open to others for reading and writing", 0666, false },
        { "open to the group", 0660, false },
        { "owned by another user", 0600, true },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.otherOwner && ::geteuid() != 0) {
            std::cout << "skipped: planting a block of another user needs root\n";
            continue;
        }
        const QString name = UniqueName();
        const int planted = ::shm_open(ShmPath(name).constData(), O_RDWR | O_CREAT | O_EXCL, 0600);
        ASSERT_GE(planted, 0);
        ASSERT_EQ(::ftruncate(planted, 4096), 0);
        ASSERT_EQ(::fchmod(planted, c.mode), 0);
        if (c.otherOwner) {
            ASSERT_EQ(::fchown(planted, 65534, 65534), 0);
        }

        CMemMapped created;
        EXPECT_EQ(created.Create(64, name), nullptr);
        CMemMapped opened;
        EXPECT_EQ(opened.Open(64, name), nullptr);
        ::close(planted);
        ::shm_unlink(ShmPath(name).constData());
    }
}

// Nothing another process holds, nor a lock file planted where the old versions kept theirs,
// makes Create wait for ever.
TEST(MemMapped, CreateNeverWaitsWithoutADeadline)
{
    const QString name = UniqueName();
    // A lock file in the shared-memory folder, held by someone who never lets go.
    const QByteArray plantedLock = "/dev/shm/kaleidra-shm." + QByteArray::number(::getuid()) + ".init";
    // Removed afterwards only when this test made it: an older build may use one of that name.
    int lockFd = ::open(plantedLock.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    const bool removeLock = lockFd >= 0;
    if (lockFd < 0)
        lockFd = ::open(plantedLock.constData(), O_RDWR | O_CLOEXEC);
    if (lockFd >= 0)
        ::flock(lockFd, LOCK_EX);
    EXPECT_EQ(RunInChild(
                  [&] {
                      CMemMapped block;
                      return block.Create(64, name) ? 0 : 1;
                  },
                  15000),
        0);

    // A creator stuck in the middle of making the block (it holds the block's write lock).
    const QString busyName = UniqueName();
    const int recreated
        = ::shm_open(ShmPath(busyName).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    ASSERT_GE(recreated, 0);
    struct flock writeLock { };
    writeLock.l_type = F_WRLCK;
    writeLock.l_whence = SEEK_SET;
    writeLock.l_len = 0;
    ASSERT_EQ(::fcntl(recreated, F_OFD_SETLK, &writeLock), 0);
    const int result = RunInChild(
        [&] {
            CMemMapped block;
            return block.Create(64, busyName) ? 0 : 1;
        },
        15000);
    EXPECT_EQ(result, 1); // given up, not hanging
    ::close(recreated);
    ::shm_unlink(ShmPath(busyName).constData());
    if (removeLock)
        ::unlink(plantedLock.constData());
    if (lockFd >= 0)
        ::close(lockFd);
}

// The viewer opens the editor's block and must never make one of its own.
TEST(MemMapped, OpenMapsOnlyALiveBlockAndNeverCreatesOne)
{
    const QString name = UniqueName();
    CMemMapped opened;
    EXPECT_EQ(opened.Open(64, name), nullptr);
    EXPECT_FALSE(BlockExists(name));

    CMemMapped creator;
    auto* created = static_cast<int32_t*>(creator.Create(64, name));
    ASSERT_NE(created, nullptr);
    created[3] = 42;
    auto* view = static_cast<int32_t*>(opened.Open(64, name));
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(opened.existed);
    EXPECT_EQ(view[3], 42);
    CMemMapped larger;
    EXPECT_EQ(larger.Open(128, name), nullptr);

    // A block left by holders that are all gone is not the live one asked for.
    const QString staleName = UniqueName();
    CHolderProcess child(staleName, 64, 0x11);
    ASSERT_EQ(child.State(), 'N');
    child.Kill();
    ASSERT_TRUE(BlockExists(staleName));
    CMemMapped stale;
    EXPECT_EQ(stale.Open(64, staleName), nullptr);
    ::shm_unlink(ShmPath(staleName).constData());
}

// When the last holder lets go, nothing of the block stays in the shared-memory folder: no
// block and no lock file.
TEST(MemMapped, TheLastHolderLeavesNothingBehind)
{
    const QString name = UniqueName();
    {
        CMemMapped first;
        CMemMapped second;
        ASSERT_NE(first.Create(128, name), nullptr);
        ASSERT_NE(second.Create(128, name), nullptr);
        ASSERT_TRUE(second.EnterSection(1000));
        ASSERT_GE(FilesNamedAfter(name), 1);
    }
    EXPECT_FALSE(BlockExists(name));
    // Only files named after this block count: tests running beside this one make their own.
    EXPECT_EQ(FilesNamedAfter(name), 0);
}

// Two mappings of one block (as two processes hold it) shut each other out of the section; the
// section of a mapping that goes is free at once.
TEST(MemMapped, SectionsExcludeEachOtherAcrossMappings)
{
    const QString name = UniqueName();
    CMemMapped first;
    auto second = std::make_unique<CMemMapped>();
    ASSERT_NE(first.Create(16, name), nullptr);
    ASSERT_NE(second->Create(16, name), nullptr);
    EXPECT_FALSE(CMemMapped().EnterSection(0)); // nothing mapped
    ASSERT_TRUE(second->EnterSection(0));
    EXPECT_FALSE(first.EnterSection(50));
    second->LeaveSection();
    EXPECT_TRUE(first.EnterSection(0));
    first.LeaveSection();
    ASSERT_TRUE(second->EnterSection(0));
    second.reset();
    EXPECT_TRUE(first.EnterSection(0));
}

} // namespace
