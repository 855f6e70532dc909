#include "platform/mem_mapped.h"

#include <QDeadlineTimer>
#include <QFile>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

// Windows keeps a named mapping alive while any process holds a handle to it and drops it when
// the last one goes, even when that one crashed. POSIX shared memory outlives its users, so the
// lifetime is kept with record locks on the block itself (open-file-description locks, which
// the kernel drops when their holder dies and which change from write to read atomically):
//  - every holder keeps a read lock on byte 0 while it maps the block. A write lock that is
//    granted proves that nobody holds the block: a block found then is new or stale and is
//    (re)initialised under that lock, which then becomes the holder's read lock; a holder
//    that gets it when it lets go is the last one and removes the name;
//  - a name can be removed and made anew between another process's open and its lock, so
//    after locking each process checks that the name still names the object it locked and
//    starts again when it does not;
//  - blocks are created exclusively; an existing one is used only when it belongs to the user
//    and is closed to group and others. No lock file is needed, so none can be planted, and
//    every wait has a deadline.
// Byte 1 carries the short exclusive sections of EnterSection.

namespace {

constexpr off_t kHolderByte = 0;
constexpr off_t kSectionByte = 1;
// How long opening waits for a creator or a last holder that is at work on the block.
constexpr int kBusyWaitMs = 3000;

QString SafeName(const QString& name)
{
    QString safe;
    for (const QChar c : name)
        safe += (c.isLetterOrNumber() || c == u'_' || c == u'-' || c == u'.') && c.unicode() < 0x80
            ? c
            : QChar(u'_');
    return safe.left(200);
}

bool SetLock(int fd, short type, off_t byte)
{
    struct flock lock { };
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;
    int result;
    do {
        result = ::fcntl(fd, F_OFD_SETLK, &lock);
    } while (result != 0 && errno == EINTR);
    return result == 0;
}

bool LockIsBusy()
{
    return errno == EAGAIN || errno == EACCES;
}

void Pause()
{
    const timespec pause { 0, 2'000'000 };
    ::nanosleep(&pause, nullptr);
}

// Waits until the lock is granted or the deadline passes.
bool WaitForLock(int fd, short type, off_t byte, const QDeadlineTimer& deadline)
{
    while (!SetLock(fd, type, byte)) {
        if (!LockIsBusy() || deadline.hasExpired())
            return false;
        Pause();
    }
    return true;
}

// Whether the name still names the object behind fd.
bool NameStillNames(const QByteArray& name, int fd)
{
    const int other = ::shm_open(name.constData(), O_RDONLY | O_CLOEXEC, 0);
    if (other < 0)
        return false;
    struct stat mine {
    }, named {};
    const bool same = ::fstat(fd, &mine) == 0 && ::fstat(other, &named) == 0 && mine.st_dev == named.st_dev
        && mine.st_ino == named.st_ino;
    ::close(other);
    return same;
}

// A block of the user's own: a regular object, owned by the user, closed to group and others.
bool IsOwnBlock(int fd, struct stat& info)
{
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid()
        && (info.st_mode & 077) == 0;
}

} // namespace

CMemMapped::~CMemMapped()
{
    Release();
}

void CMemMapped::Release()
{
    if (m_view) {
        ::munmap(m_view, m_size);
        m_view = nullptr;
    }
    if (m_mappingHandle >= 0) {
        LeaveSection();
        // Granted only when no other holder is left: the block goes with us.
        const QByteArray shmName = QFile::encodeName(m_shmName);
        if (SetLock(m_mappingHandle, F_WRLCK, kHolderByte) && NameStillNames(shmName, m_mappingHandle))
            ::shm_unlink(shmName.constData());
        ::close(m_mappingHandle); // closing drops the locks
        m_mappingHandle = -1;
    }
    m_size = 0;
}

void* CMemMapped::Create(uint32_t size, const QString& name)
{
    return Map(size, name, true);
}

void* CMemMapped::Open(uint32_t size, const QString& name)
{
    return Map(size, name, false);
}

void* CMemMapped::Map(uint32_t size, const QString& name, bool mayCreate)
{
    Release();
    existed = false;
    if (size == 0 || name.isEmpty())
        return nullptr;

    m_shmName = QLatin1Char('/') + SafeName(name) + QLatin1Char('.') + QString::number(::getuid());
    const QByteArray shmName = QFile::encodeName(m_shmName);
    const QDeadlineTimer deadline(kBusyWaitMs);

    for (;;) {
        int fd = -1;
        bool created = false;
        if (mayCreate) {
            fd = ::shm_open(shmName.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            created = fd >= 0;
            if (fd < 0 && errno != EEXIST)
                return nullptr;
        }
        if (fd < 0) {
            fd = ::shm_open(shmName.constData(), O_RDWR | O_CLOEXEC, 0);
            if (fd < 0) {
                // Removed by its last holder since the exclusive create failed: try again.
                if (errno == ENOENT && mayCreate && !deadline.hasExpired())
                    continue;
                return nullptr;
            }
        }
        auto fail = [&] {
            if (created)
                ::shm_unlink(shmName.constData());
            ::close(fd);
            return nullptr;
        };
        struct stat info { };
        if (!IsOwnBlock(fd, info))
            return fail();

        bool joined = false;
        if (SetLock(fd, F_WRLCK, kHolderByte)) {
            // Nobody holds the object: it is new, or was left by a process that died.
            if (!NameStillNames(shmName, fd)) {
                ::close(fd);
                if (deadline.hasExpired())
                    return nullptr;
                continue;
            }
            if (!mayCreate) {
                ::close(fd); // a stale block is not the live one asked for
                return nullptr;
            }
            // Either way the block starts zero-filled at the asked size.
            if (::ftruncate(fd, 0) != 0 || ::ftruncate(fd, off_t(size)) != 0
                || !SetLock(fd, F_RDLCK, kHolderByte))
                return fail();
        } else if (LockIsBusy()) {
            // A live holder, or a creator or last holder at work: join once it is done.
            if (!WaitForLock(fd, F_RDLCK, kHolderByte, deadline)) {
                ::close(fd);
                return nullptr;
            }
            if (!NameStillNames(shmName, fd)) {
                ::close(fd);
                if (deadline.hasExpired())
                    return nullptr;
                continue;
            }
            joined = true;
        } else {
            return fail();
        }

        // An existing block keeps its own size; mapping past its end would fault on first touch.
        if (::fstat(fd, &info) != 0 || info.st_size < off_t(size)) {
            ::close(fd);
            return nullptr;
        }
        void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (view == MAP_FAILED) {
            ::close(fd);
            return nullptr;
        }
        m_mappingHandle = fd;
        m_view = view;
        m_size = size;
        existed = joined;
        return m_view;
    }
}

bool CMemMapped::EnterSection(int timeoutMs)
{
    if (m_mappingHandle < 0)
        return false;
    if (m_inSection)
        return true;
    m_inSection = WaitForLock(m_mappingHandle, F_WRLCK, kSectionByte, QDeadlineTimer(timeoutMs));
    return m_inSection;
}

void CMemMapped::LeaveSection()
{
    if (!m_inSection)
        return;
    SetLock(m_mappingHandle, F_UNLCK, kSectionByte);
    m_inSection = false;
}
