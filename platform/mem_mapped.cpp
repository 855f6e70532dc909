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
// lifetime is kept with locks:
//  - every holder keeps a shared lock on the block's own descriptor while it maps it. An
//    exclusive lock that succeeds proves that nobody holds the block any more (the kernel drops
//    the locks of a process that died), so a block found then is stale and is cleared, and a
//    holder that gets it when it lets go is the last one and removes the block;
//  - one exclusive lock per user ("kaleidra-shm.<uid>.init" beside the blocks) around creating,
//    opening and releasing, so that the test above and what follows from it cannot interleave
//    with another process.

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

bool Lock(int fd, int operation)
{
    int result;
    do {
        result = ::flock(fd, operation);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

// Holds the per-user creation lock for one scope.
class CInitLock {
public:
    CInitLock()
    {
        const QString path = LockFolder() + QStringLiteral("/kaleidra-shm.%1.init").arg(::getuid());
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        m_locked = m_fd >= 0 && Lock(m_fd, LOCK_EX);
    }
    ~CInitLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // closing drops the lock
    }
    CInitLock(const CInitLock&) = delete;
    CInitLock& operator=(const CInitLock&) = delete;
    bool Locked() const { return m_locked; }

private:
    int m_fd = -1;
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
        CInitLock init;
        // Granted only when no other holder is left: the block goes with us.
        if (init.Locked() && Lock(m_mappingHandle, LOCK_EX | LOCK_NB))
            ::shm_unlink(QFile::encodeName(m_shmName).constData());
        ::close(m_mappingHandle);
        m_mappingHandle = -1;
    }
    m_size = 0;
}

void* CMemMapped::Create(uint32_t size, const QString& name)
{
    Release();
    existed = false;
    if (size == 0 || name.isEmpty())
        return nullptr;

    m_shmName = QLatin1Char('/') + SafeName(name) + QLatin1Char('.') + QString::number(::getuid());
    const QByteArray shmName = QFile::encodeName(m_shmName);

    CInitLock init;
    if (!init.Locked())
        return nullptr;
    auto fail = [this, &shmName](bool remove) -> void* {
        if (m_mappingHandle >= 0) {
            if (remove)
                ::shm_unlink(shmName.constData());
            ::close(m_mappingHandle);
        }
        m_mappingHandle = -1;
        existed = false;
        return nullptr;
    };

    m_mappingHandle = ::shm_open(shmName.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_mappingHandle < 0)
        return fail(false);
    if (Lock(m_mappingHandle, LOCK_EX | LOCK_NB)) {
        // Nobody holds the name: it is new, or was left by a process that died. Either way the
        // block starts zero-filled at the asked size.
        if (::ftruncate(m_mappingHandle, 0) != 0 || ::ftruncate(m_mappingHandle, off_t(size)) != 0)
            return fail(true);
    } else if (errno == EWOULDBLOCK) {
        existed = true;
    } else {
        return fail(false);
    }
    if (!Lock(m_mappingHandle, LOCK_SH | LOCK_NB))
        return fail(!existed);

    // An existing block keeps its own size; mapping past its end would fault on first touch.
    struct stat info {};
    if (::fstat(m_mappingHandle, &info) != 0 || info.st_size < off_t(size))
        return fail(false);

    void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, m_mappingHandle, 0);
    if (view == MAP_FAILED)
        return fail(!existed);
    m_view = view;
    m_size = size;
    return m_view;
}
