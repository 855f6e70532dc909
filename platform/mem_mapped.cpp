#include "platform/mem_mapped.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

// Windows keeps a named mapping alive while any process holds a handle to it and drops it when
// the last one goes, even when that one crashed. POSIX shared memory outlives its users, so the
// lifetime is kept with two lock files beside the block:
//  - "<name>.lock": every holder keeps a shared lock on it while it maps the block. An exclusive
//    lock that succeeds proves that nobody holds the block any more (the kernel drops the locks
//    of a process that died), so a block found then is stale and is created anew.
//  - "<name>.init": an exclusive lock around creating, opening and releasing, so that the test
//    above and the creation it leads to cannot interleave with another process.

namespace {

QString LockFolder()
{
    static const QString folder = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                            : QDir::tempPath();
    return folder;
}

QString SafeName(const QString& name)
{
    QString safe;
    for (const QChar c : name)
        safe += (c.isLetterOrNumber() || c == u'_' || c == u'-' || c == u'.') && c.unicode() < 0x80 ? c : QChar(u'_');
    return safe.left(200);
}

int OpenLockFile(const QString& path)
{
    return ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
}

bool Lock(int fd, int operation)
{
    int result;
    do {
        result = ::flock(fd, operation);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

// Holds the creation lock for one scope.
class CInitLock {
public:
    explicit CInitLock(const QString& path)
        : m_fd(OpenLockFile(path))
    {
        m_locked = m_fd >= 0 && Lock(m_fd, LOCK_EX);
    }
    ~CInitLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // closing drops the lock
    }
    bool Locked() const { return m_locked; }

private:
    int m_fd;
    bool m_locked = false;
};

} // namespace

CMemMapped::~CMemMapped() { Release(); }

void CMemMapped::Release()
{
    if (m_view) {
        ::munmap(m_view, m_size);
        m_view = nullptr;
    }
    if (m_mappingHandle >= 0) {
        ::close(m_mappingHandle);
        m_mappingHandle = -1;
    }
    if (m_holderLock >= 0) {
        CInitLock init(m_lockBase + QStringLiteral(".init"));
        // Still the only holder when the exclusive lock is granted: the block goes with us.
        if (init.Locked() && Lock(m_holderLock, LOCK_EX | LOCK_NB))
            ::shm_unlink(QFile::encodeName(m_shmName).constData());
        ::close(m_holderLock);
        m_holderLock = -1;
    }
    m_size = 0;
}

void* CMemMapped::Create(uint32_t size, const QString& name)
{
    Release();
    existed = false;
    if (size == 0 || name.isEmpty())
        return nullptr;

    const QString safe = SafeName(name) + QLatin1Char('.') + QString::number(::getuid());
    m_shmName = QLatin1Char('/') + safe;
    m_lockBase = LockFolder() + QLatin1Char('/') + safe;
    const QByteArray shmName = QFile::encodeName(m_shmName);

    CInitLock init(m_lockBase + QStringLiteral(".init"));
    if (!init.Locked())
        return nullptr;
    m_holderLock = OpenLockFile(m_lockBase + QStringLiteral(".lock"));
    if (m_holderLock < 0)
        return nullptr;

    auto fail = [this]() -> void* {
        if (m_mappingHandle >= 0)
            ::close(m_mappingHandle);
        m_mappingHandle = -1;
        ::close(m_holderLock);
        m_holderLock = -1;
        existed = false;
        return nullptr;
    };

    const bool noLiveHolder = Lock(m_holderLock, LOCK_EX | LOCK_NB);
    if (!noLiveHolder && errno != EWOULDBLOCK)
        return fail();
    if (!noLiveHolder) {
        m_mappingHandle = ::shm_open(shmName.constData(), O_RDWR | O_CLOEXEC, 0600);
        existed = m_mappingHandle >= 0;
    }
    if (m_mappingHandle < 0) {
        ::shm_unlink(shmName.constData()); // a block left by a process that died
        m_mappingHandle = ::shm_open(shmName.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (m_mappingHandle < 0 || ::ftruncate(m_mappingHandle, off_t(size)) != 0) {
            ::shm_unlink(shmName.constData());
            return fail();
        }
    }
    if (!Lock(m_holderLock, LOCK_SH | LOCK_NB))
        return fail();

    // An existing block keeps its own size; mapping past its end would fault on first touch.
    struct stat info {};
    if (::fstat(m_mappingHandle, &info) != 0 || info.st_size < off_t(size))
        return fail();

    void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, m_mappingHandle, 0);
    if (view == MAP_FAILED)
        return fail();
    m_view = view;
    m_size = size;
    return m_view;
}
