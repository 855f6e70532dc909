#include "platform/registry_store.h"

#include "platform/known_folders.h"
#include "platform/paths.h"
#include "platform/profile_file.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Values are kept as "sz:<text>" and "dword:<decimal>" in an ini-style file with one section
// per key path.
constexpr QStringView kStringTag = u"sz:";
constexpr QStringView kDwordTag = u"dword:";
constexpr int kNoLimit = -1;

QString NormaliseKey(const QString& key)
{
    QString normalised = key;
    normalised.replace(QLatin1Char('/'), QLatin1Char('\\'));
    while (normalised.endsWith(QLatin1Char('\\')))
        normalised.chop(1);
    while (normalised.startsWith(QLatin1Char('\\')))
        normalised.remove(0, 1);
    return normalised;
}

// How long a change waits for another process's change of the same hive: far longer than any
// change takes, but a lock file someone else holds for good must not hang the program.
constexpr int kLockWaitMs = 10000;
constexpr int kLockRetryMs = 5;

// An exclusive lock on the lock file beside a hive, held while the object lives.
class CHiveLock {
public:
    explicit CHiveLock(const QString& hiveFile)
    {
        // Beside the file itself when the hive is reached through a link, as that is what a
        // change replaces.
        const QString resolved = QFileInfo(hiveFile).canonicalFilePath();
        const QByteArray name
            = QFile::encodeName((resolved.isEmpty() ? hiveFile : resolved) + QStringLiteral(".lock"));
        // O_NONBLOCK and O_NOFOLLOW: a FIFO or a link planted under the name is refused, not
        // waited on or followed. A lock file another user made can only be read, which is enough.
        constexpr int kFlags = O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
        m_fd = ::open(name.constData(), O_RDWR | O_CREAT | kFlags, 0644);
        if (m_fd < 0 && errno == EACCES)
            m_fd = ::open(name.constData(), O_RDONLY | kFlags);
        struct stat info { };
        if (m_fd >= 0 && (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)))
            Release();
        if (m_fd < 0)
            return;
        const QDeadlineTimer deadline(kLockWaitMs);
        while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired()) {
                Release();
                return;
            }
            QThread::msleep(kLockRetryMs);
        }
    }
    ~CHiveLock() { Release(); }
    CHiveLock(const CHiveLock&) = delete;
    CHiveLock& operator=(const CHiveLock&) = delete;

    bool Held() const { return m_fd >= 0; }

private:
    void Release()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    int m_fd = -1;
};

// The nearest folder of the path that exists.
QString NearestExistingFolder(const QString& path)
{
    QString folder = QFileInfo(path).absolutePath();
    while (!QFileInfo::exists(folder) && folder != QDir::rootPath())
        folder = QFileInfo(folder).absolutePath();
    return folder;
}

} // namespace

QString CRegistryStore::HiveFile(RegistryHive hive)
{
    if (hive == RegistryHive::CurrentUser) {
        if (QString file = qEnvironmentVariable("KALEIDRA_REGISTRY_HKCU"); !file.isEmpty())
            return file;
        QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
        if (config.isEmpty())
            config = JoinPath(HomeFolder(), u".config");
        return JoinPath(config, u"OXTREL/registry.ini");
    }
    return MachineHiveFileIn(CommonAppDataFolder());
}

QString CRegistryStore::MachineHiveFileIn(const QString& commonAppDataFolder)
{
    if (QString file = qEnvironmentVariable("KALEIDRA_REGISTRY_HKLM"); !file.isEmpty())
        return file;
    return JoinPath(commonAppDataFolder, u"OXTREL/registry.ini");
}

CRegistryStore CRegistryStore::ForHive(RegistryHive hive)
{
    return CRegistryStore(HiveFile(hive));
}

bool CRegistryStore::KeyExists(const QString& key) const
{
    return CProfileFile(m_file).HasSection(NormaliseKey(key));
}

std::optional<QString> CRegistryStore::ReadString(const QString& key, const QString& valueName) const
{
    const auto stored = CProfileFile(m_file).Value(NormaliseKey(key), valueName, kNoLimit);
    if (!stored || !stored->startsWith(kStringTag))
        return std::nullopt;
    return stored->mid(kStringTag.size());
}

std::optional<uint32_t> CRegistryStore::ReadDword(const QString& key, const QString& valueName) const
{
    const auto stored = CProfileFile(m_file).Value(NormaliseKey(key), valueName, kNoLimit);
    if (!stored || !stored->startsWith(kDwordTag))
        return std::nullopt;
    bool ok = false;
    const uint32_t value = stored->mid(kDwordTag.size()).toUInt(&ok);
    return ok ? std::optional<uint32_t>(value) : std::nullopt;
}

QStringList CRegistryStore::ValueNames(const QString& key) const
{
    return CProfileFile(m_file).Keys(NormaliseKey(key));
}

std::optional<QString> CRegistryStore::Problem(Use use) const
{
    if (m_file.isEmpty())
        return QStringLiteral("no file is named");
    const QFileInfo info(m_file);
    if (info.exists()) {
        if (!info.isFile())
            return QStringLiteral("%1 is not a file").arg(m_file);
        if (::access(QFile::encodeName(m_file).constData(), R_OK) != 0)
            return QStringLiteral("%1 cannot be read").arg(m_file);
    }
    if (use == Use::Reading)
        return std::nullopt;
    // A change replaces the file (or the file a link names) through a new file in its folder.
    const QString target = info.isSymLink() ? info.canonicalFilePath() : m_file;
    const QString folder = NearestExistingFolder(target);
    if (!QFileInfo(folder).isDir() || ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0)
        return QStringLiteral("%1 cannot be written in %2").arg(m_file, folder);
    return std::nullopt;
}

bool CRegistryStore::Change(bool createHive, const std::function<bool(CProfileFile&)>& change)
{
    if (createHive)
        QDir().mkpath(QFileInfo(m_file).absolutePath());
    const CHiveLock lock(m_file);
    if (!lock.Held())
        return false;
    CProfileFile hive(m_file);
    const CProfileFile::LoadStatus required
        = createHive ? CProfileFile::LoadStatus::Missing : CProfileFile::LoadStatus::Loaded;
    if (hive.Status() != CProfileFile::LoadStatus::Loaded && hive.Status() != required)
        return false;
    return change(hive) && hive.Save();
}

bool CRegistryStore::WriteString(const QString& key, const QString& valueName, const QString& value)
{
    return WriteStrings(key, { { valueName, value } });
}

bool CRegistryStore::WriteDword(const QString& key, const QString& valueName, uint32_t value)
{
    return Change(true, [&](CProfileFile& hive) {
        return hive.SetValue(NormaliseKey(key), valueName, kDwordTag.toString() + QString::number(value));
    });
}

bool CRegistryStore::WriteStrings(const QString& key, const std::vector<std::pair<QString, QString>>& values)
{
    return Change(true, [&](CProfileFile& hive) {
        const QString section = NormaliseKey(key);
        for (const auto& [valueName, value] : values) {
            if (!hive.SetValue(section, valueName, kStringTag.toString() + value))
                return false;
        }
        return true;
    });
}

bool CRegistryStore::DeleteValue(const QString& key, const QString& valueName)
{
    return Change(false, [&](CProfileFile& hive) {
        hive.RemoveKey(NormaliseKey(key), valueName);
        return true;
    });
}

bool CRegistryStore::DeleteKey(const QString& key)
{
    return Change(false, [&](CProfileFile& hive) {
        hive.RemoveSection(NormaliseKey(key));
        return true;
    });
}

} // namespace platform
