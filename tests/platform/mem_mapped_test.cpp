#include "platform/mem_mapped.h"

#include <QDir>
#include <QFile>
#include <QUuid>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString UniqueName() { return QStringLiteral("KALEIDRA_TEST_") + QUuid::createUuid().toString(QUuid::Id128); }

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
    return int(QDir(QStringLiteral("/dev/shm")).entryList({name + QLatin1Char('*')}, QDir::Files).size());
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

} // namespace
