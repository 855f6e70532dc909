#include "viewer/pm_block_access.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

// Until the platform's shared-memory class offers opening without creating, the block is
// opened here under the same name and with the same holder lock that class uses: a shared lock
// on the block's descriptor tells the editor the block is still in use.

namespace {

QString ShmName(const QString& name)
{
    QString safe;
    for (const QChar c : name)
        safe += (c.isLetterOrNumber() || c == u'_' || c == u'-' || c == u'.') && c.unicode() < 0x80
            ? c
            : QChar(u'_');
    return QLatin1Char('/') + safe.left(200) + QLatin1Char('.') + QString::number(::getuid());
}

} // namespace

CPmBlockAccess::~CPmBlockAccess()
{
    Close();
}

void CPmBlockAccess::Close()
{
    if (m_block) {
        ::munmap(m_block, sizeof(PmParamBlock));
        m_block = nullptr;
    }
    if (m_handle >= 0) {
        ::close(m_handle);
        m_handle = -1;
    }
}

PmParamBlock* CPmBlockAccess::Open(const QString& name)
{
    Close();
    const QByteArray shmName = QFile::encodeName(ShmName(name));
    m_handle = ::shm_open(shmName.constData(), O_RDWR | O_CLOEXEC, 0);
    if (m_handle < 0)
        return nullptr;
    int locked;
    do {
        locked = ::flock(m_handle, LOCK_SH | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    struct stat info { };
    // Only a block of the current user, closed to others, of the whole size is taken.
    if (locked != 0 || ::fstat(m_handle, &info) != 0 || info.st_uid != ::getuid() || (info.st_mode & 077) != 0
        || info.st_size < off_t(sizeof(PmParamBlock))) {
        Close();
        return nullptr;
    }
    void* view = ::mmap(nullptr, sizeof(PmParamBlock), PROT_READ | PROT_WRITE, MAP_SHARED, m_handle, 0);
    if (view == MAP_FAILED) {
        Close();
        return nullptr;
    }
    m_block = static_cast<PmParamBlock*>(view);
    return m_block;
}
