#include "tests/updater/sync_recorder.h"

#include <QFile>
#include <dlfcn.h>
#include <limits.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex g_lock;
bool g_recording = false;
std::vector<CSyncRecorder::Sync> g_syncs;

CSyncRecorder::Sync Describe(int fd)
{
    char path[PATH_MAX] = {};
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t length = ::readlink(link.constData(), path, sizeof path - 1);
    struct stat status { };
    const bool folder = ::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode);
    return { length > 0 ? QFile::decodeName(QByteArray(path, int(length))) : QString(), folder };
}

} // namespace

// Found before the C library's by every library of this program that calls fsync.
extern "C" int fsync(int fd)
{
    {
        std::lock_guard guard(g_lock);
        if (g_recording)
            g_syncs.push_back(Describe(fd));
    }
    using Fsync = int (*)(int);
    static const auto real = reinterpret_cast<Fsync>(::dlsym(RTLD_NEXT, "fsync"));
    return real(fd);
}

CSyncRecorder::CSyncRecorder()
{
    std::lock_guard guard(g_lock);
    g_syncs.clear();
    g_recording = true;
}

CSyncRecorder::~CSyncRecorder()
{
    std::lock_guard guard(g_lock);
    g_recording = false;
}

std::vector<CSyncRecorder::Sync> CSyncRecorder::Syncs() const
{
    std::lock_guard guard(g_lock);
    return g_syncs;
}
